#include "CrashScript.h"
#include "TestShopDatabase.h"

#include "db/Database.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <random>
#include <sqlite3.h>

namespace {

struct Row {
    QString code;
    double quantity = 0;
};

// The loads or the sales as the acknowledgements say they must be.
struct Expected {
    QMap<qlonglong, Row> live;
    QSet<qlonglong> deleted;
};

QMap<qlonglong, Row> readRows(sqlite3 *handle, const char *sql)
{
    QMap<qlonglong, Row> rows;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        rows.insert(sqlite3_column_int64(statement, 0),
                    Row{QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1))),
                        sqlite3_column_double(statement, 2)});
    sqlite3_finalize(statement);
    return rows;
}

QString integrity(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "pragma integrity_check", -1, &statement, nullptr);
    QString result;
    if (sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return result;
}

long stockOf(sqlite3 *handle, const QString &code)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "select ca_Quantita from [Codice Articolo] where ca_Codice = ?", -1, &statement, nullptr);
    const QByteArray utf8 = code.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    long stock = 0;
    if (sqlite3_step(statement) == SQLITE_ROW)
        stock = long(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);
    return stock;
}

// The stock moves by the nearest whole number, halves to the even
// neighbour; worked out here on its own, not by the program's rounding.
long wholeHalfToEven(double quantity)
{
    const double below = std::floor(quantity);
    const double fraction = quantity - below;
    if (fraction < 0.5)
        return long(below);
    if (fraction > 0.5)
        return long(below) + 1;
    return std::fmod(below, 2.0) == 0 ? long(below) : long(below) + 1;
}

// Compares one table ("load" or "sale") with what was acknowledged.
// `inflight` is the operation the kill interrupted ("load", "change-load 12",
// "delete-sale 3"): only its own table's row may show it done or not done.
QString compare(const QMap<qlonglong, Row> &actual, const Expected &expected, const QString &kind,
                const QString &inflight)
{
    const QStringList flying = inflight.split(QLatin1Char(' '));
    const bool flyingHere = flying.value(0) == kind || flying.value(0).endsWith(QLatin1Char('-') + kind);
    const bool newRowFlying = flyingHere && flying.value(0) == kind;
    const qlonglong flyingNumber = flyingHere && flying.size() > 1 ? flying.at(1).toLongLong() : -1;
    for (auto it = expected.live.cbegin(); it != expected.live.cend(); ++it) {
        if (it.key() == flyingNumber)
            continue; // changed or deleted, or not yet
        if (!actual.contains(it.key()))
            return QStringLiteral("%1 %2 acknowledged but missing").arg(kind).arg(it.key());
        const Row &row = actual.value(it.key());
        if (row.code != it->code || row.quantity != it->quantity)
            return QStringLiteral("%1 %2 is %3 x %4, acknowledged %5 x %6")
                .arg(kind).arg(it.key()).arg(row.code).arg(row.quantity).arg(it->code).arg(it->quantity);
    }
    for (qlonglong number : expected.deleted)
        if (actual.contains(number))
            return QStringLiteral("%1 %2 deleted but still there").arg(kind).arg(number);
    int unknown = 0;
    for (auto it = actual.cbegin(); it != actual.cend(); ++it)
        if (!expected.live.contains(it.key()))
            ++unknown;
    if (unknown > (newRowFlying ? 1 : 0))
        return QStringLiteral("%1 unacknowledged %2 rows").arg(unknown).arg(kind);
    return QString();
}

struct TrialsOutcome {
    int failed = 0;
    int operations = 0;
    QString firstFailure;
};

} // namespace

class TestCounterCrash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedAtRandomMomentsLosesNothing();
    void controlRunWithoutTransactionIsCaught();

private:
    static void runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome);
};

void TestCounterCrash::killedAtRandomMomentsLosesNothing()
{
    const int trials = qEnvironmentVariableIsSet("COUNTER_CRASH_TRIALS")
        ? qEnvironmentVariableIntValue("COUNTER_CRASH_TRIALS") : 30;
    TrialsOutcome outcome;
    runTrials(trials, {}, outcome);
    if (QTest::currentTestFailed())
        return;
    qInfo("%d trials, %d acknowledged operations, %d trials with a fault", trials, outcome.operations,
          outcome.failed);
    QVERIFY2(outcome.failed == 0, qPrintable(outcome.firstFailure));
    QVERIFY(outcome.operations > trials); // the kills did not all come before any work
}

