// The article card's item grid and the codes the shop makes itself: "Genera
// codice" (button and F7) fills the new row, and a code typed with a wrong
// EAN check digit is written only when the user confirms it.
#include "CardFixture.h"

#include "data/Grid.h"
#include "stock/frmPrestazioni.h"

#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestCardStoreCodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void generatedCodeFillsTheNewRow_data();
    void generatedCodeFillsTheNewRow();
    void aCodeAlreadyTypedIsKept();
    void noCodeForAnArticleNotSaved();
    void wrongCheckDigitIsConfirmed_data();
    void wrongCheckDigitIsConfirmed();

private:
    frmPrestazioni &openCard();
    QPushButton &generate() const { return *m_card->findChild<QPushButton *>(QStringLiteral("cmdGeneraCodice")); }

    std::unique_ptr<CardFixture> m_f;
    QPointer<frmPrestazioni> m_card;
};

void TestCardStoreCodes::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestCardStoreCodes::init()
{
    m_f = std::make_unique<CardFixture>();
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Giacca in lana')"));
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('8001234567891', 1, 2)"));
}

void TestCardStoreCodes::cleanup()
{
    delete m_card.data();
    m_f.reset();
}

frmPrestazioni &TestCardStoreCodes::openCard()
{
    m_card = new frmPrestazioni;
    m_card->show();
    m_card->activateWindow();
    if (!QTest::qWaitForWindowActive(m_card))
        qWarning("the card is not the active window");
    return *m_card;
}

void TestCardStoreCodes::generatedCodeFillsTheNewRow_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("fromTheItemRow");   // the stored item's row is current
    QTest::newRow("button, new row") << false << false;
    QTest::newRow("F7, new row") << true << false;
    QTest::newRow("F7 on the item row") << true << true;
}

// The new row gets the first code of the counter and waits for its size,
// colour and quantity; the row is written as any other, and the next
// command gives the next code.
void TestCardStoreCodes::generatedCodeFillsTheNewRow()
{
    QFETCH(bool, byKey);
    QFETCH(bool, fromTheItemRow);
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    QCOMPARE(generate().text(), QStringLiteral("Genera codice"));
    QCOMPARE(generate().toolTip(), QStringLiteral("Genera codice (F7)"));
    QVERIFY(generate().isEnabled());
    grid.setFocus();
    QVERIFY(grid.setCurrentCell(fromTheItemRow ? 0 : 1, 1));
    if (byKey)
        pressInGrid(grid, Qt::Key_F7);
    else
        QTest::mouseClick(&generate(), Qt::LeftButton);
    QCOMPARE(grid.currentRow(), 1);
    QCOMPARE(grid.currentColumn(), 2);
    QCOMPARE(grid.columnText(1), QStringLiteral("2000000000015"));
    typeInGrid(grid, QStringLiteral("XL\tRosso\t4\r"));
    QCOMPARE(m_f->messages().texts(), QStringList{});
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice = '2000000000015' and ca_Codice_Articolo = 1 "
                                       "and ca_Taglia = 'XL' and ca_Colore = 'Rosso' and ca_Quantita = 4")),
             1);
    pressInGrid(grid, Qt::Key_F7);
    QCOMPARE(grid.currentRow(), 2);
    QCOMPARE(grid.columnText(1), QStringLiteral("2000000000022"));
}

void TestCardStoreCodes::aCodeAlreadyTypedIsKept()
{
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    grid.setFocus();
    QVERIFY(grid.setCurrentCell(1, 1));
    typeInGrid(grid, QStringLiteral("ABC123\t"));
    pressInGrid(grid, Qt::Key_F7);
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("La riga nuova ha già il codice ABC123: per generarne uno, cancellarlo prima.")});
    QCOMPARE(grid.columnText(1), QStringLiteral("ABC123"));
    QCOMPARE(m_f->count(QStringLiteral("CodiciNegozio")), 0);
}

// A new article has no items until it is saved: no code is taken for it.
void TestCardStoreCodes::noCodeForAnArticleNotSaved()
{
    frmPrestazioni &card = openCard();
    card.imgToolbar1_Click(1);   // Nuovo
    QVERIFY(!generate().isEnabled());
    card.TDBGrid1->setFocus();
    pressInGrid(*card.TDBGrid1, Qt::Key_F7);
    QCOMPARE(m_f->count(QStringLiteral("CodiciNegozio")), 0);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo]")), 1);
}

void TestCardStoreCodes::wrongCheckDigitIsConfirmed_data()
{
    QTest::addColumn<int>("row");          // 0 the stored item, 1 the new row
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");       // 0: no question expected
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("written");
    const QString ean13 = QStringLiteral(
        "Il codice 8001234567892 ha la cifra di controllo errata (dovrebbe essere 7): registrarlo comunque?");
    const QString ean8 = QStringLiteral(
        "Il codice 96385075 ha la cifra di controllo errata (dovrebbe essere 4): registrarlo comunque?");
    QTest::newRow("EAN-13, yes") << 1 << 1 << "8001234567892" << int(ui::vbYes) << ean13 << true;
    QTest::newRow("EAN-13, no") << 1 << 1 << "8001234567892" << int(ui::vbNo) << ean13 << false;
    QTest::newRow("EAN-8, yes") << 1 << 1 << "96385075" << int(ui::vbYes) << ean8 << true;
    QTest::newRow("EAN-8, no") << 1 << 1 << "96385075" << int(ui::vbNo) << ean8 << false;
    QTest::newRow("stored code changed, no") << 0 << 1 << "8001234567892" << int(ui::vbNo) << ean13 << false;
    QTest::newRow("right check digit") << 1 << 1 << "8001234567897" << 0 << "" << true;
    QTest::newRow("check digit 0") << 1 << 1 << "4006381333900" << 0 << "" << true;
    QTest::newRow("12 digits") << 1 << 1 << "800123456789" << 0 << "" << true;
    QTest::newRow("not digits") << 1 << 1 << "ABCDEFGH" << 0 << "" << true;
    // The stored item's own wrong code was accepted once: a change of its
    // size asks nothing.
    QTest::newRow("size of a stored wrong code") << 0 << 2 << "L" << 0 << "" << true;
}

void TestCardStoreCodes::wrongCheckDigitIsConfirmed()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(bool, written);
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    grid.setFocus();
    QVERIFY(grid.setCurrentCell(row, column));
    if (answer != 0)
        m_f->messages().queueAnswer(answer);
    // A scanned code ends with a line feed, which writes the row; a size is
    // written as a command would write it.
    typeInGrid(grid, typed + (column == 1 ? QStringLiteral("\n") : QStringLiteral("\t")));
    if (m_f->messages().texts().isEmpty())
        grid.updateRow();
    if (answer != 0) {
        QCOMPARE(m_f->messages().texts(), QStringList{question});
        QCOMPARE(m_f->messages().messages().at(0).style, ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2);
    } else {
        QCOMPARE(m_f->messages().texts(), QStringList{});
    }
    const QString where = column == 1 ? QStringLiteral("ca_Codice = '%1'").arg(typed)
                                      : QStringLiteral("ca_Taglia = '%1'").arg(typed);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ") + where), written ? 1 : 0);
    if (!written) {
        // Left in the row for correction; the stored item as it was.
        QVERIFY(grid.isRowDirty());
        QCOMPARE(grid.columnText(1), typed);
        QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo]")), 1);
        QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice = '8001234567891' and ca_Quantita = 2")),
                 1);
    }
}

QTEST_MAIN(TestCardStoreCodes)
#include "tst_card_store_codes.moc"
