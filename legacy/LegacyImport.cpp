#include "legacy/LegacyImport.h"

#include "db/Database.h"
#include "db/DatabaseSettings.h"
#include "db/SalesSummary.h"
#include "db/ShopLock.h"
#include "legacy/DatabaseBackup.h"
#include "legacy/LegacyReader.h"
#include "legacy/MdbLegacyReader.h"
#include "legacy/ShopTables.h"
#include "legacy/ValueMapping.h"

#include <QHash>
#include <QSet>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>

namespace legacy {

namespace {

struct Cancelled {};

// A field of a row naming a row of another table.
struct Reference {
    const char *table;
    const char *field;
    const char *target;
    const char *reason;   // %1: the value
};

const Reference references[] = {
    {"Articoli", "art_Fornitore", "Fornitore", "il fornitore %1 non è tra i fornitori"},
    {"Codice Articolo", "ca_Codice_Articolo", "Articoli", "l'articolo %1 non esiste"},
    {"carico", "ca_Codice_Articolo", "Codice Articolo", "il codice a barre %1 non esiste"},
    {"scarico", "sc_Codice_Articolo", "Codice Articolo", "il codice a barre %1 non esiste"},
    {"Fattura", "fat_Codice_Cliente", "Anagrafica", "il cliente %1 non esiste"},
    {"Dettaglio Fattura", "df_Numero_Fattura", "Fattura", "la fattura %1 non esiste"},
    {"Dettaglio Fattura", "df_IVA", "IVA", "il codice IVA %1 non esiste"},
};

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Keys compare as the program compares them: case ignored.
QString keyText(const QVariant &value)
{
    return value.toString().toCaseFolded();
}

class Statement {
public:
    Statement(sqlite3 *db, const QString &sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QVariant &value)
    {
        switch (value.typeId()) {
        case QMetaType::LongLong: sqlite3_bind_int64(m_statement, index, value.toLongLong()); break;
        case QMetaType::Double: sqlite3_bind_double(m_statement, index, value.toDouble()); break;
        case QMetaType::QString: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(m_statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        default: sqlite3_bind_null(m_statement, index);
        }
    }
    // SQLITE_DONE, SQLITE_ROW or SQLITE_CONSTRAINT; any other failure throws.
    int step()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW && (rc & 0xff) != SQLITE_CONSTRAINT)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        return rc;
    }
    void reset() { sqlite3_reset(m_statement); sqlite3_clear_bindings(m_statement); }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column)));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
};

qint64 countRows(sqlite3 *db, const QString &table)
{
    Statement count(db, QStringLiteral("select count(*) from %1").arg(quoted(table)));
    count.step();
    return count.integer(0);
}

class ImportRun {
public:
    ImportRun(LegacyReader &reader, db::Database &database, const ImportOptions &options)
        : m_reader(reader), m_database(database), m_db(database.handle()), m_options(options) {}

    ImportResult run();

private:
    struct Source {
        const ShopTable *table;
        QString fileTable;          // empty when the file lacks it
        std::vector<int> columns;   // file column of each field
    };

    QString checkFile();
    QString checkDatabase() const;
    void importTable(const Source &source, int index);
    void clearTables();
    void rememberKeys(const ShopTable &table);
    void checkResult() const;
    void note(const ShopTable &table, qint64 row, const QString &key, const QString &reason, bool taken)
    {
        m_result.notes.push_back({table.name, row, key, reason, taken});
    }

    LegacyReader &m_reader;
    db::Database &m_database;
    sqlite3 *m_db;
    const ImportOptions &m_options;
    std::vector<Source> m_sources;
    std::map<QString, QSet<QString>> m_keys;   // by table: the keys it holds (nodes stay put)
    ImportResult m_result;
};

QString ImportRun::checkFile()
{
    QHash<QString, QString> fileTables;
    for (const QString &name : m_reader.tables())
        fileTables.insert(name.toCaseFolded(), name);
    for (const ShopTable &table : shopTables()) {
        Source source {&table, fileTables.value(table.name.toCaseFolded()), {}};
        if (source.fileTable.isEmpty()) {
            if (table.required)
                return QStringLiteral("L'archivio non contiene la tabella %1: non è l'archivio del programma "
                                      "precedente.").arg(table.name);
            m_sources.push_back(source);
            continue;
        }
        const std::vector<LegacyColumn> columns = m_reader.columns(source.fileTable);
        for (const ShopField &field : table.fields) {
            int found = -1;
            for (size_t c = 0; c < columns.size() && found < 0; ++c)
                if (columns[c].name.compare(field.name, Qt::CaseInsensitive) == 0)
                    found = int(c);
            if (found < 0)
                return QStringLiteral("Nella tabella %1 dell'archivio manca il campo %2: non è l'archivio del "
                                      "programma precedente.").arg(table.name, field.name);
            source.columns.push_back(found);
        }
        m_sources.push_back(std::move(source));
    }
    return QString();
}

