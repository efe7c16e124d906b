#include "CounterFixture.h"

#include "ui/ScriptedMessages.h"

#include "base/Globals.h"
#include "rules/general/Today.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "skin/SkinPath.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

CounterFixture::CounterFixture()
    : m_previousLocale(QLocale())
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setToday(QDate(2026, 12, 6));
    skin::setDefaultSkinPath(qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/skin/shpix"));

    g_strAppName = QStringLiteral("Qorda");
    setProgramFolder(m_shop.folder());

    db::Database &db = database();
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (42, \"Giacca\", 20)"));
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (43, \"Sciarpa\", 0)"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values (\"1234\", 42, \"48\", \"Blu\", 3)"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values (\"1234U\", 42, \"48\", \"Blu\", 0)"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values (\"5555\", 43, \"U\", \"Rosso\", 10)"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values (\"777\", 99, \"\", \"\", 1)"));

    app::wireWindows();
    m_main = new mdiTarvo;
    ui::WindowRegistry::adopt(*m_main);
    m_main->show();
    QApplication::setActiveWindow(m_main);
    if (!QTest::qWaitForWindowActive(m_main))
        qFatal("the main window did not become active");
}

CounterFixture::~CounterFixture()
{
    // Work a test left typed is not asked about: the windows go with the main one.
    ui::ScriptedMessages unanswered;
    m_main->mdiArea()->closeAllSubWindows();
    delete m_main;
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setToday(QDate());
    QLocale::setDefault(m_previousLocale);
}

db::Database &CounterFixture::database() const
{
    return m_shop.database();
}

QVariant CounterFixture::scalar(const QString &legacySql) const
{
    return m_shop.scalar(legacySql);
}

long CounterFixture::stock(const QString &barcode) const
{
    return long(scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '") + barcode
                       + QStringLiteral("'")).toLongLong());
}

int CounterFixture::rows(const QString &table) const
{
    return m_shop.count(table);
}

QWidget &CounterFixture::open(const QString &command)
{
    m_main->runCommand(command);
    QApplication::processEvents();
    activateMain();
    QWidget *window = m_main->mdiArea()->activeSubWindow() ? m_main->mdiArea()->activeSubWindow()->widget() : nullptr;
    if (!window)
        qFatal("no window opened by %s", qPrintable(command));
    return *window;
}

void CounterFixture::activateMain()
{
    // The offscreen platform activates every window it shows, the running
    // total too; a desktop leaves the keyboard with the main window.
    if (!m_main->isActiveWindow()) {
        QApplication::setActiveWindow(m_main);
        if (!QTest::qWaitForWindowActive(m_main))
            qWarning("the main window did not become active again");
    }
}

QLineEdit *CounterFixture::box(QWidget &window, const char *name)
{
    auto *found = window.findChild<QLineEdit *>(QLatin1String(name));
    if (!found)
        qFatal("no box %s", name);
    return found;
}

QWidget *CounterFixture::focused()
{
    return QApplication::focusWidget();
}

void CounterFixture::type(const QString &text)
{
    for (QChar c : text) {
        QTest::keyPress(focused(), c.toLatin1());
        QTest::keyRelease(focused(), c.toLatin1());
    }
}

void CounterFixture::press(int key)
{
    QTest::keyPress(focused(), Qt::Key(key));
    QTest::keyRelease(focused(), Qt::Key(key));
}

void CounterFixture::enter()
{
    press(Qt::Key_Return);
}
