#pragma once

#include <QString>
#include <memory>

namespace db {

class Connection;

// Connections that work on a thread of its own (a report) opens for itself,
// kept open between uses: opening one costs more than printing an article's
// card, and a kept one still has the pages it read in its cache. One idle
// connection per file; Database::closeAll() closes them, as before a restore.
class IdleConnections {
public:
    // An idle connection to the file, or a new one. Throws DbError.
    static std::shared_ptr<Connection> take(const QString &path);
    // Kept for the next take() when nobody else holds it.
    static void giveBack(std::shared_ptr<Connection> connection);
    static void closeAll();
};

} // namespace db