// The database must have every table and field the import writes.
QString ImportRun::checkDatabase() const
{
    for (const ShopTable &table : shopTables()) {
        Statement info(m_db, QStringLiteral("pragma table_info(%1)").arg(quoted(table.name)));
        QSet<QString> names;
        while (info.step() == SQLITE_ROW)
            names.insert(info.text(1).toCaseFolded());
        if (names.isEmpty())
            return QStringLiteral("Il database %1 non ha la tabella %2.").arg(m_database.path(), table.name);
        for (const ShopField &field : table.fields)
            if (!names.contains(field.name.toCaseFolded()))
                return QStringLiteral("Il database %1 non ha il campo %2 della tabella %3.")
                    .arg(m_database.path(), field.name, table.name);
    }
    return QString();
}

// Everything goes, but the tables delivered with the program that the old
// file does not have: the windows need their rows.
void ImportRun::clearTables()
{
    Statement hasSequences(m_db, QStringLiteral("select count(*) from sqlite_master where name = 'sqlite_sequence'"));
    hasSequences.step();
    const bool sequences = hasSequences.integer(0) > 0;
    for (const Source &source : m_sources) {
        if (source.fileTable.isEmpty() && source.table->reference)
            continue;
        Statement(m_db, QStringLiteral("delete from %1").arg(quoted(source.table->name))).step();
        if (sequences) {
            Statement forget(m_db, QStringLiteral("delete from sqlite_sequence where name = ?"));
            forget.bind(1, source.table->name);
            forget.step();
        }
    }
}

void ImportRun::rememberKeys(const ShopTable &table)
{
    if (table.keyField < 0)
        return;
    Statement keys(m_db, QStringLiteral("select %1 from %2").arg(quoted(table.keyLabel()), quoted(table.name)));
    QSet<QString> &set = m_keys[table.name];
    set.clear();
    while (keys.step() == SQLITE_ROW)
        set.insert(keys.text(0).toCaseFolded());
}

