#include "TestShopDatabase.h"

#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "db/Recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

// A card's boxes bound to the articles: what they show, what typing does,
// and that only the card's own save writes.
class TestFieldBinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void showsTheCurrentRecordNullAsEmpty();
    void numbersFollowTheUsersFormat();
    void typingEntersEditingAndStoresTheValue();
    void navigationNeverWrites();
    void aRowWithTheTextTypedShowsItAsRead();
    void explicitUpdateWrites();
    void aTextThatDoesNotFitIsNotStored_data();
    void aTextThatDoesNotFitIsNotStored();
    void checkBoxStoresYesNo();
    void addNewClearsAndCancelRestores();
    void valuesSetByCodeShowInTheirBox();
    void typingOnAnEmptySetReportsInsteadOfFailing();

private:
    QVariant stored(const QString &field, int code) const
    {
        return m_db->scalar(QStringLiteral("select %1 from Articoli where art_Codice = %2").arg(field).arg(code));
    }

    std::unique_ptr<TestShopDatabase> m_db;
    std::unique_ptr<data::DataControl> m_control;
    std::unique_ptr<QWidget> m_card;
    std::unique_ptr<data::FieldBinder> m_binder;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtPrezzo = nullptr;
    QLineEdit *txtData = nullptr;
    QTextEdit *txtNote = nullptr;
    QCheckBox *chkUsato = nullptr;
};

void TestFieldBinder::init()
{
    QLocale::setDefault(QLocale::c());
    m_db = std::make_unique<TestShopDatabase>();
    m_db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino, art_Usato, "
                                 "art_Data_Ultima_Vendita, art_Note) values (1, 'Camicia', 49.5, -1, #12/6/2026#, 'lino')"));
    m_db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Usato) values (2, 'Gonna', 0)"));

    m_control = std::make_unique<data::DataControl>();
    m_control->setDatabaseName(m_db->path());
    m_control->setRecordSource(QStringLiteral("select * from Articoli order by art_Codice"));
    m_card = std::make_unique<QWidget>();
    txtDescrizione = new QLineEdit(m_card.get());
    txtPrezzo = new QLineEdit(m_card.get());
    txtData = new QLineEdit(m_card.get());
    txtNote = new QTextEdit(m_card.get());
    chkUsato = new QCheckBox(m_card.get());
    m_binder = std::make_unique<data::FieldBinder>(*m_control);
    m_binder->bind(txtDescrizione, QStringLiteral("art_Descrizione"));
    m_binder->bind(txtPrezzo, QStringLiteral("art_Prezzo_Listino"), data::FieldKind::Number);
    m_binder->bind(txtData, QStringLiteral("art_Data_Ultima_Vendita"), data::FieldKind::Date);
    m_binder->bind(txtNote, QStringLiteral("art_Note"));
    m_binder->bind(chkUsato, QStringLiteral("art_Usato"));
    m_control->refresh();
}

void TestFieldBinder::cleanup()
{
    m_binder.reset();
    m_card.reset();
    m_control.reset();
    m_db.reset();
}

void TestFieldBinder::showsTheCurrentRecordNullAsEmpty()
{
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Camicia"));
    QCOMPARE(txtPrezzo->text(), QStringLiteral("49.5"));
    QCOMPARE(txtData->text(), QStringLiteral("06/12/2026"));
    QCOMPARE(txtNote->toPlainText(), QStringLiteral("lino"));
    QVERIFY(chkUsato->isChecked());
    QCOMPARE(m_control->editMode(), db::EditMode::None);

    m_control->recordset()->moveNext();
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Gonna"));
    QCOMPARE(txtPrezzo->text(), QString());
    QCOMPARE(txtData->text(), QString());
    QCOMPARE(txtNote->toPlainText(), QString());
    QVERIFY(!chkUsato->isChecked());
    QCOMPARE(m_control->editMode(), db::EditMode::None); // showing is not editing
}

