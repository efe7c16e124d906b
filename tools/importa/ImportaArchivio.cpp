// Imports the old program's database into Tarvo's, from the command line:
//   tarvo-importa FILE.mdb [--database tarvo.mdb] [--sostituisci]
// or the suppliers' electronic invoices (ImportaFatture.h):
//   tarvo-importa fatture FILE|CARTELLA... [--prova]
// Without --sostituisci a database that already holds the shop's data is
// left as it is and the import refused. Exit code 0 only when imported.
#include "db/Database.h"
#include "db/DbError.h"
#include "db/ProgramFolder.h"
#include "legacy/LegacyImport.h"
#include "ImportaFatture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int kImported = 0;
constexpr int kNotImported = 1;
constexpr int kUsage = 2;

const char usage[] = "Uso: tarvo-importa ARCHIVIO.mdb [--database tarvo.mdb] [--sostituisci]\n"
                     "     tarvo-importa fatture FILE|CARTELLA... [--prova] [--data-carico fattura|oggi] "
                     "[--database tarvo.mdb]\n";

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString file, database;
    legacy::ImportOptions options;
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("fatture"))
        return importSupplierInvoices(args.mid(1));
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--database") && i + 1 < args.size()) {
            database = args.at(++i);
        } else if (a == QLatin1String("--sostituisci")) {
            options.whenDataPresent = legacy::WhenDataPresent::Replace;
        } else if (!a.startsWith(QLatin1String("--")) && file.isEmpty()) {
            file = a;
        } else {
            std::fputs(usage, stderr);
            return kUsage;
        }
    }
    if (file.isEmpty()) {
        std::fputs(usage, stderr);
        return kUsage;
    }
    if (database.isEmpty())
        database = db::ProgramFolder::databasePath();
    if (!QFileInfo::exists(database)) {
        say(stderr, QStringLiteral("tarvo-importa: il database %1 non esiste.").arg(database));
        return kNotImported;
    }
    options.now = QDateTime::currentDateTime();
    options.progress = [](const legacy::ImportProgress &p) {
        if (p.rows == 0)
            say(stderr, QStringLiteral("Lettura della tabella %1 (%2 di %3)...").arg(p.table).arg(p.tableIndex + 1).arg(p.tableCount));
    };
    try {
        auto db = db::Database::open(database);
        const legacy::ImportResult result = legacy::importLegacyFile(file, *db, options);
        say(result.imported() ? stdout : stderr, result.summary());
        return result.imported() ? kImported : kNotImported;
    } catch (const db::DbError &e) {
        say(stderr, QStringLiteral("tarvo-importa: %1").arg(e.description()));
        return kNotImported;
    }
}
