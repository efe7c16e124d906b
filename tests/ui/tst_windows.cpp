#include "ui/BusyPointer.h"
#include "ui/DefaultButton.h"
#include "ui/MdiChild.h"
#include "ui/WindowLife.h"
#include "ui/WindowPlaces.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtTest>

using namespace ui;

class frmUno : public QWidget {
public:
    static inline int created = 0;
    frmUno() { ++created; }
};
class frmDue : public QWidget {};

// A child window whose close code may refuse.
class frmRifiuta : public QWidget {
public:
    bool refuse = true;
    int closeCalls = 0;
protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeCalls;
        if (refuse)
            event->ignore();
        else
            event->accept();
    }
};

// A data-entry window with a default button, as the load window has.
class EntryWindow : public QWidget {
public:
    QLineEdit *txtCodice = new QLineEdit(this);
    QTextEdit *txtNote = new QTextEdit(this);
    QPushButton *cmdCarica = new QPushButton(QStringLiteral("Carica"), this);
    QPushButton *cmdEsci = new QPushButton(QStringLiteral("Esci"), this);
    DefaultButton *defaultButton = new DefaultButton(*this);
    int loads = 0, exits = 0;
    EntryWindow()
    {
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w : std::initializer_list<QWidget *>{txtCodice, txtNote, cmdCarica, cmdEsci})
            layout->addWidget(w);
        connect(cmdCarica, &QPushButton::clicked, this, [this] { ++loads; });
        connect(cmdEsci, &QPushButton::clicked, this, [this] { ++exits; });
    }
};

// A window whose life is written down: which handler ran, under which label.
class LivingWindow : public QWidget {
public:
    QStringList log;
    bool refuseClose = false;
    bool mayReload = true;
    long p_lng_Codice = 1;
    bool failLoad = false;
    WindowLife *life = new WindowLife(*this, {
        .loadLabel = QStringLiteral("frmVivo.Form_Load"),
        .load = [this] {
            log << QStringLiteral("load %1").arg(p_lng_Codice);
            if (failLoad)
                throw std::runtime_error("caricamento");
        },
        .activateLabel = QStringLiteral("frmVivo.Form_Activate"),
        .activate = [this] { log << QStringLiteral("activate"); },
        .unloadLabel = QStringLiteral("frmVivo.Form_Unload"),
        .unload = [this] { log << QStringLiteral("unload"); },
        .recordKey = [this] { return QVariantList{qlonglong(p_lng_Codice)}; },
        .mayReload = [this] { return mayReload; },
        .runner = [this](const QString &label, const WindowLife::Handler &handler) {
            try {
                handler();
            } catch (const std::exception &) {
                log << QStringLiteral("error in ") + label;
            }
        },
    });
protected:
    void closeEvent(QCloseEvent *event) override
    {
        log << QStringLiteral("close");
        if (refuseClose)
            event->ignore();
    }
};

class TestWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void registryKeepsOneInstancePerClass();
    void registryForgetsADestroyedWindow();
    void mdiChildShownTwiceHasOneFrameAndComesToFront();
    void windowClosingItselfTakesItsFrame();
    void aWindowOpensWhereItWasLeft_data();
    void aWindowOpensWhereItWasLeft();
    void frameCloseRespectsTheWindowsCloseCode();
    void enterPressesTheDefaultButton();
    void enterWithoutDefaultDoesNothing();
    void enterIgnoresADisabledDefault();
    void enterOnAFocusedButtonPressesThatButton();
    void enterInAMultiLineBoxIsANewLine();
    void busyPointerIsASettingNotAStack();
    void windowLifeLoadsOnceActivatesEachTimeUnloadsOnAClose();
    void windowLifeReloadsOnOtherMembers_data();
    void windowLifeReloadsOnOtherMembers();
};

void TestWindows::registryKeepsOneInstancePerClass()
{
    QVERIFY(!WindowRegistry::existingInstance<frmUno>());
    frmUno &first = WindowRegistry::defaultInstance<frmUno>();
    frmUno &again = WindowRegistry::defaultInstance<frmUno>();
    frmDue &other = WindowRegistry::defaultInstance<frmDue>();
    QCOMPARE(&first, &again);
    QCOMPARE(frmUno::created, 1);
    QVERIFY(static_cast<QWidget *>(&other) != static_cast<QWidget *>(&first));
    QCOMPARE(WindowRegistry::existingInstance<frmUno>(), &first);
    delete &first;
    delete &other;
}

