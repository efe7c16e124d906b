#pragma once

#include "stock/StockListWindow.h"

// The list of the recorded sales ("Lista Scarichi"): by article code,
// supplier, new or used goods and period; a row opens in the unload window.
class frmListaScarico : public StockListWindow {
    Q_OBJECT
public:
    explicit frmListaScarico(QWidget *parent = nullptr);

    void TrovaScarichi(const QString &sortField) { Trova(sortField); }
    data::DataControl *datScarico() const { return dataControl(); }

protected:
    QString descriptionOf(const QString &code) const override;
    void richiama(long key) override;
};
