#include "CrashScript.h"
#include "CrashTrials.h"
#include "SalesSummaryCheck.h"
#include "TestShopDatabase.h"

#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "db/SqlText.h"

#include <QMap>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <random>

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

QMap<qlonglong, Row> readRows(db::Database &database, const QString &sql)
{
    QMap<qlonglong, Row> rows;
    for (auto rs = database.openRecordset(sql); !rs->eof(); rs->moveNext())
        rows.insert(rs->value(0).toLongLong(), Row{rs->value(1).toString(), rs->value(2).toDouble()});
    return rows;
}

double stockOf(db::Database &database, const QString &code)
{
    auto rs = database.openRecordset(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = ")
                                      + db::quoted(code));
    return rs->eof() ? 0 : rs->value(0).toDouble();
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
public:
    TestCounterCrash() { CrashTrials::allowTimeFor(CrashTrials::wanted("COUNTER_CRASH_TRIALS")); }

private Q_SLOTS:
    void killedAtRandomMomentsLosesNothing();
    void controlRunWithoutTransactionIsCaught();

private:
    static void runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome);
};

void TestCounterCrash::killedAtRandomMomentsLosesNothing()
{
    const int trials = CrashTrials::wanted("COUNTER_CRASH_TRIALS");
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
    if (outcome.failed > 0)
        qInfo("first fault: %s", qPrintable(outcome.firstFailure));
    QVERIFY2(outcome.failed > 0, "no fault found without the transaction");
}

void TestCounterCrash::runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome)
{
    // On the server each trial works on a database of its own, copied from
    // this one.
    TestShopDatabase shop;
    CrashScript::fillShop(shop.database());

    // The child that records; another one can be named (the check without
    // the transaction).
    const QString childProgram = QStringLiteral(COUNTER_CRASH_CHILD);
    std::mt19937 random(20261206);
    int &failed = outcome.failed;
    int &operations = outcome.operations;
    QString &firstFailure = outcome.firstFailure;
    for (int trial = 0; trial < trials; ++trial) {
        const QString trialFolder = shop.folder() + QStringLiteral("/trial%1").arg(trial);
        const QString path = shop.copyTo(trialFolder);
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
            if (word.value(1) == QLatin1String("stocktake"))
                continue;
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

        // The server rolls back what the killed child left open once it sees
        // the connection gone; until then a commit sent just before the kill
        // could still land between two of the reads below.
        QVERIFY2(TestShopDatabase::waitUntilNoOneConnected(path), "the killed child is still connected");

        // Reopened as the program opens it (its collation and functions).
        std::shared_ptr<db::Database> database = db::Database::open(path);
        QCOMPARE(database->onServer(), TestShopDatabase::onServer()); // the copy is where the run says
        QString problem;
        // The file's own structure; the server keeps its own and has no such check.
        if (!database->onServer() && db::integrityOf(database->handle()) != QLatin1String("ok"))
            problem = QStringLiteral("integrity check: ") + db::integrityOf(database->handle());
        const auto actualLoads = readRows(*database, QStringLiteral("select ca_Codice, ca_Codice_Articolo, ca_Quantita from carico"));
        const auto actualSales = readRows(*database, QStringLiteral("select sc_Codice, sc_Codice_Articolo, sc_Quantita from scarico"));
        if (problem.isEmpty())
            problem = compare(actualLoads, loads, QStringLiteral("load"), inflight);
        if (problem.isEmpty())
            problem = compare(actualSales, sales, QStringLiteral("sale"), inflight);
        // Counts posted: their adjustments moved the stock too.
        QMap<QString, long> adjusted;
        for (auto rs = database->openRecordset(QStringLiteral("select re_Codice_Articolo, re_Quantita from Rettifiche"));
             !rs->eof(); rs->moveNext())
            adjusted[rs->value(0).toString()] += long(rs->value(1).toLongLong());
        for (const QString &code : CrashScript::barcodes()) {
            long expected = CrashScript::startingStock(code) + adjusted.value(code);
            for (const Row &row : actualLoads)
                if (row.code == code)
                    expected += wholeHalfToEven(row.quantity);
            for (const Row &row : actualSales)
                if (row.code == code)
                    expected -= wholeHalfToEven(row.quantity);
            const double stock = stockOf(*database, code);
            if (problem.isEmpty() && stock != double(expected))
                problem = QStringLiteral("stock of %1 is %2, its movements say %3").arg(code).arg(stock).arg(expected);
        }
        // The statistics' summary moved with the sales, or not at all.
        if (problem.isEmpty())
            if (const QString summary = SalesSummaryCheck::problem(*database); !summary.isEmpty())
                problem = QStringLiteral("sales summary: ") + summary;
        database.reset();
        db::Database::closeAll();
        if (!problem.isEmpty()) {
            ++failed;
            if (firstFailure.isEmpty())
                firstFailure = QStringLiteral("trial %1 (killed during \"%2\"): %3").arg(trial).arg(inflight, problem);
        }
        shop.removeCopy(trialFolder);
    }
}

QTEST_GUILESS_MAIN(TestCounterCrash)
#include "tst_counter_crash.moc"
