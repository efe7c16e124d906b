// The lines of the invoice editor: the grid, the line arithmetic, the VAT
// list and the invoice total.
#include "invoicing/frmFattura.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/errors/ErrorTrap.h"
#include "rules/general/Today.h"
#include "app/modZandri.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "lookup/frmHelp.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceLine.h"
#include "rules/TypedNumber.h"
#include "ui/Messages.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

namespace {

enum Column { Numero = 0, Descrizione, Quantita, Prezzo, Importo, Iva };

} // namespace

void frmFattura::buildGrid()
{
    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    data::GridColumn numero(QStringLiteral("Numero Fattura"), QStringLiteral("df_Numero_Fattura"));
    // Filled from the header before the line is written: a line always
    // belongs to the invoice on screen.
    numero.locked = true;
    numero.width = 100;
    data::GridColumn descrizione(QStringLiteral("Descrizione"), QStringLiteral("df_Descrizione"));
    descrizione.width = 240;
    data::GridColumn quantita(QStringLiteral("Quantità"), QStringLiteral("df_Quantità"));
    quantita.numberFormat = QStringLiteral("General Number");
    quantita.kind = data::GridColumn::Kind::Number;
    quantita.limits = TypedNumber::kQuantity;
    data::GridColumn prezzo(QStringLiteral("Prezzo"), QStringLiteral("df_Prezzo"));
    prezzo.kind = data::GridColumn::Kind::Number;
    prezzo.limits = TypedNumber::kAmount;
    data::GridColumn importo(QStringLiteral("Importo"), QStringLiteral("df_Importo"));
    importo.kind = data::GridColumn::Kind::Number;
    importo.limits = TypedNumber::kAmount;
    data::GridColumn iva(QStringLiteral("IVA"), QStringLiteral("df_IVA"));
    iva.kind = data::GridColumn::Kind::Number;
    iva.width = 140;
    for (data::GridColumn *column : {&numero, &descrizione, &quantita, &prezzo, &importo})
        column->button = true;
    TDBGrid1->setColumns({numero, descrizione, quantita, prezzo, importo, iva});
    TDBGrid1->setAllowAddNew(false);
    TDBGrid1->setAllowUpdate(false);
    TDBGrid1->setDataSource(datDettagli);

    connect(TDBGrid1, &data::Grid::buttonClick, this, &frmFattura::TDBGrid1_ButtonClick);
    connect(TDBGrid1, &data::Grid::change, this, &frmFattura::RicalcolaRiga);
    connect(TDBGrid1, &data::Grid::afterColUpdate, this, &frmFattura::RicalcolaRiga);
    connect(TDBGrid1, &data::Grid::beforeUpdate, this, &frmFattura::TDBGrid1_BeforeUpdate);
    connect(TDBGrid1, &data::Grid::beforeDelete, this, &frmFattura::TDBGrid1_BeforeDelete);
    connect(TDBGrid1, &data::Grid::afterUpdate, this, &frmFattura::TDBGrid1_Written);
    connect(TDBGrid1, &data::Grid::afterDelete, this, &frmFattura::TDBGrid1_Written);
    connect(TDBGrid1, &data::Grid::dataError, this, &frmFattura::TDBGrid1_Error);
    // The number is never typed: the cursor stepping onto it goes on to the
    // description, so what the user types lands in a cell that takes it.
    connect(TDBGrid1, &data::Grid::rowColChange, this, [this] {
        if (TDBGrid1->currentColumn() == Numero)
            QTimer::singleShot(0, TDBGrid1, [this] {
                if (TDBGrid1->currentColumn() == Numero)
                    TDBGrid1->setCurrentCell(TDBGrid1->currentRow(), Descrizione);
            });
    });
}

// The value list of the VAT column: the codes in rate order, each shown by
// its description.
void frmFattura::CaricaIva()
{
    auto iva = database()->openRecordset(QStringLiteral("select * from IVA order by iva_Aliquota"));
    TDBGrid1->clearValueItems(Iva);
    m_ivaCodes.clear();
    while (iva->recordCount() != 0 && !iva->eof()) {
        const QVariant code = iva->value(QStringLiteral("IVA_Codice"));
        TDBGrid1->addValueItem(Iva, code, NullToEmpty(iva->value(QStringLiteral("IVA_Descrizione"))).toString());
        m_ivaCodes.append(code);
        iva->moveNext();
    }
}

