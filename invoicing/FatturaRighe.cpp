#include "invoicing/FatturaRighe.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/GridFormat.h"
#include "data/RecordsetModel.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "lookup/frmHelp.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceLine.h"
#include "rules/ShopDatabase.h"
#include "rules/TypedNumber.h"
#include "rules/general/Today.h"
#include "ui/Messages.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

namespace {

enum Column { Numero = 0, Descrizione, Quantita, Prezzo, Importo, Iva };

} // namespace

FatturaRighe::FatturaRighe(QWidget &window, data::DataControl &testata, QLineEdit &numero, QLineEdit &totale)
    : QObject(&window)
    , m_window(window)
    , m_testata(testata)
    , m_numero(numero)
    , m_totale(totale)
{
    m_dettagli = new data::DataControl(&window);
    m_dettagli->setObjectName(QStringLiteral("datDettagli"));
    buildGrid(window);
}

QString FatturaRighe::numeroOccupato(const QString &numero)
{
    return QStringLiteral("La fattura inserita risulta già esistente. ") + QStringLiteral("Impossibile assegnare il numero ")
        + numero + QStringLiteral(" alla fattura corrente");
}

QString FatturaRighe::numeroInUso(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero ") + proposto + QStringLiteral(" è già in uso per un'altra fattura in corso. ")
        + QStringLiteral("La fattura corrente prende il numero ") + assegnato + QStringLiteral(".");
}

// A new invoice not saved yet: its lines claim its number.
bool FatturaRighe::nuovaFattura() const
{
    return m_testata.editMode() == db::EditMode::Adding;
}

// A line still being typed is written first, under the invoice it was typed
// for; when the grid refuses it (its cell says why) the command waits.
bool FatturaRighe::ScriviRigaInCorso()
{
    return !m_grid->isRowDirty() || m_grid->updateRow();
}

bool FatturaRighe::rigaInCorso() const
{
    return m_grid->isRowDirty();
}

void FatturaRighe::AnnullaRigaInCorso()
{
    m_grid->cancelRow();
}

void FatturaRighe::buildGrid(QWidget &window)
{
    m_grid = new data::Grid(&window);
    m_grid->setObjectName(QStringLiteral("m_grid"));
    data::GridColumn numeroFattura(QStringLiteral("Numero Fattura"), QStringLiteral("df_Numero_Fattura"));
    // Filled from the header before the line is written: a line always
    // belongs to the invoice on screen.
    numeroFattura.locked = true;
    numeroFattura.width = 100;
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
    for (data::GridColumn *column : {&numeroFattura, &descrizione, &quantita, &prezzo, &importo})
        column->button = true;
    m_grid->setColumns({numeroFattura, descrizione, quantita, prezzo, importo, iva});
    m_grid->setAllowAddNew(false);
    m_grid->setAllowUpdate(false);
    m_grid->setDataSource(m_dettagli);
    m_grid->setRowWrite([this](const std::function<void()> &write) { ScriviRiga(write); });

    connect(m_grid, &data::Grid::buttonClick, this, &FatturaRighe::TDBGrid1_ButtonClick);
    connect(m_grid, &data::Grid::change, this, &FatturaRighe::RicalcolaRiga);
    connect(m_grid, &data::Grid::change, this, &FatturaRighe::ProponiIva);
    connect(m_grid, &data::Grid::afterColUpdate, this, &FatturaRighe::RicalcolaRiga);
    connect(m_grid, &data::Grid::beforeUpdate, this, &FatturaRighe::TDBGrid1_BeforeUpdate);
    connect(m_grid, &data::Grid::beforeDelete, this, &FatturaRighe::TDBGrid1_BeforeDelete);
    connect(m_grid, &data::Grid::afterUpdate, this, &FatturaRighe::TDBGrid1_Written);
    connect(m_grid, &data::Grid::afterDelete, this, &FatturaRighe::TDBGrid1_Written);
    connect(m_grid, &data::Grid::dataError, this, &FatturaRighe::TDBGrid1_Error);
    // The number is never typed: the cursor stepping onto it goes on to the
    // description, so what the user types lands in a cell that takes it.
    connect(m_grid, &data::Grid::rowColChange, this, [this] {
        if (m_grid->currentColumn() == Numero)
            QTimer::singleShot(0, m_grid, [this] {
                if (m_grid->currentColumn() == Numero)
                    m_grid->setCurrentCell(m_grid->currentRow(), Descrizione);
            });
    });
}

