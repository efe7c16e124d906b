#pragma once

#include "LegacyLexer.h"
#include "SchemaCatalog.h"
#include "Statement.h"
#include "Translation.h"

#include <QHash>
#include <array>
#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace db {

class ServerSession;

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

// One open connection, to a SQLite file or to the shop's PostgreSQL server,
// with its caches: translations by statement shape, prepared statements by
// text, the schema's names and kinds. Statements are written as they run on
// SQLite; on the server each is rewritten once, when it is prepared.
class Connection {
public:
    // The file at `path`, or the server its folder's tarvo.ini names.
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
    Statement *statement(const QString &sql, const QString &legacy);
    // The same, remembered in `slot` so that a hot statement skips the lookup.
    Statement *statement(const QString &sql, const QString &legacy, CachedStatement &slot);
    // A statement of the caller's own, not kept (a statement inside a read
    // of the same one).
    std::unique_ptr<Statement> prepareOwn(const QString &sql, const QString &legacy);
    static void bindLiterals(Statement *statement, const std::vector<Literal> &literals, int first, int last,
                             int firstParameter);
    // An insert whose lastInsertId() is the new row's `key` (a column of
    // the table): SQLite tells the last row's key by itself, the server is
    // asked for it. `legacy` empty: the statement as it runs names itself.
    Statement *insertStatement(const QString &sql, const QString &key, const QString &legacy);
    // A page's LIMIT: negative for no limit.
    void bindLimit(Statement *statement, int parameter, qint64 limit) const;
    const RowShape &shapeOf(const Translation &translation, Statement *statement);

    int execute(const QString &legacy);
    void runPlain(const char *sql);
    // Lets go of the pages the connection keeps in memory and does not need
    // now (after a long read whose pages will not be read again soon); the
    // server keeps its own.
    void releaseCache();
    // For a read that goes through a table once: few pages kept meanwhile
    // (true), then the usual cache again (false). Nothing on the server.
    void readOnce(bool on);
    void schemaChanged();

    void beginTrans();
    void commitTrans();
    void rollback();
    int transactionDepth() const { return m_depth; }

    // The SQLite file's handle; null on the server.
    sqlite3 *handle() const { return m_handle; }
    pg_conn *server() const { return m_server; }
    bool onServer() const { return m_server != nullptr; }
    // Stops the statement running now (from any thread): SQLite is
    // interrupted, the server asked to stop it.
    void interrupt() const;
    const QString &path() const { return m_path; }
    const SchemaCatalog &catalog() const { return m_catalog; }

private:
    Connection(sqlite3 *handle, pg_conn *server, QString path);
    static std::shared_ptr<Connection> openServer(const QString &path, const class DatabaseSettings &settings);
    bool serverInTransaction() const;
    void clearStatements();
    // Whether the shop's name now names another file than the one open (a
    // restore by hand, a program that does not share the file's lock); once
    // seen, the connection neither writes nor reads again.
    bool fileReplaced();
    void refuseIfReplaced() const;
    static int refuseCommitIfReplaced(void *connection);
    // SQLite's own automatic checkpoint, held while the file's check has no
    // verdict (db::WriteGate).
    static int checkpointWhenSound(void *connection, sqlite3 *handle, const char *database, int frames);
    // Rolls back whatever SQLite still holds open and forgets every level.
    void abandonTransaction();

    sqlite3 *m_handle;
    pg_conn *m_server;
    std::unique_ptr<ServerSession> m_session;   // owns m_server
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
    QHash<QString, Statement *> m_statements;
    int m_depth = 0;
    bool m_replaced = false;
    quint64 m_statementGeneration = 1;
};

} // namespace db
