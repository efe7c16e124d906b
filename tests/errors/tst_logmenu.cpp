// Assistenza / "Registro degli errori..." and "Archivio degli errori...": the
// program's logs reached from the main menu through the registered log
// library, in a program folder whose path has a blank.

#include "LodderRegistration.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/LogObject.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "ui/ScriptedMessages.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class LogMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void textLogOfTheDayOpensWithItsWholePath();
    void noTextLogSaysSo();
    void logDatabaseOpensInTheViewer();
    void missingLogDatabaseSaysSo();

private:
    void trigger(const char *command);
    void writeFile(const QString &name);

    QTemporaryDir m_tmp;
    QString m_program;
    QStringList m_started;
    std::unique_ptr<mdiTarvo> m_main;
};

void LogMenuTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    qputenv("TARVO_REGISTRY", m_tmp.filePath(QStringLiteral("components.reg")).toLocal8Bit());
    QCOMPARE(runRegsvr(builtLodder()), 0);
    errors::setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)); });
    g_strAppName = QStringLiteral("Qorda");
    qunsetenv("VISUAL");
    qunsetenv("EDITOR");
    app::wireWindows();
    m_main = std::make_unique<mdiTarvo>();
}

void LogMenuTest::init()
{
    static int run = 0;
    m_program = m_tmp.filePath(QStringLiteral("Il mio negozio %1").arg(++run));
    QVERIFY(QDir().mkpath(m_program + QStringLiteral("/log")));
    setProgramFolder(m_program);
    m_started.clear();
    // No test starts a real viewer.
    errors::g_oDeb().setProgramLauncher([this](const QString &program, const QStringList &arguments) {
        m_started = QStringList{program} + arguments;
        return true;
    });
}

void LogMenuTest::cleanupTestCase()
{
    m_main.reset();
    errors::releaseLogObject();
    errors::setClock({});
}

void LogMenuTest::trigger(const char *command)
{
    QAction *action = m_main->commandAction(QLatin1String(command));
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
}

void LogMenuTest::writeFile(const QString &name)
{
    QFile file(m_program + QStringLiteral("/log/") + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("14:05:09: <mdiTarvo.mnuCodiciIva>\r\n");
}

void LogMenuTest::textLogOfTheDayOpensWithItsWholePath()
{
    ui::ScriptedMessages messages;
    writeFile(QStringLiteral("20261205.log"));
    writeFile(QStringLiteral("20261206.log"));
    trigger("mnuRegistroErroriItem");
    QCOMPARE(m_started, (QStringList{"xdg-open", m_program + QStringLiteral("/log/20261206.log")}));
    QVERIFY(messages.texts().isEmpty());
}

void LogMenuTest::noTextLogSaysSo()
{
    ui::ScriptedMessages messages;
    trigger("mnuRegistroErroriItem");
    QVERIFY(m_started.isEmpty());
    QCOMPARE(messages.texts(), QStringList{"Nessun errore è stato registrato finora."});
}

void LogMenuTest::logDatabaseOpensInTheViewer()
{
    ui::ScriptedMessages messages;
    QProcess debmdb;
    debmdb.start(QStringLiteral(DEBMDB_PATH), {m_program + QStringLiteral("/log/deb.mdb")});
    QVERIFY(debmdb.waitForFinished(30000));
    QCOMPARE(debmdb.exitCode(), 0);
    QString title;
    messages.queueModal([&title](QDialog &window) {
        title = window.windowTitle();
        return 0;
    });
    trigger("mnuArchivioErroriItem");
    QCOMPARE(messages.modals(), QStringList{"frmDeb"});
    QCOMPARE(title, QStringLiteral("Lettura file Log"));
    QCOMPARE(messages.texts(), QStringList{"Nessun dato disponibile."});
}

void LogMenuTest::missingLogDatabaseSaysSo()
{
    ui::ScriptedMessages messages;
    trigger("mnuArchivioErroriItem");
    QVERIFY(messages.modals().isEmpty());
    QCOMPARE(messages.texts(), QStringList{"Impossibile trovare il file deb.mdb nel percorso specificato"});
    QCOMPARE(messages.messages().at(0).title, QStringLiteral("Lodder.dll"));
}

QTEST_MAIN(LogMenuTest)
#include "tst_logmenu.moc"