// The value list of the VAT column: the codes in rate order, each shown by
// its description.
void FatturaRighe::CaricaIva()
{
    auto iva = ShopDatabase::open()->openRecordset(QStringLiteral("select * from IVA order by iva_Aliquota"));
    m_grid->clearValueItems(Iva);
    m_ivaCodes.clear();
    while (iva->recordCount() != 0 && !iva->eof()) {
        const QVariant code = iva->value(QStringLiteral("IVA_Codice"));
        // Typed in the cell, the rate ("22") chooses the code as the code does.
        const QVariant rate = iva->value(QStringLiteral("IVA_Aliquota"));
        QStringList keys;
        if (rate.isValid() && !rate.isNull())
            keys << data::GridFormat::display(rate, QStringLiteral("General Number"));
        keys << NullToEmpty(code).toString();
        m_grid->addValueItem(Iva, code, NullToEmpty(iva->value(QStringLiteral("IVA_Descrizione"))).toString(), keys);
        m_ivaCodes.append(code);
        iva->moveNext();
    }
}

// The grid shows the lines of the number in the header box. With no number
// (no invoice left) it is empty and takes no line.
void FatturaRighe::Aggiornagrid()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.Aggiornagrid"));
    const QString shown = m_numero.text();
    // A line still being typed belonged to the invoice shown before.
    m_grid->cancelRow();
    trap.run([&] {
        const bool any = !shown.trimmed().isEmpty();
        m_gridNumber = shown;
        m_grid->setAllowAddNew(any);
        m_grid->setAllowUpdate(any);
        m_grid->setAllowDelete(any);
        m_dettagli->setDatabaseName(g_strDbPath);
        m_dettagli->setRecordSource(QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = ")
                                     + db::quoted(shown, QLatin1Char('"')));
        m_dettagli->refresh();
        m_grid->rebind();
    });
}

void FatturaRighe::AggiornaTotale()
{
    double total = 0;
    if (!m_gridNumber.trimmed().isEmpty())
        total = InvoiceArchive(*ShopDatabase::open()).linesTotal(m_gridNumber);
    m_totale.setText(InvoiceLine::totalText(total));
}

void FatturaRighe::TDBGrid1_ButtonClick(int column)
{
    if (column == Iva)
        return;
    errors::ErrorTrap trap(QStringLiteral("frmFattura.TDBG1_ButtoinClick"));
    trap.run([&] {
        frmHelp picker(&m_window);
        picker.QryTable = QStringLiteral("Articoli");
        picker.QryBoundColumn = QStringLiteral("art_Codice");
        picker.QryListField = QStringLiteral("art_Descrizione");
        picker.QryOrder = QStringLiteral("art_descrizione");
        picker.ButtonNew = false;
        // Below the cell whose button opened it.
        picker.QryField = m_grid->viewport();
        picker.QryFieldArea = m_grid->visualRect(m_grid->currentIndex());
        picker.showModal();
        // A pick given up leaves the line as it was.
        if (picker.QryAborted)
            return;
        const QString codice = NullToEmpty(picker.QrySelected).toString();
        m_grid->setColumnValue(Descrizione, NullToEmpty(picker.QryText).toString());
        m_grid->setColumnValue(Quantita, QStringLiteral("1"));
        m_grid->setColumnValue(Prezzo, CercaValore(QStringLiteral("Articoli"), QStringLiteral("art_Codice"),
                                                     QStringLiteral("art_Prezzo_Listino"), codice, 1));
        RicalcolaRiga();
    });
}

// A line being typed shows at once the VAT it will take when the user
// chooses none: the cell names the rate, and the user may change it.
void FatturaRighe::ProponiIva()
{
    if (!m_grid->isRowDirty() || !m_grid->columnText(Iva).trimmed().isEmpty())
        return;
    const QVariant code = InvoiceLine::defaultVatCode(m_ivaCodes);
    if (code.isValid())
        m_grid->setColumnValue(Iva, code);
}

// The amount of the line follows its quantity and price. A quantity or
// price that is not a number leaves it: the grid refuses that cell with its
// message, and the line as typed stays for the user to correct.
void FatturaRighe::RicalcolaRiga()
{
    try {
        const std::optional<double> amount =
            InvoiceLine::recalculate(m_grid->columnText(Quantita), m_grid->columnText(Prezzo));
        if (amount)
            m_grid->setColumnValue(Importo, *amount);
    } catch (...) {
        // An error of the recalculation ends it without a message.
    }
}

