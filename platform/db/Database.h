#pragma once

#include "db/DbError.h"
#include "db/Recordset.h"

#include <QString>
#include <memory>

struct sqlite3;

namespace db {

class Connection;
class Statement;

// How a search by a piece of text finds its rows without reading each one.
enum class TextSearch {
    Scan,          // no index: every row is read
    TrigramTable,  // a table of trigrams beside the file's table (fts5), read by "match"
    FoldedKeyLike, // the server's trigram index on the folded key, read by its own "like"
};

// One open database file. Opening the same file again returns the same
// connection (opening costs far more than a lookup), so callers may "open the
// database" for every lookup as the windows always did.
//
// Statements are written in the legacy dialect the windows use
// ([Bracketed Names], #m/d/yyyy# dates, "double-quoted" strings, * and ? in
// like patterns, top N, -1/0 for yes/no) and translated before they run.
class Database {
public:
    // Throws DbError(FileNotFound) when the file does not exist. `connect` is
    // the legacy connect text (";PWD=..."); an empty password is accepted.
    static std::shared_ptr<Database> open(const QString &path, const QString &connect = QString());
    // Creates a new database file from a schema script (plain SQLite SQL).
    // Refuses (DbError) when the file already exists: a user's data is never
    // overwritten.
    static void create(const QString &path, const QString &schemaSql);
    // Whether there is a shop at `path`: its file, or the server that
    // tarvo.ini beside it names (a shop on a server has no file). Throws
    // DbError when tarvo.ini names an unknown driver or a password.
    static bool exists(const QString &path);
    // Drops every cached connection (tests, and before a file is replaced).
    static void closeAll();
    // Whether a connection to the file is still open (a record set, a
    // database object someone keeps), even after closeAll().
    static bool inUse(const QString &path);

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString path() const;

    // Runs an action statement (delete, update, insert) and returns the number
    // of rows it touched.
    int execute(const QString &legacySql);
    // Opens a record set on a select statement.
    std::unique_ptr<Recordset> openRecordset(const QString &legacySql);
    // The statement as it runs on SQLite (for tests and diagnostics).
    QString translate(const QString &legacySql) const;

    // Transactions nest (savepoints inside an outer transaction).
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const;

    // The SQLite file's handle; null when the shop is on a server.
    sqlite3 *handle() const;
    bool onServer() const;
    // What serves a search by a piece of text: `trigramTable` is the table
    // of trigrams a file may hold.
    TextSearch textSearch(const QString &trigramTable);
    // The server keeps the shop's copies itself (pg_dump, its own schema
    // steps): the program neither takes nor restores copies of it.
    bool copiesItself() const { return onServer(); }
    // A statement of the caller's own, written as it runs on SQLite ("?"
    // parameters), prepared once and kept by the connection (rewritten for
    // the server there). Use it with a StatementUse: it is reset after use.
    Statement *statement(const QString &sql);
    // An insert of the caller's own, as statement() gives it, whose
    // lastInsertId() is the new row's `key` on either engine.
    Statement *insertStatement(const QString &sql, const QString &key);
    std::shared_ptr<Connection> connection() const;

    struct Impl;
private:
    explicit Database(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
    friend class Recordset;
};

// Commits on commit(), rolls back when it goes out of scope without it, so a
// stock change and the row it belongs to are written together or not at all.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
private:
    Database &m_db;
    bool m_done = false;
};

} // namespace db
