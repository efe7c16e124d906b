// The records of the log database deb.mdb, its password, and the file
// missing or unfit.

#include "DebLoader.h"
#include "LogDatabase.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <sqlite3.h>

namespace {
const QDateTime kSixDecember(QDate(2026, 12, 6), QTime(14, 5, 9));

// Every row of debby, each field as text ("NULL" for a null).
QList<QStringList> debbyRows(const QString &path)
{
    QList<QStringList> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "select deb_id, deb_classe, deb_Data_Ora, deb_err_Descrizione, deb_err_Numero,"
                           " deb_err_Routine, deb_err_Nota from debby order by deb_id",
                           -1, &stmt, nullptr);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < 7; ++i) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                row << (text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
            }
            rows << row;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

bool execute(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}
} // namespace

class DebDatabaseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void noteRecordKeepsFirstCharacters();
    void errorRecordWrittenWithTheClassPassword();
    void defaultDatabaseBesideTheComponent();
    void wrongPasswordRefused();
    void missingDatabaseShowsMessageAndWritesNothing();
    void unfitFilesAreErrors();
    void existingDatabaseNeverRecreated();
    void deliveredDatabaseTakesBothKindsOfRecords();

private:
    QString createDatabase(const QString &folder, const QString &password = lodder::LogDatabase::classPassword());

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DebLoader> m_loader;
    QString m_component;
};

void DebDatabaseTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_component = m_tmp->filePath(QStringLiteral("componente"));
    m_loader = std::make_unique<DebLoader>();
    QString error;
    QVERIFY2(m_loader->load(m_component, &error), qPrintable(error));
}

QString DebDatabaseTest::createDatabase(const QString &folder, const QString &password)
{
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/deb.mdb");
    const lodder::DebStatus status = lodder::LogDatabase::create(path, password);
    if (!status.ok())
        qWarning() << status.description;
    return path;
}

void DebDatabaseTest::noteRecordKeepsFirstCharacters()
{
    const QString path = createDatabase(m_tmp->filePath(QStringLiteral("db")));
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("frmFatturaXY");   // 12 characters
    QString note = QString(100, QLatin1Char('n')) + QStringLiteral("oltre");
    QString given = path;
    QCOMPARE(deb->WriteDbLog(className, note, &given).number, 0L);
    QCOMPARE(given, path);

    const auto rows = debbyRows(path);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0), (QStringList{QStringLiteral("1"), QStringLiteral("frmFa"), QStringLiteral("260612 14.05.09"),
                                      QStringLiteral("NULL"), QStringLiteral("NULL"), QStringLiteral("NULL"),
                                      QString(100, QLatin1Char('n'))}));
}

void DebDatabaseTest::errorRecordWrittenWithTheClassPassword()
{
    // The one password the delivered deb.mdb carries serves the error
    // records too.
    const QString path = createDatabase(m_tmp->filePath(QStringLiteral("db")));
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString routine = QStringLiteral("frmFattura.cmdCambiaNumer_Click.Ricalcolo");   // 41 characters
    QString given = path;
    const lodder::DebErr err{-2147217900, QString(50, QLatin1Char('d')) + QStringLiteral("coda")};
    QCOMPARE(deb->WriteDbErrLog(err, className, routine, nullptr, &given).number, 0L);

    QString note = QStringLiteral("con nota");
    QCOMPARE(deb->WriteDbErrLog({5, QStringLiteral("breve")}, className, routine, &note, &given).number, 0L);

    const auto rows = debbyRows(path);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0), (QStringList{QStringLiteral("1"), QStringLiteral("Deb"), QStringLiteral("260612 14.05.09"),
                                      QString(50, QLatin1Char('d')), QStringLiteral("-2147217900"),
                                      QStringLiteral("frmFattura.cmdCambiaNumer_Clic"), QString()}));
    QCOMPARE(rows.at(1).at(3), QStringLiteral("breve"));
    QCOMPARE(rows.at(1).at(4), QStringLiteral("5"));
    QCOMPARE(rows.at(1).at(6), QStringLiteral("con nota"));
}

void DebDatabaseTest::defaultDatabaseBesideTheComponent()
{
    const QString path = createDatabase(m_component + QStringLiteral("/log"));
    auto deb = m_loader->create(QDateTime(QDate(2027, 1, 31), QTime(9, 8, 7)));
    QString className = QStringLiteral("Prova");
    QString note = QStringLiteral("avvio");
    QCOMPARE(deb->WriteDbLog(className, note).number, 0L);
    QString blanks = QStringLiteral("  ");
    QCOMPARE(deb->WriteDbLog(className, note, &blanks).number, 0L);
    QCOMPARE(blanks, path);
    const auto rows = debbyRows(path);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).at(2), QStringLiteral("273101 09.08.07"));
}

