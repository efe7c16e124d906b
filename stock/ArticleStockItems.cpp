#include "stock/ArticleStockItems.h"

#include "base/GeneralFunc6.h"
#include "base/WindowKey.h"
#include "base/errors/TopLevelReporter.h"
#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "rules/EanCheckDigit.h"
#include "rules/ShopDatabase.h"
#include "rules/StoreBarcodes.h"
#include "rules/TypedNumber.h"
#include "stock/ArticleFields.h"
#include "ui/Messages.h"

#include <QHeaderView>
#include <QPushButton>
#include <QWidget>

#include <cmath>

namespace {

// The grid's columns.
constexpr int kColArticolo = 0;
constexpr int kColBarcode = 1;
constexpr int kColTaglia = 2;
constexpr int kColQuantita = 4;
constexpr int kColScortaMinima = 5;

// The stock items count whole pieces in a long integer, the range every
// load and sale moves them in.
bool isStockQuantity(const QVariant &value)
{
    if (IsNull(value) || value.toString().trimmed().isEmpty())
        return true;
    const std::optional<double> quantity = TypedNumber::quantity(value.toString());
    return quantity && *quantity == std::floor(*quantity);
}

// A minimum stock is a whole number of pieces from 0 up, or nothing (no
// minimum: the item is never to be reordered).
bool isStockMinimum(const QVariant &value)
{
    if (IsNull(value) || value.toString().trimmed().isEmpty())
        return true;
    const std::optional<double> minimum = TypedNumber::quantity(value.toString());
    return minimum && *minimum == std::floor(*minimum) && *minimum >= 0 && *minimum <= 2147483647.0;
}

} // namespace

const QString ArticleStockItems::kBadMinimum =
    QStringLiteral("La scorta minima deve essere un numero intero da 0 a 2147483647, oppure vuota per nessuna scorta minima.");

const QString ArticleStockItems::kTrapLabel = QStringLiteral("frmFattura.Aggiornagrid");

