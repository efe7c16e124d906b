#pragma once

#include "rules/register/RegisterSearchStatement.h"
#include "rules/ListExport.h"

#include <QIcon>
#include <QWidget>

class QComboBox;
class QFrame;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The register search: customers and suppliers by register number, name,
// VAT number, country and type, at most 100 in name order. A double-click
// shows the entry on the register card and hides the search, which keeps
// its filters and list for the card's next Search.
class frmCercaAnagrafica : public QWidget {
    Q_OBJECT
public:
    explicit frmCercaAnagrafica(QWidget *parent = nullptr);
    ~frmCercaAnagrafica() override;

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
    ctrl_SkinableButton *cmdTrova = nullptr;
    ctrl_SkinableButton *cmdCancella = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdEsci = nullptr;
    QFrame *Frame1 = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kSearchLabel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void buildFilters();
    void buildButtons();
    void Form_Load();
    void addItem(qlonglong contatore, const QString &denominazione, const QString &stato, const QString &partitaIva);
    QList<ctrl_SkinableButton *> buttons() const;

    QString m_lastStatement;
    RegisterSearchFilters m_lastFilters;
    bool m_searched = false;
    QIcon m_icon;
    bool m_overButton = false;
    bool m_built = false;
};
