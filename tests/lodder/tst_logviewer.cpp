// ReadDbLog and its viewer "Lettura file Log", through a copy of the built
// library loaded from the test's temporary folder: the window is run by the
// test's modal runner and its messages answered by the test.

#include "DebLoader.h"
#include "LogDatabase.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <sqlite3.h>

namespace {
const QDateTime kSixDecember(QDate(2026, 12, 6), QTime(14, 5, 9));
} // namespace

// A message the library showed (a member's type: not in an unnamed namespace).
struct Shown {
    QString title, text;
    int style = 0;
    bool operator==(const Shown &) const = default;
};

namespace QTest {
template <>
char *toString(const Shown &s)
{
    return qstrdup(qPrintable(QStringLiteral("(%1, %2, %3)").arg(s.title, s.text).arg(s.style)));
}
} // namespace QTest

class LogViewerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void folderWithoutDatabaseShowsNoWindow();
    void wrongPasswordShowsNoWindow();
    void emptyTableDisablesTheToolbar();
    void browsesCountingFromOne();
    void deleteTheOnlyRecord_data();
    void deleteTheOnlyRecord();
    void newRecordAndChangesAreWritten();
    void refusedWriteIsReportedAndKept();

private:
    QString createDatabase(const char *password = nullptr);
    void addNotes(int count);
    // Runs ReadDbLog on the test's folder; `inside` drives the window.
    void readDbLog(const std::function<void(QDialog &)> &inside);
    int rows(const char *where = "1") const;

    static QLineEdit *box(QDialog &window, const char *name) { return window.findChild<QLineEdit *>(QLatin1String(name)); }
    static void click(QDialog &window, const char *key) { window.findChild<QAction *>(QLatin1String(key))->trigger(); }
    static QString counter(QDialog &window) { return box(window, "txtRecords")->text(); }

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DebLoader> m_loader;
    QString m_folder;
    QList<Shown> m_shown;
    QList<int> m_answers;
    int m_windows = 0;
};

void LogViewerTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_loader = std::make_unique<DebLoader>();
    QString error;
    QVERIFY2(m_loader->load(m_tmp->filePath(QStringLiteral("componente")), &error), qPrintable(error));
    m_folder = m_tmp->filePath(QStringLiteral("Registro errori"));   // a folder with a blank
    QDir().mkpath(m_folder);
    m_shown.clear();
    m_answers.clear();
    m_windows = 0;
}

QString LogViewerTest::createDatabase(const char *password)
{
    const QString path = m_folder + QStringLiteral("/deb.mdb");
    const QString given = password ? QString::fromLatin1(password) : lodder::LogDatabase::classPassword();
    if (!lodder::LogDatabase::create(path, given).ok())
        qWarning("deb.mdb not created");
    return path;
}

void LogViewerTest::addNotes(int count)
{
    auto deb = m_loader->create(kSixDecember);
    for (int i = 1; i <= count; ++i) {
        QString className = QStringLiteral("Classe%1").arg(i);
        QString note = QStringLiteral("nota %1").arg(i);
        QString path = m_folder + QStringLiteral("/deb.mdb");
        QCOMPARE(deb->WriteDbLog(className, note, &path).number, 0L);
    }
}

void LogViewerTest::readDbLog(const std::function<void(QDialog &)> &inside)
{
    auto deb = m_loader->create(kSixDecember);
    deb->setMessagePresenter([this](const QString &title, const QString &text, int style) {
        m_shown.append({title, text, style});
        return m_answers.isEmpty() ? int(lodder::DebAnswerOk) : m_answers.takeFirst();
    });
    deb->setModalRunner([this, &inside](QDialog &window) {
        ++m_windows;
        window.show();
        inside(window);
        return 0;
    });
    QString folder = m_folder;
    QCOMPARE(deb->ReadDbLog(folder).number, 0L);
    QCOMPARE(folder, m_folder + QStringLiteral("/deb.mdb"));
}