// The grid shows the lines of the number in the header box. With no number
// (no invoice left) it is empty and takes no line.
void frmFattura::Aggiornagrid()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.Aggiornagrid"));
    const QString shown = numero();
    // A line still being typed belonged to the invoice shown before.
    TDBGrid1->cancelRow();
    trap.run([&] {
        const bool any = !shown.trimmed().isEmpty();
        m_gridNumber = shown;
        TDBGrid1->setAllowAddNew(any);
        TDBGrid1->setAllowUpdate(any);
        TDBGrid1->setAllowDelete(any);
        datDettagli->setDatabaseName(g_strDbPath);
        datDettagli->setRecordSource(QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = ")
                                     + db::quoted(shown, QLatin1Char('"')));
        datDettagli->refresh();
        TDBGrid1->rebind();
    });
}

void frmFattura::AggiornaTotale()
{
    double total = 0;
    if (!m_gridNumber.trimmed().isEmpty())
        total = InvoiceArchive(*database()).linesTotal(m_gridNumber);
    txtTotale->setText(InvoiceLine::totalText(total));
}

void frmFattura::TDBGrid1_ButtonClick(int column)
{
    if (column == Iva)
        return;
    errors::ErrorTrap trap(QStringLiteral("frmFattura.TDBG1_ButtoinClick"));
    trap.run([&] {
        frmHelp picker(this);
        picker.QryTable = QStringLiteral("Articoli");
        picker.QryBoundColumn = QStringLiteral("art_Codice");
        picker.QryListField = QStringLiteral("art_Descrizione");
        picker.QryOrder = QStringLiteral("art_descrizione");
        picker.ButtonNew = false;
        picker.showModal();
        // A pick given up leaves the line as it was.
        if (picker.QryAborted)
            return;
        const QString codice = NullToEmpty(picker.QrySelected).toString();
        TDBGrid1->setColumnValue(Descrizione, NullToEmpty(picker.QryText).toString());
        TDBGrid1->setColumnValue(Quantita, QStringLiteral("1"));
        TDBGrid1->setColumnValue(Prezzo, CercaValore(QStringLiteral("Articoli"), QStringLiteral("art_Codice"),
                                                     QStringLiteral("art_Prezzo_Listino"), codice, 1));
        RicalcolaRiga();
    });
}

// The amount of the line follows its quantity and price. A quantity or
// price that is not a number leaves it: the grid refuses that cell with its
// message, and the line as typed stays for the user to correct.
void frmFattura::RicalcolaRiga()
{
    try {
        const std::optional<double> amount =
            InvoiceLine::recalculate(TDBGrid1->columnText(Quantita), TDBGrid1->columnText(Prezzo));
        if (amount)
            TDBGrid1->setColumnValue(Importo, *amount);
    } catch (...) {
        // An error of the recalculation ends it without a message.
    }
}

// Whether the line's amount and the invoice's total with it stay amounts;
// otherwise says so and the line stays as typed.
bool frmFattura::ImportoNeiLimiti()
{
    const double importo = InvoiceLine::number(TDBGrid1->columnValue(Importo));
    const data::RecordsetModel &model = *TDBGrid1->recordsetModel();
    const int row = model.editRow();
    const double stored = model.isAddNewRow(row) ? 0 : InvoiceLine::number(model.storedValue(row, Importo));
    const double total = InvoiceArchive(*database()).linesTotal(m_gridNumber) - stored + importo;
    QString message;
    if (!InvoiceLine::fitsAmount(importo))
        message = QStringLiteral("L'importo della riga supera 99.999.999,99: correggere la quantità o il prezzo.");
    else if (!InvoiceLine::fitsAmount(total))
        message = QStringLiteral("Con questa riga il totale della fattura supererebbe 99.999.999,99: "
                                 "la riga non può essere salvata.");
    if (message.isEmpty())
        return true;
    ui::MsgBox(message, ui::vbExclamation, g_strAppName);
    return false;
}

