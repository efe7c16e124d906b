// The error trap and the top-level reporter: standard message, log line in
// the program folder's log, resuming, and what happens when the log library
// or the log folder is not there.

#include "LodderRegistration.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/ErrorWords.h"
#include "base/errors/LogObject.h"
#include "base/errors/TarvoApplication.h"
#include "db/DbError.h"
#include "ui/ScriptedMessages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace {

const QDateTime kSixDecember(QDate(2026, 12, 6), QTime(14, 5, 9));

// What the user reads for the programmer's kind of fault.
const QString kTryAgain = QStringLiteral("riprovare; se l'errore si ripete, chiudere e riaprire il programma e, se "
                                         "non basta, rivolgersi all'assistenza indicando il numero dell'errore");

// The standard message: what failed and what to do, never the engine's words.
QString plain(long number, const QString &whatFailed, const QString &todo = kTryAgain)
{
    return QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n"
                          "Errore numero: %1\r\nDescrizione: %2: %3.")
        .arg(number)
        .arg(whatFailed, todo);
}


QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A control whose handler for a user event is set by the test.
class HandlerWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void()> handler;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User && handler) {
            handler();
            return true;
        }
        return QWidget::event(event);
    }
};

} // namespace

class ErrorTrapTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void currentErrorFromWhatWasThrown();
    void firstErrorReportedLoggedAndResumed();
    void serverWordsGoToTheLogOnly();
    void secondErrorReachesTheTopLevelReporter();
    void handlerWithoutTrap();
    void errorOfAnEventBelongsToTheRunningTrap();
    void errorsEitherSideOfMidnight();
    void logFolderNotCreatable();
    void lodderMissingFallsBackToOwnMessage();
    void labels();
    void plainWordsByPlace_data();
    void plainWordsByPlace();
    void statementGoesToTheLogNotTheMessage();

private:
    void sendUserEvent(QObject *receiver);
    QString logFolder() const { return m_programFolder + QStringLiteral("/log"); }

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ui::ScriptedMessages> m_messages;
    QString m_programFolder;
    QDateTime m_now;
};

void ErrorTrapTest::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_programFolder = m_tmp->filePath(QStringLiteral("programma"));
    QVERIFY(QDir().mkpath(m_programFolder));
    setProgramFolder(m_programFolder);
    qputenv("TARVO_REGISTRY", m_tmp->filePath(QStringLiteral("components.reg")).toLocal8Bit());
    QCOMPARE(runRegsvr(builtLodder()), 0);
    m_now = kSixDecember;
    errors::setClock([this] { return m_now; });
    m_messages = std::make_unique<ui::ScriptedMessages>();
}

void ErrorTrapTest::cleanup()
{
    errors::releaseLogObject();
    errors::setClock({});
    m_messages.reset();
    m_tmp.reset();
}

void ErrorTrapTest::sendUserEvent(QObject *receiver)
{
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(receiver, &event);
}

void ErrorTrapTest::currentErrorFromWhatWasThrown()
{
    auto caught = [](auto &&raise) {
        try {
            raise();
        } catch (...) {
            return errors::currentError(std::current_exception());
        }
        return errors::ErrObject{};
    };
    errors::ErrObject err = caught([] { throw db::DbError(db::ErrorKind::NoCurrentRecord, 3021, QStringLiteral("Nessun record corrente.")); });
    QCOMPARE(err.number, 3021L);
    QCOMPARE(err.description, QStringLiteral("Nessun record corrente."));
    err = caught([] { throw errors::AppError(380, QStringLiteral("Valore della proprietà non valido.")); });
    QCOMPARE(err.number, 380L);
    QCOMPARE(err.description, QStringLiteral("Valore della proprietà non valido."));
    err = caught([] { throw std::runtime_error("file non trovato"); });
    QCOMPARE(err.number, 1004L);
    QCOMPARE(err.description, QStringLiteral("file non trovato"));
    err = caught([] { throw 42; });
    QCOMPARE(err.number, 1004L);
    QCOMPARE(err.description, QStringLiteral("Errore definito dall'applicazione o dall'oggetto."));
    QCOMPARE(errors::currentError(nullptr).number, 0L);
    QCOMPARE(QString::fromUtf8(errors::AppError(5, QStringLiteral("Già")).what()), QStringLiteral("Già"));
}

