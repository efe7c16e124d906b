#include "lookup/frmDizionari.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/DbError.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace {

constexpr int kCodeColumn = 0;
constexpr int kDescriptionColumn = 1;


bool isDigit(int keyAscii)
{
    return keyAscii >= '0' && keyAscii <= '9';
}

} // namespace

frmDizionari::frmDizionari(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmDizionari"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setMaximizeBtn(false);

    Data1 = new data::DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setConnect(QStringLiteral("Access"));

    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->horizontalHeader()->setStretchLastSection(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(TDBGrid1);
    resize(420, 420);

    connect(TDBGrid1, &data::Grid::keyPress, this, &frmDizionari::TDBGrid1_KeyPress);
    connect(TDBGrid1, &data::Grid::beforeUpdate, this, &frmDizionari::TDBGrid1_BeforeUpdate);
    connect(TDBGrid1, &data::Grid::beforeDelete, this, &frmDizionari::TDBGrid1_BeforeDelete);
    connect(TDBGrid1, &data::Grid::dataError, this, &frmDizionari::TDBGrid1_Error);

    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmDizionari.Form_Load"),
        .load = [this] { Form_Load(); },
        .recordKey = [this] {
            return QVariantList{sNomeTabella, sID, sDescrizione, sTitolo, bCodiceNumerico, b_Codice_Visibile};
        },
    });
}

frmDizionari::~frmDizionari() = default;

QString frmDizionari::BuildSql() const
{
    return QStringLiteral("select ") + sID + QStringLiteral(" as ID , ") + sDescrizione
           + QStringLiteral(" as DESCRIZIONE from ") + sNomeTabella + QStringLiteral(" order by ") + sID;
}

// The members are read here, on the first show, after the opener set them.
void frmDizionari::Form_Load()
{
    const QString sql = BuildSql();
    setWindowTitle(sTitolo);
    ctrl_SkinableForm1->setCaption(sTitolo);

    TDBGrid1->setColumns({data::GridColumn(QStringLiteral("Codice"), QStringLiteral("ID")),
                          data::GridColumn(QStringLiteral("Descrizione"), QStringLiteral("DESCRIZIONE"))});
    TDBGrid1->setColumnVisible(kCodeColumn, b_Codice_Visibile);

    Data1->setDatabaseName(g_strDbPath);
    Data1->setRecordSource(sql);
    Data1->refresh();

    TDBGrid1->setDataSource(Data1);
    TDBGrid1->rebind();
    Data1->refresh();

    ResetPointer();
    ctrl_SkinableForm1->LoadSkin(this);
}

bool frmDizionari::codeIsDescription() const
{
    return sID.compare(sDescrizione, Qt::CaseInsensitive) == 0;
}

void frmDizionari::TDBGrid1_KeyPress(int column, int &keyAscii)
{
    if (column != kCodeColumn)
        return;
    if (bCodiceNumerico) {
        const bool allowed = isDigit(keyAscii) || keyAscii == 13 || keyAscii == 9 || keyAscii == 8 || keyAscii == 10;
        if (!allowed)
            keyAscii = 0;
        return;
    }
    if (keyAscii >= 32)
        keyAscii = QChar(keyAscii).toUpper().unicode();
}

void frmDizionari::TDBGrid1_BeforeUpdate(bool &cancel)
{
    const QString description = TDBGrid1->columnText(kDescriptionColumn).trimmed();
    if (description.isEmpty()) {
        ui::MsgBox(QStringLiteral("Il campo Descrizione è obbligatorio.") + QStringLiteral("\r\n")
                       + QStringLiteral("Il dato inserito non può essere salvato."),
                   ui::vbExclamation, g_strAppName);
        cancel = true;
        return;
    }
    if (codeIsDescription()) {
        // One field shown twice: both cells carry the name being written, so
        // the row writes the description the user typed.
        TDBGrid1->setColumnValue(kCodeColumn, TDBGrid1->columnValue(kDescriptionColumn));
        return;
    }
    if (b_Codice_Visibile && TDBGrid1->columnText(kCodeColumn).trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Il campo Codice è obbligatorio.") + QStringLiteral("\r\n")
                       + QStringLiteral("Il dato inserito non può essere salvato."),
                   ui::vbExclamation, g_strAppName);
        cancel = true;
    }
}

void frmDizionari::TDBGrid1_BeforeDelete(bool &cancel)
{
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente la riga selezionata?"),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    cancel = answer != ui::vbYes;
}

// A duplicate key gets the program's own message; any other refusal keeps
// the grid's message, so a row that was not written never goes unnoticed.
void frmDizionari::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}
