#pragma once

#include "lookup/SearchWindow.h"
#include "rules/invoicing/InvoiceSearchStatement.h"
#include "rules/ListExport.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class ctrl_SkinableButton;

// The invoice search: invoices by part of the number, period, customer and
// paid state, the newest 200 first. A double-click shows the invoice in the
// editor and hides the search, which keeps its filters and list for the
// editor's next Search.
class frmCercaFattura : public SearchWindow {
    Q_OBJECT
public:
    explicit frmCercaFattura(QWidget *parent = nullptr);

    void TrovaFatture();
    void PulisciRicerca();
    void cmdHelp_Click();
    void cmdStampa_Click();
    // The listed invoices as FatturaPA files.
    void cmdFattureElettroniche_Click();
    void lvwFatture_DblClick();

    // The statement of the last search, as it was run.
    QString lastStatement() const { return m_lastStatement; }
    // The list as "Esporta" writes it: every invoice of the last search (not
    // only the 200 shown), in the columns and order shown.
    ListExport listToExport() const;

    QLineEdit *txtNumero = nullptr;
    QLineEdit *txtDataInizio = nullptr;
    QLineEdit *txtDataFine = nullptr;
    QLineEdit *txtCodiceCliente = nullptr;
    QLineEdit *txtCliente = nullptr;
    QPushButton *cmdHelp = nullptr;
    QComboBox *cboSaldata = nullptr;
    QTreeWidget *lvwFatture = nullptr;
    ctrl_SkinableButton *cmdFattureElettroniche = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;

    static const QString kSearchLabel;

protected:
    void buildCriteria() override;
    void buildOwnButtons() override;
    std::function<void()> activation() override;
    void search() override { TrovaFatture(); }
    void startNewSearch() override { PulisciRicerca(); }
    void print() override;
    void rowChosen() override { lvwFatture_DblClick(); }
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QStringList numeriElencati() const;

    QString m_lastStatement;
    InvoiceSearchFilters m_lastFilters;
};
