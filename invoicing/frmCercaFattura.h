#pragma once

#include "rules/invoicing/InvoiceSearchStatement.h"
#include "rules/ListExport.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The invoice search: invoices by part of the number, period, customer and
// paid state, the newest 200 first. A double-click shows the invoice in the
// editor and hides the search, which keeps its filters and list for the
// editor's next Search.
class frmCercaFattura : public QWidget {
    Q_OBJECT
public:
    explicit frmCercaFattura(QWidget *parent = nullptr);
    ~frmCercaFattura() override;

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
    ctrl_SkinableButton *cmdTrova = nullptr;
    ctrl_SkinableButton *cmdCancella = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdFattureElettroniche = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
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
    QList<ctrl_SkinableButton *> buttons() const;
    QStringList numeriElencati() const;

    QString m_lastStatement;
    InvoiceSearchFilters m_lastFilters;
    bool m_searched = false;
    bool m_overButton = false;
    bool m_built = false;
};