// The same child writing each statement on its own must be caught: a harness
// that no longer kills in the middle of an operation, or an invariant that no
// longer sees a half-done one, fails here.
void TestCounterCrash::controlRunWithoutTransactionIsCaught()
{
    const int trials = 20;
    TrialsOutcome outcome;
    runTrials(trials, {QStringLiteral("--without-transaction")}, outcome);
    if (QTest::currentTestFailed())
        return;
    qInfo("control run: %d trials, %d acknowledged operations, %d trials with a fault", trials,
          outcome.operations, outcome.failed);
    QVERIFY2(outcome.failed > 0, "no fault found without the transaction");
}

void TestCounterCrash::runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome)
{
    QTemporaryDir folder;
    const QString shop = folder.path() + QStringLiteral("/shop.mdb");
    CrashScript::createShop(shop, TestShopDatabase::shippedSchema());
    db::Database::closeAll(); // the shop is whole in its main file now

    // The child that records; another one can be named (the check without
    // the transaction).
    const QString childProgram = QStringLiteral(COUNTER_CRASH_CHILD);
    std::mt19937 random(20261206);
    int &failed = outcome.failed;
    int &operations = outcome.operations;
    QString &firstFailure = outcome.firstFailure;
    for (int trial = 0; trial < trials; ++trial) {
        const QString path = folder.path() + QStringLiteral("/trial%1.mdb").arg(trial);
        QVERIFY(QFile::copy(shop, path));
        QProcess child;
        child.start(childProgram, QStringList{path, QString::number(trial)} + childOptions);
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QByteArray output;
        while (!output.contains("READY\n") && child.waitForReadyRead(10000))
            output += child.readAllStandardOutput();
        QVERIFY2(output.contains("READY\n"), "the child did not start its work");
        QThread::usleep(std::uniform_int_distribution<int>(0, 150000)(random));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        output += child.readAllStandardOutput();

        // What was acknowledged; a last line cut short by the kill does not count.
        Expected loads;
        Expected sales;
        QString inflight;
        const QList<QByteArray> lines = output.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QStringList word = QString::fromUtf8(lines.at(i)).split(QLatin1Char(' '));
            if (word.value(0) == QLatin1String("DO")) {
                inflight = word.mid(1).join(QLatin1Char(' '));
                continue;
            }
            if (word.value(0) != QLatin1String("OK"))
                continue;
            inflight.clear();
            ++operations;
            const QString what = word.value(1);
            const qlonglong number = word.value(2).toLongLong();
            Expected &table = what.endsWith(QLatin1String("load")) ? loads : sales;
            if (what.startsWith(QLatin1String("delete"))) {
                table.live.remove(number);
                table.deleted.insert(number);
            } else {
                table.live.insert(number, Row{word.value(3), word.value(4).toDouble()});
            }
        }

        // Reopened as the program opens it (its collation and functions).
        sqlite3 *handle = db::Database::open(path)->handle();
        QString problem;
        if (integrity(handle) != QLatin1String("ok"))
            problem = QStringLiteral("integrity check: ") + integrity(handle);
        const auto actualLoads = readRows(handle, "select ca_Codice, ca_Codice_Articolo, ca_Quantita from carico");
        const auto actualSales = readRows(handle, "select sc_Codice, sc_Codice_Articolo, sc_Quantita from scarico");
        if (problem.isEmpty())
            problem = compare(actualLoads, loads, QStringLiteral("load"), inflight);
        if (problem.isEmpty())
            problem = compare(actualSales, sales, QStringLiteral("sale"), inflight);
        for (const QString &code : CrashScript::barcodes()) {
            long expected = CrashScript::startingStock(code);
            for (const Row &row : actualLoads)
                if (row.code == code)
                    expected += wholeHalfToEven(row.quantity);
            for (const Row &row : actualSales)
                if (row.code == code)
                    expected -= wholeHalfToEven(row.quantity);
            if (problem.isEmpty() && stockOf(handle, code) != expected)
                problem = QStringLiteral("stock of %1 is %2, its movements say %3")
                              .arg(code).arg(stockOf(handle, code)).arg(expected);
        }
        db::Database::closeAll();
        if (!problem.isEmpty()) {
            ++failed;
            if (firstFailure.isEmpty())
                firstFailure = QStringLiteral("trial %1 (killed during \"%2\"): %3").arg(trial).arg(inflight, problem);
        }
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
    }
}

QTEST_GUILESS_MAIN(TestCounterCrash)
#include "tst_counter_crash.moc"
