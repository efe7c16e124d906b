#pragma once

#include "rules/purchase/PreparedInvoice.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTreeWidget;
class SupplierInvoiceMatcher;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// File / "Importa fatture fornitori…": the suppliers' electronic invoices
// (XML or signed P7M, files or a folder) shown before anything is written:
// each invoice with its supplier, number, date and total, each line with the
// item it loads. A line the shop's items do not know gets one by its bar
// code, typed or scanned, or a new article made from the line; the choice
// is remembered for the supplier's next invoice. "Importa" posts every
// invoice that is ready, each whole or not at all.
class frmImportaFatture : public QWidget {
    Q_OBJECT
public:
    explicit frmImportaFatture(QWidget *parent = nullptr);
    ~frmImportaFatture() override;

    void cmdSfoglia_Click();
    void cmdCartella_Click();
    // Reads the files and folders named and shows their invoices.
    void loadFiles(const QStringList &filesOrFolders);
    // The item whose bar code is in txtCodice to the line chosen.
    void cmdAbbina_Click();
    // A new article and item from the line chosen.
    void cmdCreaArticolo_Click();
    void cmdImporta_Click();

    QLineEdit *txtFile = nullptr;
    QTreeWidget *lvwFatture = nullptr;
    QTreeWidget *lvwRighe = nullptr;
    QLabel *lblFirma = nullptr;
    QLineEdit *txtCodice = nullptr;
    QRadioButton *optDataFattura = nullptr;
    QRadioButton *optDataOggi = nullptr;
    QPlainTextEdit *txtEsito = nullptr;
    ctrl_SkinableButton *cmdSfoglia = nullptr;
    ctrl_SkinableButton *cmdCartella = nullptr;
    ctrl_SkinableButton *cmdAbbina = nullptr;
    ctrl_SkinableButton *cmdCreaArticolo = nullptr;
    ctrl_SkinableButton *cmdImporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    // What the invoice list says of an invoice and the line list of a line.
    static QString invoiceState(const PreparedInvoice &invoice);
    static QString lineState(LineMatch match);

private:
    void Form_Load();
    void showInvoices();
    void showLines();
    PreparedInvoice *currentInvoice();
    PreparedLine *currentLine();
    // The line's state changed: its row, its invoice's row, and the next
    // line still without an item chosen.
    void lineMatched();

    QList<PreparedInvoice> m_invoices;
    QStringList m_unreadable;
    QList<bool> m_posted;
    std::unique_ptr<SupplierInvoiceMatcher> m_matcher;
    bool m_built = false;
};
