// The shop's file kept safe, on a copy of a large shop, each figure beside
// plain work of the same kind in the same run and judged against a limit:
//   upgrade: the copy set back to an older version of the schema (what the
//     later steps added taken away, its version number put back), then
//     upgraded as the program does at start (safety copy of the file before
//     each step included); from the version before the last (the last
//     step) and from version 1 (every text index of the tables built again,
//     as the step to version 2 does). Raw: copying the file once per step
//     (cp + fsync), the work a step's safety copy stands for, plus plain
//     SQLite making again what the set-back took away, from the original's
//     own statements, and reading the statistics again as the last step
//     does. Judged: within 1.5x of it. After each upgrade, ours and the plain
//     one, the schema must be the original's again (tables, columns,
//     indexes, triggers), else the set-back was wrong.
//   backup: the online backup against plain SQLite's own backup API into a
//     new file, synced, within 1.5x (copying the file with cp + fsync is
//     printed beside it, for comparison); the whole backup command (copy + integrity_check of the
//     copy) against cp + fsync + plain SQLite's integrity_check of the copy,
//     within 1.5x;
//   the check at start (quick_check through the program's read-only open)
//     against plain SQLite's quick_check of the same file, within 1.5x.
// Every side reads the file once before it is timed (the system's cache
// warm alike); medians of 3 runs (each upgrade round on a fresh set-back
// copy). The file copy and the backup both end
// with the copy synced to the disk.
//
//   bench-safety <shop.mdb> [work folder]   (the shop is only read: the
//   bench works on a copy of it in the work folder, which needs room for
//   three copies of the shop; on the large shop it takes about a quarter of
//   an hour, most of it the integrity checks of the backups)
#include "../common/BenchClock.h"

#include "safety/ShopSafety.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "db/SalesSummary.h"
#include "db/SchemaVersions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sqlite3.h>
#include <unistd.h>

using bench::Clock;
using bench::millis;

namespace {

const QDate kToday(2026, 12, 8);

// cp and fsync: what "as fast as copying the file" means.
double copyFileMs(const QString &from, const QString &to)
{
    const auto start = Clock::now();
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("copy failed");
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
    return millis(Clock::now() - start);
}

void exec(sqlite3 *handle, const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("bench-safety: %s: %s", qPrintable(sql), message ? message : "");
}

QStringList rows(sqlite3 *handle, const QString &sql)
{
    QStringList out;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        qFatal("bench-safety: %s: %s", qPrintable(sql), sqlite3_errmsg(handle));
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            cells << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
        out << cells.join(QLatin1Char('|'));
    }
    sqlite3_finalize(statement);
    return out;
}

// A plain SQLite connection to the file, as any SQLite tool opens it.
class Plain {
public:
    explicit Plain(const QString &path, bool write = false)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &handle,
                            write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            qFatal("bench-safety: cannot open %s", qPrintable(path));
    }
    ~Plain() { sqlite3_close(handle); }
    sqlite3 *handle = nullptr;
};

// What the schema holds, as the upgrade must leave it: every object by type
// and name, every table's columns with their types and defaults.
QStringList schemaOf(const QString &path)
{
    Plain file(path);
    QStringList out = rows(file.handle, QStringLiteral("select type, name, tbl_name from sqlite_schema order by 1, 2"));
    for (const QString &table : rows(file.handle, QStringLiteral("select name from sqlite_schema where type = 'table' "
                                                                 "and name not like 'sqlite_%' order by name"))) {
        QStringList columns = rows(file.handle, QStringLiteral("select name, type, dflt_value, pk from pragma_table_info('%1')")
                                                    .arg(QString(table).replace(QLatin1Char('\''), QStringLiteral("''"))));
        columns.sort();
        out << table + QStringLiteral(": ") + columns.join(QStringLiteral(", "));
    }
    out << rows(file.handle, QStringLiteral("pragma user_version"));
    return out;
}

