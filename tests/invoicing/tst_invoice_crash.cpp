// The invoice writes killed at random moments: a child saves, renumbers,
// changes and deletes invoices and acknowledges each commit; the test kills
// it, opens the database as the editor does and checks that every invoice
// is whole: its header and its lines or neither, and fat_Imponibile the sum
// of its lines. ctest runs 30 trials; INVOICE_CRASH_TRIALS=1000 by hand.
#include "CrashTrials.h"
#include "TestShopDatabase.h"

#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "rules/InvoiceArchive.h"

#include <QMap>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <random>

namespace {

struct Invoice {
    bool header = false;
    double imponibile = 0;
    int lines = 0;
    double linesTotal = 0;
};

QMap<QString, Invoice> readInvoices(db::Database &database)
{
    QMap<QString, Invoice> invoices;
    for (auto rs = database.openRecordset(QStringLiteral("select fat_Numero, fat_Imponibile from Fattura")); !rs->eof();
         rs->moveNext()) {
        Invoice &invoice = invoices[rs->value(0).toString()];
        invoice.header = true;
        invoice.imponibile = rs->value(1).isNull() ? std::nan("") : rs->value(1).toDouble();
    }
    for (auto rs = database.openRecordset(QStringLiteral("select df_Numero_Fattura, count(*), sum(df_Importo) "
                                                         "from [Dettaglio Fattura] group by df_Numero_Fattura"));
         !rs->eof(); rs->moveNext()) {
        Invoice &invoice = invoices[rs->value(0).toString()];
        invoice.lines = rs->value(1).toInt();
        invoice.linesTotal = rs->value(2).toDouble();
    }
    return invoices;
}

// Whole: a header with lines whose sum it holds, or lines of the invoice
// being typed when the kill came (no header yet), or nothing.
QString checkWhole(const QMap<QString, Invoice> &invoices, const QSet<QString> &beingTyped)
{
    for (auto it = invoices.cbegin(); it != invoices.cend(); ++it) {
        if (!it->header) {
            if (!beingTyped.contains(it.key()))
                return QStringLiteral("lines of %1 without a header").arg(it.key());
            continue;
        }
        if (it->lines == 0)
            return QStringLiteral("header %1 without lines").arg(it.key());
        if (!(std::fabs(it->imponibile - it->linesTotal) < 1e-6))
            return QStringLiteral("%1 holds %2, its lines sum to %3").arg(it.key()).arg(it->imponibile).arg(it->linesTotal);
    }
    return QString();
}

struct TrialsOutcome {
    int failed = 0;
    int operations = 0;
    QString firstFailure;
};

} // namespace

class TestInvoiceCrash : public QObject {
    Q_OBJECT
public:
    TestInvoiceCrash() { CrashTrials::allowTimeFor(CrashTrials::wanted("INVOICE_CRASH_TRIALS")); }

private Q_SLOTS:
    void killedAtRandomMomentsLeavesEveryInvoiceWhole();
    void controlRunWithoutTransactionIsCaught();

private:
    static void runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome);
};

void TestInvoiceCrash::killedAtRandomMomentsLeavesEveryInvoiceWhole()
{
    const int trials = CrashTrials::wanted("INVOICE_CRASH_TRIALS");
    TrialsOutcome outcome;
    runTrials(trials, {}, outcome);
    if (QTest::currentTestFailed())
        return;
    qInfo("%d trials, %d acknowledged operations, %d trials with a fault", trials, outcome.operations, outcome.failed);
    QVERIFY2(outcome.failed == 0, qPrintable(outcome.firstFailure));
    QVERIFY(outcome.operations > trials);
}

// Without the transactions the same child must be caught: a harness that
// no longer kills inside an operation, or a check that no longer sees a
// half-written invoice, fails here.
void TestInvoiceCrash::controlRunWithoutTransactionIsCaught()
{
    const int trials = 40;
    TrialsOutcome outcome;
    runTrials(trials, {QStringLiteral("--without-transaction")}, outcome);
    if (QTest::currentTestFailed())
        return;
    qInfo("control run: %d trials, %d acknowledged operations, %d trials with a fault", trials, outcome.operations,
          outcome.failed);
    if (outcome.failed > 0)
        qInfo("first fault: %s", qPrintable(outcome.firstFailure));
    QVERIFY2(outcome.failed > 0, "no fault found without the transaction");
}