void DebDatabaseTest::wrongPasswordRefused()
{
    const QString path = createDatabase(m_tmp->filePath(QStringLiteral("db")), QStringLiteral("trivo"));
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString note = QStringLiteral("nota");
    QString given = path;
    lodder::DebStatus status = deb->WriteDbLog(className, note, &given);
    QCOMPARE(status.number, 3031L);
    QCOMPARE(status.description, QStringLiteral("Password non valida."));
    status = deb->WriteDbErrLog({5, QStringLiteral("x")}, className, note, nullptr, &given);
    QCOMPARE(status.number, 3031L);
    QVERIFY(debbyRows(path).isEmpty());
    QVERIFY(m_loader->shown().isEmpty());
}

void DebDatabaseTest::missingDatabaseShowsMessageAndWritesNothing()
{
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString note = QStringLiteral("nota");
    QString missing = m_tmp->filePath(QStringLiteral("log/deb.mdb"));
    QCOMPARE(deb->WriteDbLog(className, note, &missing).number, 0L);
    QString routine = QStringLiteral("Main");
    QCOMPARE(deb->WriteDbErrLog({1, QStringLiteral("x")}, className, routine).number, 0L);

    QCOMPARE(m_loader->shown().size(), 2);
    for (const auto &shown : m_loader->shown()) {
        QCOMPARE(shown.title, QStringLiteral("Lodder.dll"));
        QCOMPARE(shown.text, QStringLiteral("Impossibile trovare il file deb.mdb nel percorso specificato"));
        QCOMPARE(shown.icon, int(lodder::DebIconExclamation));
    }
    QVERIFY(!QFileInfo::exists(m_tmp->filePath(QStringLiteral("log"))));
    QVERIFY(!QFileInfo::exists(m_component + QStringLiteral("/log")));
}

void DebDatabaseTest::unfitFilesAreErrors()
{
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString note = QStringLiteral("nota");

    // Not a log database: left untouched.
    QString text = m_tmp->filePath(QStringLiteral("deb.mdb"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("non un database\r\n");
    }
    lodder::DebStatus status = deb->WriteDbLog(className, note, &text);
    QCOMPARE(status.number, 3343L);
    QCOMPARE(status.description, QStringLiteral("Formato di database non riconosciuto."));
    QFile file(text);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("non un database\r\n"));

    // A log database without its table.
    QString noTable = createDatabase(m_tmp->filePath(QStringLiteral("db")));
    QVERIFY(execute(noTable, "drop table debby"));
    status = deb->WriteDbLog(className, note, &noTable);
    QCOMPARE(status.number, 3000L);
    QCOMPARE(status.description, QStringLiteral("Errore del database: no such table: debby"));
}

void DebDatabaseTest::existingDatabaseNeverRecreated()
{
    const QString path = createDatabase(m_tmp->filePath(QStringLiteral("db")));
    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString note = QStringLiteral("nota");
    QString given = path;
    QCOMPARE(deb->WriteDbLog(className, note, &given).number, 0L);

    const lodder::DebStatus again = lodder::LogDatabase::create(path, lodder::LogDatabase::classPassword());
    QVERIFY(!again.ok());
    QCOMPARE(debbyRows(path).size(), 1);
}

void DebDatabaseTest::deliveredDatabaseTakesBothKindsOfRecords()
{
    // The database as the build and the install deliver it: made by the
    // debmdb tool, in a log folder that does not exist yet.
    const QString path = m_component + QStringLiteral("/log/deb.mdb");
    QProcess tool;
    tool.start(QStringLiteral(DEBMDB_PATH), {path});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);

    auto deb = m_loader->create(kSixDecember);
    QString className = QStringLiteral("Deb");
    QString note = QStringLiteral("nota");
    QString routine = QStringLiteral("Main");
    QCOMPARE(deb->WriteDbLog(className, note).number, 0L);
    QCOMPARE(deb->WriteDbErrLog({3021, QStringLiteral("Nessun record corrente.")}, className, routine, &note).number, 0L);
    QCOMPARE(debbyRows(path).size(), 2);

    // Run again over the existing file: the records stay.
    tool.start(QStringLiteral(DEBMDB_PATH), {path});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(debbyRows(path).size(), 2);
}

QTEST_GUILESS_MAIN(DebDatabaseTest)
#include "tst_debdatabase.moc"
