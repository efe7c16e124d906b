// Two tills on one shop file, each a process of its own doing the same work
// at the same moment through the program's own stock movements, invoice
// saves and invoice editors: no update may be lost, no till may see an
// error, no two invoices may share a number, and a till's invoice lines
// never end up under another till's invoice. A restore never replaces the
// file under a till that has it open, and a till never writes into a file
// that is no longer the shop.
#include "AnotherProgramLock.h"
#include "SalesSummaryCheck.h"
#include "TestShopDatabase.h"

#include "safety/ShopSafety.h"
#include "db/DatabaseCopy.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceDrafts.h"
#include "rules/StoreBarcodes.h"

#include <QFile>
#include <QProcess>

#include <QtTest>

#include <memory>
#include <sqlite3.h>
#include <sys/file.h>

namespace {

const QString kSaved = QStringLiteral("La fattura è stata salvata");

QString numeroInUso(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero %1 è già in uso per un'altra fattura in corso. La fattura corrente prende il numero %2.")
        .arg(proposto, assegnato);
}

QString numeroCambiato(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero %1 è stato assegnato nel frattempo a un'altra fattura. "
                          "La fattura corrente è stata salvata con il numero %2.")
        .arg(proposto, assegnato);
}

// What an editor till answers to a command: the number it shows and the
// messages it showed.
struct Shown {
    QString numero;
    QString messages;
    bool operator==(const Shown &other) const { return numero == other.numero && messages == other.messages; }
};

char *toString(const Shown &shown)
{
    return QTest::toString(shown.numero + QStringLiteral(" [") + shown.messages + QLatin1Char(']'));
}

// The invoice editor of a till of its own (editor-till-child), with the
// customer `cliente` for its invoices.
class EditorTill {
public:
    EditorTill(const QString &shop, int cliente)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(EDITOR_TILL_CHILD), {shop, QString::number(cliente)});
        m_ready = readLine() == QLatin1String("READY");
    }
    ~EditorTill()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    bool ready() const { return m_ready; }
    void send(const QString &command) { m_process.write((command + QLatin1Char('\n')).toUtf8()); }
    Shown answer()
    {
        const QStringList fields = readLine().split(QLatin1Char('\t'));
        return Shown{fields.value(0), fields.value(1)};
    }
    Shown run(const QString &command)
    {
        send(command);
        return answer();
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QString readLine()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(30000))
                return QStringLiteral("(nessuna risposta)");
        return QString::fromUtf8(m_process.readLine()).chopped(1);
    }

    QProcess m_process;
    bool m_ready = false;
};

// Customers 1 "Cassa A" and 2 "Cassa B", and invoice 26-00001 (so that an
// editor opens on a stored invoice).
void prepareInvoicing(TestShopDatabase &shop)
{
    shop.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Cassa A')"));
    shop.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Cassa B')"));
    shop.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, "
                                "df_Prezzo, df_IVA, df_Importo) values ('26-00001', 'Riga', 1, 5, 3, 5)"));
    shop.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, fat_Imponibile) "
                                "values ('26-00001', #12/01/2026#, 1, 0, 5)"));
}

// Lines typed by one till ("A..." for customer 1, "B..." for customer 2)
// under an invoice of the other, and lines under no invoice.
int linesOfAnotherTill(const TestShopDatabase &shop)
{
    const QString joined = QStringLiteral("[Dettaglio Fattura] inner join Fattura on fat_Numero = df_Numero_Fattura");
    return shop.count(joined + QStringLiteral(" where fat_Codice_Cliente = 1 and df_Descrizione like 'B*'"))
        + shop.count(joined + QStringLiteral(" where fat_Codice_Cliente = 2 and df_Descrizione like 'A*'"))
        + shop.count(QStringLiteral("[Dettaglio Fattura]")) - shop.count(joined);
}

QString numberAfter(const QString &numero)
{
    return QStringLiteral("26-%1").arg(numero.mid(3).toInt() + 1, 5, 10, QLatin1Char('0'));
}

} // namespace