void ErrorTrapTest::firstErrorReportedLoggedAndResumed()
{
    QVERIFY(!QFileInfo::exists(logFolder()));
    QStringList steps;
    errors::ErrorTrap trap(QStringLiteral("mdiTarvo.mnuCodiciIva"));
    QVERIFY(trap.run([&] { steps << QStringLiteral("primo"); }));
    QVERIFY(!trap.run([&] {
        throw db::DbError(db::ErrorKind::UnknownName, 3078, QStringLiteral("Tabella [Fornitore] inesistente."));
    }));
    QVERIFY(!trap.armed());
    QVERIFY(trap.run([&] { steps << QStringLiteral("dopo"); }));
    QCOMPARE(steps, (QStringList{QStringLiteral("primo"), QStringLiteral("dopo")}));

    QCOMPARE(m_messages->messages().size(), 1);
    const auto &shown = m_messages->messages().at(0);
    QCOMPARE(shown.title, QStringLiteral("Errore"));
    QCOMPARE(shown.style, int(ui::vbOKOnly | ui::vbCritical));
    QCOMPARE(shown.text, plain(3078, QStringLiteral("Impossibile aprire l'elenco dei fornitori")));
    // The log folder is created by the first logged error.
    QCOMPARE(QDir(logFolder()).entryList(QDir::Files), QStringList{QStringLiteral("20261206.log")});
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             QByteArray("14:05:09: <mdiTarvo.mnuCodiciIva: errore 3078: Tabella [Fornitore] inesistente.>\r\n"));

    // Disarmed, the trap lets the next error through to its caller.
    QVERIFY_THROWS_EXCEPTION(errors::AppError, trap.run([] { throw errors::AppError(5, QStringLiteral("x")); }));
    QCOMPARE(m_messages->messages().size(), 1);
}

// The user reads the Italian description; what libpq said, in English,
// goes to the log beside the label.
void ErrorTrapTest::serverWordsGoToTheLogOnly()
{
    const QString description = QStringLiteral("Impossibile collegarsi al database sul server. Controllare che il "
                                               "server sia acceso e raggiungibile, poi riprovare.");
    errors::ErrorTrap trap(QStringLiteral("frmScarico.cmdRegistra_Click"));
    QVERIFY(!trap.run([&] {
        throw db::DbError(db::ErrorKind::Io, 3051, description,
                          QStringLiteral("server closed the connection unexpectedly"));
    }));
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages().at(0).text,
             plain(3051, QStringLiteral("Impossibile salvare lo scarico"),
                   QStringLiteral("l'archivio non è raggiungibile o non è scrivibile: controllare il disco o il "
                                  "collegamento al server e riprovare; se l'errore si ripete, rivolgersi "
                                  "all'assistenza indicando il numero dell'errore")));
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             (QStringLiteral("14:05:09: <frmScarico.cmdRegistra_Click: errore 3051: ") + description
              + QStringLiteral(": server closed the connection unexpectedly>\r\n")).toUtf8());
}

