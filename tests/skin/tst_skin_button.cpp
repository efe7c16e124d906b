#include "SkinTestFiles.h"

#include "skin/ButtonLooks.h"
#include "skin/SkinError.h"
#include "skin/ctrl_SkinableButton.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using skin::ButtonLook;
using skintest::pieceColour;

class TestSkinButton : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The order of the events a button raised, as one text.
    struct EventLog {
        QStringList events;
        void attach(ctrl_SkinableButton *b)
        {
            QObject::connect(b, &ctrl_SkinableButton::Click, [this] { events << QStringLiteral("Click"); });
            QObject::connect(b, &ctrl_SkinableButton::MouseDown, [this](short button, short, float, float) {
                events << QStringLiteral("MouseDown %1").arg(button);
            });
            QObject::connect(b, &ctrl_SkinableButton::MouseUp, [this](short button, short, float, float) {
                events << QStringLiteral("MouseUp %1").arg(button);
            });
        }
        QString text() const { return events.join(QLatin1Char(',')); }
    };

    ctrl_SkinableButton *makeButton(QWidget *parent, int width = 90)
    {
        auto *b = new ctrl_SkinableButton(QStringLiteral("Trova"), parent);
        b->setSkinPath(m_dir.path());
        b->LoadSkin();
        b->resize(width, 24);
        return b;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        skintest::writeButtonStrip(m_dir.path());
    }

    void looksAreCutFromTheStrip_data()
    {
        QTest::addColumn<int>("look");
        QTest::addColumn<int>("captionTop");
        QTest::newRow("normal") << 0 << 4;
        QTest::newRow("pointer over") << 1 << 5;
        QTest::newRow("pressed") << 2 << 5;
    }

    void looksAreCutFromTheStrip()
    {
        QFETCH(int, look);
        QFETCH(int, captionTop);
        QTemporaryDir dir;
        skintest::writeButtonStrip(dir.path());
        const QImage strip = QImage(dir.path() + "/img_Buttons.bmp");
        const QImage face = skin::composeButtonLook(strip, ButtonLook(look), 70);
        QCOMPARE(face.size(), QSize(70, 24));
        QCOMPARE(face.pixelColor(0, 12), pieceColour(look, skintest::LeftEnd));
        QCOMPARE(face.pixelColor(10, 12), pieceColour(look, skintest::LeftEnd));
        QCOMPARE(face.pixelColor(15, 12), pieceColour(look, skintest::Middle));
        QCOMPARE(face.pixelColor(53, 12), pieceColour(look, skintest::Middle));
        QCOMPARE(face.pixelColor(54, 12), pieceColour(look, skintest::RightEnd));
        QCOMPARE(face.pixelColor(69, 12), pieceColour(look, skintest::RightEnd));
        const skin::ButtonLayout layout = skin::buttonLayout(ButtonLook(look), 70);
        QCOMPARE(layout.caption, QRect(10, captionTop, 50, 24 - captionTop));
        QCOMPARE(layout.middles.size(), 4);
    }

    void narrowButtonStillDrawsBothEnds()
    {
        const QImage strip = QImage(m_dir.path() + "/img_Buttons.bmp");
        // Loaded as the button loads it: the magenta corner turns transparent.
        QImage keyed = strip.convertToFormat(QImage::Format_ARGB32);
        keyed.setPixelColor(55 + 15, 0, Qt::transparent);
        const QImage face = skin::composeButtonLook(keyed, ButtonLook::Normal, 20);
        QCOMPARE(face.pixelColor(2, 12), pieceColour(0, skintest::LeftEnd));
        // The right end, 16 px wide, starts at 4 and covers the left end.
        QCOMPARE(face.pixelColor(4, 12), pieceColour(0, skintest::RightEnd));
        QCOMPARE(face.pixelColor(19, 12), pieceColour(0, skintest::RightEnd));
        // Its transparent corner stays transparent over what lay beneath.
        QCOMPARE(face.pixelColor(19, 0).alpha(), 0);
    }

    void pointerLooksAndEvents()
    {
        QWidget window;
        ctrl_SkinableButton *b = makeButton(&window);
        EventLog log;
        log.attach(b);
        QSignalSpy moves(b, &ctrl_SkinableButton::MouseMove);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(b->look(), ButtonLook::Normal);

        skintest::sendMouse(b, QEvent::MouseMove, {30, 10}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(b->look(), ButtonLook::Hover);
        QCOMPARE(moves.size(), 1);

        QTest::mousePress(b, Qt::LeftButton, {}, {30, 10});
        QCOMPARE(b->look(), ButtonLook::Pressed);
        QTest::mouseRelease(b, Qt::LeftButton, {}, {30, 10});
        QCOMPARE(log.text(), QStringLiteral("MouseDown 1,MouseUp 1,Click"));
        QCOMPARE(b->look(), ButtonLook::Hover);

        // The right button raises neither MouseUp nor Click.
        log.events.clear();
        QTest::mousePress(b, Qt::RightButton, {}, {30, 10});
        QTest::mouseRelease(b, Qt::RightButton, {}, {30, 10});
        QCOMPARE(log.text(), QString());

        // Refresh puts the normal look back; the next move shows the pointer again.
        b->Refresh();
        QCOMPARE(b->look(), ButtonLook::Normal);
        skintest::sendMouse(b, QEvent::MouseMove, {31, 10}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(b->look(), ButtonLook::Hover);
    }

    void pressReleasedOffTheButtonIsNoClick()
    {
        QWidget window;
        ctrl_SkinableButton *b = makeButton(&window);
        EventLog log;
        log.attach(b);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        skintest::sendMouse(b, QEvent::MouseButtonPress, {30, 10}, Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(b, QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(b->look(), ButtonLook::Normal);
        skintest::sendMouse(b, QEvent::MouseMove, {30, 10}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(b->look(), ButtonLook::Pressed);
        skintest::sendMouse(b, QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton);
        skintest::sendMouse(b, QEvent::MouseButtonRelease, {200, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(log.text(), QStringLiteral("MouseDown 1,MouseUp 1"));
        QCOMPARE(b->look(), ButtonLook::Normal);
    }

    void keyboardAndDefaultButton()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *text = new QLineEdit;
        auto *note = new QPlainTextEdit;
        layout->addWidget(text);
        layout->addWidget(note);
        ctrl_SkinableButton *other = makeButton(&window);
        ctrl_SkinableButton *record = makeButton(&window);
        layout->addWidget(other);
        layout->addWidget(record);
        QSignalSpy otherClicks(other, &ctrl_SkinableButton::Click);
        QSignalSpy recordClicks(record, &ctrl_SkinableButton::Click);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        other->setFocus();
        QTest::keyClick(other, Qt::Key_Space);
        QTest::keyClick(other, Qt::Key_Return);
        QCOMPARE(otherClicks.size(), 2);

        // Enter in a text box presses the window's default button, once.
        other->setDefault(true);
        record->setDefault(true);
        QVERIFY(record->isDefault() && !other->isDefault());
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(recordClicks.size(), 1);
        QCOMPARE(otherClicks.size(), 2);
        QTest::keyClick(text, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(recordClicks.size(), 2);

        // A multi-line box keeps its Enter for a new line.
        note->setFocus();
        QTest::keyClick(note, Qt::Key_Return);
        QCOMPARE(recordClicks.size(), 2);
        QCOMPARE(note->toPlainText(), QStringLiteral("\n"));

        // A disabled default button is not pressed.
        record->setEnabled(false);
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(recordClicks.size(), 2);
        record->setDefault(false);
        QVERIFY(!record->isDefault());

        // Made the default before it was put on the window, it still answers there.
        auto *late = new ctrl_SkinableButton(QStringLiteral("Registra"));
        QSignalSpy lateClicks(late, &ctrl_SkinableButton::Click);
        late->setDefault(true);
        layout->addWidget(late);
        QVERIFY(late->isDefault());
        QTRY_VERIFY(late->isVisible());
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(lateClicks.size(), 1);
    }

    void disabledButtonIgnoresThePointer()
    {
        QWidget window;
        ctrl_SkinableButton *b = makeButton(&window);
        EventLog log;
        log.attach(b);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy changed(b, &ctrl_SkinableButton::propertyChanged);
        b->setEnabled(false);
        QVERIFY(!b->Enabled());
        QCOMPARE(changed.size(), 1);
        QTest::mouseClick(b, Qt::LeftButton, {}, {30, 10});
        b->click();
        QCOMPARE(log.text(), QString());
        QCOMPARE(b->look(), ButtonLook::Normal);
    }

    void missingStripIsAnError()
    {
        QTemporaryDir empty;
        ctrl_SkinableButton b;
        b.setSkinPath(empty.path());
        try {
            b.LoadSkin();
            QFAIL("no error for a missing strip");
        } catch (const skin::SkinError &e) {
            QCOMPARE(e.number(), 53L);
            QCOMPARE(e.description(), QStringLiteral("File non trovato: ") + empty.path() + "/img_Buttons.bmp");
        }
        QVERIFY(!b.isSkinLoaded());
        // Still drawn (plainly) and usable.
        b.resize(80, 24);
        QVERIFY(!b.grab().isNull());
    }

    void propertiesAndTheirBag()
    {
        ctrl_SkinableButton b;
        QCOMPARE(b.Caption(), QStringLiteral("Caption"));
        QCOMPARE(b.ForeColor(), 0x400000L);
        QVERIFY(b.Enabled());
        QVERIFY(!b.propertiesChanged());

        QSignalSpy changed(&b, &ctrl_SkinableButton::propertyChanged);
        b.setCaption(QStringLiteral("Stampa"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Caption"));
        QVERIFY(b.propertiesChanged());

        skin::PropertyBag bag;
        bag.writeProperty(QStringLiteral("SkinPath"), m_dir.path());
        bag.writeProperty(QStringLiteral("Enabled"), false);
        b.ReadProperties(bag);
        QCOMPARE(b.Caption(), QStringLiteral("Caption"));
        QVERIFY(!b.Enabled());
        QVERIFY(b.isSkinLoaded());
        QCOMPARE(b.look(), ButtonLook::Normal);
        QVERIFY(!b.propertiesChanged());
        skin::PropertyBag written;
        b.WriteProperties(written);
        QCOMPARE(written.values().size(), 4);
        QCOMPARE(written.readProperty(QStringLiteral("Enabled"), true).toBool(), false);
    }
};

QTEST_MAIN(TestSkinButton)
#include "tst_skin_button.moc"