void TestWindows::registryForgetsADestroyedWindow()
{
    frmUno *first = &WindowRegistry::defaultInstance<frmUno>();
    const int before = frmUno::created;
    delete first;
    QVERIFY(!WindowRegistry::existingInstance<frmUno>());
    frmUno &fresh = WindowRegistry::defaultInstance<frmUno>();
    QCOMPARE(frmUno::created, before + 1);
    delete &fresh;
}

void TestWindows::mdiChildShownTwiceHasOneFrameAndComesToFront()
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    auto *first = new QWidget;
    auto *second = new QWidget;
    QMdiSubWindow *frame = showMdiChild(area, *first);
    showMdiChild(area, *second);
    QCOMPARE(area.activeSubWindow(), mdiFrameOf(*second));
    QCOMPARE(showMdiChild(area, *first), frame);
    QCOMPARE(area.subWindowList().size(), 2);
    QCOMPARE(area.activeSubWindow(), frame);
    QVERIFY(first->isVisible());
}

void TestWindows::aWindowOpensWhereItWasLeft_data()
{
    QTest::addColumn<QPoint>("left");      // where the user leaves the window
    QTest::addColumn<bool>("inSight");
    QTest::newRow("in the area") << QPoint(120, 80) << true;
    QTest::newRow("at the top left corner") << QPoint(0, 0) << true;
    QTest::newRow("beyond the right edge") << QPoint(900, 80) << false;
    QTest::newRow("above the area") << QPoint(40, -30) << false;
}

void TestWindows::aWindowOpensWhereItWasLeft()
{
    QFETCH(QPoint, left);
    QFETCH(bool, inSight);
    QTemporaryDir folder;
    WindowPlaces::setFile(folder.filePath(QStringLiteral("finestre.ini")));
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    const auto open = [&area] {
        auto *window = new QWidget;
        window->setObjectName(QStringLiteral("frmFattura"));
        window->resize(300, 200);
        return showMdiChild(area, *window);
    };
    QMdiSubWindow *first = open();
    const QPoint cascaded = first->pos();
    first->move(left);
    first->resize(340, 220);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WindowPlaces::setFile(folder.filePath(QStringLiteral("finestre.ini"))); // as a new start reads it

    QMdiSubWindow *again = open();
    QCOMPARE(again->pos(), inSight ? left : cascaded);
    if (inSight)
        QCOMPARE(again->size(), QSize(340, 220));
    // Another window has a place of its own.
    auto *other = new QWidget;
    other->setObjectName(QStringLiteral("frmAnagrafica"));
    QCOMPARE(showMdiChild(area, *other)->pos(), QPoint(28, 28));
    WindowPlaces::setFile(QString());
}

void TestWindows::windowClosingItselfTakesItsFrame()
{
    QMdiArea area;
    area.show();
    QPointer<QWidget> window = new QWidget;
    QPointer<QMdiSubWindow> frame = showMdiChild(area, *window);
    window->close();
    QTRY_VERIFY(!window);
    QTRY_VERIFY(!frame);
    QVERIFY(area.subWindowList().isEmpty());
}

void TestWindows::frameCloseRespectsTheWindowsCloseCode()
{
    QMdiArea area;
    area.show();
    QPointer<frmRifiuta> window = new frmRifiuta;
    QPointer<QMdiSubWindow> frame = showMdiChild(area, *window);
    frame->close();
    QCoreApplication::processEvents();
    QVERIFY(window && frame);
    QCOMPARE(window->closeCalls, 1);
    window->refuse = false;
    frame->close();
    QTRY_VERIFY(!window);
    QTRY_VERIFY(!frame);
}

