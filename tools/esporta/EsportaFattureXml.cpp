// tarvo-esporta fatture-xml --dal GG/MM/AAAA --al GG/MM/AAAA --cartella DIR [--database FILE]
// The invoices dated in the period, one FatturaPA file each, into DIR.
#include "EsportaCommand.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/SchemaVersions.h"
#include "rules/EInvoiceExport.h"
#include "rules/EInvoiceSource.h"

#include <QDir>

namespace {

int exportInvoices(const QStringList &args)
{
    const QString dal = QStringLiteral("--dal"), al = QStringLiteral("--al");
    const QString cartella = QStringLiteral("--cartella"), database = QStringLiteral("--database");
    QHash<QString, QString> options;
    if (!EsportaCommand::readOptions(args, {dal, al, cartella, database}, options))
        return EsportaCommand::kUsage;
    for (const QString &required : {dal, al, cartella})
        if (!options.contains(required)) {
            EsportaCommand::say(QStringLiteral("manca %1.").arg(required));
            return EsportaCommand::kUsage;
        }
    const QDate from = EsportaCommand::date(dal, options.value(dal));
    const QDate to = EsportaCommand::date(al, options.value(al));
    if (!from.isValid() || !to.isValid())
        return EsportaCommand::kUsage;
    if (to < from) {
        EsportaCommand::say(QStringLiteral("la data --al viene prima di --dal."));
        return EsportaCommand::kUsage;
    }
    const QString path = EsportaCommand::databasePath(options.value(database));
    if (!db::Database::exists(path)) {
        EsportaCommand::say(QStringLiteral("il database \"%1\" non esiste.").arg(QDir::toNativeSeparators(path)));
        return EsportaCommand::kFailed;
    }
    try {
        std::shared_ptr<db::Database> shop = db::Database::open(path);
        const int version = db::SchemaVersions::versionOf(*shop);
        if (version != db::SchemaVersions::latest()) {
            EsportaCommand::say(QStringLiteral("il database è della versione %1, questo programma della %2: aprirlo "
                                               "prima con quirnel, che lo aggiorna.")
                                    .arg(version).arg(db::SchemaVersions::latest()));
            return EsportaCommand::kFailed;
        }
        const QStringList numbers = EInvoiceSource(*shop).numbersBetween(from, to);
        const EInvoiceExport::Result result = EInvoiceExport(*shop).run(numbers, options.value(cartella));
        for (const QString &file : result.files)
            EsportaCommand::out(QDir::toNativeSeparators(file));
        for (const QString &problem : result.problems)
            EsportaCommand::say(problem);
        if (numbers.isEmpty())
            EsportaCommand::say(QStringLiteral("nessuna fattura dal %1 al %2.")
                                    .arg(options.value(dal).trimmed(), options.value(al).trimmed()));
        else if (!result.allExported())
            EsportaCommand::say(QStringLiteral("esportate %1 fatture su %2.")
                                    .arg(result.files.size()).arg(numbers.size()));
        return result.allExported() ? EsportaCommand::kDone : EsportaCommand::kFailed;
    } catch (const db::DbError &error) {
        EsportaCommand::say(error.description());
        return EsportaCommand::kFailed;
    }
}

const EsportaCommand::Registration registration{
    {QStringLiteral("fatture-xml"),
     QStringLiteral("--dal GG/MM/AAAA --al GG/MM/AAAA --cartella CARTELLA [--database FILE]"), exportInvoices}};

} // namespace
