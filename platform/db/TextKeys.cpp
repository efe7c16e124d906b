#include "TextKeys.h"

#include "EngineErrors.h"

#include <sqlite3.h>

namespace db {

namespace {

// The accented vowels of Italian. SQLite's parser allows some 28 nested
// calls in an expression: the two keys stay well within it.
constexpr const char16_t *capitals = u"ÀÁÈÉÌÍÒÓÙÚ";
constexpr const char16_t *smalls = u"àáèéìíòóùú";
constexpr const char16_t *plain = u"aaeeiioouu";

QString replaced(QString expression, const char16_t *from, const char16_t *to)
{
    const QString f = QString::fromUtf16(from);
    const QString t = QString::fromUtf16(to);
    for (qsizetype i = 0; i < f.size(); ++i)
        expression = QStringLiteral("replace(%1,'%2','%3')").arg(expression, f.at(i), t.at(i));
    return expression;
}

enum class Key { Folded, Sort, Plain };

struct TextIndex {
    const char *name;
    const char *table;
    const char *column;
    Key key;
    bool unique;
    const char *more; // further columns of the index
};

// Text keys of the tables (their counters and numbers keep plain indexes in
// the schema). The unique ones keep the keys' old rule: two codes that
// differ by case only are the same code.
constexpr TextIndex textIndexes[] = {
    {"Articoli_Descrizione", "Articoli", "art_Descrizione", Key::Sort, false, ""},
    {"Articoli_Fornitore", "Articoli", "art_Fornitore", Key::Folded, false, ""},
    {"CodiceArticolo_Codice", "Codice Articolo", "ca_Codice", Key::Folded, true, ""},
    {"carico_CodiceArticolo", "carico", "ca_Codice_Articolo", Key::Folded, false, ""},
    {"scarico_CodiceArticolo", "scarico", "sc_Codice_Articolo", Key::Folded, false, ""},
    {"Rettifiche_CodiceArticolo", "Rettifiche", "re_Codice_Articolo", Key::Folded, false, ""},
    {"Anagrafica_Denominazione", "Anagrafica", "anag_Denominazione", Key::Folded, false, ""},
    {"Anagrafica_OrdineDenominazione", "Anagrafica", "anag_Denominazione", Key::Sort, false, ""},
    {"Fattura_Numero", "Fattura", "fat_Numero", Key::Folded, true, ""},
    {"Fattura_OrdineNumero", "Fattura", "fat_Numero", Key::Sort, false, ""},
    {"DettaglioFattura_Numero", "Dettaglio Fattura", "df_Numero_Fattura", Key::Folded, false, ", \"df_IVA\""},
    // The numbers as stored: the editor's look for lines without a header
    // reads this index alone.
    {"DettaglioFattura_NumeroEsatto", "Dettaglio Fattura", "df_Numero_Fattura", Key::Plain, false, ""},
    {"Pagamenti_Codice", "Pagamenti", "pag_Codice", Key::Folded, true, ""},
    {"Fornitore_Descrizione", "Fornitore", "fo_Descrizione", Key::Folded, true, ""},
};

QString quoted(const char *name)
{
    return QLatin1Char('"') + QString::fromUtf8(name) + QLatin1Char('"');
}

} // namespace

QString foldedTextKey(const QString &operand)
{
    return QStringLiteral("lower(%1)").arg(replaced(operand, capitals, smalls));
}

QString foldedText(const QString &text)
{
    static const QString from = QString::fromUtf16(capitals);
    static const QString to = QString::fromUtf16(smalls);
    QString out = text;
    for (QChar &c : out) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
        else if (c.unicode() >= 0xC0)
            if (const qsizetype at = from.indexOf(c); at >= 0)
                c = to.at(at);
    }
    return out;
}

QString sortTextKey(const QString &operand)
{
    return replaced(foldedTextKey(operand), smalls, plain);
}

namespace {

bool hasTable(sqlite3 *handle, const char *table)
{
    sqlite3_stmt *statement = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(handle, "select 1 from sqlite_schema where type = 'table' and name = ?", -1, &statement,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, table, -1, SQLITE_STATIC);
        found = sqlite3_step(statement) == SQLITE_ROW;
    }
    sqlite3_finalize(statement);
    return found;
}

} // namespace

void createTextKeyIndexes(sqlite3 *handle)
{
    for (const TextIndex &index : textIndexes) {
        // An older file on its way up has not got every table yet: the
        // step that adds a table adds its indexes.
        if (!hasTable(handle, index.table))
            continue;
        const QString column = quoted(index.column);
        const QString key = index.key == Key::Sort    ? sortTextKey(column)
                            : index.key == Key::Plain ? column
                                                      : foldedTextKey(column);
        const QString sql = QStringLiteral("create %1index if not exists %2 on %3 (%4%5)")
                                .arg(index.unique ? QStringLiteral("unique ") : QString(), quoted(index.name),
                                     quoted(index.table), key, QString::fromUtf8(index.more));
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_exec(handle, utf8.constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw errors::fromSqlite(handle, rc, sql);
    }
}

} // namespace db