void ErrorTrapTest::secondErrorReachesTheTopLevelReporter()
{
    QWidget window;
    window.setObjectName(QStringLiteral("frmProva"));
    auto *control = new HandlerWidget(&window);
    control->setObjectName(QStringLiteral("cmdEsegui"));
    QStringList steps;
    control->handler = [&] {
        errors::ErrorTrap trap(QStringLiteral("frmProva.cmdEsegui_Click"));
        trap.run([] { throw errors::AppError(3021, QStringLiteral("Nessun record corrente.")); });
        steps << QStringLiteral("ripreso");
        trap.run([] { throw errors::AppError(94, QStringLiteral("Utilizzo non valido di Null.")); });
        steps << QStringLiteral("mai");
    };
    sendUserEvent(control);

    QCOMPARE(steps, QStringList{QStringLiteral("ripreso")});
    QCOMPARE(m_messages->texts(), (QStringList{plain(3021, QStringLiteral("Impossibile completare l'operazione")),
                                               plain(94, QStringLiteral("Impossibile completare l'operazione"))}));
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             QByteArray("14:05:09: <frmProva.cmdEsegui_Click: errore 3021: Nessun record corrente.>\r\n"
                        "14:05:09: <frmProva.cmdEsegui: errore 94: Utilizzo non valido di Null.>\r\n"));

    // The program goes on: the next run of the handler is trapped afresh.
    steps.clear();
    sendUserEvent(control);
    QCOMPARE(steps, QStringList{QStringLiteral("ripreso")});
    QCOMPARE(m_messages->messages().size(), 4);
}

void ErrorTrapTest::handlerWithoutTrap()
{
    HandlerWidget window;
    window.setObjectName(QStringLiteral("frmSenzaTrap"));
    window.handler = [] { throw std::runtime_error("indice fuori intervallo"); };
    sendUserEvent(&window);
    QCOMPARE(m_messages->texts(), QStringList{plain(1004, QStringLiteral("Impossibile completare l'operazione"))});
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             QByteArray("14:05:09: <frmSenzaTrap: errore 1004: indice fuori intervallo>\r\n"));
}

void ErrorTrapTest::errorOfAnEventBelongsToTheRunningTrap()
{
    // A statement that shows a window runs its load code as an event
    // handler; the load's error is the statement's error.
    QWidget window;
    window.setObjectName(QStringLiteral("frmDizionari"));
    auto *control = new HandlerWidget(&window);
    control->setObjectName(QStringLiteral("Data1"));
    control->handler = [] {
        throw db::DbError(db::ErrorKind::UnknownName, 3078, QStringLiteral("Tabella [Fornitore] inesistente."));
    };
    QStringList steps;
    errors::ErrorTrap trap(QStringLiteral("mdiTarvo.mnuCodiciIva"));
    QVERIFY(!trap.run([&] { sendUserEvent(control); }));
    QVERIFY(!trap.armed());
    QVERIFY(trap.run([&] { steps << QStringLiteral("passo seguente"); }));
    QCOMPARE(steps, QStringList{QStringLiteral("passo seguente")});
    QCOMPARE(m_messages->texts(), QStringList{plain(3078, QStringLiteral("Impossibile aprire l'elenco dei fornitori"))});
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             QByteArray("14:05:09: <mdiTarvo.mnuCodiciIva: errore 3078: Tabella [Fornitore] inesistente.>\r\n"));

    // The statement throws too after the event's error: that is a second
    // error, and it goes on to the caller.
    errors::ErrorTrap both(QStringLiteral("mdiTarvo.mnuCodiciIva"));
    QVERIFY_THROWS_EXCEPTION(errors::AppError, both.run([&] {
        sendUserEvent(control);
        throw errors::AppError(91, QStringLiteral("Variabile oggetto non impostata."));
    }));
    QCOMPARE(m_messages->messages().size(), 2);
    QCOMPARE(m_messages->texts().at(1), m_messages->texts().at(0));
    m_messages->clear();
    QVERIFY(QFile::remove(logFolder() + QStringLiteral("/20261206.log")));

    // The handler's own trap, once disarmed, lets its next error go up to
    // the trap of the statement that raised the event.
    int runs = 0;
    control->handler = [&] {
        errors::ErrorTrap inner(QStringLiteral("frmDizionari.Load"));
        inner.run([] { throw errors::AppError(91, QStringLiteral("Variabile oggetto non impostata.")); });
        ++runs;
        inner.run([] { throw errors::AppError(94, QStringLiteral("Utilizzo non valido di Null.")); });
        ++runs;
    };
    errors::ErrorTrap outer(QStringLiteral("mdiTarvo.mnuCodiciIva"));
    QVERIFY(!outer.run([&] { sendUserEvent(control); }));
    QCOMPARE(runs, 1);
    QCOMPARE(m_messages->texts(),
             (QStringList{plain(91, QStringLiteral("Impossibile leggere il dizionario")),
                          plain(94, QStringLiteral("Impossibile aprire l'elenco dei fornitori"))}));
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             QByteArray("14:05:09: <frmDizionari.Load: errore 91: Variabile oggetto non impostata.>\r\n"
                        "14:05:09: <mdiTarvo.mnuCodiciIva: errore 94: Utilizzo non valido di Null.>\r\n"));
}

