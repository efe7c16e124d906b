#include "tools/esporta/StatisticheCsv.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "rules/ShopDatabase.h"
#include "rules/stats/SalesStatistics.h"
#include "rules/stats/StatisticsTables.h"
#include "tools/esporta/EsportaCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <cstdio>
#include <unistd.h>

QString StatisticheCsv::usage()
{
    return QStringLiteral("Uso: tarvo-esporta csv statistiche --dal GG/MM/AAAA [--al GG/MM/AAAA] "
                          "[--classifica pezzi|incasso] [--database FILE] [--file FILE.csv]\n");
}

int StatisticheCsv::run(const QStringList &arguments)
{
    QHash<QString, QString> options;
    const QStringList names{QStringLiteral("--dal"), QStringLiteral("--al"), QStringLiteral("--classifica"),
                            QStringLiteral("--database"), QStringLiteral("--file")};
    if (!EsportaCommand::readOptions(arguments, names, options) || !options.contains(QStringLiteral("--dal"))) {
        std::fputs(usage().toLocal8Bit().constData(), stderr);
        return EsportaCommand::kUsage;
    }
    const QString ranking = options.value(QStringLiteral("--classifica"), QStringLiteral("pezzi"));
    if (ranking != QLatin1String("pezzi") && ranking != QLatin1String("incasso")) {
        EsportaCommand::say(QStringLiteral("--classifica vuole pezzi o incasso, non \"%1\".").arg(ranking));
        return EsportaCommand::kUsage;
    }
    const QDate from = EsportaCommand::date(QStringLiteral("--dal"), options.value(QStringLiteral("--dal")));
    const QDate to = options.contains(QStringLiteral("--al"))
                         ? EsportaCommand::date(QStringLiteral("--al"), options.value(QStringLiteral("--al")))
                         : from;
    if (!from.isValid() || !to.isValid())
        return EsportaCommand::kUsage;
    if (from > to) {
        EsportaCommand::say(QStringLiteral("la data di --dal segue quella di --al: nessun dato è stato esportato."));
        return EsportaCommand::kUsage;
    }
    const QString path =
        QFileInfo(EsportaCommand::databasePath(options.value(QStringLiteral("--database")))).absoluteFilePath();
    if (!db::Database::exists(path)) {
        std::fprintf(stderr, "tarvo-esporta: database %s non trovato\n", path.toLocal8Bit().constData());
        return EsportaCommand::kFailed;
    }
    ShopDatabase::setLocation(path);
    QList<ListExport> tables;
    try {
        const SalesStatistics statistics = SalesStatistics::read(
            *ShopDatabase::open(), StatisticsPeriod::of(StatisticsPeriod::Kind::Range, from, to));
        tables = StatisticsTables::all(statistics, ranking == QLatin1String("incasso")
                                                       ? StatisticsTables::Ranking::Takings
                                                       : StatisticsTables::Ranking::Pieces);
    } catch (const db::DbError &error) {
        EsportaCommand::say(error.description() + QStringLiteral(" Nessun dato è stato esportato."));
        return EsportaCommand::kFailed;
    }
    const QString file = options.value(QStringLiteral("--file"));
    if (file.isEmpty()) {
        QFile out;
        out.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
        if (!StatisticsTables::writeCsv(tables, out) || !out.flush()) {
            EsportaCommand::say(QStringLiteral("impossibile scrivere su standard output: %1.").arg(out.errorString()));
            return EsportaCommand::kFailed;
        }
        return EsportaCommand::kDone;
    }
    // Written aside and put in place whole: a full disk leaves no half file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !StatisticsTables::writeCsv(tables, out) || !out.commit()) {
        EsportaCommand::say(QStringLiteral("impossibile scrivere il file %1: %2. Nessun file è stato scritto.")
                                .arg(QDir::toNativeSeparators(file), out.errorString()));
        return EsportaCommand::kFailed;
    }
    return EsportaCommand::kDone;
}
