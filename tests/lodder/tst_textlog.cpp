// The text logs and the standard message of the Deb class, through a copy of
// the built library loaded from the test's temporary folder.

#include "DebLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDateTime kSixDecember(QDate(2026, 12, 6), QTime(14, 5, 9));

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TextLogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void defaultNameAndFolderBesideTheComponent();
    void givenNames_data();
    void givenNames();
    void folderCreatedOneLevelOnly();
    void unwritableFileIsAnError();
    void errorLines_data();
    void errorLines();
    void daysEitherSideOfMidnight();
    void standardMessage_data();
    void standardMessage();
    void readLogOpensTheViewer_data();
    void readLogOpensTheViewer();
    void readLogViewerNotStarted();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DebLoader> m_loader;
    QString m_component;
};

void TextLogTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_component = m_tmp->filePath(QStringLiteral("componente"));
    m_loader = std::make_unique<DebLoader>();
    QString error;
    QVERIFY2(m_loader->load(m_component, &error), qPrintable(error));
}

void TextLogTest::defaultNameAndFolderBesideTheComponent()
{
    auto deb = m_loader->create(kSixDecember);
    QVERIFY(deb);
    const QString folder = m_component + QStringLiteral("/log");
    QVERIFY(!QFileInfo::exists(folder));

    QString name;
    QString note = QStringLiteral("nota");
    QCOMPARE(deb->WriteLog(name, note).number, 0L);
    QCOMPARE(name, folder + QStringLiteral("/261206.log"));
    QCOMPARE(contents(name), QByteArray("14:05:09: <nota>\r\n"));

    // A path that is only blanks counts as missing; both in-out texts come
    // back as computed, and the line is appended.
    QString again = QStringLiteral("  ");
    QString path = QStringLiteral("   ");
    QString second = QStringLiteral("seconda nota");
    QCOMPARE(deb->WriteLog(again, second, &path).number, 0L);
    QCOMPARE(path, folder);
    QCOMPARE(again, folder + QStringLiteral("/261206.log"));
    QCOMPARE(contents(name), QByteArray("14:05:09: <nota>\r\n14:05:09: <seconda nota>\r\n"));
}

void TextLogTest::givenNames_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("file");
    QTest::newRow("blanks count as empty") << QStringLiteral("    ") << QStringLiteral("261206.log");
    QTest::newRow("no extension, unchanged") << QStringLiteral("registro") << QStringLiteral("registro");
    QTest::newRow("own name") << QStringLiteral("20261206.log") << QStringLiteral("20261206.log");
}

void TextLogTest::givenNames()
{
    QFETCH(QString, given);
    QFETCH(QString, file);
    auto deb = m_loader->create(kSixDecember);
    const QString folder = m_tmp->filePath(QStringLiteral("log"));
    QString name = given;
    QString path = folder;
    QString note = QStringLiteral("Ü è");
    QCOMPARE(deb->WriteLog(name, note, &path).number, 0L);
    QCOMPARE(name, folder + QLatin1Char('/') + file);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{file});
    QCOMPARE(contents(name), QStringLiteral("14:05:09: <Ü è>\r\n").toUtf8());
}

void TextLogTest::folderCreatedOneLevelOnly()
{
    auto deb = m_loader->create(kSixDecember);
    QString note = QStringLiteral("n");

    const QString missingParent = m_tmp->filePath(QStringLiteral("manca/log"));
    QString name;
    QString path = missingParent;
    const lodder::DebStatus status = deb->WriteLog(name, note, &path);
    QCOMPARE(status.number, 76L);
    QCOMPARE(status.description, QStringLiteral("Impossibile trovare il percorso."));
    QVERIFY(!QFileInfo::exists(m_tmp->filePath(QStringLiteral("manca"))));

    const QString oneLevel = m_tmp->filePath(QStringLiteral("nuova"));
    path = oneLevel;
    name.clear();
    QCOMPARE(deb->WriteLog(name, note, &path).number, 0L);
    QCOMPARE(contents(oneLevel + QStringLiteral("/261206.log")), QByteArray("14:05:09: <n>\r\n"));
}