void TestFieldBinder::numbersFollowTheUsersFormat()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_binder->showCurrent();
    QCOMPARE(txtPrezzo->text(), QStringLiteral("49,5"));
    txtPrezzo->setText(QStringLiteral("1234,75"));
    m_control->recordset()->update();
    QCOMPARE(stored(QStringLiteral("art_Prezzo_Listino"), 1).toDouble(), 1234.75);
}

void TestFieldBinder::typingEntersEditingAndStoresTheValue()
{
    QSignalSpy mode(m_control.get(), &data::DataControl::editModeChanged);
    txtDescrizione->setFocus();
    txtDescrizione->selectAll();
    QTest::keyClicks(txtDescrizione, QStringLiteral("Camicetta"));
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Camicetta")); // nothing typed was lost
    QCOMPARE(m_control->editMode(), db::EditMode::Editing);
    QCOMPARE(m_control->recordset()->value(QStringLiteral("art_Descrizione")).toString(), QStringLiteral("Camicetta"));
    QCOMPARE(stored(QStringLiteral("art_Descrizione"), 1).toString(), QStringLiteral("Camicia"));
}

void TestFieldBinder::navigationNeverWrites()
{
    QTest::keyClicks(txtDescrizione, QStringLiteral(" blu"));
    QTest::keyClicks(txtNote, QStringLiteral(" misto"));
    m_control->recordset()->moveNext();
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Gonna"));
    m_control->recordset()->moveFirst();
    QCOMPARE(stored(QStringLiteral("art_Descrizione"), 1).toString(), QStringLiteral("Camicia"));
    QCOMPARE(stored(QStringLiteral("art_Note"), 1).toString(), QStringLiteral("lino"));
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Camicia"));
    QCOMPARE(m_control->editMode(), db::EditMode::None);
}

// Typed on one row, the same texts shown by the next one: the boxes show the
// row as read (nothing to undo, not editing), and typing on goes to it.
void TestFieldBinder::aRowWithTheTextTypedShowsItAsRead()
{
    m_db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Note) values (3, 'Gonna', 'lino')"));
    m_control->refresh();
    m_control->recordset()->moveNext();
    txtDescrizione->selectAll();
    QTest::keyClicks(txtDescrizione, QStringLiteral("Gonna"));
    QTest::keyClicks(txtNote, QStringLiteral("lino"));
    QCOMPARE(m_control->editMode(), db::EditMode::Editing);
    m_control->recordset()->moveNext();
    QCOMPARE(m_control->editMode(), db::EditMode::None);
    for (QLineEdit *box : {txtDescrizione, txtPrezzo, txtData}) {
        QVERIFY(!box->isUndoAvailable());
        QVERIFY(!box->isModified());
        QCOMPARE(box->cursorPosition(), int(box->text().size()));
    }
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Gonna"));
    QCOMPARE(txtNote->toPlainText(), QStringLiteral("lino"));
    QVERIFY(!txtNote->document()->isUndoAvailable());
    QCOMPARE(txtNote->textCursor().position(), 0);
    // The same texts again, as read: nothing to undo, the cursor where a
    // text set anew puts it.
    txtDescrizione->setCursorPosition(1);
    m_control->recordset()->movePrevious();
    m_control->recordset()->moveNext();
    QCOMPARE(txtDescrizione->cursorPosition(), 5);
    QTest::keyClicks(txtDescrizione, QStringLiteral(" blu"));
    QCOMPARE(m_control->recordset()->value(QStringLiteral("art_Descrizione")).toString(), QStringLiteral("Gonna blu"));
    m_control->recordset()->update();
    QCOMPARE(stored(QStringLiteral("art_Descrizione"), 3).toString(), QStringLiteral("Gonna blu"));
    QCOMPARE(stored(QStringLiteral("art_Descrizione"), 2).toString(), QStringLiteral("Gonna"));
}