void ErrorTrapTest::errorsEitherSideOfMidnight()
{
    m_now = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58));
    errors::ErrorTrap before(QStringLiteral("frmFattura.Load"));
    before.run([] { throw errors::AppError(1, QStringLiteral("prima")); });
    m_now = QDateTime(QDate(2027, 1, 1), QTime(0, 0, 2));
    errors::ErrorTrap after(QStringLiteral("frmFattura.Load"));
    after.run([] { throw errors::AppError(2, QStringLiteral("dopo")); });

    QCOMPARE(contents(logFolder() + QStringLiteral("/20261231.log")), QByteArray("23:59:58: <frmFattura.Load: errore 1: prima>\r\n"));
    QCOMPARE(contents(logFolder() + QStringLiteral("/20270101.log")), QByteArray("00:00:02: <frmFattura.Load: errore 2: dopo>\r\n"));
}

void ErrorTrapTest::logFolderNotCreatable()
{
    // The program folder's parent is gone: the log folder cannot be made.
    setProgramFolder(m_tmp->filePath(QStringLiteral("manca/programma")));
    errors::ErrorTrap trap(QStringLiteral("frmAnagrafica.Load"));
    QVERIFY(!trap.run([] { throw errors::AppError(3021, QStringLiteral("Nessun record corrente.")); }));
    QCOMPARE(m_messages->texts(),
             (QStringList{plain(3021, QStringLiteral("Impossibile leggere l'anagrafica")),
                          plain(76, QStringLiteral("Impossibile scrivere il registro degli errori"),
                                QStringLiteral("controllare lo spazio sul disco e i permessi della cartella log del programma"))}));
    QVERIFY(!QFileInfo::exists(m_tmp->filePath(QStringLiteral("manca"))));
}

void ErrorTrapTest::lodderMissingFallsBackToOwnMessage()
{
    QCOMPARE(runRegsvr(builtLodder(), true), 0);
    errors::ErrorTrap trap(QStringLiteral("frmArticoli.Load"));
    QVERIFY(!trap.run([] { throw errors::AppError(3021, QStringLiteral("Nessun record corrente.")); }));
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages().at(0).title, QStringLiteral("Errore"));
    QCOMPARE(m_messages->messages().at(0).style, int(ui::vbOKOnly | ui::vbCritical));
    QCOMPARE(m_messages->texts().at(0), plain(3021, QStringLiteral("Impossibile leggere gli articoli")));
    QVERIFY(!QFileInfo::exists(logFolder()));

    // Once the library is registered again, the next error reaches the log.
    QCOMPARE(runRegsvr(builtLodder()), 0);
    errors::ErrorTrap next(QStringLiteral("frmArticoli.Load"));
    next.run([] { throw errors::AppError(5, QStringLiteral("x")); });
    QCOMPARE(m_messages->messages().size(), 2);
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")), QByteArray("14:05:09: <frmArticoli.Load: errore 5: x>\r\n"));
}

