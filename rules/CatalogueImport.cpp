#include "rules/CatalogueImport.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Statement.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <optional>

namespace catalogue {

namespace {

QChar separatorOf(const QString &text)
{
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    QChar best = QLatin1Char(';');
    qsizetype most = firstLine.count(best);
    for (QChar candidate : {QLatin1Char(','), QLatin1Char('\t')}) {
        if (firstLine.count(candidate) > most) {
            best = candidate;
            most = firstLine.count(candidate);
        }
    }
    return best;
}

// One prepared statement of the import, kept by the connection.
class Statement {
public:
    Statement(db::Database &database, const QString &sql) : m_sql(sql), m_statement(database.statement(sql)) {}
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

} // namespace

QList<QStringList> readCsv(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    const QChar separator = separatorOf(text);

    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const auto endRow = [&] {
        if (fieldStarted || !row.isEmpty()) {
            row.append(field);
            rows.append(row);
        }
        row.clear();
        field.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            // Only a quote that opens the field quotes it; one inside an
            // unquoted field is an inch sign or a quotation, kept.
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            row.append(field);
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRow();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    endRow();
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
    QString t = text;
    t.remove(QChar(0x20AC)).remove(QLatin1Char(' ')).remove(QChar(0xA0));
    const qsizetype comma = t.lastIndexOf(QLatin1Char(','));
    const qsizetype point = t.lastIndexOf(QLatin1Char('.'));
    if (comma >= 0 && point >= 0) {
        // The later of the two is the decimal mark, the other groups thousands.
        if (comma > point)
            t.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
        else
            t.remove(QLatin1Char(','));
    } else {
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    if (t.count(QLatin1Char('.')) > 1 || t.isEmpty())
        return false;
    bool ok = false;
    value = t.toDouble(&ok);
    return ok && qIsFinite(value);
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

ImportResult importRows(db::Database &database, const QList<QStringList> &rows, const ColumnMap &columns,
                        bool updateExisting)
{
    ImportResult result;
    if (columns.descrizione < 0 || columns.fornitore < 0) {
        result.errors.append({0, QStringLiteral("Indicare le colonne della descrizione e del fornitore.")});
        return result;
    }

    // First every row is checked; nothing is written while any is wrong.
    Statement findCode(database, QStringLiteral("SELECT ca_Codice_Articolo FROM \"Codice Articolo\" WHERE ca_Codice = ?"));
    QList<Article> articles;
    QHash<QString, int> codeLines;
    for (int r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        const int line = r + 1;
        const auto fail = [&](const QString &message) { result.errors.append({line, message}); };
        Article a;
        a.descrizione = cell(row, columns.descrizione);
        a.fornitore = cell(row, columns.fornitore);
        if (a.descrizione.isEmpty())
            fail(QStringLiteral("la descrizione manca"));
        const auto number = [&](int column, const QString &name, bool whole) -> std::optional<double> {
            const QString text = cell(row, column);
            if (text.isEmpty())
                return std::nullopt;
            double value = 0;
            if (!parseNumber(text, value) || value < 0 || (whole && value != std::floor(value))) {
                fail(QStringLiteral("%1 non valido: \"%2\"").arg(name, text));
                return std::nullopt;
            }
            return value;
        };
        a.prezzoCarico = number(columns.prezzoCarico, QStringLiteral("prezzo di carico"), false);
        a.prezzoListino = number(columns.prezzoListino, QStringLiteral("prezzo di listino"), false);
        a.quantita = number(columns.quantita, QStringLiteral("quantità"), true);
        a.taglia = optionalText(row, columns.taglia);
        a.colore = optionalText(row, columns.colore);
        a.codiceBarre = cell(row, columns.codiceBarre);
        if (!a.codiceBarre.isEmpty()) {
            const bool allDigits = std::all_of(a.codiceBarre.cbegin(), a.codiceBarre.cend(),
                                               [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
            if (allDigits && a.codiceBarre.size() == 13 && !isValidEan13(a.codiceBarre))
                fail(QStringLiteral("codice EAN-13 %1 con cifra di controllo errata").arg(a.codiceBarre));
            if (codeLines.contains(a.codiceBarre))
                fail(QStringLiteral("codice a barre %1 già alla riga %2").arg(a.codiceBarre).arg(codeLines.value(a.codiceBarre)));
            else
                codeLines.insert(a.codiceBarre, line);
            if (!updateExisting && findCode.bind(1, std::optional<QString>(a.codiceBarre)).step())
                fail(QStringLiteral("codice a barre %1 già presente in archivio").arg(a.codiceBarre));
        } else if (a.taglia.value_or(QString()).size() + a.colore.value_or(QString()).size() > 0) {
            fail(QStringLiteral("taglia e colore richiedono il codice a barre"));
        }
        articles.append(a);
    }
    if (!result.errors.isEmpty())
        return result;

    // The articles are read inside the write transaction: an article another
    // till adds meanwhile is then found, never added twice.
    db::Transaction transaction(database);
    QHash<QString, qint64> bySupplier;
    if (updateExisting) {
        Statement scan(database, QStringLiteral("SELECT art_Codice, ifnull(art_Fornitore, ''), "
                                                "ifnull(art_Descrizione, '') FROM Articoli"));
        for (bool row = scan.step(); row; row = scan.next())
            bySupplier.insert(supplierKey(scan.text(1), scan.text(2)), scan.integer(0));
    }

    Statement insertArticle(database, QStringLiteral("INSERT INTO Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, "
                                                     "art_Prezzo_Listino, art_Quantita, art_Usato) VALUES (?, ?, ?, ?, ifnull(?, 0), 0)")
                                          + (database.onServer() ? QStringLiteral(" RETURNING art_Codice") : QString()));
    Statement updateArticle(database, QStringLiteral("UPDATE Articoli SET art_Descrizione = ?, art_Fornitore = ?, "
                                    "art_Prezzo_Carico = ifnull(?, art_Prezzo_Carico), "
                                    "art_Prezzo_Listino = ifnull(?, art_Prezzo_Listino), "
                                    "art_Quantita = ifnull(?, art_Quantita) WHERE art_Codice = ?"));
    Statement insertItem(database, QStringLiteral("INSERT INTO \"Codice Articolo\" (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                                  "ca_Colore, ca_Quantita) VALUES (?, ?, ?, ?, ifnull(?, 0))"));
    Statement updateItem(database, QStringLiteral("UPDATE \"Codice Articolo\" SET ca_Codice_Articolo = ?, "
                                                  "ca_Taglia = ifnull(?, ca_Taglia), ca_Colore = ifnull(?, ca_Colore), "
                                                  "ca_Quantita = ifnull(?, ca_Quantita) WHERE ca_Codice = ?"));
    // An article's stock is the sum of its items' when it has bar codes.
    Statement sumItems(database, QStringLiteral("UPDATE Articoli SET art_Quantita = (SELECT ifnull(sum(ca_Quantita), 0) FROM "
                                                "\"Codice Articolo\" WHERE ca_Codice_Articolo = ?1) WHERE art_Codice = ?1"));
    for (const Article &a : articles) {
        std::optional<qint64> existing;
        bool itemExists = false;
        if (updateExisting && !a.codiceBarre.isEmpty() && findCode.bind(1, std::optional<QString>(a.codiceBarre)).step()) {
            existing = findCode.integer(0);
            itemExists = true;
        }
        const QString key = supplierKey(a.fornitore, a.descrizione);
        if (updateExisting && !existing && bySupplier.contains(key))
            existing = bySupplier.value(key);
        // With a bar code the quantity is the item's; the article's is their sum.
        static const std::optional<double> itemsSum;
        const std::optional<double> &articleQuantity = a.codiceBarre.isEmpty() ? a.quantita : itemsSum;
        qint64 article = 0;
        if (existing) {
            article = *existing;
            updateArticle.bind(1, std::optional<QString>(a.descrizione)).bind(2, std::optional<QString>(a.fornitore))
                .bind(3, a.prezzoCarico).bind(4, a.prezzoListino).bind(5, articleQuantity).bind(6, article).step();
            ++result.updated;
        } else {
            insertArticle.bind(1, std::optional<QString>(a.descrizione)).bind(2, std::optional<QString>(a.fornitore))
                .bind(3, a.prezzoCarico).bind(4, a.prezzoListino).bind(5, articleQuantity).step();
            article = insertArticle.lastInsertId();
            ++result.inserted;
        }
        bySupplier.insert(key, article);
        if (a.codiceBarre.isEmpty())
            continue;
        if (itemExists)
            updateItem.bind(1, article).bind(2, a.taglia).bind(3, a.colore).bind(4, a.quantita)
                .bind(5, std::optional<QString>(a.codiceBarre)).step();
        else
            insertItem.bind(1, std::optional<QString>(a.codiceBarre)).bind(2, article).bind(3, a.taglia)
                .bind(4, a.colore).bind(5, a.quantita).step();
        sumItems.bind(1, article).step();
    }
    transaction.commit();
    return result;
}

} // namespace catalogue
