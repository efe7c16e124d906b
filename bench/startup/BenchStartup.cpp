// The start of the program on a large shop, as whole processes: from the
// start of the process to the main window painted, and to the first sale
// recorded at the counter, on an ordinary start and on the first start of
// the day (the check of every page and the daily backup behind the
// window). The raw side is the floor: a process that shows an empty main
// window over the same file and records the same sale with plain SQLite.
//
//   bench-startup <shop.mdb> [rounds]
//
// Works on a copy of the shop (the sales and the backups change its folder).
// Each figure is a fresh process; the page cache is warm after the copy.
#include "../common/BenchJudge.h"

#include "base/Globals.h"
#include "quirnel/Main.h"
#include "quirnel/mdiTarvo.h"
#include "safety/SafetyCommands.h"
#include "safety/ShopSafety.h"
#include "safety/StartCheck.h"
#include "db/Connection.h"
#include "db/ProgramFolder.h"
#include "db/TextFunctions.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"
#include "ui/Translations.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>
#include <sqlite3.h>

using namespace bench;

namespace {

const Clock::time_point processStart = Clock::now();

void say(const char *what)
{
    if (qEnvironmentVariableIsSet("BENCH_STARTUP_DEBUG"))
        std::fprintf(stderr, "%8.1f ms: %s\n", millis(Clock::now() - processStart), what);
    std::printf("%s\n", what);
    std::fflush(stdout);
}

// Says "window" once `window` has painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *window) { window->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            say("window");
        }
        return false;
    }
};

