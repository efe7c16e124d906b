// Moves a shop from its SQLite file to an empty database of a PostgreSQL
// server, from the command line:
//   tarvo-migra [ARCHIVIO.mdb] --verso postgresql://utente@server:porta/database
// Without ARCHIVIO the user's tarvo.mdb. The password is never written on
// the command line: libpq reads it from PGPASSWORD or ~/.pgpass. Exit code 0
// only when the copy was committed; 1 when nothing was written; 2 for a
// wrong command line.
#include "MigraError.h"
#include "ShopMigration.h"
#include "TargetAddress.h"
#include "db/ProgramFolder.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kMigrated = 0;
constexpr int kNotMigrated = 1;
constexpr int kUsage = 2;

const char usage[] = "Uso: tarvo-migra [ARCHIVIO.mdb] --verso postgresql://utente@server:porta/database\n";

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString source, target;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--verso") && i + 1 < args.size() && target.isEmpty()) {
            target = args.at(++i);
        } else if (!a.startsWith(QLatin1String("--")) && source.isEmpty()) {
            source = a;
        } else {
            std::fputs(usage, stderr);
            return kUsage;
        }
    }
    if (target.isEmpty()) {
        std::fputs(usage, stderr);
        return kUsage;
    }
    if (source.isEmpty())
        source = db::ProgramFolder::databasePath();

    std::unique_ptr<migra::TargetAddress> address;
    try {
        address = std::make_unique<migra::TargetAddress>(target);
    } catch (const migra::MigraError &e) {
        say(stderr, QStringLiteral("tarvo-migra: %1").arg(e.message()));
        return kUsage;
    }
    try {
        migra::ShopMigration migration(source, *address, [](const QString &line) { say(stdout, line); });
        migration.run();
        return kMigrated;
    } catch (const migra::MigraError &e) {
        say(stderr, QStringLiteral("tarvo-migra: %1").arg(e.message()));
        return kNotMigrated;
    }
}
