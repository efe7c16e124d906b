#include "rules/CatalogueImport.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Statement.h"
#include "rules/CsvReader.h"
#include "rules/TypedNumber.h"

#include <QBuffer>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <optional>

namespace catalogue {

namespace {

// One prepared statement of the import, kept by the connection.
class Statement {
public:
    Statement(db::Database &database, const QString &sql) : m_sql(sql), m_statement(database.statement(sql)) {}
    // An insert that tells the new row's `key`.
    Statement(db::Database &database, const QString &sql, const QString &key)
        : m_sql(sql), m_statement(database.insertStatement(sql, key)) {}
    ~Statement() { m_statement->reset(); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, const std::optional<QString> &text)
    {
        m_statement->reset();
        if (!text)
            m_statement->bindNull(index);
        else
            m_statement->bindText(index, *text);
        return *this;
    }
    Statement &bind(int index, const std::optional<double> &number)
    {
        m_statement->reset();
        if (number.has_value())
            m_statement->bindReal(index, number.value());
        else
            m_statement->bindNull(index);
        return *this;
    }
    Statement &bind(int index, qint64 number)
    {
        m_statement->reset();
        m_statement->bindInteger(index, number);
        return *this;
    }
    // Runs it; true when it returned a row (readable until the next run).
    bool step()
    {
        m_statement->reset();
        return m_statement->step(m_sql);
    }
    bool next() { return m_statement->step(m_sql); }
    qint64 integer(int column) const { return m_statement->columnInteger(column); }
    QString text(int column) const { return m_statement->columnString(column); }
    qint64 lastInsertId() const { return m_statement->lastInsertId(); }

private:
    QString m_sql;
    db::Statement *m_statement;
};

// A row after its checks.
struct Article {
    QString descrizione;
    QString fornitore;
    std::optional<double> prezzoCarico;
    std::optional<double> prezzoListino;
    std::optional<double> quantita;
    QString codiceBarre;
    std::optional<QString> taglia;
    std::optional<QString> colore;
};

QString supplierKey(const QString &fornitore, const QString &descrizione)
{
    return fornitore.toLower() + QChar(0x1f) + descrizione.toLower();
}

QString cell(const QStringList &row, int column)
{
    return column >= 0 && column < row.size() ? row.at(column).trimmed() : QString();
}

std::optional<QString> optionalText(const QStringList &row, int column)
{
    if (column < 0)
        return std::nullopt;
    return cell(row, column);
}

// Numbers of a price list are read with the decimal comma, whatever the
// machine's settings.
const QLocale &italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

// A key standing for a text in the import's tables, so that a list of a
// million rows does not keep a million texts: two texts of the same key are
// told apart by reading the database (articles) or are taken as the same
// (bar codes: a second row then refused, never a wrong write).
size_t keyOf(const QString &text)
{
    return qHash(text, size_t(0));
}

// The import, row by row, in one transaction: each row is checked and,
// while no row was wrong, written.
class Importer {
public:
    Importer(db::Database &database, const ColumnMap &columns, bool updateExisting, ImportResult &result)
        : m_columns(columns)
        , m_update(updateExisting)
        , m_result(result)
        , m_transaction(database)
        , m_findCode(database, QStringLiteral("SELECT ca_Codice_Articolo FROM \"Codice Articolo\" WHERE ca_Codice = ?"))
        , m_readArticle(database, QStringLiteral("SELECT ifnull(art_Fornitore, ''), ifnull(art_Descrizione, '') "
                                                 "FROM Articoli WHERE art_Codice = ?"))
        , m_insertArticle(database, QStringLiteral("INSERT INTO Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, "
                                                   "art_Prezzo_Listino, art_Quantita, art_Usato) VALUES (?, ?, ?, ?, ifnull(?, 0), 0)"),
                          QStringLiteral("art_Codice"))
        , m_updateArticle(database, QStringLiteral("UPDATE Articoli SET art_Descrizione = ?, art_Fornitore = ?, "
                                                   "art_Prezzo_Carico = ifnull(?, art_Prezzo_Carico), "
                                                   "art_Prezzo_Listino = ifnull(?, art_Prezzo_Listino), "
                                                   "art_Quantita = ifnull(?, art_Quantita) WHERE art_Codice = ?"))
        , m_insertItem(database, QStringLiteral("INSERT INTO \"Codice Articolo\" (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                                "ca_Colore, ca_Quantita) VALUES (?, ?, ?, ?, ifnull(?, 0))"))
        , m_updateItem(database, QStringLiteral("UPDATE \"Codice Articolo\" SET ca_Codice_Articolo = ?, "
                                                "ca_Taglia = ifnull(?, ca_Taglia), ca_Colore = ifnull(?, ca_Colore), "
                                                "ca_Quantita = ifnull(?, ca_Quantita) WHERE ca_Codice = ?"))
        // An article's stock is the sum of its items' when it has bar codes.
        , m_sumItems(database, QStringLiteral("UPDATE Articoli SET art_Quantita = (SELECT ifnull(sum(ca_Quantita), 0) FROM "
                                              "\"Codice Articolo\" WHERE ca_Codice_Articolo = ?1) WHERE art_Codice = ?1"))
    {
        // Read inside the write transaction: an article another till adds
        // meanwhile is then found, never added twice.
        if (m_update) {
            Statement scan(database, QStringLiteral("SELECT art_Codice, ifnull(art_Fornitore, ''), "
                                                    "ifnull(art_Descrizione, '') FROM Articoli"));
            for (bool row = scan.step(); row; row = scan.next())
                m_bySupplier.insert(keyOf(supplierKey(scan.text(1), scan.text(2))), scan.integer(0));
        }
    }

    void fail(int line, const QString &message)
    {
        if (m_result.errors.size() < kListedErrors)
            m_result.errors.append({line, message});
    }

    // Checks one row and, while no row was wrong, writes it.
    void add(const QStringList &row, int line, int control)
    {
        bool wrong = false;
        const auto fail = [&](const QString &message) {
            wrong = true;
            this->fail(line, message);
        };
        if (control >= 0)
            fail(QStringLiteral("il testo contiene un carattere di controllo (codice %1)").arg(control));
        Article a;
        a.descrizione = cell(row, m_columns.descrizione);
        a.fornitore = cell(row, m_columns.fornitore);
        if (a.descrizione.isEmpty())
            fail(QStringLiteral("la descrizione manca"));
        const auto number = [&](int column, const QString &name, bool quantity) -> std::optional<double> {
            const QString text = cell(row, column);
            if (text.isEmpty())
                return std::nullopt;
            const std::optional<double> value =
                quantity ? TypedNumber::quantity(text, italian()) : TypedNumber::amount(text, italian());
            if (!value || *value < 0 || (quantity && *value != std::floor(*value))) {
                fail(QStringLiteral("%1 non valido: \"%2\"").arg(name, text));
                return std::nullopt;
            }
            return value;
        };
        a.prezzoCarico = number(m_columns.prezzoCarico, QStringLiteral("prezzo di carico"), false);
        a.prezzoListino = number(m_columns.prezzoListino, QStringLiteral("prezzo di listino"), false);
        a.quantita = number(m_columns.quantita, QStringLiteral("quantità"), true);
        a.taglia = optionalText(row, m_columns.taglia);
        a.colore = optionalText(row, m_columns.colore);
        a.codiceBarre = cell(row, m_columns.codiceBarre);
        if (!a.codiceBarre.isEmpty()) {
            const bool allDigits = std::all_of(a.codiceBarre.cbegin(), a.codiceBarre.cend(),
                                               [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
            if (allDigits && a.codiceBarre.size() == 13 && !isValidEan13(a.codiceBarre))
                fail(QStringLiteral("codice EAN-13 %1 con cifra di controllo errata").arg(a.codiceBarre));
            const size_t code = keyOf(a.codiceBarre);
            if (m_codeLines.contains(code))
                fail(QStringLiteral("codice a barre %1 già alla riga %2").arg(a.codiceBarre).arg(m_codeLines.value(code)));
            else if (!m_update && m_findCode.bind(1, std::optional<QString>(a.codiceBarre)).step())
                fail(QStringLiteral("codice a barre %1 già presente in archivio").arg(a.codiceBarre));
            if (!m_codeLines.contains(code))
                m_codeLines.insert(code, line);
        } else if (a.taglia.value_or(QString()).size() + a.colore.value_or(QString()).size() > 0) {
            fail(QStringLiteral("taglia e colore richiedono il codice a barre"));
        }
        if (wrong)
            ++m_result.wrongRows;
        else if (m_result.wrongRows == 0)
            write(a);
    }

    // Commits what was written when no row was wrong.
    void finish(bool cancelled)
    {
        m_result.cancelled = cancelled;
        if (cancelled || m_result.wrongRows > 0) {
            m_result.inserted = 0;
            m_result.updated = 0;
            return;
        }
        m_transaction.commit();
    }

private:
    // The article stored under a supplier and description, told apart from
    // another of the same key by reading it.
    std::optional<qint64> articleOf(const QString &key)
    {
        const auto found = m_bySupplier.constFind(keyOf(key));
        if (found == m_bySupplier.constEnd())
            return std::nullopt;
        if (!m_readArticle.bind(1, qint64(found.value())).step()
            || supplierKey(m_readArticle.text(0), m_readArticle.text(1)) != key)
            return std::nullopt;
        return found.value();
    }

    void write(const Article &a)
    {
        std::optional<qint64> existing;
        bool itemExists = false;
        if (m_update && !a.codiceBarre.isEmpty() && m_findCode.bind(1, std::optional<QString>(a.codiceBarre)).step()) {
            existing = m_findCode.integer(0);
            itemExists = true;
        }
        const QString key = supplierKey(a.fornitore, a.descrizione);
        if (m_update && !existing)
            existing = articleOf(key);
        // With a bar code the quantity is the item's; the article's is their sum.
        static const std::optional<double> itemsSum;
        const std::optional<double> &articleQuantity = a.codiceBarre.isEmpty() ? a.quantita : itemsSum;
        qint64 article = 0;
        if (existing) {
            article = *existing;
            m_updateArticle.bind(1, std::optional<QString>(a.descrizione)).bind(2, std::optional<QString>(a.fornitore))
                .bind(3, a.prezzoCarico).bind(4, a.prezzoListino).bind(5, articleQuantity).bind(6, article).step();
            ++m_result.updated;
        } else {
            m_insertArticle.bind(1, std::optional<QString>(a.descrizione)).bind(2, std::optional<QString>(a.fornitore))
                .bind(3, a.prezzoCarico).bind(4, a.prezzoListino).bind(5, articleQuantity).step();
            article = m_insertArticle.lastInsertId();
            ++m_result.inserted;
        }
        if (m_update)
            m_bySupplier.insert(keyOf(key), article);
        if (a.codiceBarre.isEmpty())
            return;
        if (itemExists)
            m_updateItem.bind(1, article).bind(2, a.taglia).bind(3, a.colore).bind(4, a.quantita)
                .bind(5, std::optional<QString>(a.codiceBarre)).step();
        else
            m_insertItem.bind(1, std::optional<QString>(a.codiceBarre)).bind(2, article).bind(3, a.taglia)
                .bind(4, a.colore).bind(5, a.quantita).step();
        m_sumItems.bind(1, article).step();
    }

    const ColumnMap &m_columns;
    const bool m_update;
    ImportResult &m_result;
    db::Transaction m_transaction;
    Statement m_findCode;
    Statement m_readArticle;
    Statement m_insertArticle;
    Statement m_updateArticle;
    Statement m_insertItem;
    Statement m_updateItem;
    Statement m_sumItems;
    QHash<size_t, int> m_codeLines;         // bar code -> its row
    QHash<size_t, qint64> m_bySupplier;     // supplier and description -> article
};

// The first control character of a row already read, -1 for none.
int controlIn(const QStringList &row)
{
    for (const QString &text : row)
        for (const QChar c : text)
            if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
                return c.unicode();
    return -1;
}

bool columnsChosen(const ColumnMap &columns, ImportResult &result)
{
    if (columns.descrizione >= 0 && columns.fornitore >= 0)
        return true;
    result.errors.append({0, QStringLiteral("Indicare le colonne della descrizione e del fornitore.")});
    return false;
}

} // namespace

QList<QStringList> readCsv(const QByteArray &bytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer);
    QList<QStringList> rows;
    QStringList row;
    while (reader.next(row))
        rows.append(row);
    return rows;
}

ColumnMap guessColumns(const QStringList &headings)
{
    ColumnMap map;
    const struct {
        int ColumnMap::*field;
        QStringList words;
    } rules[] = {
        {&ColumnMap::descrizione, {QStringLiteral("descr"), QStringLiteral("articolo"), QStringLiteral("nome")}},
        {&ColumnMap::fornitore, {QStringLiteral("fornitore"), QStringLiteral("marca"), QStringLiteral("produttore")}},
        {&ColumnMap::prezzoCarico, {QStringLiteral("acquisto"), QStringLiteral("carico"), QStringLiteral("costo")}},
        {&ColumnMap::prezzoListino, {QStringLiteral("listino"), QStringLiteral("vendita"), QStringLiteral("prezzo")}},
        {&ColumnMap::codiceBarre, {QStringLiteral("ean"), QStringLiteral("barre"), QStringLiteral("codice")}},
        {&ColumnMap::taglia, {QStringLiteral("taglia"), QStringLiteral("misura")}},
        {&ColumnMap::colore, {QStringLiteral("colore")}},
        {&ColumnMap::quantita, {QStringLiteral("quantit"), QStringLiteral("qta"), QStringLiteral("pezzi")}},
    };
    QSet<int> taken;
    // The rules in turn, each word in turn: "Prezzo acquisto" goes to the
    // purchase price before "prezzo" can claim it for the list price.
    for (const auto &rule : rules) {
        for (const QString &word : rule.words) {
            for (int c = 0; c < headings.size() && map.*(rule.field) < 0; ++c) {
                if (!taken.contains(c) && headings.at(c).toLower().contains(word)) {
                    map.*(rule.field) = c;
                    taken.insert(c);
                }
            }
        }
    }
    return map;
}

bool parseNumber(const QString &text, double &value)
{
    const std::optional<double> number = TypedNumber::number(text, italian());
    value = number.value_or(0);
    return number.has_value();
}

bool isValidEan13(const QString &code)
{
    if (code.size() != 13)
        return false;
    int sum = 0;
    for (int i = 0; i < 13; ++i) {
        if (!code.at(i).isDigit() || code.at(i).unicode() > '9')
            return false;
        if (i < 12)
            sum += code.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    }
    return (10 - sum % 10) % 10 == code.at(12).digitValue();
}

ImportResult importCsv(db::Database &database, QIODevice &file, const ColumnMap &columns, bool updateExisting,
                       const Progress &progress)
{
    ImportResult result;
    if (!columnsChosen(columns, result))
        return result;
    CsvReader reader(file);
    QStringList row;
    if (!reader.next(row)) {   // the headings
        if (reader.failed())
            result.errors.append({reader.errorRow(), reader.error()});
        return result;
    }
    Importer importer(database, columns, updateExisting, result);
    bool cancelled = false;
    for (int rows = 0; !cancelled && reader.next(row); ++rows) {
        importer.add(row, reader.row(), reader.controlCharacter());
        if (progress && rows % 1000 == 0)
            cancelled = !progress(reader.bytesRead());
    }
    if (reader.failed()) {
        importer.fail(reader.errorRow(), reader.error());
        ++result.wrongRows;
    }
    importer.finish(cancelled);
    return result;
}

ImportResult importRows(db::Database &database, const QList<QStringList> &rows, const ColumnMap &columns,
                        bool updateExisting)
{
    ImportResult result;
    if (!columnsChosen(columns, result))
        return result;
    Importer importer(database, columns, updateExisting, result);
    for (int r = 1; r < rows.size(); ++r)
        importer.add(rows.at(r), r + 1, controlIn(rows.at(r)));
    importer.finish(false);
    return result;
}

} // namespace catalogue
