#pragma once

#include "rules/ListExport.h"
#include "rules/stock/StockValuation.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The value of the stock at a date ("Valore del magazzino"): each item's
// quantity at the end of the day and its average load price up to it, by
// supplier, with the totals; the end of last year unless the user chooses.
// The suppliers come first with their totals; a supplier's items show when
// it is opened (Right arrow, or a click on its sign), so that a shop of a
// million items is listed at once.
class frmValoreMagazzino : public QWidget {
    Q_OBJECT
public:
    explicit frmValoreMagazzino(QWidget *parent = nullptr);
    ~frmValoreMagazzino() override;

    void cmdAggiorna_Click();
    void cmdStampa_Click();
    // The lines of the day shown, as "Esporta" writes them.
    ListExport listToExport() const;
    std::shared_ptr<const StockValuation> shown() const { return m_shown; }

    QLineEdit *txtData = nullptr;
    ctrl_SkinableButton *cmdAggiorna = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    QTreeWidget *lvwValore = nullptr;
    QLabel *lblTotale = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    // The day of the box; false (with the message) when it is none.
    bool giorno(QDate &day);
    void mostra(std::shared_ptr<const StockValuation> valuation);
    void apriFornitore(QTreeWidgetItem *supplier);

    std::shared_ptr<const StockValuation> m_shown;
    bool m_built = false;
};
