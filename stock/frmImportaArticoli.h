#pragma once

#include "rules/CatalogueImport.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// File / "Importa articoli…": a supplier's price list in CSV. The user
// names the file, sees its first rows, says which column holds which field
// (guessed from the headings) and whether articles already in the catalogue
// are to be updated; "Importa" then brings every row in or, when one is
// wrong, none, listing the wrong rows. The file is read as it is imported,
// with a progress window and "Annulla" past a second.
class frmImportaArticoli : public QWidget {
    Q_OBJECT
public:
    explicit frmImportaArticoli(QWidget *parent = nullptr);
    ~frmImportaArticoli() override;

    void cmdSfoglia_Click();
    // Reads the named file, fills the preview and guesses the columns.
    bool loadFile(const QString &path);
    void cmdImporta_Click();
    catalogue::ColumnMap columnMap() const;

    QLineEdit *txtFile = nullptr;
    QTableWidget *grdAnteprima = nullptr;
    QList<QComboBox *> cboColonne;   // in the order of kFields
    QCheckBox *chkAggiorna = nullptr;
    QPlainTextEdit *txtEsito = nullptr;
    ctrl_SkinableButton *cmdSfoglia = nullptr;
    ctrl_SkinableButton *cmdImporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QStringList kFields;
    static constexpr int kPreviewRows = 10;
    // How long the import runs before its progress window with "Annulla" shows.
    int progressDelay = 1000;

private:
    void Form_Load();
    // What the import says it did, for txtEsito.
    static QString outcome(const catalogue::ImportResult &result);
    QString m_path;
    bool m_hasRows = false;
    bool m_built = false;
};