void TextLogTest::unwritableFileIsAnError()
{
    auto deb = m_loader->create(kSixDecember);
    const QString folder = m_tmp->filePath(QStringLiteral("log"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/cartella")));
    QString name = QStringLiteral("cartella");
    QString path = folder;
    QString note = QStringLiteral("n");
    const lodder::DebStatus status = deb->WriteLog(name, note, &path);
    QCOMPARE(status.number, 75L);
    QCOMPARE(status.description, QStringLiteral("Errore di accesso al percorso o al file."));
}

void TextLogTest::errorLines_data()
{
    QTest::addColumn<long>("number");
    QTest::addColumn<bool>("withNote");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("positive") << 5L << true << QByteArray("14:05:09: < 5 ><Divisione per zero><Calcola><nota>\r\n");
    QTest::newRow("negative") << -5L << true << QByteArray("14:05:09: <-5 ><Divisione per zero><Calcola><nota>\r\n");
    QTest::newRow("zero") << 0L << true << QByteArray("14:05:09: < 0 ><Divisione per zero><Calcola><nota>\r\n");
    QTest::newRow("missing note") << 3021L << false
                                  << QByteArray("14:05:09: < 3021 ><Divisione per zero><Calcola><>\r\n");
}

void TextLogTest::errorLines()
{
    QFETCH(long, number);
    QFETCH(bool, withNote);
    QFETCH(QByteArray, line);
    auto deb = m_loader->create(kSixDecember);
    QString name;
    QString routine = QStringLiteral("Calcola");
    QString note = QStringLiteral("nota");
    QString path = m_tmp->filePath(QStringLiteral("log"));
    const lodder::DebErr err{number, QStringLiteral("Divisione per zero")};
    QCOMPARE(deb->WriteErrLog(err, name, routine, withNote ? &note : nullptr, &path).number, 0L);
    QCOMPARE(name, path + QStringLiteral("/261206.log"));
    QCOMPARE(contents(name), line);
}

void TextLogTest::daysEitherSideOfMidnight()
{
    QDateTime now(QDate(2026, 12, 31), QTime(23, 59, 59));
    auto deb = m_loader->create(now);
    deb->setClock([&now] { return now; });
    const QString folder = m_tmp->filePath(QStringLiteral("log"));
    QString note = QStringLiteral("ultimo");
    QString name;
    QString path = folder;
    QCOMPARE(deb->WriteLog(name, note, &path).number, 0L);
    now = QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1));
    note = QStringLiteral("primo");
    name.clear();
    QCOMPARE(deb->WriteLog(name, note, &path).number, 0L);
    QCOMPARE(contents(folder + QStringLiteral("/261231.log")), QByteArray("23:59:59: <ultimo>\r\n"));
    QCOMPARE(contents(folder + QStringLiteral("/270101.log")), QByteArray("00:00:01: <primo>\r\n"));
}

void TextLogTest::standardMessage_data()
{
    QTest::addColumn<long>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");
    QTest::newRow("positive") << 3021L << QStringLiteral("Nessun record corrente.")
                              << QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n"
                                                "Errore numero: 3021\r\nDescrizione: Nessun record corrente.");
    QTest::newRow("negative") << -2147467259L << QStringLiteral("Errore non specificato")
                              << QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n"
                                                "Errore numero: -2147467259\r\nDescrizione: Errore non specificato");
}

void TextLogTest::standardMessage()
{
    QFETCH(long, number);
    QFETCH(QString, description);
    QFETCH(QString, text);
    auto deb = m_loader->create(kSixDecember);
    QCOMPARE(deb->WriteStandardMsg({number, description}).number, 0L);
    QCOMPARE(m_loader->shown().size(), 1);
    QCOMPARE(m_loader->shown().at(0).title, QStringLiteral("Errore"));
    QCOMPARE(m_loader->shown().at(0).text, text);
    QCOMPARE(m_loader->shown().at(0).icon, int(lodder::DebIconCritical));
    // The message writes nothing.
    QVERIFY(!QFileInfo::exists(m_component + QStringLiteral("/log")));
}

void TextLogTest::readLogOpensTheViewer_data()
{
    QTest::addColumn<QString>("visual");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QStringList>("command");   // program, then its arguments before the path

    QTest::newRow("the desktop's viewer") << QString() << QString() << QStringList{"xdg-open"};
    QTest::newRow("EDITOR with an option") << QString() << "gedit --new-window" << QStringList{"gedit", "--new-window"};
    QTest::newRow("VISUAL before EDITOR") << "kate" << "vi" << QStringList{"kate"};
    QTest::newRow("blank VISUAL ignored") << "  " << "mousepad" << QStringList{"mousepad"};
}

// The path reaches the viewer as one argument, blanks and all.
void TextLogTest::readLogOpensTheViewer()
{
    QFETCH(QString, visual);
    QFETCH(QString, editor);
    QFETCH(QStringList, command);

    const QByteArray oldVisual = qgetenv("VISUAL");
    const QByteArray oldEditor = qgetenv("EDITOR");
    qputenv("VISUAL", visual.toUtf8());
    qputenv("EDITOR", editor.toUtf8());
    auto deb = m_loader->create(kSixDecember);
    QStringList started;
    deb->setProgramLauncher([&started](const QString &program, const QStringList &arguments) {
        started = QStringList{program} + arguments;
        return true;
    });
    QString name = m_tmp->filePath(QStringLiteral("Log di prova/20261206 sera.log"));
    const lodder::DebStatus status = deb->ReadLog(name);
    qputenv("VISUAL", oldVisual);
    qputenv("EDITOR", oldEditor);

    QCOMPARE(status.number, 0L);
    QCOMPARE(started, command + QStringList{m_tmp->filePath(QStringLiteral("Log di prova/20261206 sera.log"))});
    QVERIFY(m_loader->shown().isEmpty());
}

void TextLogTest::readLogViewerNotStarted()
{
    auto deb = m_loader->create(kSixDecember);   // its launcher starts nothing
    QString name = m_tmp->filePath(QStringLiteral("x.log"));
    QCOMPARE(deb->ReadLog(name).number, 0L);
    QCOMPARE(m_loader->shown().size(), 1);
    QCOMPARE(m_loader->shown().at(0).title, QStringLiteral("Lodder"));
    QCOMPARE(m_loader->shown().at(0).text,
             QStringLiteral("Errore nell'esecuzione di ReadLog in Lodder.dll. Potrebbe essere impossibile visualizzare il file log."));
    QCOMPARE(m_loader->shown().at(0).icon, int(lodder::DebIconCritical));
}

QTEST_GUILESS_MAIN(TextLogTest)
#include "tst_textlog.moc"
