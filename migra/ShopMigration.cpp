#include "ShopMigration.h"

#include "CopyText.h"
#include "MigraError.h"
#include "PgConnection.h"
#include "PgShopSchema.h"
#include "SqliteSource.h"
#include "db/SchemaVersions.h"

#include <algorithm>

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
    PgConnection server(m_target.url());
    refuseNonEmptyTarget(server);
    source.beginSnapshot();

    server.exec(QStringLiteral("BEGIN"));
    try {
        m_progress(QStringLiteral("Creazione dello schema (versione %1) nel database \"%2\"...")
                       .arg(db::SchemaVersions::latest())
                       .arg(m_target.database()));
        server.exec(pgShopSchema());
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
            names << PgConnection::quotedIdentifier(table.name);
        server.exec(QStringLiteral("TRUNCATE ") + names.join(QStringLiteral(", ")));
        for (qsizetype i = 0; i < tables.size(); ++i) {
            const qint64 copied = copyTable(server, source, tables.at(i));
            moveIdentities(server, source, tables.at(i));
            m_progress(QStringLiteral("Tabella \"%1\" (%2 di %3): %4 righe copiate.")
                           .arg(tables.at(i).name)
                           .arg(i + 1)
                           .arg(tables.size())
                           .arg(copied));
        }
        compareCounts(server, source, tables);
        server.exec(QStringLiteral("COMMIT"));
    } catch (const MigraError &e) {
        try {
            server.exec(QStringLiteral("ROLLBACK"));
        } catch (const MigraError &) {
            // A connection gone: the server has rolled back by itself.
        }
        throw MigraError(e.message() + nothingWritten);
    }
    m_progress(QStringLiteral("Migrazione completata nel database \"%1\".").arg(m_target.database()));
}

void ShopMigration::refuseNonEmptyTarget(PgConnection &server) const
{
    // Relations of any schema but the system's; those of an extension
    // (pg_trgm installed beforehand by an administrator) do not count.
    const PgResult found = server.exec(QStringLiteral(
        "SELECT count(*), min(format('%I.%I', n.nspname, c.relname)) FROM pg_class c "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') "
        "AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
        "AND n.nspname NOT LIKE 'pg\\_toast%' AND n.nspname NOT LIKE 'pg\\_temp\\_%' "
        "AND NOT EXISTS (SELECT 1 FROM pg_depend d WHERE d.classid = 'pg_class'::regclass "
        "AND d.objid = c.oid AND d.deptype = 'e')"));
    if (const qint64 objects = found.integer(0, 0); objects > 0)
        throw MigraError(QStringLiteral("Il database di destinazione \"%1\" non è vuoto: contiene già %2 tabelle, "
                                        "viste o sequenze (tra cui %3). La migrazione scrive solo in un database "
                                        "vuoto; non è stato scritto nulla.")
                             .arg(m_target.database())
                             .arg(objects)
                             .arg(found.text(0, 1)));
}

QList<ShopMigration::Table> ShopMigration::matchTables(PgConnection &server, const SqliteSource &source) const
{
    const PgResult columns = server.exec(QStringLiteral(
        "SELECT c.relname, a.attname, a.attidentity <> '' FROM pg_class c "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
        "AND c.relname <> 'tarvo_schema' ORDER BY c.relname, a.attnum"));
    QList<Table> tables;
    for (int row = 0; row < columns.rows(); ++row) {
        if (tables.isEmpty() || tables.last().name != columns.text(row, 0))
            tables.append(Table{columns.text(row, 0), {}, {}, {}});
        const QString column = columns.text(row, 1);
        if (column != QLatin1String("rowid"))
            tables.last().columns << column;
        if (columns.text(row, 2) == QLatin1String("t"))
            tables.last().identityColumns << column;
    }
    QStringList unmatched = source.tables();
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

qint64 ShopMigration::copyTable(PgConnection &server, const SqliteSource &source, const Table &table) const
{
    QString copy = QStringLiteral("COPY ") + PgConnection::quotedIdentifier(table.name) + QStringLiteral(" (rowid");
    for (const QString &column : table.columns)
        copy += QStringLiteral(", ") + PgConnection::quotedIdentifier(column);
    copy += QStringLiteral(") FROM STDIN");
    const auto failed = [&](const MigraError &e) {
        return MigraError(QStringLiteral("Copia della tabella \"%1\" non riuscita: %2.").arg(table.name, e.message()));
    };
    try {
        server.beginCopy(copy);
    } catch (const MigraError &e) {
        throw failed(e);
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
        throw failed(e);
    }
    try {
        return server.endCopy();
    } catch (const MigraError &e) {
        throw failed(e);
    }
}

void ShopMigration::moveIdentities(PgConnection &server, const SqliteSource &source, const Table &table) const
{
    // A counter never gives a number again, not even that of a row deleted
    // at the end (SQLite's AUTOINCREMENT keeps it in sqlite_sequence); in a
    // table with a counter the rowid is the counter.
    const qint64 highestEver = source.highestCounter(table.sourceName);
    const QString quotedTable = PgConnection::quotedIdentifier(table.name);
    for (const QString &column : table.identityColumns) {
        const qint64 highest = std::max(highestEver,
            server.scalar(QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2")
                              .arg(PgConnection::quotedIdentifier(column), quotedTable)));
        // Nothing copied: the identity starts again from 1, as a new table's.
        server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence(%1, %2), %3, %4)")
                        .arg(PgConnection::quotedLiteral(quotedTable), PgConnection::quotedLiteral(column))
                        .arg(std::max<qint64>(highest, 1))
                        .arg(highest > 0 ? QStringLiteral("true") : QStringLiteral("false")));
    }
}

void ShopMigration::compareCounts(PgConnection &server, const SqliteSource &source, const QList<Table> &tables) const
{
    for (const Table &table : tables) {
        const qint64 inFile = source.count(table.sourceName);
        const qint64 onServer =
            server.scalar(QStringLiteral("SELECT count(*) FROM ") + PgConnection::quotedIdentifier(table.name));
        if (inFile != onServer)
            throw MigraError(QStringLiteral("La tabella \"%1\" ha %2 righe nell'archivio e %3 nel database di "
                                            "destinazione.")
                                 .arg(table.name)
                                 .arg(inFile)
                                 .arg(onServer));
    }
}

} // namespace migra
