#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace db {

// What a field holds, from the declared type of its column.
enum class FieldKind { Unknown, Counter, Long, Number, Text, Date, YesNo, Blob };

FieldKind kindFromDeclaredType(const QString &declared, bool integerKey);

struct ColumnMeta {
    QString name;         // as the schema spells it
    QString declaredType;
    FieldKind kind = FieldKind::Unknown;
    bool primaryKey = false;
};

struct TableMeta {
    QString name;
    // The column that keys the table's rows: SQLite's rowid (the counter,
    // when there is one); on the server the counter, or the table's own
    // rowid column. Written as it goes into a statement.
    QString rowKey = QStringLiteral("rowid");
    std::vector<ColumnMeta> columns;
    QHash<QString, int> byFoldedName;
    // The indexes of the file's table, each as the columns it begins with
    // (up to its first expression); the server's planner needs none of this.
    std::vector<QStringList> indexes;
    const ColumnMeta *column(QStringView name) const;
};

// Tables and columns of one database, looked up ignoring case (accented
// letters too), to write every name as the schema spells it.
class SchemaCatalog {
public:
    void load(sqlite3 *handle);
    // The tables of the server's public schema. Each table's own "rowid"
    // (the key SQLite keeps hidden) is left out, as on SQLite.
    void loadServer(pg_conn *server);
    // The table and column a server result column reads (by the table's
    // oid and the column's number); false when not a table of the shop.
    bool serverOrigin(unsigned tableOid, int columnNumber, QString *table, QString *column) const;

    const TableMeta *table(QStringView name) const;
    // The schema spelling of a column name in any table; empty when unknown.
    QString columnSpelling(QStringView name) const;
    FieldKind kindOf(const QString &table, const QString &column) const;
    const std::vector<TableMeta> &tables() const { return m_tables; }
    // The file's schema version (pragma schema_version) when it was read.
    int schemaVersion() const { return m_schemaVersion; }

    static QString fold(QStringView name);

private:
    std::vector<TableMeta> m_tables;
    int m_schemaVersion = -1;
    QHash<QString, int> m_tableByFolded;
    QHash<QString, QString> m_columnByFolded;
    QHash<quint64, std::pair<int, int>> m_serverColumns; // oid << 16 | number: table, column
    void addTable(TableMeta table);
};

} // namespace db