void TestWindows::enterPressesTheDefaultButton()
{
    QMdiArea area;
    area.show();
    auto *window = new EntryWindow;
    showMdiChild(area, *window);
    window->defaultButton->setButton(window->cmdCarica);
    QVERIFY(window->cmdCarica->isDefault());
    window->txtCodice->setFocus();
    QTest::keyClicks(window->txtCodice, QStringLiteral("8001234"));
    QTest::keyClick(window->txtCodice, Qt::Key_Return);
    QTest::keyClick(window->txtCodice, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(window->loads, 2);
    QCOMPARE(window->exits, 0);
}

void TestWindows::enterWithoutDefaultDoesNothing()
{
    QMdiArea area;
    area.show();
    auto *window = new EntryWindow;
    showMdiChild(area, *window);
    window->defaultButton->setButton(window->cmdCarica);
    window->defaultButton->clear();
    QVERIFY(!window->cmdCarica->isDefault());
    QTest::keyClick(window->txtCodice, Qt::Key_Return);
    QCOMPARE(window->loads, 0);
}

void TestWindows::enterIgnoresADisabledDefault()
{
    QMdiArea area;
    area.show();
    auto *window = new EntryWindow;
    showMdiChild(area, *window);
    window->defaultButton->setButton(window->cmdCarica);
    window->cmdCarica->setEnabled(false);
    QTest::keyClick(window->txtCodice, Qt::Key_Return);
    QCOMPARE(window->loads, 0);
}

void TestWindows::enterOnAFocusedButtonPressesThatButton()
{
    QMdiArea area;
    area.show();
    auto *window = new EntryWindow;
    showMdiChild(area, *window);
    QApplication::setActiveWindow(&area);
    window->defaultButton->setButton(window->cmdCarica);
    window->cmdEsci->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(window->cmdEsci));
    QTest::keyClick(window->cmdEsci, Qt::Key_Return);
    QCOMPARE(window->exits, 1);
    QCOMPARE(window->loads, 0);
}

void TestWindows::enterInAMultiLineBoxIsANewLine()
{
    QMdiArea area;
    area.show();
    auto *window = new EntryWindow;
    showMdiChild(area, *window);
    window->defaultButton->setButton(window->cmdCarica);
    QTest::keyClicks(window->txtNote, QStringLiteral("a"));
    QTest::keyClick(window->txtNote, Qt::Key_Return);
    QCOMPARE(window->loads, 0);
    QCOMPARE(window->txtNote->toPlainText(), QStringLiteral("a\n"));
}

void TestWindows::busyPointerIsASettingNotAStack()
{
    QVERIFY(!busyPointerShown());
    setBusyPointer();
    setBusyPointer();
    QVERIFY(busyPointerShown());
    resetPointer();
    QVERIFY(!busyPointerShown());
    QVERIFY(!QApplication::overrideCursor());
    resetPointer(); // harmless without a busy pointer
    QVERIFY(!QApplication::overrideCursor());
}

void TestWindows::windowLifeLoadsOnceActivatesEachTimeUnloadsOnAClose()
{
    QMdiArea area;
    area.show();
    QApplication::setActiveWindow(&area);
    auto *window = new LivingWindow;
    window->failLoad = true;
    showMdiChild(area, *window);
    auto *other = new QWidget;
    showMdiChild(area, *other);
    showMdiChild(area, *window);
    // An error in the load is the runner's, under the load's label.
    QCOMPARE(window->log, (QStringList{"load 1", "error in frmVivo.Form_Load", "activate", "activate"}));

    window->log.clear();
    window->refuseClose = true;
    mdiFrameOf(*window)->close();
    QCOMPARE(window->log, QStringList{"close"});
    window->refuseClose = false;
    mdiFrameOf(*window)->close();
    QCOMPARE(window->log, (QStringList{"close", "close", "unload"}));
}

void TestWindows::windowLifeReloadsOnOtherMembers_data()
{
    QTest::addColumn<long>("codice");
    QTest::addColumn<bool>("mayReload");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("same record: to the front only") << 1L << true << QStringList{};
    QTest::newRow("other record: loads again") << 2L << true << QStringList{"load 2", "activate"};
    QTest::newRow("other record, refused by the window") << 2L << false << QStringList{};
}

void TestWindows::windowLifeReloadsOnOtherMembers()
{
    QFETCH(long, codice);
    QFETCH(bool, mayReload);
    QFETCH(QStringList, expected);
    QMdiArea area;
    area.show();
    QApplication::setActiveWindow(&area);
    auto *window = new LivingWindow;
    showMdiChild(area, *window);
    QCOMPARE(window->log, (QStringList{"load 1", "activate"}));
    window->log.clear();
    window->mayReload = mayReload;
    window->p_lng_Codice = codice;
    showMdiChild(area, *window);
    QCOMPARE(window->log, expected);
    QVERIFY(window->life->isLoaded());
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