void waitForPaint(const FirstPaint &paint)
{
    while (!paint.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

QString firstCode(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "select ca_Codice from [Codice Articolo] where ca_Codice is not null limit 1 offset 1000",
                       -1, &statement, nullptr);
    QString code;
    if (sqlite3_step(statement) == SQLITE_ROW)
        code = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return code;
}

// The floor: an empty main window over the file, the schema read, and the
// sale's two statements in one durable transaction.
int rawChild(const QString &folder, const QString &code)
{
    QApplication application(*new int(1), new char *[1] {const_cast<char *>("bench-startup")});
    sqlite3 *handle = nullptr;
    const QString shop = QDir(folder).filePath(QStringLiteral("tarvo.mdb"));
    if (sqlite3_open_v2(QFile::encodeName(shop).constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 1;
    db::registerTextFunctions(handle);
    sqlite3_exec(handle, "pragma journal_mode=wal; pragma synchronous=full; select count(*) from sqlite_master; "
                         "pragma user_version",
                 nullptr, nullptr, nullptr);
    QMainWindow window;
    FirstPaint paint(&window);
    window.showMaximized();
    waitForPaint(paint);
    const QByteArray utf8 = code.toUtf8();
    sqlite3_stmt *update = nullptr, *insert = nullptr;
    sqlite3_exec(handle, "begin immediate", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(handle, "update [Codice Articolo] set ca_Quantita = ca_Quantita - 1 where ca_Codice = ?", -1,
                       &update, nullptr);
    sqlite3_bind_text(update, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_step(update);
    sqlite3_prepare_v2(handle, "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, "
                               "sc_Saldo, sc_Pagamento) values (?, date('now'), 1, 20, 0, 20, 'CO')",
                       -1, &insert, nullptr);
    sqlite3_bind_text(insert, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(update);
    sqlite3_finalize(insert);
    const int rc = sqlite3_exec(handle, "commit", nullptr, nullptr, nullptr);
    say(rc == SQLITE_OK ? "sale" : "sale failed");
    say("behind");
    sqlite3_close(handle);
    return 0;
}

// The program's own start (as quirnel's main), then a sale at the counter
// at once: the click on "Scarica Articolo" until the sale is committed.
int programChild(int argc, char *argv[], const QString &folder, const QString &code)
{
    QApplication application(argc, argv);
    ui::installItalianTranslations(application);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCoreApplication::setApplicationName(QStringLiteral("Qorda"));
    db::ProgramFolder::set(folder);
    const QString shop = db::ProgramFolder::databasePath();
    if (!safety::openAtStart(shop, safety::defaultBackupFolder()))
        return 1;
    safety::StartCheck *begun = safety::beginCheck(shop, safety::defaultBackupFolder());
    mdiTarvo &window = Main();
    FirstPaint paint(&window);
    safety::StartCheck *check = safety::checkBehind(
        &window, shop, safety::defaultBackupFolder(), [&window] { return window.closeEveryWindow(); }, begun);
    waitForPaint(paint);

    ui::ScriptedMessages messages;
    window.runCommand(QStringLiteral("mnuFileScaricoItem"));
    auto &counter = ui::WindowRegistry::defaultInstance<frmScarico>();
    auto *codice = counter.findChild<QLineEdit *>(QStringLiteral("txtCodice"));
    auto *quantita = counter.findChild<QLineEdit *>(QStringLiteral("txtQuantita"));
    auto *scarica = counter.findChild<QPushButton *>(QStringLiteral("cmdScarica"));
    if (!codice || !quantita || !scarica)
        return 1;
    // The scan is read when the bar code box loses the focus of an active window.
    QApplication::setActiveWindow(&window);
    (void)QTest::qWaitForWindowActive(&window);
    codice->setFocus();
    codice->setText(code);
    quantita->setFocus();
    messages.queueAnswer(ui::vbYes);
    const bool runningBefore = check && check->running();
    scarica->click();
    if (qEnvironmentVariableIsSet("BENCH_STARTUP_DEBUG"))
        std::fprintf(stderr, "check running before the sale: %d, after: %d; %s\n", runningBefore,
                     check && check->running(), qPrintable(messages.texts().join(QLatin1String(" | "))));
    // The counter asks for the next article once the sale is committed.
    const bool sold = messages.texts().size() == 1;
    say(sold ? "sale" : "sale failed");
    if (!sold)
        std::fprintf(stderr, "bench-startup: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    while (check && check->running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    say("behind");
    counter.close();
    return 0;
}

struct Times {
    double window = -1, sale = -1, behind = -1;
    bool saleFailed = false;
};

Times runChild(const QString &self, const QString &mode, const QString &folder, const QString &code)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Times times;
    const auto start = Clock::now();
    child.start(self, {QStringLiteral("--child"), mode, folder, code});
    while (child.state() != QProcess::NotRunning || child.canReadLine()) {
        if (!child.canReadLine() && !child.waitForReadyRead(120000) && !child.canReadLine())
            break;
        const QByteArray line = child.readLine().trimmed();
        const double at = millis(Clock::now() - start);
        if (line == "window")
            times.window = at;
        else if (line == "sale")
            times.sale = at;
        else if (line == "sale failed")
            times.saleFailed = true;
        else if (line == "behind")
            times.behind = at;
    }
    child.waitForFinished(120000);
    return times;
}

// The newest sale in the file, read after the process has ended: a sale
// saved while the check ran must be there.
qint64 lastSale(const QString &shop)
{
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(shop).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    qint64 last = -1;
    if (sqlite3_prepare_v2(handle, "select max(rowid) from scarico", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        last = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return last;
}

void removeTodaysBackups(const QString &folder)
{
    const QString today = QStringLiteral("tarvo-%1-*.mdb").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QDir backups(QDir(folder).filePath(QStringLiteral("backup")));
    for (const QString &name : backups.entryList({today}, QDir::Files))
        backups.remove(name);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 5 && QByteArray(argv[1]) == "--child") {
        const QString folder = QString::fromLocal8Bit(argv[3]);
        const QString code = QString::fromLocal8Bit(argv[4]);
        return QByteArray(argv[2]) == "raw" ? rawChild(folder, code) : programChild(1, argv, folder, code);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-startup <shop.mdb> [rounds]\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench-startup-XXXXXX"));
    const QString shop = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!folder.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[1]), shop)) {
        std::fprintf(stderr, "bench-startup: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::link(QStringLiteral(TARVO_SKIN_DIR), folder.filePath(QStringLiteral("shpix")));
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(shop).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    const QString code = firstCode(handle);
    sqlite3_close(handle);
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("shop %s (a copy, %lld MB), %d rounds, each figure a whole process\n", argv[1],
                QFileInfo(shop).size() / (1024 * 1024), rounds);

    // The first start makes the day's backup and upgrades nothing: warm-up.
    removeTodaysBackups(folder.path());
    runChild(self, QStringLiteral("program"), folder.path(), code);
    runChild(self, QStringLiteral("raw"), folder.path(), code);

    Rounds windowAny, saleAny, windowFirst, saleFirst, behindFirst;
    bool failed = false;
    for (int round = 0; round < rounds; ++round) {
        const Times raw = runChild(self, QStringLiteral("raw"), folder.path(), code);
        const Times any = runChild(self, QStringLiteral("program"), folder.path(), code);
        removeTodaysBackups(folder.path());
        const qint64 before = lastSale(shop);
        const Times first = runChild(self, QStringLiteral("program"), folder.path(), code);
        const bool kept = lastSale(shop) == before + 1;
        if (!kept)
            std::printf("the sale of the first start of the day is not in the file\n");
        failed = failed || any.saleFailed || first.saleFailed || raw.saleFailed || any.sale < 0 || first.sale < 0 || !kept;
        windowAny.add({any.window}, {raw.window});
        saleAny.add({any.sale}, {raw.sale});
        windowFirst.add({first.window}, {raw.window});
        saleFirst.add({first.sale}, {raw.sale});
        behindFirst.add({first.behind}, {});
    }
    std::printf("from the process's start; raw: an empty main window over the file and the same sale in plain SQLite\n");
    bool pass = judge("main window, any start", windowAny, 300);
    pass = judge("main window, first start of the day", windowFirst, 300) && pass;
    pass = judge("first sale recorded, any start", saleAny, 1000) && pass;
    pass = judge("first sale recorded, first start of the day", saleFirst, 1000) && pass;
    judge("check and daily backup done behind", behindFirst, 0);
    if (failed) {
        std::printf("a sale was not recorded: FAIL\n");
        pass = false;
    }
    return pass ? 0 : 1;
}
