#include "rules/stock/StockTakeLines.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "db/TextKeys.h"
#include "rules/stock/StockTakeScope.h"
#include "rules/stock/StockTakeStock.h"

#include <QRegularExpression>
#include <QSet>

namespace {

QString textOf(const db::Recordset &rs, int column)
{
    const QVariant value = rs.value(column);
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

long longOf(const db::Recordset &rs, int column)
{
    const QVariant value = rs.value(column);
    return value.isValid() && !value.isNull() ? long(value.toLongLong()) : 0;
}

// A whole number of pieces; -1 for anything else (a sign, a fraction, junk).
long piecesOf(const QString &typed)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString text = typed.trimmed();
    if (!digits.match(text).hasMatch())
        return -1;
    return text.toLong();
}

const char *const kLines =
    "select ic.ic_Codice, ic.ic_Codice_Articolo, ic.ic_Contato, ic.ic_Giacenza, c.ca_Taglia, c.ca_Colore, "
    "c.ca_Quantita, a.art_Descrizione, c.ca_Codice from InventarioConteggi ic "
    "left join \"Codice Articolo\" c on c.ca_Codice = ic.ic_Codice_Articolo "
    "left join Articoli a on a.art_Codice = c.ca_Codice_Articolo "
    "where ic.ic_Inventario = ? order by ic.ic_Codice";

const char *const kLineCount =
    "select ic_Contato from InventarioConteggi where ic_Inventario = ? and ic_Codice_Articolo = ?";
const char *const kLineUpdate =
    "update InventarioConteggi set ic_Contato = ?1 where ic_Inventario = ?2 and ic_Codice_Articolo = ?3";
const char *const kLineInsert =
    "insert into InventarioConteggi (ic_Contato, ic_Inventario, ic_Codice_Articolo) values (?1, ?2, ?3)";

} // namespace

StockTakeLines::StockTakeLines(db::Database &database, const StockTake &take)
    : m_database(database)
    , m_take(take)
{
}

StockTakeLines::Result StockTakeLines::add(const QString &barcode, const QString &quantity)
{
    return change(barcode, quantity.trimmed().isEmpty() ? QStringLiteral("1") : quantity, Mode::Add);
}

StockTakeLines::Result StockTakeLines::set(const QString &barcode, const QString &quantity)
{
    return change(barcode, quantity, Mode::Set);
}

StockTakeLines::Result StockTakeLines::change(const QString &typedCode, const QString &quantity, Mode mode)
{
    Result result;
    const QString barcode = typedCode.trimmed();
    if (barcode.isEmpty()) {
        result.outcome = Outcome::EmptyCode;
        return result;
    }
    const long pieces = piecesOf(quantity);
    if (pieces < (mode == Mode::Add ? 1 : 0) || pieces > kMaxPieces) {
        result.outcome = Outcome::BadQuantity;
        return result;
    }
    if (m_take.registrato) {
        result.outcome = Outcome::Posted;
        return result;
    }

    StockTakeLine &line = result.line;
    long stock = 0;
    {
        auto item = m_database.openRecordset(
            QStringLiteral("select ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita "
                           "from [Codice Articolo] where ca_Codice = ")
            + db::quoted(barcode, QLatin1Char('"')));
        if (item->eof()) {
            result.outcome = Outcome::UnknownItem;
            return result;
        }
        line.codice = textOf(*item, 0);
        line.taglia = textOf(*item, 2);
        line.colore = textOf(*item, 3);
        stock = longOf(*item, 4);
        const QVariant article = item->value(1);
        if (article.isValid() && !article.isNull()) {
            auto rs = m_database.openRecordset(QStringLiteral("select art_Descrizione from Articoli where art_Codice = ")
                                               + QString::number(article.toLongLong()));
            if (!rs->eof())
                line.descrizione = textOf(*rs, 0);
        }
    }
    if (!StockTakeScope(m_take).contains(m_database, line.codice)) {
        result.outcome = Outcome::OutOfScope;
        return result;
    }

    const QString number = QString::number(m_take.numero);
    db::Transaction transaction(m_database);
    // Touching the count's row first: a posting by another till, which marks
    // the same row, either comes before (and this sees it) or waits for this.
    if (m_database.execute(QStringLiteral("update Inventari set inv_Registrato = 0 where inv_Registrato = 0 and "
                                          "inv_Codice = ") + number) == 0) {
        result.outcome = Outcome::Posted;
        return result;
    }
    // The line is found by the item's bar code as stored, through the
    // count's unique index: a count of ten thousand lines is no slower.
    long counted = 0;
    bool exists = false;
    {
        db::Statement *statement = m_database.statement(QString::fromLatin1(kLineCount));
        const db::StatementUse use(statement);
        statement->bindInteger(1, m_take.numero);
        statement->bindText(2, line.codice);
        if (statement->step(QString::fromLatin1(kLineCount))) {
            exists = true;
            counted = long(statement->columnInteger(0));
        }
    }
    const long now = mode == Mode::Add ? counted + pieces : pieces;
    if (now > kMaxPieces) {
        result.outcome = Outcome::TooMany;
        return result;
    }
    {
        const QString sql = QString::fromLatin1(exists ? kLineUpdate : kLineInsert);
        db::Statement *statement = m_database.statement(sql);
        const db::StatementUse use(statement);
        statement->bindInteger(1, now);
        statement->bindInteger(2, m_take.numero);
        statement->bindText(3, line.codice);
        statement->step(sql);
    }
    transaction.commit();

    line.quantitaContata = now;
    line.giacenza = stock - StockTakeStock::movedAfter(m_database, line.codice, m_take.data);
    return result;
}

