#pragma once

#include "stock/StockListWindow.h"

// The list of the recorded stock loads ("Lista Carichi"): by item code,
// supplier, new or used goods and period; a row opens in the load window.
class frmListaCarico : public StockListWindow {
    Q_OBJECT
public:
    explicit frmListaCarico(QWidget *parent = nullptr);

    void TrovaCarichi(const QString &sortField) { Trova(sortField); }
    data::DataControl *datCarico() const { return dataControl(); }

protected:
    QString descriptionOf(const QString &code) const override;
    void richiama(long key) override;
};