class TestTills : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoTillsAtOnceLoseNothing_data();
    void twoTillsAtOnceLoseNothing();
    void linesAnotherTillIsTypingAreNotStray();
    void firstLinesOfTwoEditorsAtOnceNeverMix();
    void anEmptyInvoiceSavedLeavesTheNumberAnotherEditorHolds();
    void aKilledEditorHoldsItsNumberNoLonger();
    void changingTheNumberToOneAnotherEditorHoldsIsRefused();
    void aRestoreWhileATillSellsIsRefused();
    void aTillOpeningDuringARestoreWaitsForIt();
    void aTillWhoseFileIsReplacedStopsWriting();
};

namespace {

// One number read from the file through a connection of the test's own.
qint64 numberIn(const QString &path, const char *sql)
{
    return TestShopDatabase::scalarInFile(path, sql);
}

qint64 salesIn(const QString &path)
{
    return numberIn(path, "select count(*) from scarico");
}

void stockItem(const TestShopDatabase &shop, int quantity)
{
    shop.execute(QStringLiteral("delete from [Codice Articolo]"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('1234', 42, %1)").arg(quantity));
}

// A till selling `count` units of item "1234", started and told to go.
std::unique_ptr<QProcess> startSelling(const QString &path, int count)
{
    auto till = std::make_unique<QProcess>();
    till->start(QStringLiteral(TILL_CHILD), {path, QStringLiteral("sales"), QString::number(count)});
    if (!till->waitForStarted() || !till->waitForReadyRead(10000) || till->readLine().trimmed() != "READY")
        return nullptr;
    till->write("go\n");
    till->waitForBytesWritten(10000);
    return till;
}

bool waitForSales(const QString &path, qint64 sales)
{
    for (int waited = 0; waited < 30000; waited += 20) {
        if (salesIn(path) >= sales)
            return true;
        QTest::qWait(20);
    }
    return false;
}

// The file put under the shop's name by a program that ignores who has it
// open, as a copy by hand would (or an older restore did).
void replaceByHand(const QString &path, const QString &replacement)
{
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(replacement, path));
}

} // namespace

void TestTills::twoTillsAtOnceLoseNothing_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stock");      // of item "1234", which starts at 5000
    QTest::addColumn<QString>("rows");   // what each till leaves behind
    QTest::addColumn<int>("rowCount");
    QTest::newRow("sales") << "sales" << 1000 << 5000 - 2000 << "scarico" << 2000;
    QTest::newRow("loads") << "loads" << 500 << 5000 + 1000 << "carico" << 1000;
    // Each till rewrites its own sale between one and two units, ending on one.
    QTest::newRow("changes of sales") << "changes" << 300 << 5000 - 2 << "scarico" << 2;
    QTest::newRow("new invoices") << "invoices" << 150 << 5000 << "Fattura" << 300;
    // Each till makes items under codes of the shop's own: none given twice.
    QTest::newRow("store codes") << "codes" << 200 << 5000 << "[Codice Articolo]" << 401;
}

void TestTills::twoTillsAtOnceLoseNothing()
{
    QFETCH(QString, work);
    QFETCH(int, count);
    QFETCH(int, stock);
    QFETCH(QString, rows);
    QFETCH(int, rowCount);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('1234', 42, 5000)"));

    std::vector<std::unique_ptr<QProcess>> tills;
    for (int i = 0; i < 2; ++i) {
        auto till = std::make_unique<QProcess>();
        till->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        till->start(QStringLiteral(TILL_CHILD), {shop.path(), work, QString::number(count)});
        QVERIFY(till->waitForStarted());
        QVERIFY(till->waitForReadyRead(10000));
        QCOMPARE(till->readLine().trimmed(), QByteArray("READY"));
        tills.push_back(std::move(till));
    }
    for (auto &till : tills) {
        till->write("go\n");
        QVERIFY(till->waitForBytesWritten(10000));
    }
    for (auto &till : tills) {
        QVERIFY(till->waitForFinished(60000));
        QCOMPARE(till->exitStatus(), QProcess::NormalExit);
        QCOMPARE(till->exitCode(), 0);
    }

    QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '1234'")).toInt(),
             stock);
    QCOMPARE(shop.count(rows), rowCount);
    // Both tills summed their sales into the same rows of the statistics'
    // summary, each inside its own sale's transaction: none lost or doubled.
    QCOMPARE(SalesSummaryCheck::problem(shop.database()), QString());
    if (work == QLatin1String("sales"))
        QVERIFY(shop.count(QStringLiteral("VenditeGiorno")) > 0);
    if (work == QLatin1String("codes")) {
        // Every number of the counter once, none skipped.
        QCOMPARE(shop.scalar(QStringLiteral("select max(ca_Codice) from [Codice Articolo]")).toString(),
                 StoreBarcodes::codeFor(rowCount - 1));
        QCOMPARE(shop.scalar(QStringLiteral("select min(ca_Codice) from [Codice Articolo] where ca_Codice > '2'"))
                     .toString(),
                 StoreBarcodes::codeFor(1));
    }
    if (work == QLatin1String("invoices")) {
        // Every number once, none skipped: 26-00001 to 26-00300.
        QCOMPARE(shop.scalar(QStringLiteral("select count(*) from (select distinct fat_Numero from Fattura)")).toInt(),
                 rowCount);
        QCOMPARE(shop.scalar(QStringLiteral("select max(fat_Numero) from Fattura")).toString(),
                 QStringLiteral("26-%1").arg(rowCount, 5, 10, QLatin1Char('0')));
    }
}

