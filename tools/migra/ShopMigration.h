#pragma once

#include "TargetAddress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace db {
class ServerAdmin;
}

namespace migra {

class SqliteSource;

// Moves a shop from its SQLite file to an empty PostgreSQL database: the
// schema and every row in one transaction of the server, committed only
// when every table holds as many rows as the file. The file is only read,
// as one snapshot. Any failure throws MigraError and leaves the target as
// it was.
class ShopMigration {
public:
    using Progress = std::function<void(const QString &line)>;
    ShopMigration(QString sourcePath, TargetAddress target, Progress progress);
    void run();

private:
    struct Table {
        QString name;       // as the server's schema spells it
        QString sourceName; // as the file spells it
        QStringList columns;          // without rowid
        QStringList identityColumns;  // rowid included
    };
    void refuseNonEmptyTarget(db::ServerAdmin &server) const;
    QList<Table> matchTables(db::ServerAdmin &server, const SqliteSource &source) const;
    qint64 copyTable(db::ServerAdmin &server, const SqliteSource &source, const Table &table) const;
    void moveIdentities(db::ServerAdmin &server, const SqliteSource &source, const Table &table) const;
    void compareCounts(db::ServerAdmin &server, const SqliteSource &source, const QList<Table> &tables) const;

    QString m_sourcePath;
    TargetAddress m_target;
    Progress m_progress;
};

} // namespace migra
