#include "SchemaCatalog.h"

#include <libpq-fe.h>
#include <cstdlib>
#include <sqlite3.h>

namespace db {

FieldKind kindFromDeclaredType(const QString &declared, bool integerKey)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("COUNTER")) || (integerKey && t == QLatin1String("INTEGER")))
        return FieldKind::Counter;
    if (t.contains(QLatin1String("YESNO")) || t.contains(QLatin1String("BOOL")) || t == QLatin1String("BIT"))
        return FieldKind::YesNo;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return FieldKind::Date;
    if (t.contains(QLatin1String("DOUBLE")) || t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("NUMBER")) || t.contains(QLatin1String("NUMERIC"))
        || t.contains(QLatin1String("DECIMAL")) || t.contains(QLatin1String("CURRENCY")))
        return FieldKind::Number;
    if (t.contains(QLatin1String("LONG")) || t.contains(QLatin1String("INT")))
        return FieldKind::Long;
    if (t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("MEMO"))
        || t.contains(QLatin1String("CLOB")))
        return FieldKind::Text;
    if (t.contains(QLatin1String("BLOB")))
        return FieldKind::Blob;
    return FieldKind::Unknown;
}

QString SchemaCatalog::fold(QStringView name)
{
    return name.toString().normalized(QString::NormalizationForm_C).toCaseFolded();
}

const ColumnMeta *TableMeta::column(QStringView name) const
{
    const auto it = byFoldedName.constFind(SchemaCatalog::fold(name));
    return it == byFoldedName.cend() ? nullptr : &columns[size_t(*it)];
}

namespace {

// The plain columns each index of a table begins with, in index order; an
// expression (a text key) ends the list.
std::vector<QStringList> indexesOf(sqlite3 *handle, const QString &table)
{
    std::vector<QStringList> indexes;
    sqlite3_stmt *list = nullptr;
    sqlite3_prepare_v2(handle,
                       "select l.name, x.cid, x.name from pragma_index_list(?1) l, pragma_index_xinfo(l.name) x "
                       "where x.key = 1 order by l.name, x.seqno",
                       -1, &list, nullptr);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(list, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    QString current;
    bool ended = false;
    while (list && sqlite3_step(list) == SQLITE_ROW) {
        const QString index = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(list, 0)));
        if (index != current || indexes.empty()) {
            current = index;
            indexes.emplace_back();
            ended = false;
        }
        if (sqlite3_column_int(list, 1) < 0)
            ended = true;
        if (!ended)
            indexes.back() << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(list, 2)));
    }
    sqlite3_finalize(list);
    std::erase_if(indexes, [](const QStringList &columns) { return columns.isEmpty(); });
    return indexes;
}

} // namespace

void SchemaCatalog::load(sqlite3 *handle)
{
    m_tables.clear();
    m_tableByFolded.clear();
    m_columnByFolded.clear();

    // Read before the tables: a change made meanwhile leaves the catalog
    // newer than its version, never older.
    sqlite3_stmt *version = nullptr;
    m_schemaVersion = -1;
    if (sqlite3_prepare_v2(handle, "pragma schema_version", -1, &version, nullptr) == SQLITE_OK
        && sqlite3_step(version) == SQLITE_ROW)
        m_schemaVersion = sqlite3_column_int(version, 0);
    sqlite3_finalize(version);

    // Search indexes (virtual tables and the shadow tables that hold them)
    // are the engine's own business: their names never resolve a statement's.
    sqlite3_stmt *list = nullptr;
    sqlite3_prepare_v2(handle,
                       "select name from pragma_table_list where schema = 'main' and type in ('table','view') "
                       "and name not like 'sqlite^_%' escape '^'",
                       -1, &list, nullptr);
    std::vector<QString> names;
    while (list && sqlite3_step(list) == SQLITE_ROW)
        names.push_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(list, 0))));
    sqlite3_finalize(list);

    for (const QString &name : names) {
        TableMeta table;
        table.name = name;
        sqlite3_stmt *info = nullptr;
        const QByteArray sql = "pragma table_info(\"" + name.toUtf8().replace('"', "\"\"") + "\")";
        sqlite3_prepare_v2(handle, sql.constData(), -1, &info, nullptr);
        int keyColumns = 0;
        while (info && sqlite3_step(info) == SQLITE_ROW) {
            ColumnMeta column;
            column.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 1)));
            column.declaredType = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 2)));
            column.primaryKey = sqlite3_column_int(info, 5) > 0;
            keyColumns += column.primaryKey ? 1 : 0;
            table.columns.push_back(column);
        }
        sqlite3_finalize(info);
        for (ColumnMeta &column : table.columns)
            column.kind = kindFromDeclaredType(column.declaredType, column.primaryKey && keyColumns == 1);
        table.indexes = indexesOf(handle, name);
        addTable(std::move(table));
    }
}