int LogViewerTest::rows(const char *where) const
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    int n = -1;
    const QByteArray sql = QByteArray("select count(*) from debby where ") + where;
    if (sqlite3_open_v2((m_folder + QStringLiteral("/deb.mdb")).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

void LogViewerTest::folderWithoutDatabaseShowsNoWindow()
{
    readDbLog([](QDialog &) {});
    QCOMPARE(m_windows, 0);
    QCOMPARE(m_shown, (QList<Shown>{{"Lodder.dll", "Impossibile trovare il file deb.mdb nel percorso specificato", 48}}));
}

void LogViewerTest::wrongPasswordShowsNoWindow()
{
    createDatabase("trivo");
    readDbLog([](QDialog &) {});
    QCOMPARE(m_windows, 0);
    QCOMPARE(m_shown, (QList<Shown>{{"Lodder", "Errore nell'esecuzione di ReadLog in Lodder.dll. Potrebbe essere "
                                               "impossibile visualizzare il file log.", 16}}));
}

void LogViewerTest::emptyTableDisablesTheToolbar()
{
    createDatabase();
    readDbLog([](QDialog &window) {
        QCOMPARE(window.windowTitle(), QStringLiteral("Lettura file Log"));
        auto *toolbar = window.findChild<QToolBar *>(QStringLiteral("tbrLog"));
        for (const char *key : {"New", "Open", "Save", "Delete", "Print", "MoveFirst", "MovePrevious", "MoveNext", "MoveLast"})
            QVERIFY2(!toolbar->widgetForAction(window.findChild<QAction *>(QLatin1String(key)))->isEnabled(), key);
    });
    QCOMPARE(m_windows, 1);
    QCOMPARE(m_shown, (QList<Shown>{{"Lodder", "Nessun dato disponibile.", 64}}));
}

void LogViewerTest::browsesCountingFromOne()
{
    createDatabase();
    addNotes(3);
    readDbLog([](QDialog &window) {
        QCOMPARE(counter(window), QStringLiteral("Log Record N°1 di 3"));
        QCOMPARE(box(window, "txtID")->text(), QStringLiteral("1"));
        QVERIFY(box(window, "txtID")->isReadOnly());
        QCOMPARE(box(window, "txtClasse")->text(), QStringLiteral("Class"));
        QCOMPARE(box(window, "txtDataOra")->text(), QStringLiteral("260612 14.05.09"));
        QCOMPARE(box(window, "txtNota")->text(), QStringLiteral("nota 1"));
        click(window, "MovePrevious");   // at the first: nothing
        QCOMPARE(counter(window), QStringLiteral("Log Record N°1 di 3"));
        click(window, "MoveNext");
        QCOMPARE(counter(window), QStringLiteral("Log Record N°2 di 3"));
        QCOMPARE(box(window, "txtNota")->text(), QStringLiteral("nota 2"));
        click(window, "MoveLast");
        click(window, "MoveNext");       // at the last: nothing
        QCOMPARE(counter(window), QStringLiteral("Log Record N°3 di 3"));
        QCOMPARE(box(window, "txtID")->text(), QStringLiteral("3"));
        click(window, "MoveFirst");
        QCOMPARE(box(window, "txtNota")->text(), QStringLiteral("nota 1"));
        click(window, "Print");
        click(window, "Open");
    });
    QVERIFY(m_shown.isEmpty());
    QCOMPARE(rows(), 3);
}

void LogViewerTest::deleteTheOnlyRecord_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("yes") << int(lodder::DebAnswerYes) << 0;
    QTest::newRow("no") << int(lodder::DebAnswerNo) << 1;
}

void LogViewerTest::deleteTheOnlyRecord()
{
    QFETCH(int, answer);
    QFETCH(int, left);
    createDatabase();
    addNotes(1);
    m_answers << answer;
    readDbLog([left](QDialog &window) {
        click(window, "Delete");
        QCOMPARE(box(window, "txtNota")->text(), left ? QStringLiteral("nota 1") : QString());
        click(window, "MoveNext");
        click(window, "MovePrevious");
        click(window, "Delete");         // no record: nothing to ask
        QCOMPARE(box(window, "txtID")->text(), left ? QStringLiteral("1") : QString());
    });
    QCOMPARE(rows(), left);
    QCOMPARE(m_shown.size(), left ? 2 : 1);
    QCOMPARE(m_shown.at(0), (Shown{"Lodder", "Cancellare definitivamente dato Log corrente?", 4 | 48}));
}

void LogViewerTest::newRecordAndChangesAreWritten()
{
    createDatabase();
    addNotes(2);
    readDbLog([this](QDialog &window) {
        click(window, "New");
        QVERIFY(box(window, "txtNota")->text().isEmpty());
        QTest::keyClicks(box(window, "txtNota"), QStringLiteral("aggiunta a mano"));
        QTest::keyClicks(box(window, "txtNumeroErrore"), QStringLiteral("91"));
        click(window, "New");
        click(window, "Delete");
        click(window, "Open");
        QCOMPARE(rows(), 2);
        click(window, "Save");
        QCOMPARE(counter(window), QStringLiteral("Log Record N°3 di 3"));
        QCOMPARE(box(window, "txtID")->text(), QStringLiteral("3"));

        click(window, "MoveFirst");
        QTest::keyClicks(box(window, "txtNota"), QStringLiteral(" corretta"));
        click(window, "MoveNext");       // the change is written on the move
        click(window, "Save");           // nothing changed: written as it is
    });
    QCOMPARE(m_shown, (QList<Shown>{
                          {"Lodder", "I dati non sono stati salvati. Salvare prima di inserire un nuovo Log.", 64},
                          {"Lodder", "I dati non sono stati salvati. Salvare prima di cancellare un dato log.", 64},
                          {"Lodder", "I dati non sono stati salvati. Salvare prima di cercare un Log.", 64},
                          {"Lodder", "Inserimento eseguito", 64},
                          {"Lodder", "Il Log è stato salvato", 64}}));
    QCOMPARE(rows("deb_id = 3 and deb_err_Nota = 'aggiunta a mano' and deb_err_Numero = 91"), 1);
    QCOMPARE(rows("deb_id = 1 and deb_err_Nota = 'nota 1 corretta'"), 1);
    QCOMPARE(rows(), 3);
}

// A write the database refuses is said, and what was typed stays in the
// box with the record still in change: a move or a new record does not
// throw it away.
void LogViewerTest::refusedWriteIsReportedAndKept()
{
    const QString path = createDatabase();
    addNotes(2);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QCOMPARE(sqlite3_exec(db, "create trigger rifiuta before update on debby begin select raise(abort, 'scrittura rifiutata'); end;",
                          nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    readDbLog([](QDialog &window) {
        QTest::keyClicks(box(window, "txtNota"), QStringLiteral(" cambiata"));
        click(window, "Save");
        click(window, "MoveNext");
        QCOMPARE(counter(window), QStringLiteral("Log Record N°1 di 2"));
        QCOMPARE(box(window, "txtNota")->text(), QStringLiteral("nota 1 cambiata"));
        QTest::keyClicks(box(window, "txtNumeroErrore"), QStringLiteral("x"));
        click(window, "Save");
    });
    QCOMPARE(m_shown.size(), 3);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(m_shown.at(i).title, QStringLiteral("Errore"));
        QVERIFY2(m_shown.at(i).text.contains(QStringLiteral("scrittura rifiutata")), qPrintable(m_shown.at(i).text));
        QCOMPARE(m_shown.at(i).style, 16);
    }
    QVERIFY2(m_shown.at(2).text.endsWith(QStringLiteral("Descrizione: Tipo non corrispondente.")), qPrintable(m_shown.at(2).text));
    QCOMPARE(rows("deb_err_Nota = 'nota 1'"), 1);
}

QTEST_MAIN(LogViewerTest)
#include "tst_logviewer.moc"