void TestFieldBinder::explicitUpdateWrites()
{
    txtDescrizione->setText(QStringLiteral("Camicia Dell'Orto"));
    txtPrezzo->setText(QStringLiteral("39.9"));
    txtData->setText(QStringLiteral("01/02/2027"));
    txtNote->setPlainText(QString()); // emptied: Null
    m_control->recordset()->update();
    QCOMPARE(m_control->editMode(), db::EditMode::None);
    QCOMPARE(stored(QStringLiteral("art_Descrizione"), 1).toString(), QStringLiteral("Camicia Dell'Orto"));
    QCOMPARE(stored(QStringLiteral("art_Prezzo_Listino"), 1).toDouble(), 39.9);
    QCOMPARE(stored(QStringLiteral("art_Data_Ultima_Vendita"), 1).toDate(), QDate(2027, 2, 1));
    QVERIFY(!stored(QStringLiteral("art_Note"), 1).isValid());
    QVERIFY(m_binder->invalidFields().isEmpty());
}

void TestFieldBinder::aTextThatDoesNotFitIsNotStored_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::newRow("letters in a price") << "price" << "12a" << "art_Prezzo_Listino";
    QTest::newRow("impossible date") << "date" << "31/02/2026" << "art_Data_Ultima_Vendita";
    QTest::newRow("half a date") << "date" << "06/1" << "art_Data_Ultima_Vendita";
}

void TestFieldBinder::aTextThatDoesNotFitIsNotStored()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QLineEdit *target = box == QLatin1String("price") ? txtPrezzo : txtData;
    const QVariant before = stored(field, 1);
    target->setText(typed);
    QCOMPARE(m_binder->invalidFields(), QStringList{field});
    m_control->recordset()->edit();
    m_control->recordset()->update();
    QCOMPARE(stored(field, 1), before);
    // Corrected, the field is valid again.
    target->setText(box == QLatin1String("price") ? QStringLiteral("12") : QStringLiteral("06/12/2026"));
    QVERIFY(m_binder->invalidFields().isEmpty());
}

void TestFieldBinder::checkBoxStoresYesNo()
{
    m_control->recordset()->moveNext();
    chkUsato->click();
    QCOMPARE(m_control->editMode(), db::EditMode::Editing);
    m_control->recordset()->update();
    QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from Articoli where art_Codice = 2 and art_Usato = -1")).toInt(), 1);
}

void TestFieldBinder::addNewClearsAndCancelRestores()
{
    m_control->recordset()->addNew();
    QCOMPARE(txtDescrizione->text(), QString());
    QCOMPARE(txtNote->toPlainText(), QString());
    QCOMPARE(m_control->editMode(), db::EditMode::Adding);
    QTest::keyClicks(txtDescrizione, QStringLiteral("Sciarpa"));
    QCOMPARE(m_control->editMode(), db::EditMode::Adding); // stays adding
    m_control->recordset()->cancelUpdate();
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Camicia"));
    QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from Articoli")).toInt(), 2);

    m_control->recordset()->addNew();
    QTest::keyClicks(txtDescrizione, QStringLiteral("Sciarpa"));
    txtPrezzo->setText(QStringLiteral("15"));
    m_control->recordset()->update();
    QCOMPARE(m_db->scalar(QStringLiteral("select art_Prezzo_Listino from Articoli where art_Descrizione = 'Sciarpa'")).toDouble(), 15.0);
}

void TestFieldBinder::valuesSetByCodeShowInTheirBox()
{
    m_control->recordset()->edit();
    m_control->recordset()->setValue(QStringLiteral("art_Descrizione"), QStringLiteral("Polo"));
    QCOMPARE(txtDescrizione->text(), QStringLiteral("Polo"));
}

void TestFieldBinder::typingOnAnEmptySetReportsInsteadOfFailing()
{
    m_control->setRecordSource(QStringLiteral("select * from Articoli where art_Codice = 0"));
    m_control->refresh();
    QCOMPARE(txtDescrizione->text(), QString());
    QSignalSpy errors(m_binder.get(), &data::FieldBinder::dataError);
    QTest::keyClicks(txtDescrizione, QStringLiteral("x"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().toString(), QStringLiteral("art_Descrizione"));
    QCOMPARE(m_binder->invalidFields(), QStringList{QStringLiteral("art_Descrizione")});
    QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from Articoli")).toInt(), 2);
}

QTEST_MAIN(TestFieldBinder)
#include "tst_fieldbinder.moc"