void SchemaCatalog::addTable(TableMeta table)
{
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const QString folded = fold(table.columns[i].name);
        table.byFoldedName.insert(folded, int(i));
        if (!m_columnByFolded.contains(folded))
            m_columnByFolded.insert(folded, table.columns[i].name);
    }
    m_tableByFolded.insert(fold(table.name), int(m_tables.size()));
    m_tables.push_back(std::move(table));
}

namespace {

// The server schema's types, as the shop's schema names them: counters are
// identity columns, longs bigint, yes/no integer (-1/0), dates timestamps.
FieldKind serverKind(const QByteArray &type, bool identity)
{
    if (identity)
        return FieldKind::Counter;
    if (type == "integer" || type == "smallint" || type == "boolean")
        return FieldKind::YesNo;
    if (type == "bigint")
        return FieldKind::Long;
    if (type == "double precision" || type == "real" || type.startsWith("numeric"))
        return FieldKind::Number;
    if (type.startsWith("timestamp") || type == "date")
        return FieldKind::Date;
    if (type == "bytea")
        return FieldKind::Blob;
    if (type == "text" || type.startsWith("character"))
        return FieldKind::Text;
    return FieldKind::Unknown;
}

} // namespace

void SchemaCatalog::loadServer(pg_conn *server)
{
    m_tables.clear();
    m_tableByFolded.clear();
    m_columnByFolded.clear();
    m_serverColumns.clear();
    m_schemaVersion = 0;
    PGresult *result = PQexec(server,
        "SELECT c.oid, c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod), "
        "a.attidentity <> '', coalesce(i.indisprimary, false) "
        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary AND a.attnum = ANY (i.indkey) "
        "WHERE n.nspname = 'public' AND c.relkind IN ('r', 'v', 'p') AND c.relname <> 'tarvo_schema' "
        "ORDER BY c.relname, a.attnum");
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        PQclear(result);
        return;
    }
    const int rows = PQntuples(result);
    TableMeta table;
    unsigned tableOid = 0;
    for (int r = 0; r <= rows; ++r) {
        const unsigned oid = r < rows ? unsigned(std::strtoul(PQgetvalue(result, r, 0), nullptr, 10)) : 0;
        if (oid != tableOid && tableOid != 0)
            addTable(std::move(table));
        if (r == rows)
            break;
        if (oid != tableOid) {
            table = TableMeta();
            table.name = QString::fromUtf8(PQgetvalue(result, r, 1));
            tableOid = oid;
        }
        const QString name = QString::fromUtf8(PQgetvalue(result, r, 3));
        if (name == QLatin1String("rowid"))
            continue;
        ColumnMeta column;
        column.name = name;
        column.declaredType = QString::fromUtf8(PQgetvalue(result, r, 4));
        column.primaryKey = PQgetvalue(result, r, 6)[0] == 't';
        column.kind = serverKind(PQgetvalue(result, r, 4), PQgetvalue(result, r, 5)[0] == 't');
        // A counter keys its rows, as in SQLite, where it is the rowid: the
        // key a new row reports is then its counter.
        if (column.kind == FieldKind::Counter && column.primaryKey)
            table.rowKey = QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        const int number = std::atoi(PQgetvalue(result, r, 2));
        m_serverColumns.insert(quint64(oid) << 16 | quint64(number),
                               {int(m_tables.size()), int(table.columns.size())});
        table.columns.push_back(column);
    }
    PQclear(result);
}

bool SchemaCatalog::serverOrigin(unsigned tableOid, int columnNumber, QString *table, QString *column) const
{
    const auto it = m_serverColumns.constFind(quint64(tableOid) << 16 | quint64(columnNumber));
    if (it == m_serverColumns.cend())
        return false;
    const TableMeta &meta = m_tables[size_t(it->first)];
    *table = meta.name;
    *column = meta.columns[size_t(it->second)].name;
    return true;
}

const TableMeta *SchemaCatalog::table(QStringView name) const
{
    const auto it = m_tableByFolded.constFind(fold(name));
    return it == m_tableByFolded.cend() ? nullptr : &m_tables[size_t(*it)];
}

QString SchemaCatalog::columnSpelling(QStringView name) const
{
    return m_columnByFolded.value(fold(name));
}

FieldKind SchemaCatalog::kindOf(const QString &table, const QString &column) const
{
    const TableMeta *meta = this->table(table);
    if (!meta)
        return FieldKind::Unknown;
    const ColumnMeta *col = meta->column(column);
    return col ? col->kind : FieldKind::Unknown;
}

} // namespace db
