#include "ShopMigration.h"

#include "CopyText.h"
#include "MigraError.h"
#include "PgShopSchema.h"
#include "SqliteSource.h"
#include "db/DbError.h"
#include "db/SalesSummary.h"
#include "db/SchemaVersions.h"
#include "db/SqlText.h"
#include "db/ServerAdmin.h"

#include <algorithm>
#include <memory>

namespace migra {

namespace {

const QString nothingWritten = QStringLiteral(
    " Migrazione annullata: nel database di destinazione non è stato scritto nulla.");

constexpr qsizetype copyChunk = 256 * 1024;

QString versionMessage(const QString &path, int version)
{
    const int known = db::SchemaVersions::latest();
    return QStringLiteral("L'archivio %1 è della versione %2 dello schema, tarvo-migra copia la versione %3: %4 "
                          "Non è stato scritto nulla.")
        .arg(path)
        .arg(version)
        .arg(known)
        .arg(version < known ? QStringLiteral("aprirlo prima con Tarvo, che lo aggiorna, e ripetere la migrazione.")
                             : QStringLiteral("installare la versione aggiornata del programma."));
}

// The sales' summary: the server sums it from the sales it received.
bool isSalesSummary(const QString &table)
{
    return table == QLatin1String("VenditeGiorno") || table == QLatin1String("VenditeArticoli");
}

} // namespace

ShopMigration::ShopMigration(QString sourcePath, TargetAddress target, Progress progress)
    : m_sourcePath(std::move(sourcePath))
    , m_target(std::move(target))
    , m_progress(std::move(progress))
{
}

void ShopMigration::run()
{
    SqliteSource source(m_sourcePath);
    if (const int version = source.schemaVersion(); version != db::SchemaVersions::latest())
        throw MigraError(versionMessage(m_sourcePath, version));
    std::unique_ptr<db::ServerAdmin> connection;
    try {
        connection = std::make_unique<db::ServerAdmin>(m_target.url(), "tarvo-migra");
    } catch (const db::DbError &e) {
        throw MigraError(QStringLiteral("Collegamento al server non riuscito: %1").arg(e.description()));
    }
    db::ServerAdmin &server = *connection;
    try {
        refuseNonEmptyTarget(server);
        source.beginSnapshot();
        server.run(QStringLiteral("BEGIN"));
    } catch (const db::DbError &e) {
        throw MigraError(e.description());
    }
    const auto abandon = [&](const QString &why) {
        try {
            server.run(QStringLiteral("ROLLBACK"));
        } catch (const db::DbError &) {
            // A connection gone: the server has rolled back by itself.
        }
        return MigraError(why + nothingWritten);
    };
    try {
        m_progress(QStringLiteral("Creazione dello schema (versione %1) nel database \"%2\"...")
                       .arg(db::SchemaVersions::latest())
                       .arg(m_target.database()));
        server.run(pgShopSchema());
        if (const qint64 schema = server.scalar(QStringLiteral("SELECT max(version) FROM tarvo_schema"));
            schema != db::SchemaVersions::latest())
            throw MigraError(QStringLiteral("Lo schema per il server è della versione %1, l'archivio della %2.")
                                 .arg(schema)
                                 .arg(db::SchemaVersions::latest()));
        const QList<Table> tables = matchTables(server, source);
        // The rows the schema delivers (VAT codes, payments, services) come
        // from the shop's file instead, as the shop left them.
        QStringList names;
        for (const Table &table : tables)
            names << db::quoted(table.name, QLatin1Char('"'));
        server.run(QStringLiteral("TRUNCATE ") + names.join(QStringLiteral(", ")));
        // The sales' summary is summed once from the copied sales, not row
        // by row as each is copied.
        server.run(QStringLiteral("ALTER TABLE scarico DISABLE TRIGGER \"scarico_Statistiche\""));
        for (qsizetype i = 0; i < tables.size(); ++i) {
            const qint64 copied = copyTable(server, source, tables.at(i));
            moveIdentities(server, source, tables.at(i));
            m_progress(QStringLiteral("Tabella \"%1\" (%2 di %3): %4 righe copiate.")
                           .arg(tables.at(i).name)
                           .arg(i + 1)
                           .arg(tables.size())
                           .arg(copied));
        }
        server.run(db::serverSalesSummaryRebuild());
        server.run(QStringLiteral("ALTER TABLE scarico ENABLE TRIGGER \"scarico_Statistiche\""));
        compareCounts(server, source, tables);
        server.run(QStringLiteral("COMMIT"));
    } catch (const MigraError &e) {
        throw abandon(e.message());
    } catch (const db::DbError &e) {
        throw abandon(e.description());
    }
    m_progress(QStringLiteral("Migrazione completata nel database \"%1\".").arg(m_target.database()));
}

void ShopMigration::refuseNonEmptyTarget(db::ServerAdmin &server) const
{
    // Relations of any schema but the system's; those of an extension
    // (pg_trgm installed beforehand by an administrator) do not count.
    const QList<QStringList> found = server.rows(QStringLiteral(
        "SELECT count(*), min(format('%I.%I', n.nspname, c.relname)) FROM pg_class c "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') "
        "AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
        "AND n.nspname NOT LIKE 'pg\\_toast%' AND n.nspname NOT LIKE 'pg\\_temp\\_%' "
        "AND NOT EXISTS (SELECT 1 FROM pg_depend d WHERE d.classid = 'pg_class'::regclass "
        "AND d.objid = c.oid AND d.deptype = 'e')"));
    if (const qint64 objects = found.value(0).value(0).toLongLong(); objects > 0)
        throw MigraError(QStringLiteral("Il database di destinazione \"%1\" non è vuoto: contiene già %2 tabelle, "
                                        "viste o sequenze (tra cui %3). La migrazione scrive solo in un database "
                                        "vuoto; non è stato scritto nulla.")
                             .arg(m_target.database())
                             .arg(objects)
                             .arg(found.value(0).value(1)));
}

QList<ShopMigration::Table> ShopMigration::matchTables(db::ServerAdmin &server, const SqliteSource &source) const
{
    const QList<QStringList> columns = server.rows(QStringLiteral(
        "SELECT c.relname, a.attname, a.attidentity <> '' FROM pg_class c "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
        "AND c.relname <> 'tarvo_schema' ORDER BY c.relname, a.attnum"));
    QList<Table> tables;
    for (const QStringList &row : columns) {
        if (isSalesSummary(row.at(0)))
            continue;
        if (tables.isEmpty() || tables.last().name != row.at(0))
            tables.append(Table{row.at(0), {}, {}, {}});
        const QString column = row.at(1);
        if (column != QLatin1String("rowid"))
            tables.last().columns << column;
        if (row.at(2) == QLatin1String("t"))
            tables.last().identityColumns << column;
    }
    QStringList unmatched = source.tables();
    unmatched.removeIf(isSalesSummary);
    for (Table &table : tables) {
        const auto found = std::find_if(unmatched.begin(), unmatched.end(), [&](const QString &name) {
            return name.compare(table.name, Qt::CaseInsensitive) == 0;
        });
        if (found == unmatched.end())
            throw MigraError(QStringLiteral("La tabella \"%1\" manca nell'archivio.").arg(table.name));
        table.sourceName = *found;
        unmatched.erase(found);
        // A column the server lacks would be left behind without a word.
        for (const QString &column : source.columns(table.sourceName))
            if (!table.columns.contains(column, Qt::CaseInsensitive))
                throw MigraError(QStringLiteral("La colonna \"%1\" della tabella \"%2\" dell'archivio non è nello "
                                                "schema del server.").arg(column, table.name));
    }
    if (!unmatched.isEmpty())
        throw MigraError(QStringLiteral("La tabella \"%1\" dell'archivio non è nello schema del server.")
                             .arg(unmatched.first()));
    return tables;
}

qint64 ShopMigration::copyTable(db::ServerAdmin &server, const SqliteSource &source, const Table &table) const
{
    QString copy = QStringLiteral("COPY ") + db::quoted(table.name, QLatin1Char('"')) + QStringLiteral(" (rowid");
    for (const QString &column : table.columns)
        copy += QStringLiteral(", ") + db::quoted(column, QLatin1Char('"'));
    copy += QStringLiteral(") FROM STDIN");
    const auto failed = [&](const QString &why) {
        return MigraError(QStringLiteral("Copia della tabella \"%1\" non riuscita: %2.").arg(table.name, why));
    };
    try {
        server.beginCopy(copy);
    } catch (const db::DbError &e) {
        throw failed(e.description());
    }
    try {
        QByteArray buffer;
        buffer.reserve(copyChunk + 4096);
        const int values = int(table.columns.size()) + 1;
        source.readRows(table.sourceName, table.columns, [&](sqlite3_stmt *row) {
            for (int column = 0; column < values; ++column) {
                if (column > 0)
                    buffer += '\t';
                appendCopyValue(buffer, row, column);
            }
            buffer += '\n';
            if (buffer.size() >= copyChunk) {
                server.sendCopy(buffer);
                buffer.clear();
            }
        });
        if (!buffer.isEmpty())
            server.sendCopy(buffer);
    } catch (const MigraError &e) {
        server.abandonCopy();
        throw failed(e.message());
    } catch (const db::DbError &e) {
        server.abandonCopy();
        throw failed(e.description());
    }
    try {
        return server.endCopy();
    } catch (const db::DbError &e) {
        throw failed(e.description());
    }
}

void ShopMigration::moveIdentities(db::ServerAdmin &server, const SqliteSource &source, const Table &table) const
{
    // A counter never gives a number again, not even that of a row deleted
    // at the end (SQLite's AUTOINCREMENT keeps it in sqlite_sequence); in a
    // table with a counter the rowid is the counter.
    const qint64 highestEver = source.highestCounter(table.sourceName);
    const QString quotedTable = db::quoted(table.name, QLatin1Char('"'));
    for (const QString &column : table.identityColumns) {
        const qint64 highest = std::max(highestEver,
            server.scalar(QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2")
                              .arg(db::quoted(column, QLatin1Char('"')), quotedTable)));
        // Nothing copied: the identity starts again from 1, as a new table's.
        server.run(QStringLiteral("SELECT setval(pg_get_serial_sequence(%1, %2), %3, %4)")
                        .arg(db::quoted(quotedTable), db::quoted(column))
                        .arg(std::max<qint64>(highest, 1))
                        .arg(highest > 0 ? QStringLiteral("true") : QStringLiteral("false")));
    }
}

void ShopMigration::compareCounts(db::ServerAdmin &server, const SqliteSource &source, const QList<Table> &tables) const
{
    for (const Table &table : tables) {
        const qint64 inFile = source.count(table.sourceName);
        const qint64 inTarget =
            server.scalar(QStringLiteral("SELECT count(*) FROM ") + db::quoted(table.name, QLatin1Char('"')));
        if (inFile != inTarget)
            throw MigraError(QStringLiteral("La tabella \"%1\" ha %2 righe nell'archivio e %3 nel database di "
                                            "destinazione.")
                                 .arg(table.name)
                                 .arg(inFile)
                                 .arg(inTarget));
    }
}

} // namespace migra
