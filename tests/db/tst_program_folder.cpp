#include "db/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where the program and the tools look for the program folder and the
// shop's database: a chosen folder first, then TARVO_HOME, then the folder
// of the program file.
class ProgramFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void withoutHomeTheProgramFilesFolder();
    void homeNamesTheFolder();
    void chosenFolderComesFirstUntilCleared();
};

namespace {
const QString kDatabase = QStringLiteral("/tarvo.mdb");
}

void ProgramFolderTest::init()
{
    qunsetenv("TARVO_HOME");
    db::ProgramFolder::set(QString());
}

void ProgramFolderTest::cleanup()
{
    init();
}

void ProgramFolderTest::withoutHomeTheProgramFilesFolder()
{
    const QString programs = QCoreApplication::applicationDirPath();
    QCOMPARE(db::ProgramFolder::installPath(), programs);
    QCOMPARE(db::ProgramFolder::path(), programs);
    QCOMPARE(db::ProgramFolder::databasePath(), programs + kDatabase);
}

void ProgramFolderTest::homeNamesTheFolder()
{
    QTemporaryDir home;
    // The launcher may name it with a trailing slash, the user a relative path.
    qputenv("TARVO_HOME", (home.path() + QStringLiteral("/")).toLocal8Bit());
    QCOMPARE(db::ProgramFolder::path(), home.path());
    QCOMPARE(db::ProgramFolder::databasePath(), home.path() + kDatabase);
    QCOMPARE(db::ProgramFolder::installPath(), QCoreApplication::applicationDirPath());

    const QString relative = QDir::current().relativeFilePath(home.path());
    qputenv("TARVO_HOME", relative.toLocal8Bit());
    QCOMPARE(db::ProgramFolder::databasePath(), home.path() + kDatabase);
}

void ProgramFolderTest::chosenFolderComesFirstUntilCleared()
{
    QTemporaryDir home;
    QTemporaryDir chosen;
    qputenv("TARVO_HOME", home.path().toLocal8Bit());
    const QString shop = chosen.path() + QStringLiteral("/Programmi Negozio");
    db::ProgramFolder::set(shop);
    QCOMPARE(db::ProgramFolder::path(), shop);
    QCOMPARE(db::ProgramFolder::databasePath(), shop + kDatabase);
    // The templates stay where the program was installed.
    QCOMPARE(db::ProgramFolder::installPath(), QCoreApplication::applicationDirPath());

    db::ProgramFolder::set(QString());
    QCOMPARE(db::ProgramFolder::path(), home.path());
}

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "tst_program_folder.moc"
