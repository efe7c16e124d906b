#pragma once

#include "lookup/SearchWindow.h"
#include "rules/register/RegisterSearchStatement.h"
#include "rules/ListExport.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class ctrl_SkinableButton;

// The register search: customers and suppliers by register number, name,
// VAT number, country and type, at most 100 in name order. A double-click
// shows the entry on the register card and hides the search, which keeps
// its filters and list for the card's next Search.
class frmCercaAnagrafica : public SearchWindow {
    Q_OBJECT
public:
    explicit frmCercaAnagrafica(QWidget *parent = nullptr);

    void TrovaAnagrafica();
    void PulisciRicerca();
    void cmdStampa_Click();
    void lvwAnagrafica_DblClick();

    // The statement of the last search, as it was run.
    QString lastStatement() const { return m_lastStatement; }
    // The list as "Esporta" writes it: every entry of the last search (not
    // only the 100 shown), in the columns and order shown.
    ListExport listToExport() const;

    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtDenominazione = nullptr;
    QLineEdit *txtPartitaIva = nullptr;
    QLineEdit *txtStato = nullptr;
    QComboBox *cboTipo = nullptr;
    QTreeWidget *lvwAnagrafica = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdEsci = nullptr;

    static const QString kSearchLabel;

protected:
    void buildCriteria() override;
    void buildOwnButtons() override;
    std::function<void()> activation() override;
    void search() override { TrovaAnagrafica(); }
    void startNewSearch() override { PulisciRicerca(); }
    void print() override { cmdStampa_Click(); }
    void rowChosen() override { lvwAnagrafica_DblClick(); }
    void skinLoaded() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void addItem(qlonglong contatore, const QString &denominazione, const QString &stato, const QString &partitaIva);

    QString m_lastStatement;
    RegisterSearchFilters m_lastFilters;
    QIcon m_icon;
};