// Whether the line's amount and the invoice's total with it stay amounts;
// otherwise says so and the line stays as typed.
bool FatturaRighe::ImportoNeiLimiti()
{
    const double importo = InvoiceLine::number(m_grid->columnValue(Importo));
    const data::RecordsetModel &model = *m_grid->recordsetModel();
    const int row = model.editRow();
    const double stored = model.isAddNewRow(row) ? 0 : InvoiceLine::number(model.storedValue(row, Importo));
    const double total = InvoiceArchive(*ShopDatabase::open()).linesTotal(m_gridNumber) - stored + importo;
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

void FatturaRighe::TDBGrid1_BeforeUpdate(bool &cancel)
{
    if (m_gridNumber.trimmed().isEmpty()) {
        cancel = true;
        m_grid->cancelRow();
        return;
    }
    // A line of a new invoice never joins a stored invoice of the same number.
    if (nuovaFattura() && InvoiceArchive(*ShopDatabase::open()).exists(m_gridNumber)) {
        cancel = true;
        m_grid->cancelRow();
        ui::MsgBox(numeroOccupato(m_gridNumber), ui::vbExclamation, g_strAppName);
        return;
    }
    m_grid->setColumnValue(Numero, m_gridNumber);
    if (m_grid->columnText(Iva).trimmed().isEmpty()) {
        const QVariant code = InvoiceLine::defaultVatCode(m_ivaCodes);
        if (code.isValid())
            m_grid->setColumnValue(Iva, code);
    }
    // A line of text only has price 0; a price typed wrong never gets
    // this far (the grid refuses it with its message).
    if (m_grid->columnText(Prezzo).trimmed().isEmpty())
        m_grid->setColumnValue(Prezzo, QStringLiteral("0"));
    if (!ImportoNeiLimiti()) {
        cancel = true;
        return;
    }
    // A line of a new invoice claims its number first: a refusal writes
    // nothing.
    QString message;
    if (!nuovaFattura() || m_grid->recordsetModel()->invalidPendingColumn(&message) >= 0)
        return;
    bool preso = false;
    try {
        preso = PrendiNumero();
    } catch (const db::DbError &error) {
        cancel = true;
        ErroreDati(error);
        return;
    }
    if (!preso) {
        cancel = true;
        m_grid->cancelRow();
        ui::MsgBox(numeroOccupato(m_gridNumber), ui::vbExclamation, g_strAppName);
    }
}

// The lines of a new invoice are written under a number this program holds
// (InvoiceDrafts) until the invoice is saved or given up, so that no other
// till writes lines or saves an invoice under it meanwhile. A number another
// till holds, or whose lines a program left, stays theirs: this invoice
// moves on to the next free number (the user is told once the line is
// written). False when the number turns out to
// be a stored invoice's.
bool FatturaRighe::PrendiNumero()
{
    const std::optional<QString> preso = InvoiceArchive(*ShopDatabase::open()).claimForLines(m_gridNumber, today());
    if (!preso)
        return false;
    if (*preso == m_gridNumber)
        return true;
    m_numeroLasciato = std::exchange(m_gridNumber, *preso);
    // The header and its box take the new number without reloading the
    // grid, which is writing the line.
    const QSignalBlocker quiet(&m_numero);
    m_testata.recordset()->setValue(QStringLiteral("fat_Numero"), *preso);
    m_numero.setText(*preso);
    m_grid->setColumnValue(Numero, *preso);
    return true;
}

void FatturaRighe::TDBGrid1_BeforeDelete(bool &cancel)
{
    if (m_gridNumber.trimmed().isEmpty())
        cancel = true;
}

// A line and the invoice's total reach the disk together (InvoiceArchive).
// A line the database refuses goes back to the grid, which keeps it as typed
// (TDBGrid1_Error); a total that cannot follow takes the line back with it,
// and TDBGrid1_Written says so and shows the lines as they are stored.
void FatturaRighe::ScriviRiga(const std::function<void()> &write)
{
    bool written = false;
    try {
        InvoiceArchive(*ShopDatabase::open()).writeLine(m_gridNumber, [&] {
            write();
            written = true;
        });
    } catch (...) {
        if (!written)
            throw;
        m_totaleNonScritto = std::current_exception();
    }
}

void FatturaRighe::TDBGrid1_Written()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.TDBGrid1_AfterUpdate"));
    if (m_totaleNonScritto) {
        const std::exception_ptr failure = std::exchange(m_totaleNonScritto, nullptr);
        trap.run([&] { std::rethrow_exception(failure); });
        Aggiornagrid();
    }
    trap.run([&] { AggiornaTotale(); });
    if (!m_numeroLasciato.isEmpty()) {
        const QString lasciato = std::exchange(m_numeroLasciato, QString());
        ui::MsgBox(numeroInUso(lasciato, m_gridNumber), ui::vbExclamation, g_strAppName);
    }
}

void FatturaRighe::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}
