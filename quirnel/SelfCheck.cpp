#include "quirnel/SelfCheck.h"

#include "base/Globals.h"
#include "base/errors/ComponentActivation.h"
#include "base/errors/ErrorTrap.h"
#include "safety/ShopSafety.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "lodder/IDeb.h"
#include "report/ReportControl.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &reason)
{
    throw std::runtime_error(reason.toStdString());
}

void createDatabase(const QString &database)
{
    const QString schemaPath = QDir(installFolder()).filePath(QStringLiteral("tarvo.sql"));
    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly))
        fail(QStringLiteral("schema %1 non leggibile").arg(schemaPath));
    db::Database::create(database, QString::fromUtf8(schema.readAll()));
    safety::upgradeShop(database, QDate::currentDate());
    db::Database::open(database);
}

void writeThroughLogLibrary(const QString &programDir)
{
    std::unique_ptr<lodder::IDeb> deb(static_cast<lodder::IDeb *>(errors::createByClassId(
        QString::fromLatin1(lodder::kDebClassId), QString::fromLatin1(lodder::kDebInterfaceId))));
    QString logName = QStringLiteral("verifica.log");
    QString note = QStringLiteral("verifica dell'installazione");
    QString folder = QDir(programDir).filePath(QStringLiteral("log"));
    const lodder::DebStatus status = deb->WriteLog(logName, note, &folder);
    if (!status.ok() || !QFileInfo(logName).isFile())
        fail(QStringLiteral("la libreria dei log non ha scritto %1 (%2)").arg(logName, status.description));
}

void printTemplate(const QString &database, const QString &pdf)
{
    using namespace report;
    const QString templatePath = QDir(installFolder()).filePath(QStringLiteral("articoli.rpt"));
    if (!QFileInfo(templatePath).isFile())
        fail(QStringLiteral("modello %1 mancante").arg(templatePath));
    ReportControl report;
    report.setFeedback(false);
    report.setDatabasePath(database);
    report.setPdfFile(pdf);
    report.set(prop::ReportFileName, templatePath);
    report.set(prop::Destination, int(Destination::File));
    report.set(prop::Action, 1);
    if (report.runCount() != 1 || QFileInfo(pdf).size() == 0)
        fail(QStringLiteral("il modello %1 non è stato stampato in PDF").arg(templatePath));
}

} // namespace

int runSelfCheck()
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        err << "verifica non riuscita: cartella temporanea non creata\n";
        return 1;
    }
    setProgramFolder(folder.path());
    const QString database = folder.filePath(QStringLiteral("tarvo.mdb"));
    const QString pdf = folder.filePath(QStringLiteral("verifica.pdf"));
    const QString step[] = {QStringLiteral("database"), QStringLiteral("libreria dei log"),
                            QStringLiteral("stampa")};
    int done = 0;
    bool passed = false;
    try {
        createDatabase(database);
        out << "database: " << database << " creato e aperto\n";
        ++done;
        writeThroughLogLibrary(folder.path());
        out << "libreria dei log: caricata dal registro dei componenti\n";
        ++done;
        printTemplate(database, pdf);
        out << "stampa: articoli.rpt in PDF (" << QFileInfo(pdf).size() << " byte)\n";
        passed = true;
    } catch (const db::DbError &error) {
        err << "verifica non riuscita (" << step[done] << "): " << error.description() << "\n";
    } catch (const errors::AppError &error) {
        err << "verifica non riuscita (" << step[done] << "): " << error.err().description << "\n";
    } catch (const std::exception &error) {
        err << "verifica non riuscita (" << step[done] << "): " << QString::fromStdString(error.what()) << "\n";
    }
    db::Database::closeAll();
    setProgramFolder(QString());
    if (!passed)
        return 1;
    out << "verifica riuscita\n";
    return 0;
}