QList<StockTakeLine> StockTakeLines::readLines()
{
    QList<StockTakeLine> lines;
    QHash<QString, long> moved;
    if (!m_take.registrato)
        moved = StockTakeStock::allMovedAfter(m_database, m_take.data);
    // Read straight from the connection's own statement: a count of ten
    // thousand lines, read as a record set row by row, took most of the
    // time of posting it. A line holds its item's bar code as stored, so
    // the join compares them as they are.
    const QString sql = QString::fromLatin1(kLines);
    db::Statement *statement = m_database.statement(sql);
    const db::StatementUse use(statement);
    statement->bindInteger(1, m_take.numero);
    while (statement->step(sql)) {
        StockTakeLine line;
        line.riga = statement->columnInteger(0);
        line.codice = statement->columnString(1);
        line.quantitaContata = long(statement->columnInteger(2));
        line.taglia = statement->columnString(4);
        line.colore = statement->columnString(5);
        line.descrizione = statement->columnString(7);
        if (m_take.registrato)
            line.giacenza = long(statement->columnInteger(3));
        else if (statement->columnType(8) != db::NullValue)
            line.giacenza = long(statement->columnInteger(6)) - moved.value(db::foldedText(line.codice));
        else
            line.giacenza = line.quantitaContata; // the item is gone: there is no stock to compare
        lines << line;
    }
    return lines;
}

QList<StockTakeLine> StockTakeLines::lines()
{
    return readLines();
}

QList<StockTakeLine> StockTakeLines::differences()
{
    return differences(readLines());
}

QList<StockTakeLine> StockTakeLines::differences(const QList<StockTakeLine> &counted)
{
    QList<StockTakeLine> changing;
    for (const StockTakeLine &line : counted)
        if (line.differenza() != 0)
            changing << line;
    if (!m_take.registrato && m_take.azzeraNonContati)
        changing += notCounted(counted);
    return changing;
}

// The items of the scope not counted whose stock on the count's day is not
// zero: those whose stock today is not zero, and those whose stock today is
// zero but moved since.
QList<StockTakeLine> StockTakeLines::notCounted(const QList<StockTakeLine> &counted)
{
    QSet<QString> seen;
    for (const StockTakeLine &line : counted)
        seen.insert(db::foldedText(line.codice));
    const QHash<QString, long> moved = StockTakeStock::allMovedAfter(m_database, m_take.data);
    const StockTakeScope scope(m_take);
    // "distinct" (each item is one row anyway) reads the result whole in one
    // statement: a record set of keys would run the join again for each page.
    // A scope is read from its articles (the supplier's index), every item
    // from the items, those without an article too.
    const QString columns = QStringLiteral("select distinct ca_Codice, ca_Taglia, ca_Colore, ca_Quantita, art_Descrizione from ");
    const QString select =
        scope.everything()
            ? columns + QStringLiteral("[Codice Articolo] left join Articoli on art_Codice = ca_Codice_Articolo where ")
            : columns + QStringLiteral("Articoli, [Codice Articolo] where ca_Codice_Articolo = art_Codice and ")
                  + scope.condition() + QStringLiteral(" and ");
    QList<StockTakeLine> zeroed;
    const auto take = [&](db::Recordset &rs) {
        StockTakeLine line;
        line.codice = textOf(rs, 0);
        const QString key = db::foldedText(line.codice);
        if (seen.contains(key))
            return;
        seen.insert(key);
        line.contato = false;
        line.taglia = textOf(rs, 1);
        line.colore = textOf(rs, 2);
        line.descrizione = textOf(rs, 4);
        line.giacenza = longOf(rs, 3) - moved.value(key);
        if (line.giacenza != 0)
            zeroed << line;
    };
    for (auto rs = m_database.openRecordset(select + QStringLiteral("nz(ca_Quantita, 0) <> 0"));
         !rs->eof(); rs->moveNext())
        take(*rs);
    for (auto it = moved.cbegin(); it != moved.cend(); ++it) {
        if (seen.contains(it.key()) || it.value() == 0)
            continue;
        auto rs = m_database.openRecordset(select + QStringLiteral("ca_Codice = ")
                                           + db::quoted(it.key(), QLatin1Char('"')));
        if (!rs->eof())
            take(*rs);
    }
    return zeroed;
}

QString StockTakeLines::message(Outcome outcome, Mode mode, const QString &barcode)
{
    const QString nothing = mode == Mode::Add ? QStringLiteral("nulla è stato contato.")
                                              : QStringLiteral("nulla è stato cambiato.");
    switch (outcome) {
    case Outcome::Done:
        return QString();
    case Outcome::EmptyCode:
        return QStringLiteral("Leggere o scrivere il codice a barre dell'articolo.");
    case Outcome::UnknownItem:
        return QStringLiteral("Il codice %1 non corrisponde a nessun articolo: %2").arg(barcode.trimmed(), nothing);
    case Outcome::OutOfScope:
        return QStringLiteral("L'articolo %1 non fa parte di questo inventario (fornitore o descrizione diversi): %2")
            .arg(barcode.trimmed(), nothing);
    case Outcome::BadQuantity:
        return mode == Mode::Add
                   ? QStringLiteral("La quantità deve essere un numero intero di pezzi da 1 a %1: %2")
                         .arg(kMaxPieces).arg(nothing)
                   : QStringLiteral("La quantità contata deve essere un numero intero di pezzi da 0 a %1: %2")
                         .arg(kMaxPieces).arg(nothing);
    case Outcome::TooMany:
        return QStringLiteral("Il conteggio dell'articolo %1 supererebbe %2 pezzi: %3")
            .arg(barcode.trimmed()).arg(kMaxPieces).arg(nothing);
    case Outcome::Posted:
        return QStringLiteral("L'inventario è già registrato: non si può più cambiare.");
    }
    return QString();
}
