#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace migra {

// The shop's SQLite file, opened read-only. After beginSnapshot() every read
// sees the file as it was at that moment, even while the program writes.
class SqliteSource {
public:
    // Throws MigraError when the file is missing or no database.
    explicit SqliteSource(const QString &path);
    ~SqliteSource();
    SqliteSource(const SqliteSource &) = delete;
    SqliteSource &operator=(const SqliteSource &) = delete;

    int schemaVersion() const;
    // The tables holding the shop's rows: not SQLite's own, not the trigram
    // index nor the tables it keeps.
    QStringList tables() const;
    QStringList columns(const QString &table) const;
    void beginSnapshot();
    qint64 count(const QString &table) const;
    // The highest counter AUTOINCREMENT ever gave in the table (rows
    // deleted since included), 0 when it has none.
    qint64 highestCounter(const QString &table) const;
    // rowid and then `columns`, by rowid, each row handed to `row`.
    void readRows(const QString &table, const QStringList &columns,
                  const std::function<void(sqlite3_stmt *)> &row) const;

private:
    sqlite3_stmt *prepare(const QString &sql) const;
    [[noreturn]] void fail(const QString &sql) const;
    QString m_path;
    sqlite3 *m_handle = nullptr;
};

} // namespace migra
