#include "SkinTestFiles.h"

#include "skin/CardToolbarImages.h"
#include "skin/ImageToolbar.h"
#include "skin/SkinError.h"

#include <QFile>
#include <QFrame>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Look = ImageToolbar::Look;

class TestSkinToolbar : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A card window with its frame (Frame10) holding the row of pictures.
    struct Card {
        QWidget window;
        QFrame *frame10 = nullptr;
        ImageToolbar *toolbar = nullptr;
    };
    void makeCard(Card &card, skin::ToolbarCard kind, int count)
    {
        card.window.resize(500, 200);
        card.frame10 = new QFrame(&card.window);
        card.frame10->setGeometry(10, 10, 400, 40);
        card.toolbar = new ImageToolbar(card.frame10);
        card.toolbar->move(6, 8);
        const skin::ToolbarImageLists lists = skin::loadToolbarImages(kind, m_dir.path());
        card.toolbar->setImageLists(lists.norm, lists.hover, lists.down);
        card.toolbar->populate(count);
        card.toolbar->watch(&card.window);
        card.toolbar->watch(card.frame10);
        card.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card.window));
    }

    void moveTo(ImageToolbar *toolbar, int index)
    {
        skintest::sendMouse(toolbar, QEvent::MouseMove, toolbar->pictureRect(index).center(), Qt::NoButton,
                            Qt::NoButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        skintest::writeToolbarPictures(m_dir.path());
    }

    void rowIsBuiltFromTheLists()
    {
        Card card;
        makeCard(card, skin::ToolbarCard::Anagrafica, 10);
        ImageToolbar *t = card.toolbar;
        QCOMPARE(t->count(), 10);
        // Picture i starts at (i - 1) x 24 x 19 / 15 pixels: about 30 apart.
        const int lefts[] = {0, 30, 61, 91, 122, 152, 182, 213, 243, 274};
        for (int i = 1; i <= 10; ++i) {
            QCOMPARE(t->pictureRect(i), QRect(lefts[i - 1], 0, 24, 24));
            QCOMPARE(t->look(i), Look::Normal);
        }
        QCOMPARE(t->sizeHint(), QSize(298, 24));
        QCOMPARE(t->toolTipOf(1), QStringLiteral("Nuova Anagrafica"));
        QCOMPARE(t->toolTipOf(10), QStringLiteral("Scheda Anagrafica"));
        QCOMPARE(t->pictureAt({27, 5}), 0);
        QCOMPARE(t->pictureAt({31, 5}), 2);
    }

    void cardsHaveTheirToolTips()
    {
        QCOMPARE(skin::toolbarToolTips(skin::ToolbarCard::Articolo),
                 QStringList({"Nuovo Articolo", "Cerca Articolo", "Salva", "Elimina", "Stampa", "Primo",
                              "Precedente", "Successivo", "Ultimo"}));
        QCOMPARE(skin::toolbarToolTips(skin::ToolbarCard::Fattura).size(), 9);
        QCOMPARE(skin::toolbarToolTips(skin::ToolbarCard::Anagrafica).size(), 10);
        QCOMPARE(skin::toolbarPictureName(3, QStringLiteral("hover")), QStringLiteral("tb_salva_hover.png"));
    }

    void shortListsGiveFewerPictures()
    {
        Card card;
        makeCard(card, skin::ToolbarCard::Articolo, 10);
        QCOMPARE(card.toolbar->count(), 9);
    }

    void oneHighlightAtATime()
    {
        Card card;
        makeCard(card, skin::ToolbarCard::Articolo, 9);
        ImageToolbar *t = card.toolbar;
        moveTo(t, 1);
        QCOMPARE(t->look(1), Look::Hover);
        QVERIFY(t->isHighlighted());
        QCOMPARE(t->highlightedIndex(), 1);

        // Straight onto the next picture: the first stays lit, the second does not.
        moveTo(t, 2);
        QCOMPARE(t->look(1), Look::Hover);
        QCOMPARE(t->look(2), Look::Normal);

        // Crossing the frame between the pictures clears it.
        skintest::sendMouse(t, QEvent::MouseMove, {27, 12}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(t->look(1), Look::Normal);
        QVERIFY(!t->isHighlighted());
        moveTo(t, 2);
        QCOMPARE(t->look(2), Look::Hover);

        // So does the pointer over Frame10 or the window itself.
        skintest::sendMouse(card.frame10, QEvent::MouseMove, {395, 2}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(t->look(2), Look::Normal);
        moveTo(t, 5);
        skintest::sendMouse(&card.window, QEvent::MouseMove, {450, 150}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(t->look(5), Look::Normal);
        QVERIFY(!t->isHighlighted());
    }

    void pressAndRelease()
    {
        Card card;
        makeCard(card, skin::ToolbarCard::Fattura, 9);
        ImageToolbar *t = card.toolbar;
        QSignalSpy clicked(t, &ImageToolbar::pictureClicked);
        moveTo(t, 3);
        QTest::mousePress(t, Qt::LeftButton, {}, t->pictureRect(3).center());
        QCOMPARE(t->look(3), Look::Down);
        QTest::mouseRelease(t, Qt::LeftButton, {}, t->pictureRect(3).center());
        QCOMPARE(t->look(3), Look::Normal);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 3);
        QCOMPARE(clicked.at(0).at(1).toString(), QStringLiteral("Salva Fattura"));

        // Any button changes the looks; only the left one runs a command.
        QTest::mousePress(t, Qt::RightButton, {}, t->pictureRect(4).center());
        QCOMPARE(t->look(4), Look::Down);
        QTest::mouseRelease(t, Qt::RightButton, {}, t->pictureRect(4).center());
        QCOMPARE(t->look(4), Look::Normal);
        QCOMPARE(clicked.size(), 1);
    }

    void pressReleasedElsewhereStaysPressed()
    {
        Card card;
        makeCard(card, skin::ToolbarCard::Articolo, 9);
        ImageToolbar *t = card.toolbar;
        QSignalSpy clicked(t, &ImageToolbar::pictureClicked);
        moveTo(t, 6);
        skintest::sendMouse(t, QEvent::MouseButtonPress, t->pictureRect(6).center(), Qt::LeftButton, Qt::LeftButton);
        skintest::sendMouse(t, QEvent::MouseMove, t->pictureRect(8).center(), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(t->look(8), Look::Normal);
        skintest::sendMouse(t, QEvent::MouseButtonRelease, t->pictureRect(8).center(), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(t->look(6), Look::Down);
        QCOMPARE(t->look(8), Look::Normal);
        QCOMPARE(clicked.size(), 0);

        // Passing over other pictures leaves it so, until pressed and released there.
        moveTo(t, 7);
        QCOMPARE(t->look(6), Look::Down);
        QTest::mouseClick(t, Qt::LeftButton, {}, t->pictureRect(6).center());
        QCOMPARE(t->look(6), Look::Normal);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 6);
    }

    void missingPictureIsAnError()
    {
        QTemporaryDir partial;
        skintest::writeToolbarPictures(partial.path());
        QVERIFY(QFile::remove(partial.path() + "/tb_ultimo_down.png"));
        try {
            skin::loadToolbarImages(skin::ToolbarCard::Articolo, partial.path());
            QFAIL("no error for a missing picture");
        } catch (const skin::SkinError &e) {
            QCOMPARE(e.number(), 53L);
            QCOMPARE(e.description(), QStringLiteral("File non trovato: ") + partial.path() + "/tb_ultimo_down.png");
        }
    }
};

QTEST_MAIN(TestSkinToolbar)
#include "tst_skin_toolbar.moc"
