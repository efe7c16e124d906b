// tarvo-mkdb <database> <schema.sql>
// Creates the shop's database from the schema when, and only when, no file
// of that name exists: a user's data is never overwritten.
#include "db/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "uso: tarvo-mkdb <database> <schema.sql>\n";
        return 2;
    }
    const QString database = args.at(1);
    const QString schemaPath = args.at(2);
    if (QFileInfo::exists(database)) {
        out << "tarvo-mkdb: " << database << " esiste già, lasciato invariato\n";
        return 0;
    }
    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly)) {
        err << "tarvo-mkdb: impossibile leggere lo schema " << schemaPath << "\n";
        return 1;
    }
    try {
        db::Database::create(database, QString::fromUtf8(schema.readAll()));
    } catch (const db::DbError &error) {
        if (error.number() == 3204) { // created by someone else meanwhile
            out << "tarvo-mkdb: " << database << " esiste già, lasciato invariato\n";
            return 0;
        }
        err << "tarvo-mkdb: " << error.description() << "\n";
        return 1;
    }
    out << "tarvo-mkdb: creato " << database << " da " << schemaPath << "\n";
    return 0;
}