void TestInvoiceCrash::runTrials(int trials, const QStringList &childOptions, TrialsOutcome &outcome)
{
    // On the server each trial works on a database of its own, copied from
    // this one.
    const TestShopDatabase shop;
    std::mt19937 random(20261208);
    for (int trial = 0; trial < trials; ++trial) {
        const QString trialFolder = shop.folder() + QStringLiteral("/trial%1").arg(trial);
        const QString path = shop.copyTo(trialFolder);
        QProcess child;
        child.start(QStringLiteral(INVOICE_CRASH_CHILD), QStringList{path, QString::number(trial)} + childOptions);
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QByteArray output;
        while (!output.contains("READY\n") && child.waitForReadyRead(10000))
            output += child.readAllStandardOutput();
        QVERIFY2(output.contains("READY\n"), "the child did not start its work");
        QThread::usleep(std::uniform_int_distribution<int>(0, 200000)(random));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        output += child.readAllStandardOutput();

        // What was acknowledged; a last line cut short by the kill does not count.
        QMap<QString, int> acknowledged;   // number -> lines
        QSet<QString> deleted;
        QStringList inflight;
        const QList<QByteArray> lines = output.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QStringList word = QString::fromUtf8(lines.at(i)).split(QLatin1Char(' '));
            if (word.value(0) == QLatin1String("DO")) {
                inflight = word.mid(1);
                continue;
            }
            if (word.value(0) != QLatin1String("OK") || word.value(1) == QLatin1String("renumber"))
                continue;
            inflight.clear();
            ++outcome.operations;
            if (word.value(1) == QLatin1String("new")) {
                acknowledged.insert(word.value(2), word.value(3).toInt());
                deleted.remove(word.value(2));
            } else if (word.value(1) == QLatin1String("delete")) {
                acknowledged.remove(word.value(2));
                deleted.insert(word.value(2));
            }
        }
        QSet<QString> beingTyped;
        if (inflight.value(0) == QLatin1String("new"))
            beingTyped = {inflight.value(1), inflight.value(2)};

        // The server rolls back what the killed child left open once it sees
        // the connection gone; until then a commit sent just before the kill
        // could still land between two of the reads below.
        QVERIFY2(TestShopDatabase::waitUntilNoOneConnected(path), "the killed child is still connected");

        std::shared_ptr<db::Database> database = db::Database::open(path);
        QCOMPARE(database->onServer(), TestShopDatabase::onServer()); // the copy is where the run says
        QString problem;
        // The file's own structure; the server keeps its own and has no such check.
        if (!database->onServer() && db::integrityOf(database->handle()) != QLatin1String("ok"))
            problem = QStringLiteral("integrity check: ") + db::integrityOf(database->handle());
        if (problem.isEmpty())
            problem = checkWhole(readInvoices(*database), beingTyped);
        // The editor, opening, removes the lines of the invoice that was
        // being typed; then every invoice is whole with no exception.
        InvoiceArchive(*database).removeStrayLines();
        const QMap<QString, Invoice> invoices = readInvoices(*database);
        if (problem.isEmpty())
            problem = checkWhole(invoices, {});
        for (auto it = acknowledged.cbegin(); problem.isEmpty() && it != acknowledged.cend(); ++it) {
            const bool flying = inflight.value(0) == QLatin1String("delete") && inflight.value(1) == it.key();
            if (!flying && (!invoices.value(it.key()).header || invoices.value(it.key()).lines != it.value()))
                problem = QStringLiteral("invoice %1 acknowledged with %2 lines, found %3")
                              .arg(it.key()).arg(it.value()).arg(invoices.value(it.key()).lines);
        }
        for (const QString &numero : deleted)
            if (problem.isEmpty() && invoices.contains(numero) && !beingTyped.contains(numero))
                problem = QStringLiteral("invoice %1 deleted but still there").arg(numero);
        for (auto it = invoices.cbegin(); problem.isEmpty() && it != invoices.cend(); ++it)
            if (!acknowledged.contains(it.key()) && !beingTyped.contains(it.key()))
                problem = QStringLiteral("invoice %1 never acknowledged").arg(it.key());
        database.reset();
        db::Database::closeAll();
        if (!problem.isEmpty()) {
            ++outcome.failed;
            if (outcome.firstFailure.isEmpty())
                outcome.firstFailure = QStringLiteral("trial %1 (killed during \"%2\"): %3")
                                           .arg(trial).arg(inflight.join(QLatin1Char(' ')), problem);
        }
        shop.removeCopy(trialFolder);
    }
}

QTEST_GUILESS_MAIN(TestInvoiceCrash)
#include "tst_invoice_crash.moc"