void frmFattura::TDBGrid1_BeforeUpdate(bool &cancel)
{
    if (m_gridNumber.trimmed().isEmpty()) {
        cancel = true;
        TDBGrid1->cancelRow();
        return;
    }
    // A line of a new invoice never joins a stored invoice of the same number.
    if (editState() == int(db::EditMode::Adding) && InvoiceArchive(*database()).exists(m_gridNumber)) {
        cancel = true;
        TDBGrid1->cancelRow();
        ui::MsgBox(numeroOccupato(m_gridNumber), ui::vbExclamation, g_strAppName);
        return;
    }
    TDBGrid1->setColumnValue(Numero, m_gridNumber);
    if (TDBGrid1->columnText(Iva).trimmed().isEmpty()) {
        const QVariant code = InvoiceLine::defaultVatCode(m_ivaCodes);
        if (code.isValid())
            TDBGrid1->setColumnValue(Iva, code);
    }
    // A line of text only has price 0; a price typed wrong never gets
    // this far (the grid refuses it with its message).
    if (TDBGrid1->columnText(Prezzo).trimmed().isEmpty())
        TDBGrid1->setColumnValue(Prezzo, QStringLiteral("0"));
    if (!ImportoNeiLimiti()) {
        cancel = true;
        return;
    }
    // The line and the total of a stored header are written together.
    QString message;
    if (TDBGrid1->recordsetModel()->invalidPendingColumn(&message) < 0) {
        beginLineWrite();
        if (editState() != int(db::EditMode::Adding))
            return;
        // A line of a new invoice claims its number first, inside the line's
        // transaction: a refusal writes nothing.
        bool preso = false;
        try {
            preso = PrendiNumero();
        } catch (const db::DbError &error) {
            rollbackLineWrite();
            cancel = true;
            ErroreDati(error);
            return;
        }
        if (!preso) {
            rollbackLineWrite();
            cancel = true;
            TDBGrid1->cancelRow();
            ui::MsgBox(numeroOccupato(m_gridNumber), ui::vbExclamation, g_strAppName);
        }
    }
}

// The lines of a new invoice are written under a number this program holds
// (InvoiceDrafts) until the invoice is saved or given up, so that no other
// till writes lines or saves an invoice under it meanwhile. A number another
// till holds, or whose lines a program left, stays theirs: this invoice
// moves on to the next free number (the user is told once the line is
// written and the transaction ended). False when the number turns out to
// be a stored invoice's.
bool frmFattura::PrendiNumero()
{
    const std::optional<QString> preso = InvoiceArchive(*database()).claimForLines(m_gridNumber, today());
    if (!preso)
        return false;
    if (*preso == m_gridNumber)
        return true;
    m_numeroLasciato = std::exchange(m_gridNumber, *preso);
    // The header and its box take the new number without reloading the
    // grid, which is writing the line.
    const QSignalBlocker quiet(txtFields(0));
    fatture()->setValue(QStringLiteral("fat_Numero"), *preso);
    txtFields(0)->setText(*preso);
    TDBGrid1->setColumnValue(Numero, *preso);
    return true;
}

void frmFattura::TDBGrid1_BeforeDelete(bool &cancel)
{
    if (m_gridNumber.trimmed().isEmpty()) {
        cancel = true;
        return;
    }
    beginLineWrite();
}

void frmFattura::beginLineWrite()
{
    if (m_lineTransaction)
        return;
    database()->beginTrans();
    m_lineTransaction = true;
}

void frmFattura::TDBGrid1_Written()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.TDBGrid1_AfterUpdate"));
    if (m_lineTransaction) {
        const bool stored = trap.run([&] {
            InvoiceArchive(*database()).storeTotal(m_gridNumber);
            database()->commitTrans();
            m_lineTransaction = false;
        });
        if (!stored) {
            rollbackLineWrite();
            Aggiornagrid();
        }
    }
    trap.run([&] { AggiornaTotale(); });
    if (!m_numeroLasciato.isEmpty()) {
        const QString lasciato = std::exchange(m_numeroLasciato, QString());
        ui::MsgBox(numeroInUso(lasciato, m_gridNumber), ui::vbExclamation, g_strAppName);
    }
}

void frmFattura::rollbackLineWrite()
{
    if (!m_lineTransaction)
        return;
    m_lineTransaction = false;
    try {
        database()->rollback();
    } catch (...) {
        // The connection rolls back what is left on its next transaction.
    }
}

void frmFattura::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    rollbackLineWrite();
    showMessage = false;
    ErroreDati(error);
}
