#include "SkinTestFiles.h"

#include "skin/FrameGeometry.h"
#include "skin/FramePainter.h"
#include "skin/SkinError.h"
#include "skin/ctrl_SkinableForm.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using skin::FramePart;

namespace {
skin::FrameArt testArt()
{
    return {{40, 30}, {100, 30}, {90, 30}, {20, 18}, {22, 18}, {22, 18}, {19, 18}};
}
} // namespace

class TestSkinFrame : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A window inside an MDI area, carrying the frame loaded from the test skin.
    struct Fixture {
        QMdiArea area;
        QWidget *window = nullptr;
        QMdiSubWindow *sub = nullptr;
        ctrl_SkinableForm *frame = nullptr;
    };
    void makeWindow(Fixture &f, const QString &skinPath, bool maximizeBtn = true)
    {
        f.area.resize(900, 700);
        f.window = new QWidget;
        f.frame = new ctrl_SkinableForm(f.window);
        f.frame->setSkinPath(skinPath);
        f.frame->setCaption(QStringLiteral("Articoli"));
        f.frame->setMaximizeBtn(maximizeBtn);
        f.frame->LoadSkin(f.window);
        f.sub = f.area.addSubWindow(f.window);
        f.sub->setGeometry(50, 40, 400, 300);
        f.area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.area));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        skintest::writeFrameSkin(m_dir.path());
    }

    void layoutAtWindowSize_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("middleWidth");
        QTest::addColumn<int>("centerTiles");
        QTest::addColumn<int>("sideTiles");
        QTest::addColumn<int>("bottomTiles");
        QTest::newRow("400x300") << QSize(400, 300) << 270 << 5 << 27 << 45;
        QTest::newRow("tiles round up at a half") << QSize(655, 201) << 525 << 11 << 18 << 73;
        QTest::newRow("tiles round down below a half") << QSize(649, 35) << 519 << 10 << 1 << 73;
        QTest::newRow("both ends exactly") << QSize(130, 100) << 0 << 0 << 7 << 15;
        QTest::newRow("narrower than both ends") << QSize(100, 60) << 0 << 0 << 3 << 12;
    }

    void layoutAtWindowSize()
    {
        QFETCH(QSize, window);
        QFETCH(int, middleWidth);
        QFETCH(int, centerTiles);
        QFETCH(int, sideTiles);
        QFETCH(int, bottomTiles);
        const skin::FrameGeometry g = skin::computeFrameGeometry(testArt(), window, {});
        const int w = window.width();
        const int h = window.height();

        QCOMPARE(g.leftCaption, QRect(0, 0, 40, 30));
        QCOMPARE(g.rightCaption, QRect(w - 90, 0, 90, 30));
        QCOMPARE(g.centerCaption, QRect(40, 0, middleWidth, 30));
        QCOMPARE(g.captionLabel.width(), middleWidth);
        QCOMPARE(g.centerTiles, centerTiles);

        // Buttons 3 px from the top, close 5 px from the right end, the
        // others side by side to its left.
        QCOMPARE(g.closeButton, QRect(w - 25, 3, 20, 18));
        QCOMPARE(g.maximizeButton, QRect(w - 47, 3, 22, 18));
        QCOMPARE(g.restoreButton, QRect(w - 47, 3, 22, 18));
        QCOMPARE(g.minimizeButton, QRect(w - 66, 3, 19, 18));
        QVERIFY(g.maximizeVisible && !g.restoreVisible && g.minimizeVisible);

        QCOMPARE(g.leftBorder, QRect(0, 30, 10, h - 30));
        QCOMPARE(g.rightBorder, QRect(w - 10, 30, 10, h - 30));
        QCOMPARE(g.leftBorderTiles, sideTiles);
        QCOMPARE(g.rightBorderTiles, sideTiles);
        QCOMPARE(g.bottomBorder, QRect(0, h - 10, w, 10));
        QCOMPARE(g.bottomTiles, bottomTiles);
        QCOMPARE(g.bottomLeftCorner, QRect(0, h - 10, 10, 10));
        QCOMPARE(g.bottomRightCorner, QRect(w - 10, h - 10, 10, 10));
        QCOMPARE(g.contentMargins, QMargins(10, 30, 10, 10));
    }

    void buttonVariants()
    {
        const QSize window(400, 300);
        skin::FrameOptions noMaximize;
        noMaximize.maximizeBtn = false;
        skin::FrameGeometry g = skin::computeFrameGeometry(testArt(), window, noMaximize);
        QVERIFY(!g.maximizeVisible && !g.restoreVisible);
        // The minimize button takes the maximize place: no gap before close.
        QCOMPARE(g.minimizeButton, QRect(400 - 25 - 19, 3, 19, 18));
        QCOMPARE(g.minimizeButton.right() + 1, g.closeButton.left());

        skin::FrameOptions noMinimize;
        noMinimize.minimizeBtn = false;
        g = skin::computeFrameGeometry(testArt(), window, noMinimize);
        QVERIFY(!g.minimizeVisible && g.maximizeVisible);
        QCOMPARE(skin::framePartAt(g, window, g.minimizeButton.center()), FramePart::Caption);

        skin::FrameOptions maximized;
        maximized.maximized = true;
        g = skin::computeFrameGeometry(testArt(), window, maximized);
        QVERIFY(g.restoreVisible && !g.maximizeVisible);
        QCOMPARE(skin::framePartAt(g, window, g.restoreButton.center()), FramePart::RestoreButton);
    }

    void partsUnderThePointer()
    {
        const QSize window(400, 300);
        const skin::FrameGeometry g = skin::computeFrameGeometry(testArt(), window, {});
        QCOMPARE(skin::framePartAt(g, window, {200, 10}), FramePart::Caption);
        QCOMPARE(skin::framePartAt(g, window, g.closeButton.center()), FramePart::CloseButton);
        QCOMPARE(skin::framePartAt(g, window, g.minimizeButton.center()), FramePart::MinimizeButton);
        QCOMPARE(skin::framePartAt(g, window, {3, 150}), FramePart::LeftEdge);
        QCOMPARE(skin::framePartAt(g, window, {396, 150}), FramePart::RightEdge);
        QCOMPARE(skin::framePartAt(g, window, {200, 295}), FramePart::BottomEdge);
        QCOMPARE(skin::framePartAt(g, window, {3, 296}), FramePart::BottomLeftCorner);
        QCOMPARE(skin::framePartAt(g, window, {396, 290}), FramePart::BottomRightCorner);
        QCOMPARE(skin::framePartAt(g, window, {200, 150}), FramePart::None);
    }

    void middleCaptionIsWidenedByItsOwnCopies()
    {
        // A middle picture whose first 50 columns differ from the next 50.
        QImage center(100, 30, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 30; ++y)
                center.setPixelColor(x, y, x < 50 ? QColor(Qt::red) : QColor(Qt::blue));
        const QImage strip = skin::FramePainter::middleStrip(center, 260, 5);
        QCOMPARE(strip.width(), 260);
        // Every 50-pixel step repeats the first half, up to the end.
        for (int x : {0, 49, 50, 120, 199, 259})
            QCOMPARE(strip.pixelColor(x, 10), QColor(Qt::red));
        // With no copies the picture shows as it is.
        QCOMPARE(skin::FramePainter::middleStrip(center, 80, 0).pixelColor(60, 10), QColor(Qt::blue));
    }

    void loadSkinTakesTheWindowOver()
    {
        Fixture f;
        makeWindow(f, m_dir.path());
        QVERIFY(f.sub->windowFlags() & Qt::FramelessWindowHint);
        // Loaded before it went into the area: nothing of its time alone clips it now.
        QVERIFY(f.window->mask().isEmpty());
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Articoli"));
        QCOMPARE(f.frame->geometry(), f.window->rect());
        QCOMPARE(f.window->contentsMargins(), QMargins(10, 30, 10, 10));
        QCOMPARE(f.frame->frameGeometry().closeButton.left(), f.window->width() - 25);
        QCOMPARE(f.frame->captionTextColor(), QColor(Qt::white));
        QCOMPARE(f.window->palette().color(QPalette::Window), skin::toQColor(ctrl_SkinableForm::kPanelColor));
        // The window's controls stay reachable: the frame only covers its edges.
        QVERIFY(!f.frame->mask().contains(QPoint(200, 150)));
        QVERIFY(f.frame->mask().contains(QPoint(200, 10)));

        // A new caption colour shows from the next LoadSkin on.
        f.frame->setCaptionColor(0x0000FF);
        QCOMPARE(f.frame->captionTextColor(), QColor(Qt::white));
        f.frame->LoadSkin(f.window);
        QCOMPARE(f.frame->captionTextColor(), QColor(255, 0, 0));
        QVERIFY(f.sub->windowFlags() & Qt::FramelessWindowHint);

        // Any later change of size lays the frame out again.
        f.sub->resize(520, 330);
        QCOMPARE(f.frame->frameGeometry().closeButton.left(), f.window->width() - 25);
        QCOMPARE(f.frame->frameGeometry().bottomBorder.top(), f.window->height() - 10);
    }

    void maximizeThenRestore()
    {
        Fixture f;
        makeWindow(f, m_dir.path());
        const QRect normal = f.sub->geometry();
        QTest::mouseClick(f.frame, Qt::LeftButton, {}, f.frame->frameGeometry().maximizeButton.center());
        QVERIFY(f.sub->isMaximized());
        QCOMPARE(f.window->size(), f.area.viewport()->size());
        QVERIFY(f.frame->isRestoreButtonVisible());
        QVERIFY(!f.frame->isMaximizeButtonVisible());
        QCOMPARE(f.frame->frameGeometry().rightCaption.left(), f.window->width() - 90);
        QCOMPARE(f.frame->frameGeometry().bottomBorder.top(), f.window->height() - 10);

        // Dragging the caption of a maximized window does not move it.
        const QPoint grip(200, 12);
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseMove, grip + QPoint(30, 30), Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, grip + QPoint(30, 30), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.sub->pos(), QPoint(0, 0));

        QTest::mouseClick(f.frame, Qt::LeftButton, {}, f.frame->frameGeometry().restoreButton.center());
        QVERIFY(!f.sub->isMaximized());
        QCOMPARE(f.sub->geometry(), normal);
        QVERIFY(f.frame->isMaximizeButtonVisible());
        QVERIFY(!f.frame->isRestoreButtonVisible());
        QCOMPARE(f.frame->frameGeometry().closeButton.left(), normal.width() - 25);
    }

    void captionButtonsCloseAndMinimize()
    {
        Fixture f;
        makeWindow(f, m_dir.path());
        QTest::mouseClick(f.frame, Qt::LeftButton, {}, f.frame->frameGeometry().minimizeButton.center());
        QVERIFY(f.sub->isMinimized());
        // Minimized, the window shows the platform's small title bar to be restored from.
        QVERIFY(!(f.sub->windowFlags() & Qt::FramelessWindowHint));
        f.sub->showNormal();
        QVERIFY(f.sub->windowFlags() & Qt::FramelessWindowHint);

        QPointer<QMdiSubWindow> sub = f.sub;
        // A press on the button released elsewhere does nothing.
        const QPoint close = f.frame->frameGeometry().closeButton.center();
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, close, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, {150, 12}, Qt::LeftButton, Qt::NoButton);
        QVERIFY(sub && sub->isVisible());
        QTest::mouseClick(f.frame, Qt::LeftButton, {}, close);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!sub || !sub->isVisible());
    }

    void maximizeButtonOffMovesMinimizeIntoItsPlace()
    {
        Fixture f;
        makeWindow(f, m_dir.path(), false);
        const skin::FrameGeometry &g = f.frame->frameGeometry();
        QVERIFY(!f.frame->isMaximizeButtonVisible());
        QCOMPARE(g.minimizeButton.right() + 1, g.closeButton.left());
        // Its old place is now caption: a click there maximizes nothing.
        QTest::mouseClick(f.frame, Qt::LeftButton, {}, g.maximizeButton.topLeft() + QPoint(1, 1));
        QVERIFY(!f.sub->isMaximized());
    }

    void dragByCaptionAndResizeByBorders()
    {
        Fixture f;
        makeWindow(f, m_dir.path());
        const QPoint start = f.sub->pos();
        const QPoint grip(150, 12);
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseMove, grip + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, grip + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.sub->pos(), start + QPoint(30, 20));

        // The caption never goes above the area's top.
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseMove, grip + QPoint(0, -500), Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.sub->y(), 0);

        const QSize size = f.sub->size();
        const QPoint edge(f.window->width() - 4, 150);
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseMove, edge + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, edge + QPoint(40, 0), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.sub->size(), size + QSize(40, 0));
        QCOMPARE(f.frame->frameGeometry().rightBorder.left(), f.window->width() - 10);

        // Shrinking stops at the narrowest window the frame fits.
        const QPoint corner(f.window->width() - 3, f.window->height() - 3);
        skintest::sendMouse(f.frame, QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseMove, corner - QPoint(2000, 2000), Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(f.frame, QEvent::MouseButtonRelease, corner, Qt::LeftButton, Qt::NoButton);
        QVERIFY(f.window->width() >= 130);
        QVERIFY(f.frame->frameGeometry().centerCaption.width() >= 0);
    }

    void windowOfItsOwn()
    {
        // A top-level window (a dialog, say) carries the frame as well.
        QWidget window;
        window.resize(300, 200);
        auto *frame = new ctrl_SkinableForm(&window);
        frame->setSkinPath(m_dir.path());
        frame->LoadSkin(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(frame->frameGeometry().closeButton.left(), 300 - 25);
        QTest::mouseClick(frame, Qt::LeftButton, {}, frame->frameGeometry().closeButton.center());
        QVERIFY(!window.isVisible());
    }

    void missingSkinFileIsAnErrorThatChangesNothing()
    {
        QTemporaryDir partial;
        skintest::writeFrameSkin(partial.path());
        QVERIFY(QFile::remove(partial.path() + "/img_Borders.bmp"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("prima"));
        auto *frame = new ctrl_SkinableForm(&window);
        frame->setSkinPath(partial.path());
        try {
            frame->LoadSkin(&window);
            QFAIL("no error for a missing skin file");
        } catch (const skin::SkinError &e) {
            QCOMPARE(e.number(), 53L);
            QCOMPARE(e.description(), QStringLiteral("File non trovato: ") + partial.path() + "/img_Borders.bmp");
            QCOMPARE(QString::fromUtf8(e.what()), e.description());
        }
        QCOMPARE(window.windowTitle(), QStringLiteral("prima"));
        QVERIFY(frame->isHidden());

        QFile junk(partial.path() + "/img_Borders.bmp");
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        try {
            frame->LoadSkin(&window);
            QFAIL("no error for a damaged skin file");
        } catch (const skin::SkinError &e) {
            QCOMPARE(e.number(), 481L);
            QCOMPARE(e.description(), QStringLiteral("Immagine non valida: ") + partial.path() + "/img_Borders.bmp");
        }
    }

    void propertiesAndTheirBag()
    {
        ctrl_SkinableForm frame;
        QCOMPARE(frame.Caption(), QStringLiteral("Caption"));
        QCOMPARE(frame.CaptionTop(), short(0));
        QVERIFY(frame.MaximizeBtn() && frame.MinimizeBtn());
        QVERIFY(!frame.propertiesChanged());

        QSignalSpy changed(&frame, &ctrl_SkinableForm::propertyChanged);
        frame.setMaximizeBtn(false);
        frame.setMinimizeBtn(false);
        frame.setCaptionColor(0xFF);
        QCOMPARE(changed.size(), 3);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Maximize"));
        QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("Minimize"));
        QCOMPARE(changed.at(2).at(0).toString(), QStringLiteral("CaptionColor"));
        QVERIFY(frame.propertiesChanged());
        // Setting does not repaint: the label keeps its colour until LoadSkin.
        QCOMPARE(frame.captionTextColor(), QColor(Qt::white));

        // A saved set with keys missing reads their defaults.
        skin::PropertyBag empty;
        frame.ReadProperties(empty);
        QVERIFY(frame.MaximizeBtn() && frame.MinimizeBtn());
        QCOMPARE(frame.Caption(), QStringLiteral("Caption"));
        QCOMPARE(frame.CaptionTop(), short(195));
        QCOMPARE(frame.BackColor(), 0L);
        QCOMPARE(frame.CaptionColor(), 0L);
        QVERIFY(!frame.propertiesChanged());

        // The caption colour wins over the text colour.
        skin::PropertyBag saved;
        saved.writeProperty(QStringLiteral("ForeColor"), 0x0000FF);
        saved.writeProperty(QStringLiteral("CaptionColor"), 0xFF0000);
        saved.writeProperty(QStringLiteral("MaximizeBtn"), false);
        frame.ReadProperties(saved);
        QCOMPARE(frame.captionTextColor(), QColor(0, 0, 255));
        QVERIFY(!frame.MaximizeBtn());

        skin::PropertyBag written;
        frame.WriteProperties(written);
        QCOMPARE(written.values().size(), 8);
        QCOMPARE(written.readProperty(QStringLiteral("CaptionColor"), 0).toLongLong(), 0xFF0000LL);
        QCOMPARE(written.readProperty(QStringLiteral("MaximizeBtn"), true).toBool(), false);
    }

    void colourValues()
    {
        QCOMPARE(skin::toQColor(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(skin::toQColor(0x400000), QColor(0, 0, 64));
        QCOMPARE(skin::fromQColor(QColor(0xCE, 0xCE, 0xCE)), 0xCECECEL);
        QCOMPARE(skin::toQColor(static_cast<long>(0x8000000FL)), QApplication::palette().color(QPalette::Window));
    }
};

QTEST_MAIN(TestSkinFrame)
#include "tst_skin_frame.moc"