// The invoice editor clears, when it opens, lines that no saved invoice owns:
// lines a program left when it stopped. The lines another till is typing for
// a new invoice right now stay; once that till is gone, they are stray.
void TestTills::linesAnotherTillIsTypingAreNotStray()
{
    TestShopDatabase shop;
    QProcess till;
    till.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    till.start(QStringLiteral(TILL_CHILD), {shop.path(), QStringLiteral("draft"), QStringLiteral("3")});
    QVERIFY(till.waitForStarted());
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("READY"));
    till.write("go\n");
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("TYPED"));

    const QString lines = QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00009'");
    InvoiceArchive archive(shop.database());
    QCOMPARE(archive.removeStrayLines(), 0);
    archive.discardUnsaved(QStringLiteral("26-00009"));
    QCOMPARE(shop.count(lines), 3);

    till.write("done\n");
    QVERIFY(till.waitForFinished(10000));
    QCOMPARE(till.exitCode(), 0);
    QCOMPARE(archive.removeStrayLines(), 3);
    QCOMPARE(shop.count(lines), 0);
}

// Two editors propose the same number and write their first lines at the
// same moment: one keeps the number, the other moves on to the next one and
// says so; each saves its invoice with its own line.
void TestTills::firstLinesOfTwoEditorsAtOnceNeverMix()
{
    constexpr int kRounds = 40;
    TestShopDatabase shop;
    prepareInvoicing(shop);
    EditorTill a(shop.path(), 1);
    EditorTill b(shop.path(), 2);
    QVERIFY(a.ready() && b.ready());
    QFile barrier(shop.folder() + QStringLiteral("/start"));
    QVERIFY(barrier.open(QIODevice::ReadWrite));
    QStringList faults;
    for (int round = 0; round < kRounds; ++round) {
        const Shown proposed = a.run(QStringLiteral("nuova"));
        QCOMPARE(b.run(QStringLiteral("nuova")), proposed);
        const QString numero = proposed.numero;
        const QString next = numberAfter(numero);
        a.run(QStringLiteral("digita A%1").arg(round));
        b.run(QStringLiteral("digita B%1").arg(round));
        QVERIFY(::flock(barrier.handle(), LOCK_EX) == 0);
        a.send(QStringLiteral("scrivi ") + barrier.fileName());
        b.send(QStringLiteral("scrivi ") + barrier.fileName());
        QCOMPARE(a.answer().numero, QStringLiteral("WAITING"));
        QCOMPARE(b.answer().numero, QStringLiteral("WAITING"));
        // Both are asleep on the lock a moment later.
        QTest::qSleep(20);
        QVERIFY(::flock(barrier.handle(), LOCK_UN) == 0);
        const Shown byA = a.answer();
        const Shown byB = b.answer();
        const Shown kept{numero, QString()};
        const Shown moved{next, numeroInUso(numero, next)};
        const bool oneMoved = (byA == kept && byB == moved) || (byA == moved && byB == kept);
        const Shown savedByA = a.run(QStringLiteral("salva"));
        const Shown savedByB = b.run(QStringLiteral("salva"));
        if (!oneMoved || savedByA.messages != kSaved || savedByB.messages != kSaved)
            faults.append(QStringLiteral("%1: lines A %2 [%3], B %4 [%5]; saved A %6 [%7], B %8 [%9]")
                              .arg(numero, byA.numero, byA.messages, byB.numero, byB.messages, savedByA.numero,
                                   savedByA.messages, savedByB.numero, savedByB.messages));
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 of %2 rounds mixed; %3")
                                              .arg(faults.size()).arg(kRounds).arg(faults.mid(0, 2).join(QStringLiteral("; ")))));
    QCOMPARE(linesOfAnotherTill(shop), 0);
    QCOMPARE(shop.count(QStringLiteral("Fattura where fat_Imponibile = 10")), 2 * kRounds);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura]")), 2 * kRounds + 1);
}

