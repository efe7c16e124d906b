#pragma once

#include "LegacyLexer.h"
#include "SchemaCatalog.h"
#include "Translation.h"

#include <QHash>
#include <array>
#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// A column of a select as the record set sees it.
struct ColumnInfo {
    QString name;          // as SQLite names it (alias or column name)
    QString fieldName;     // what fieldNames() shows: "table.field" when ambiguous
    QString table;         // the origin table (schema spelling), empty for expressions
    QString column;        // the origin column
    QString qualifier;     // the from-clause name or alias that owns it
    int tableIndex = -1;   // index into Translation::tables
    FieldKind kind = FieldKind::Unknown;
    bool updatable = false;
};

struct RowShape {
    std::vector<ColumnInfo> columns; // visible columns only
    int totalColumns = 0;            // visible + hidden row keys
    int find(QStringView name) const;
};

// The constants of a statement, shared between the cache of recent texts
// and the sets opened on them (a repeated lookup copies no list).
class LiteralList {
public:
    LiteralList() = default;
    explicit LiteralList(std::vector<Literal> literals)
        : m_list(std::make_shared<const std::vector<Literal>>(std::move(literals))) {}
    operator const std::vector<Literal> &() const { return m_list ? *m_list : empty(); }
    size_t size() const { return m_list ? m_list->size() : 0; }
    void clear() { m_list.reset(); }
private:
    static const std::vector<Literal> &empty()
    {
        static const std::vector<Literal> none;
        return none;
    }
    std::shared_ptr<const std::vector<Literal>> m_list;
};

// One open SQLite connection with its caches: translations by statement
// shape, prepared statements by text, the schema's names and kinds.
class Connection {
public:
    static std::shared_ptr<Connection> open(const QString &path);
    // The page cache of every connection (the benchmarks give their raw
    // connections the same).
    static void applyReadSettings(sqlite3 *handle);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    struct Translated {
        std::shared_ptr<const Translation> translation;
        LiteralList literals;
    };
    // `context`: for a criterion, the criterionContext of the set it filters.
    Translated translate(const QString &legacy, bool expression, const QString &context = QString());

    // Prepared once and kept; every use binds, steps and resets it.
    sqlite3_stmt *statement(const QString &sql, const QString &legacy);
    // The same, remembered in `slot` so that a hot statement skips the lookup.
    sqlite3_stmt *statement(const QString &sql, const QString &legacy, CachedStatement &slot);
    static void bindLiterals(sqlite3_stmt *statement, const std::vector<Literal> &literals, int first, int last,
                             int firstParameter);
    const RowShape &shapeOf(const Translation &translation, sqlite3_stmt *statement);

    int execute(const QString &legacy);
    void runPlain(const char *sql);
    void schemaChanged();

    void beginTrans();
    void commitTrans();
    void rollback();
    int transactionDepth() const { return m_depth; }

    sqlite3 *handle() const { return m_handle; }
    const QString &path() const { return m_path; }
    const SchemaCatalog &catalog() const { return m_catalog; }

private:
    Connection(sqlite3 *handle, QString path);
    void clearStatements();
    // Rolls back whatever SQLite still holds open and forgets every level.
    void abandonTransaction();

    sqlite3 *m_handle;
    QString m_path;
    SchemaCatalog m_catalog;
    Translated translateShape(const QString &legacy, bool expression, const QString &context);
    static void foldLiterals(Translated &translated);

    QHash<QString, std::shared_ptr<const Translation>> m_translations;
    struct TextSlot {
        QString text;
        bool expression = false;
        QString context;
        Translated translated;
    };
    std::array<TextSlot, 512> m_recentTexts;
    QHash<QString, sqlite3_stmt *> m_statements;
    int m_depth = 0;
    quint64 m_statementGeneration = 1;
};

// Resets a statement when the scope ends, whatever happened in it.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt *statement) : m_statement(statement) {}
    ~StatementUse();
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;
private:
    sqlite3_stmt *m_statement;
};

} // namespace db
