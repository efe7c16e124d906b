// The one trapped menu command, File / "Fornitori", failing for real: the
// shop's database has lost its supplier table.

#include "LodderRegistration.h"
#include "TestShopDatabase.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/LogObject.h"
#include "base/errors/TarvoApplication.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "db/Database.h"
#include "ui/BusyPointer.h"
#include "ui/ScriptedMessages.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {
const QString kExpectedText = QStringLiteral(
    "Si è verificato un errore durante l'esecuzione del programma.\r\n"
    "Errore numero: 3078\r\n"
    "Descrizione: Impossibile aprire l'elenco dei fornitori: riprovare; se l'errore si ripete, chiudere e "
    "riaprire il programma e, se non basta, rivolgersi all'assistenza indicando il numero dell'errore.");
} // namespace

class FornitoriTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void missingSupplierTableIsReportedAndLogged();

private:
    QTemporaryDir m_tmp;
};

void FornitoriTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QString program = m_tmp.filePath(QStringLiteral("programma"));
    QVERIFY(QDir().mkpath(program));
    setProgramFolder(program);
    qputenv("TARVO_REGISTRY", m_tmp.filePath(QStringLiteral("components.reg")).toLocal8Bit());
    QCOMPARE(runRegsvr(builtLodder()), 0);
    errors::setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)); });

    // The shipped schema, then the supplier table dropped behind the
    // program's back.
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = program + QStringLiteral("/tarvo.mdb");
    db::Database::create(g_strDbPath, TestShopDatabase::shippedSchema());
    db::Database::closeAll();
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(g_strDbPath.toUtf8().constData(), &raw), SQLITE_OK);
    QCOMPARE(sqlite3_exec(raw, "drop table Fornitore", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

void FornitoriTest::cleanupTestCase()
{
    db::Database::closeAll();
    errors::releaseLogObject();
    errors::setClock({});
}

void FornitoriTest::missingSupplierTableIsReportedAndLogged()
{
    ui::ScriptedMessages messages;
    app::wireWindows();
    mdiTarvo main;
    main.show();
    QAction *fornitori = main.commandAction(QStringLiteral("mnuFornitoriItem"));
    QVERIFY(fornitori);
    QVERIFY2(fornitori->isEnabled(), "the dictionary editor is not wired into its command");
    fornitori->trigger();

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().at(0).title, QStringLiteral("Errore"));
    QCOMPARE(messages.messages().at(0).style, int(ui::vbOKOnly | ui::vbCritical));
    QCOMPARE(messages.texts().at(0), kExpectedText);

    QFile log(programFolder() + QStringLiteral("/log/20261206.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    // The engine's words stay in the log.
    QCOMPARE(QString::fromUtf8(log.readAll()),
             QStringLiteral("14:05:09: <mdiTarvo.mnuCodiciIva: errore 3078: Impossibile trovare la tabella o la query "
                            "di input 'Fornitore'. Verificare che esista e che il nome sia stato digitato "
                            "correttamente.>\r\n"));
    // The steps after the failing one ran: the pointer is back to normal.
    QVERIFY(!ui::busyPointerShown());
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    FornitoriTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fornitori.moc"