// What failed, named from the place of the error, and what to do, from the
// kind of failure.
void ErrorTrapTest::plainWordsByPlace_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("nature");
    QTest::addColumn<QString>("shown");
    using N = errors::ErrObject::Nature;
    const QString again = QStringLiteral(": ") + kTryAgain + QLatin1Char('.');
    QTest::newRow("load list, refresh") << "frmListaCarico.cmdAggiorna_Click" << int(N::Program)
                                        << QStringLiteral("Impossibile leggere i carichi") + again;
    QTest::newRow("unload list, print") << "Stampa Scarichi" << int(N::Program)
                                        << QStringLiteral("Impossibile stampare gli scarichi") + again;
    QTest::newRow("invoice lines") << "frmFattura.Aggiornagrid" << int(N::Program)
                                   << QStringLiteral("Impossibile leggere la fattura") + again;
    QTest::newRow("counter sale") << "frmScarico.cmdScarica_Click" << int(N::Busy)
                                  << QStringLiteral("Impossibile salvare lo scarico: l'archivio è occupato da un'altra "
                                                    "cassa o da un altro programma: riprovare tra qualche istante.");
    QTest::newRow("stock load, disk full") << "frmCarico.cmdCarica_Click" << int(N::DiskFull)
                                           << QStringLiteral("Impossibile salvare il carico: il disco è pieno: "
                                                             "liberare spazio e riprovare.");
    QTest::newRow("search shared by two windows") << "frmCercaDistinta.TrovaDistinte" << int(N::Program)
                                                  << QStringLiteral("Impossibile completare la ricerca") + again;
    QTest::newRow("card toolbar") << "frmAnagrafica.Toolbar_Buttonclick" << int(N::Program)
                                  << QStringLiteral("Impossibile completare il comando") + again;
    QTest::newRow("unknown place") << "frmNuova.Qualcosa" << int(N::Program)
                                   << QStringLiteral("Impossibile completare l'operazione") + again;
}

void ErrorTrapTest::plainWordsByPlace()
{
    QFETCH(QString, label);
    QFETCH(int, nature);
    QFETCH(QString, shown);
    errors::ErrObject error{3000, QStringLiteral("Errore del motore")};
    error.nature = errors::ErrObject::Nature(nature);
    QCOMPARE(errors::ErrorWords::shown(error, label), shown);
}

// A statement the engine refused: the user reads what failed, the log keeps
// the number, the engine's words and the statement.
void ErrorTrapTest::statementGoesToTheLogNotTheMessage()
{
    const QString statement = QStringLiteral("select * from carico where ca_Data >= #13/45/2026#");
    errors::ErrorTrap trap(QStringLiteral("frmListaCarico.cmdAggiorna_Click"));
    QVERIFY(!trap.run([&] {
        throw db::DbError(db::ErrorKind::Syntax, 3075,
                          QStringLiteral("Errore di sintassi nella data nell'espressione della query '%1'.").arg(statement));
    }));
    QCOMPARE(m_messages->texts(), QStringList{plain(3075, QStringLiteral("Impossibile leggere i carichi"))});
    QVERIFY(!m_messages->texts().at(0).contains(QStringLiteral("select"), Qt::CaseInsensitive));
    QCOMPARE(contents(logFolder() + QStringLiteral("/20261206.log")),
             (QStringLiteral("14:05:09: <frmListaCarico.cmdAggiorna_Click: errore 3075: Errore di sintassi nella data "
                             "nell'espressione della query '") + statement + QStringLiteral("'.>\r\n")).toUtf8());
}

void ErrorTrapTest::labels()
{
    QWidget window;
    window.setObjectName(QStringLiteral("mdiTarvo"));
    QWidget unnamedWindow;
    auto *control = new QWidget(&window);
    control->setObjectName(QStringLiteral("mnuFornitoriItem"));
    auto *unnamedChild = new QWidget(&window);
    QObject plain;
    QCOMPARE(errors::TarvoApplication::labelFor(control), QStringLiteral("mdiTarvo.mnuFornitoriItem"));
    QCOMPARE(errors::TarvoApplication::labelFor(unnamedChild), QStringLiteral("mdiTarvo"));
    QCOMPARE(errors::TarvoApplication::labelFor(&unnamedWindow), QStringLiteral("quirnel"));
    QCOMPARE(errors::TarvoApplication::labelFor(&plain), QStringLiteral("quirnel"));
    QCOMPARE(errors::TarvoApplication::labelFor(nullptr), QStringLiteral("quirnel"));
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    ErrorTrapTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errortrap.moc"