void ImportRun::importTable(const Source &source, int index)
{
    const ShopTable &table = *source.table;
    TableCount count {table.name, 0, 0, source.fileTable.isEmpty()};
    ImportProgress progress {table.name, index, int(m_sources.size()), 0,
                             count.missing ? 0 : m_reader.rowCount(source.fileTable)};
    if (m_options.progress)
        m_options.progress(progress);
    if (count.missing) {
        m_result.tables.push_back(count);
        rememberKeys(table);
        return;
    }

    QStringList names, marks;
    for (const ShopField &field : table.fields) {
        names << quoted(field.name);
        marks << QStringLiteral("?");
    }
    Statement insert(m_db, QStringLiteral("insert into %1 (%2) values (%3)")
                               .arg(quoted(table.name), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    struct Check { int field; const QSet<QString> *targets; QString reason; };
    std::vector<Check> checks;
    for (const Reference &r : references) {
        if (table.name != QString::fromUtf8(r.table))
            continue;
        for (size_t f = 0; f < table.fields.size(); ++f)
            if (table.fields[f].name == QString::fromUtf8(r.field))
                checks.push_back({int(f), &m_keys[QString::fromUtf8(r.target)], QString::fromUtf8(r.reason)});
    }
    QSet<QString> seen;
    std::vector<QVariant> values(table.fields.size());

    m_reader.readRows(source.fileTable, [&](const std::vector<LegacyValue> &row) {
        const qint64 number = ++count.read;
        if (number % 512 == 0) {
            if (m_options.cancelRequested && m_options.cancelRequested())
                throw Cancelled();
            if (m_options.progress) {
                progress.rows = number;
                m_options.progress(progress);
            }
        }
        QStringList problems;
        for (size_t f = 0; f < table.fields.size(); ++f) {
            const int column = source.columns[f];
            const MappedValue mapped = mapValue(column < int(row.size()) ? row[column] : LegacyValue(),
                                                table.fields[f].kind);
            values[f] = mapped.value;
            if (!mapped.problem.isEmpty())
                problems << QStringLiteral("%1: %2").arg(table.fields[f].name, mapped.problem);
        }
        QString key;
        if (table.keyField >= 0) {
            const QVariant &k = values[table.keyField];
            key = QStringLiteral("%1 %2").arg(table.keyLabel(), k.isValid() ? k.toString() : QStringLiteral("Null"));
            if (!k.isValid() || k.toString().trimmed().isEmpty()) {
                note(table, number, key, problems.isEmpty() ? QStringLiteral("manca la chiave %1").arg(table.keyLabel())
                                                            : problems.join(QStringLiteral("; ")), false);
                return;
            }
            if (seen.contains(keyText(k))) {
                note(table, number, key, QStringLiteral("%1 è già in una riga precedente").arg(key), false);
                return;
            }
            seen.insert(keyText(k));
        }
        for (size_t f = 0; f < values.size(); ++f)
            insert.bind(int(f) + 1, values[f]);
        const int rc = insert.step();
        insert.reset();
        if (rc != SQLITE_DONE) {
            note(table, number, key, QString::fromUtf8(sqlite3_errmsg(m_db)), false);
            return;
        }
        ++count.taken;
        for (const QString &problem : std::as_const(problems))
            note(table, number, key, problem + QStringLiteral(" (il campo resta vuoto)"), true);
        for (const Check &check : checks) {
            const QVariant &v = values[check.field];
            if (v.isValid() && !v.toString().isEmpty() && !check.targets->contains(keyText(v)))
                note(table, number, key, check.reason.arg(v.toString()), true);
        }
    });
    progress.rows = count.read;
    if (m_options.progress)
        m_options.progress(progress);
    m_result.tables.push_back(count);
    rememberKeys(table);
}

// The database's own checks on the result, before it is committed.
void ImportRun::checkResult() const
{
    Statement integrity(m_db, QStringLiteral("pragma integrity_check"));
    if (integrity.step() != SQLITE_ROW || integrity.text(0) != QLatin1String("ok"))
        throw std::runtime_error(("il controllo d'integrità del database non è riuscito: "
                                  + integrity.text(0)).toStdString());
    Statement sequences(m_db, QStringLiteral("select name, seq from sqlite_sequence"));
    while (sequences.step() == SQLITE_ROW) {
        Statement highest(m_db, QStringLiteral("select coalesce(max(rowid), 0) from %1").arg(quoted(sequences.text(0))));
        highest.step();
        if (highest.integer(0) > sequences.integer(1))
            throw std::runtime_error(QStringLiteral("il contatore della tabella %1 non segue il numero più alto")
                                         .arg(sequences.text(0)).toStdString());
    }
}

ImportResult ImportRun::run()
{
    using Outcome = ImportResult::Outcome;
    auto finish = [this](Outcome outcome, const QString &message) {
        m_result.outcome = outcome;
        m_result.message = message;
        if (outcome != Outcome::Imported) {
            m_result.tables.clear();
            m_result.notes.clear();
        }
        return m_result;
    };
    try {
        QString problem = checkFile();
        if (problem.isEmpty())
            problem = checkDatabase();
        if (!problem.isEmpty())
            return finish(Outcome::Refused, problem + QStringLiteral(" Nulla è cambiato."));
        // Every table is emptied and written again: no other till may have
        // the file open meanwhile (not even to add a row after the count
        // below), nor open it before the import ends.
        std::optional<db::ShopLock> alone;
        try {
            alone.emplace(m_database.path());
        } catch (const db::DbError &error) {
            return finish(Outcome::Refused, error.description());
        }
        const qint64 present = shopDataRows(m_database);
        if (present > 0 && m_options.whenDataPresent == WhenDataPresent::Refuse)
            return finish(Outcome::Refused,
                          QStringLiteral("Il database contiene già dati (%1 righe): l'importazione è rifiutata. "
                                         "Nulla è cambiato.").arg(present));
        try {
            m_result.backupPath = backupBeforeImport(m_db, m_database.path(), m_options.now,
                                                     db::DatabaseSettings::backupsToKeep(m_database.path()));
        } catch (const std::exception &e) {
            return finish(Outcome::Failed, QStringLiteral("Copia di sicurezza non riuscita: %1. Nulla è cambiato.")
                                               .arg(QString::fromUtf8(e.what())));
        }
        db::Transaction transaction(m_database);
        // The sales' summary is summed once at the end rather than row by
        // row as the old sales are emptied and written; in the same
        // transaction, so a failed import leaves the triggers as they were.
        db::dropSalesSummaryTriggers(m_db);
        clearTables();
        for (size_t i = 0; i < m_sources.size(); ++i)
            importTable(m_sources[i], int(i));
        db::rebuildSalesSummary(m_db);
        db::createSalesSummaryTriggers(m_db);
        checkResult();
        transaction.commit();
    } catch (const Cancelled &) {
        return finish(Outcome::Cancelled, QStringLiteral("Importazione annullata. Nulla è cambiato."));
    } catch (const LegacyFileError &e) {
        return finish(Outcome::Failed, e.reason() + QStringLiteral(" Nulla è cambiato."));
    } catch (const std::exception &e) {
        return finish(Outcome::Failed, QStringLiteral("Importazione non riuscita: %1. Nulla è cambiato.")
                                           .arg(QString::fromUtf8(e.what())));
    }
    const QString message = QStringLiteral("Importazione completata: %1 righe in %2 tabelle.")
                                .arg(m_result.rowsTaken()).arg(m_result.tables.size());
    return finish(Outcome::Imported, message);
}

} // namespace

ImportResult importLegacyShop(LegacyReader &reader, db::Database &database, const ImportOptions &options)
{
    return ImportRun(reader, database, options).run();
}

ImportResult importLegacyFile(const QString &path, db::Database &database, const ImportOptions &options)
{
    std::unique_ptr<MdbLegacyReader> reader;
    try {
        reader = MdbLegacyReader::open(path);
    } catch (const LegacyFileError &e) {
        ImportResult refused;
        refused.outcome = ImportResult::Outcome::Refused;
        refused.message = e.reason() + QStringLiteral(" Nulla è cambiato.");
        return refused;
    }
    return importLegacyShop(*reader, database, options);
}

qint64 shopDataRows(db::Database &database)
{
    qint64 rows = 0;
    for (const ShopTable &table : shopTables())
        if (!table.reference)
            rows += countRows(database.handle(), table.name);
    return rows;
}

} // namespace legacy