// Till B typed a line under the number both editors proposed; till A saves
// its invoice without lines meanwhile: A's invoice takes the next number,
// and B's invoice is saved under the number with its line.
void TestTills::anEmptyInvoiceSavedLeavesTheNumberAnotherEditorHolds()
{
    TestShopDatabase shop;
    prepareInvoicing(shop);
    EditorTill a(shop.path(), 1);
    EditorTill b(shop.path(), 2);
    QVERIFY(a.ready() && b.ready());
    QCOMPARE(a.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00002"));
    QCOMPARE(b.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00002"));
    b.run(QStringLiteral("digita B1"));
    QCOMPARE(b.run(QStringLiteral("scrivi")), (Shown{QStringLiteral("26-00002"), QString()}));
    QCOMPARE(a.run(QStringLiteral("salva")),
             (Shown{QStringLiteral("26-00003"),
                    numeroCambiato(QStringLiteral("26-00002"), QStringLiteral("26-00003")) + QStringLiteral(" | ") + kSaved}));
    b.run(QStringLiteral("digita B2"));
    QCOMPARE(b.run(QStringLiteral("scrivi")), (Shown{QStringLiteral("26-00002"), QString()}));
    QCOMPARE(b.run(QStringLiteral("salva")), (Shown{QStringLiteral("26-00002"), kSaved}));
    QCOMPARE(linesOfAnotherTill(shop), 0);
    QCOMPARE(shop.count(QStringLiteral("Fattura where fat_Numero = '26-00002' and fat_Codice_Cliente = 2 "
                                       "and fat_Imponibile = 20")), 1);
    QCOMPARE(shop.count(QStringLiteral("Fattura where fat_Numero = '26-00003' and fat_Codice_Cliente = 1 "
                                       "and fat_Imponibile = 0")), 1);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 2);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00003'")), 0);
}

// A till killed while typing a new invoice keeps its number no longer: the
// next editor to open clears its lines and takes the number.
void TestTills::aKilledEditorHoldsItsNumberNoLonger()
{
    TestShopDatabase shop;
    prepareInvoicing(shop);
    {
        EditorTill b(shop.path(), 2);
        QVERIFY(b.ready());
        QCOMPARE(b.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00002"));
        b.run(QStringLiteral("digita B1"));
        QCOMPARE(b.run(QStringLiteral("scrivi")), (Shown{QStringLiteral("26-00002"), QString()}));
        QVERIFY(InvoiceDrafts::heldElsewhere(shop.path(), QStringLiteral("26-00002")));
        b.kill();
    }
    // The server notices the connection gone a moment later.
    QTRY_VERIFY_WITH_TIMEOUT(!InvoiceDrafts::heldElsewhere(shop.path(), QStringLiteral("26-00002")), 10000);
    EditorTill a(shop.path(), 1);
    QVERIFY(a.ready());
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 0);
    QCOMPARE(a.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00002"));
    a.run(QStringLiteral("digita A1"));
    QCOMPARE(a.run(QStringLiteral("scrivi")), (Shown{QStringLiteral("26-00002"), QString()}));
    QCOMPARE(a.run(QStringLiteral("salva")), (Shown{QStringLiteral("26-00002"), kSaved}));
    QCOMPARE(shop.count(QStringLiteral("Fattura where fat_Numero = '26-00002' and fat_Codice_Cliente = 1 "
                                       "and fat_Imponibile = 10")), 1);
}

// "Cambia Numero" onto the number another editor is typing an invoice
// under: refused, and the other editor's lines stay its own.
void TestTills::changingTheNumberToOneAnotherEditorHoldsIsRefused()
{
    TestShopDatabase shop;
    prepareInvoicing(shop);
    EditorTill a(shop.path(), 1);
    EditorTill b(shop.path(), 2);
    QVERIFY(a.ready() && b.ready());
    QCOMPARE(b.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00002"));
    b.run(QStringLiteral("digita B1"));
    b.run(QStringLiteral("scrivi"));
    QCOMPARE(a.run(QStringLiteral("nuova")).numero, QStringLiteral("26-00003"));
    a.run(QStringLiteral("digita A1"));
    a.run(QStringLiteral("scrivi"));
    QCOMPARE(a.run(QStringLiteral("cambia 2")),
             (Shown{QStringLiteral("26-00003"), QStringLiteral("La fattura inserita risulta già esistente. "
                                                               "Impossibile assegnare il numero 26-00002 alla fattura corrente")}));
    QCOMPARE(a.run(QStringLiteral("salva")), (Shown{QStringLiteral("26-00003"), kSaved}));
    QCOMPARE(b.run(QStringLiteral("salva")), (Shown{QStringLiteral("26-00002"), kSaved}));
    QCOMPARE(linesOfAnotherTill(shop), 0);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 1);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00003'")), 1);
}

// The other till sells on: the restore is refused with a message, and every
// sale the till reported saved is in the shop; once it has closed, the
// restore goes through.
void TestTills::aRestoreWhileATillSellsIsRefused()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 5000);
    const QString backup = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"),
                                          QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    shop.release();
    db::Database::closeAll();

    const auto till = startSelling(shop.path(), 1500);
    QVERIFY(till);
    QVERIFY(waitForSales(shop.path(), 20));
    QString refusal;
    try {
        safety::restore(shop.path(), backup, QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    } catch (const db::DbError &error) {
        refusal = error.description();
    }
    QCOMPARE(refusal, QStringLiteral("Il database è aperto in un altro programma (un'altra cassa?): chiuderlo e "
                                     "riprovare. Il database non è stato modificato."));
    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 0);
    QCOMPARE(salesIn(shop.path()), 1500);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 3500);

    safety::restore(shop.path(), backup, QDateTime(QDate(2026, 12, 8), QTime(9, 5)));
    QCOMPARE(salesIn(shop.path()), 0);
    db::Database::closeAll();
}