// Sets a copy of a shop at the latest version back to `version`: what the
// later steps add is taken away, as a file of that version lacks it.
void setBack(const QString &path, int version)
{
    Plain file(path, true);
    exec(file.handle, QStringLiteral("begin"));
    if (version < 9) {
        // The sales by date with their item and quantity.
        exec(file.handle, QStringLiteral("drop index if exists scarico_DataArticolo"));
    }
    if (version < 8) {
        // The sales' summary for the statistics and the triggers that keep it.
        exec(file.handle, QStringLiteral("drop trigger if exists VenditeStatistiche_Inserimento; "
                                         "drop trigger if exists VenditeStatistiche_Eliminazione; "
                                         "drop trigger if exists VenditeStatistiche_Modifica; "
                                         "drop table if exists VenditeGiorno; drop table if exists VenditeArticoli"));
    }
    if (version < 7) {
        // The suppliers' invoices read into the shop and their codes.
        exec(file.handle, QStringLiteral("drop table if exists FattureFornitori; drop table if exists CodiciFornitori"));
    }
    if (version < 6) {
        // The stock take, its adjustments and the items' minimum stock.
        exec(file.handle, QStringLiteral("drop table if exists Inventari; drop table if exists InventarioConteggi; "
                                         "drop table if exists Rettifiche; "
                                         "drop index if exists CodiceArticolo_ScortaMinima; "
                                         "alter table [Codice Articolo] drop column ca_Scorta_Minima"));
    }
    if (version < 5) {
        // The counter of the shop's own bar codes.
        exec(file.handle, QStringLiteral("drop table if exists CodiciNegozio; "
                                         "delete from sqlite_sequence where name = 'CodiciNegozio'"));
    }
    if (version < 4) {
        // The lists sorted by price and by the last sale's date.
        exec(file.handle, QStringLiteral("drop index if exists carico_PrezzoData; drop index if exists scarico_PrezzoData; "
                                         "drop index if exists Articoli_DataUltimaVendita"));
    }
    if (version < 3) {
        // Electronic invoicing: the shop's identity, the customers' and the
        // VAT codes' new columns, the text indexes of the invoices since 2.
        exec(file.handle, QStringLiteral("drop index if exists Fattura_OrdineNumero; "
                                         "drop index if exists DettaglioFattura_NumeroEsatto; drop table Azienda; "
                                         "alter table Anagrafica drop column anag_Codice_Destinatario; "
                                         "alter table Anagrafica drop column anag_PEC; "
                                         "alter table Anagrafica drop column anag_Provincia; "
                                         "alter table IVA drop column IVA_Natura"));
    }
    if (version < 2) {
        // The step to version 2 builds every text index of the tables again.
        for (const char *index : {"Articoli_Descrizione", "Articoli_Fornitore", "CodiceArticolo_Codice",
                                     "carico_CodiceArticolo", "scarico_CodiceArticolo", "Anagrafica_Denominazione",
                                     "Anagrafica_OrdineDenominazione", "Fattura_Numero", "DettaglioFattura_Numero",
                                     "Pagamenti_Codice", "Fornitore_Descrizione"})
            exec(file.handle, QStringLiteral("drop index if exists \"%1\"").arg(QLatin1String(index)));
    }
    exec(file.handle, QStringLiteral("pragma user_version = %1").arg(version));
    exec(file.handle, QStringLiteral("commit"));
}

// The same upgrade in plain SQLite, without the program: what the set-back
// took away made again from the original's own statements (the objects in
// the original's order, the columns by their declarations), the statistics
// of the movement tables read again as the last step does, all in one
// transaction, on the file kept as the program keeps it. The steps' safety
// copies are timed apart (cp + fsync).
double plainUpgradeMs(const QString &original, const QString &old, int from)
{
    QStringList missing;
    {
        Plain before(original), after(old);
        const QStringList have = rows(after.handle, QStringLiteral("select type || ' ' || name from sqlite_schema"));
        for (const QString &line : rows(before.handle, QStringLiteral("select type || ' ' || name, sql from sqlite_schema "
                                                                      "where sql is not null order by rowid"))) {
            const int bar = line.indexOf(QLatin1Char('|'));
            if (!have.contains(line.left(bar)))
                missing << line.mid(bar + 1);
        }
        // The columns a step added go back first: an index may be on them.
        QList<const char *> columns;
        if (from < 3)
            columns << "Anagrafica|anag_Codice_Destinatario" << "Anagrafica|anag_PEC" << "Anagrafica|anag_Provincia"
                    << "IVA|IVA_Natura";
        if (from < 6)
            columns << "Codice Articolo|ca_Scorta_Minima";
        QStringList added;
        for (const char *column : std::as_const(columns)) {
            const QStringList parts = QString::fromLatin1(column).split(QLatin1Char('|'));
            const QStringList type = rows(before.handle, QStringLiteral("select type from pragma_table_info('%1') "
                                                                        "where name = '%2'").arg(parts[0], parts[1]));
            added << QStringLiteral("alter table \"%1\" add column %2 %3").arg(parts[0], parts[1], type.value(0));
        }
        missing = added + missing;
    }
    const auto start = Clock::now();
    {
        // Kept as the program keeps the shop (write-ahead log, every commit
        // synced), its log written back into the file when it closes.
        Plain file(old, true);
        exec(file.handle, QStringLiteral("pragma journal_mode = wal; pragma synchronous = full; begin"));
        for (const QString &sql : std::as_const(missing))
            exec(file.handle, sql);
        // The sales' summary summed from the sales, as its step does.
        if (from < 8)
            db::rebuildSalesSummary(file.handle);
        exec(file.handle, QStringLiteral("pragma analysis_limit = 1000; analyze carico; analyze scarico; "
                                         "pragma analysis_limit = 0; pragma user_version = %1")
                              .arg(db::SchemaVersions::latest()));
        exec(file.handle, QStringLiteral("commit"));
    }
    return millis(Clock::now() - start);
}