ArticleStockItems::ArticleStockItems(QWidget &card, const ArticleFields &article)
    : QObject(&card)
    , m_article(article)
{
    datDettagli = new data::DataControl(&card);
    datDettagli->setObjectName(QStringLiteral("datDettagli"));
    datDettagli->setProperty("Caption", QStringLiteral("Dettagli"));

    TDBGrid1 = new data::Grid(&card);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    data::GridColumn articolo(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice_Articolo"));
    articolo.visible = false;   // always the card's own article
    data::GridColumn barcode(QStringLiteral("Codice articolo"), QStringLiteral("ca_Codice"));
    barcode.scannerInput = true;
    barcode.width = 140;
    data::GridColumn taglia(QStringLiteral("Taglia"), QStringLiteral("ca_Taglia"));
    taglia.width = 70;
    data::GridColumn colore(QStringLiteral("Colore"), QStringLiteral("ca_Colore"));
    colore.width = 110;
    data::GridColumn quantita(QStringLiteral("Quantità"), QStringLiteral("ca_Quantita"));
    quantita.kind = data::GridColumn::Kind::Number;
    quantita.width = 80;
    // Empty: no minimum. The reorder list ("Sottoscorta") lists the items at
    // or under theirs.
    data::GridColumn scortaMinima(QStringLiteral("Scorta minima"), QStringLiteral("ca_Scorta_Minima"));
    scortaMinima.kind = data::GridColumn::Kind::Number;
    scortaMinima.width = 100;
    TDBGrid1->setColumns({articolo, barcode, taglia, colore, quantita, scortaMinima});
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->horizontalHeader()->setStretchLastSection(true);
    connect(TDBGrid1, &data::Grid::keyPress, this, &ArticleStockItems::TDBGrid1_KeyPress);
    connect(TDBGrid1, &data::Grid::beforeUpdate, this, &ArticleStockItems::TDBGrid1_BeforeUpdate);
    connect(TDBGrid1, &data::Grid::beforeDelete, this, &ArticleStockItems::TDBGrid1_BeforeDelete);
    connect(TDBGrid1, &data::Grid::dataError, this, &ArticleStockItems::TDBGrid1_Error);

    cmdGeneraCodice = new QPushButton(&card);
    cmdGeneraCodice->setObjectName(QStringLiteral("cmdGeneraCodice"));
    cmdGeneraCodice->setFocusPolicy(Qt::NoFocus);
    cmdGeneraCodice->setEnabled(false);
    WindowKey::generateCode().give(card, *cmdGeneraCodice);
    connect(cmdGeneraCodice, &QPushButton::clicked, this, [this] {
        errors::runReported(QStringLiteral("frmPrestazioni.cmdGeneraCodice_Click"), [this] { generateCode(); });
    });
}

ArticleStockItems::~ArticleStockItems() = default;

void ArticleStockItems::reload()
{
    const qlonglong code = m_article.code();
    if (code == 0)
        return;
    errors::ErrorTrap trap(kTrapLabel);
    trap.run([&] { datDettagli->setDatabaseName(g_strDbPath); });
    trap.run([&] {
        datDettagli->setRecordSource(QStringLiteral("select * from [Codice Articolo] where ca_Codice_Articolo = ")
                                     + QString::number(code));
    });
    trap.run([&] { datDettagli->refresh(); });
    trap.run([&] {
        if (TDBGrid1->dataSource() != datDettagli)
            TDBGrid1->setDataSource(datDettagli);
        TDBGrid1->rebind();
    });
}

void ArticleStockItems::setAvailable(bool available)
{
    TDBGrid1->setEnabled(available && m_article.code() != 0);
    cmdGeneraCodice->setEnabled(TDBGrid1->isEnabled());
}

void ArticleStockItems::writePendingRow()
{
    if (TDBGrid1->isEnabled() && TDBGrid1->isRowDirty())
        TDBGrid1->updateRow();
}

void ArticleStockItems::generateCode()
{
    if (!TDBGrid1->isEnabled())
        return;
    const int newRow = TDBGrid1->recordsetModel()->recordCount();
    // Leaving another row writes it (a row the check refuses stays); in the
    // new row a cell being typed is taken into the row.
    if (!TDBGrid1->setCurrentCell(newRow, kColBarcode))
        return;
    TDBGrid1->setFocus(Qt::OtherFocusReason);
    const QString typed = TDBGrid1->columnText(kColBarcode).trimmed();
    if (!typed.isEmpty()) {
        ui::MsgBox(QStringLiteral("La riga nuova ha già il codice %1: per generarne uno, cancellarlo prima.").arg(typed),
                   ui::vbExclamation, g_strAppName);
        return;
    }
    const QString code = StoreBarcodes(*ShopDatabase::open()).next();
    TDBGrid1->setColumnValue(kColBarcode, code);
    TDBGrid1->setCurrentCell(newRow, kColTaglia);
}

void ArticleStockItems::TDBGrid1_KeyPress(int column, int &keyAscii)
{
    // Enter after the quantity writes the row and starts the next one, as
    // it did before the minimum stock had a column: the minimum is reached
    // with Tab.
    if (column == kColQuantita && keyAscii == 13) {
        keyAscii = 0;
        TDBGrid1->setCurrentCell(TDBGrid1->currentRow() + 1, kColBarcode);
        return;
    }
    if (column != kColBarcode)
        return;
    // A scanner ends each code with CR, LF or both: the carriage return is
    // dropped, the line feed (the bar-code column's end of code) writes the
    // row and moves down, ready for the next scan.
    if (keyAscii == 13)
        keyAscii = 0;
}

void ArticleStockItems::TDBGrid1_BeforeUpdate(bool &cancel)
{
    const qlonglong code = m_article.code();
    try {
        if (code == 0 || m_article.beingAdded())
            throw db::DbError(db::ErrorKind::NoCurrentRecord, 3021,
                              QStringLiteral("Salvare l'articolo prima di inserirne i codici."));
        if (!checkDigitAccepted()) {
            cancel = true;
            return;
        }
        if (!isStockQuantity(TDBGrid1->columnValue(kColQuantita))) {
            ui::MsgBox(QStringLiteral("La quantità deve essere un numero intero compreso tra -2147483648 e 2147483647."),
                       ui::vbExclamation, g_strAppName);
            cancel = true;
            return;
        }
        const QVariant minimum = TDBGrid1->columnValue(kColScortaMinima);
        if (!isStockMinimum(minimum)) {
            ui::MsgBox(kBadMinimum, ui::vbExclamation, g_strAppName);
            cancel = true;
            return;
        }
        if (!IsNull(minimum) && minimum.toString().trimmed().isEmpty())
            TDBGrid1->setColumnValue(kColScortaMinima, QVariant());
        TDBGrid1->setColumnValue(kColArticolo, code);
    } catch (const db::DbError &error) {
        // A stock item that belongs to no stored article is never written.
        ui::MsgBox(QStringLiteral("Si è verificato un errore durante l'esecuzione del programma: ") + QStringLiteral("\r\n")
                   + error.description());
        cancel = true;
    }
}

bool ArticleStockItems::checkDigitAccepted()
{
    // Only a code typed in this row: a stored one was accepted before.
    const data::RecordsetModel &model = *TDBGrid1->recordsetModel();
    if (!model.isPending(model.editRow(), kColBarcode))
        return true;
    const QString code = TDBGrid1->columnText(kColBarcode);
    if (!hasEanLength(code) || hasValidEanCheckDigit(code))
        return true;
    const int answer = ui::MsgBox(QStringLiteral("Il codice %1 ha la cifra di controllo errata (dovrebbe essere %2): "
                                                 "registrarlo comunque?")
                                      .arg(code)
                                      .arg(eanCheckDigit(code.chopped(1))),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    return answer == ui::vbYes;
}

void ArticleStockItems::TDBGrid1_BeforeDelete(bool &cancel)
{
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente il codice a barre selezionato?"),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    cancel = answer != ui::vbYes;
}

// A bar code missing or already there is said in words, never as a bare
// error number; the row keeps what was typed.
void ArticleStockItems::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}