// Another program is replacing the shop: a till that starts selling waits
// for the new file, and its sales land there.
void TestTills::aTillOpeningDuringARestoreWaitsForIt()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 100);
    const QString replacement = shop.folder() + QStringLiteral("/ripristino.mdb");
    db::copyDatabase(shop.database().handle(), replacement);
    stockItem(shop, 5000);
    shop.release();
    db::Database::closeAll();

    AnotherProgramLock restorer(AnotherProgramLock::shopLockOf(shop.path()), AnotherProgramLock::Alone);
    QVERIFY(restorer.held());
    const auto till = startSelling(shop.path(), 20);
    QVERIFY(till);
    QVERIFY(!till->waitForFinished(500));
    QCOMPARE(salesIn(shop.path()), 0);
    replaceByHand(shop.path(), replacement);
    restorer.release();

    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 0);
    QCOMPARE(salesIn(shop.path()), 20);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 80);
}

void TestTills::aTillWhoseFileIsReplacedStopsWriting()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 100000);
    const QString replacement = shop.folder() + QStringLiteral("/ripristino.mdb");
    db::copyDatabase(shop.database().handle(), replacement);
    shop.release();
    db::Database::closeAll();

    const auto till = startSelling(shop.path(), 20000);
    QVERIFY(till);
    QVERIFY(waitForSales(shop.path(), 20));
    replaceByHand(shop.path(), replacement);

    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 1);
    QCOMPARE(QString::fromUtf8(till->readAllStandardError()).trimmed(),
             QStringLiteral("till-child: 3043: Il file del database è stato sostituito o spostato da un altro "
                            "programma: questo programma non può più usarlo e non vi ha registrato nulla. Chiudere "
                            "il programma e riaprirlo."));
    QCOMPARE(salesIn(shop.path()), 0);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 100000);
}

QTEST_MAIN(TestTills)
#include "tst_tills.moc"