// Plain SQLite's online backup of the whole file at once into a new file,
// synced: the same consistent copy without the program around it.
double plainBackupMs(const QString &from, const QString &to)
{
    const auto start = Clock::now();
    {
        Plain source(from);
        sqlite3 *target = nullptr;
        if (sqlite3_open(QFile::encodeName(to).constData(), &target) != SQLITE_OK)
            qFatal("bench-safety: cannot create %s", qPrintable(to));
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", source.handle, "main");
        if (!backup || sqlite3_backup_step(backup, -1) != SQLITE_DONE)
            qFatal("bench-safety: plain backup: %s", sqlite3_errmsg(target));
        sqlite3_backup_finish(backup);
        sqlite3_close(target);
    }
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
    return millis(Clock::now() - start);
}

struct Figure {
    std::string what;
    double ours, raw, limitRatio;
    bool judged() const { return ours <= limitRatio * raw; }
};

bool print(const Figure &f)
{
    std::printf("%-46s %9.0f ms | raw %9.0f ms | x%5.2f | within %.1fx: %s\n", f.what.c_str(), f.ours, f.raw,
                f.raw > 0 ? f.ours / f.raw : 0.0, f.limitRatio, f.judged() ? "PASS" : "FAIL");
    return f.judged();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "uso: bench-safety <shop.mdb> [cartella di lavoro]\n");
        return 2;
    }
    QTemporaryDir scratch(args.size() > 2 ? args.at(2) + QStringLiteral("/bench-safety-XXXXXX") : QString());
    if (!scratch.isValid()) {
        std::fprintf(stderr, "bench-safety: cartella di lavoro non creata: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    const QString folder = scratch.path();
    const QString shop = folder + QStringLiteral("/tarvo.mdb");
    {
        // The original through SQLite's backup, so that a file in WAL mode
        // comes whole.
        Plain original(args.at(1));
        db::copyDatabase(original.handle, shop);
    }
    QFile::setPermissions(shop, QFile::ReadOwner | QFile::WriteOwner);
    std::printf("shop %s: %.0f MB, schema version %d; working on a copy in %s\n", qPrintable(args.at(1)),
                QFileInfo(shop).size() / 1048576.0, db::SchemaVersions::versionOf(Plain(shop).handle), qPrintable(folder));
    const QStringList schema = schemaOf(shop);
    std::vector<Figure> figures;
    bool sameSchema = true;

    // The upgrades, each round from a fresh set-back copy, ours and the
    // plain one on copies of the same file.
    const int latest = db::SchemaVersions::latest();
    for (const int from : {latest - 1, 1}) {
        const QString old = folder + QStringLiteral("/vecchio.mdb");
        const QString plain = folder + QStringLiteral("/grezzo.mdb");
        const int steps = latest - from;
        std::vector<double> copies, plainRuns, ourRuns;
        for (int round = 0; round < 3; ++round) {
            QFile::remove(old);
            QFile::copy(shop, old);
            setBack(old, from);
            // Both sides read the file once first.
            copyFileMs(old, folder + QStringLiteral("/caldo.mdb"));
            for (int i = 0; i < steps; ++i)
                copies.push_back(copyFileMs(old, folder + QStringLiteral("/copia.mdb")));
            QFile::remove(folder + QStringLiteral("/copia.mdb"));
            QFile::remove(folder + QStringLiteral("/caldo.mdb"));
            QFile::remove(plain);
            QFile::copy(old, plain);
            plainRuns.push_back(plainUpgradeMs(shop, plain, from));
            const QStringList plainSchema = schemaOf(plain);
            QFile::remove(plain);
            if (plainSchema != schema) {
                sameSchema = false;
                std::fprintf(stderr, "bench-safety: the plain upgrade from v%d does not give the original's schema\n", from);
            }
            const auto start = Clock::now();
            safety::upgradeShop(old, kToday);
            ourRuns.push_back(millis(Clock::now() - start));
            for (int v = from; v < latest; ++v)
                QFile::remove(safety::safetyCopyPath(old, kToday, v));
            const QStringList after = schemaOf(old);
            if (after != schema) {
                sameSchema = false;
                for (const QString &line : after)
                    if (!schema.contains(line))
                        std::fprintf(stderr, "bench-safety: after the upgrade from v%d: %s\n", from, qPrintable(line));
                for (const QString &line : schema)
                    if (!after.contains(line))
                        std::fprintf(stderr, "bench-safety: missing after the upgrade from v%d: %s\n", from, qPrintable(line));
            }
            QFile::remove(old);
            db::Database::closeAll();
        }
        const QString what = QStringLiteral("upgrade v%1 -> v%2 (raw: %3 cop%4 + plain DDL)")
                                 .arg(from).arg(latest).arg(steps).arg(steps == 1 ? "y" : "ies");
        figures.push_back({what.toStdString(), bench::median(ourRuns),
                           bench::median(copies) * steps + bench::median(plainRuns), 1.5});
    }

    // The backups: both sides read the file once first.
    copyFileMs(shop, folder + QStringLiteral("/caldo.mdb"));
    QFile::remove(folder + QStringLiteral("/caldo.mdb"));
    std::vector<double> copies, backups, rawBackups, onlineCopies, plainOnlineCopies;
    for (int round = 0; round < 3; ++round) {
        const QString copy = folder + QStringLiteral("/copia.mdb");
        copies.push_back(copyFileMs(shop, copy));
        {
            const auto start = Clock::now();
            copyFileMs(shop, copy);
            Plain file(copy);
            const QStringList verdict = rows(file.handle, QStringLiteral("pragma integrity_check(10)"));
            rawBackups.push_back(millis(Clock::now() - start));
            if (verdict != QStringList{QStringLiteral("ok")})
                std::fprintf(stderr, "bench-safety: integrity_check of the copy: %s\n", qPrintable(verdict.join(QLatin1Char(' '))));
        }
        QFile::remove(copy);
        plainOnlineCopies.push_back(plainBackupMs(shop, folder + QStringLiteral("/online.mdb")));
        QFile::remove(folder + QStringLiteral("/online.mdb"));
        auto start = Clock::now();
        db::copyDatabase(db::Database::open(shop)->handle(), folder + QStringLiteral("/online.mdb"));
        onlineCopies.push_back(millis(Clock::now() - start));
        QFile::remove(folder + QStringLiteral("/online.mdb"));
        start = Clock::now();
        const QString made = safety::backUp(shop, folder + QStringLiteral("/backup"),
                                            QDateTime(kToday, QTime(9, 0, round)));
        backups.push_back(millis(Clock::now() - start));
        QFile::remove(made);
    }
    db::Database::closeAll();
    std::printf("cp + fsync of the file, for comparison: %.0f ms (the online backup: x%.2f)\n", bench::median(copies),
                bench::median(onlineCopies) / bench::median(copies));
    figures.push_back({"online backup + fsync (raw: SQLite's own)", bench::median(onlineCopies),
                       bench::median(plainOnlineCopies), 1.5});
    figures.push_back({"backup command: copy + integrity_check", bench::median(backups), bench::median(rawBackups), 1.5});

    // The check at start: the program's read-only open and quick_check
    // against plain SQLite's, each run once before it is timed.
    std::vector<double> checks, rawChecks;
    QString quick;
    for (int round = 0; round < 4; ++round) {
        auto start = Clock::now();
        quick = safety::quickCheck(shop);
        const double ours = millis(Clock::now() - start);
        start = Clock::now();
        QStringList plain;
        {
            Plain file(shop);
            plain = rows(file.handle, QStringLiteral("pragma quick_check(10)"));
        }
        const double raw = millis(Clock::now() - start);
        if (round > 0) {
            checks.push_back(ours);
            rawChecks.push_back(raw);
        }
        if (plain != QStringList{QStringLiteral("ok")})
            std::fprintf(stderr, "bench-safety: plain quick_check: %s\n", qPrintable(plain.join(QLatin1Char(' '))));
    }
    figures.push_back({"quick_check at start", bench::median(checks), bench::median(rawChecks), 1.5});

    std::printf("\nmedians of 3 runs\n");
    bool pass = true;
    for (const Figure &f : figures)
        pass = print(f) && pass;
    std::printf("%-46s %s: %s\n", "schema after each upgrade", sameSchema ? "as the original's" : "DIFFERENT",
                sameSchema ? "PASS" : "FAIL");
    std::printf("%-46s %s: %s\n", "the check's verdict", qPrintable(quick), quick == QLatin1String("ok") ? "PASS" : "FAIL");
    pass = pass && sameSchema && quick == QLatin1String("ok");
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
