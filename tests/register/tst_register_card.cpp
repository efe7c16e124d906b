// The register card driven as the shop owner drives it: the picture row,
// typed fields, the length notices, printing, deleting.

#include "CardFixture.h"

#include "base/errors/TarvoApplication.h"
#include "data/DataControl.h"
#include "db/Database.h"
#include "register/frmAnagrafica.h"
#include "register/frmCercaAnagrafica.h"
#include "skin/ImageToolbar.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>
#include "LogPlaces.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

const QString kSaved = QStringLiteral("L'anagrafica è stata salvata");
const QString kRequired = QStringLiteral("I campi Denominazione, Indirizzo e Località sono obbligatori.\r\n"
                                         "Impossibile salvare l'anagrafica corrente.");

enum Picture { New = 1, Search, Save, Delete, Print, First, Previous, Next, Last, Emblem };

} // namespace

class TestRegisterCard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void emptyRegisterOpensAddingAtPositionZero();
    void opensOnTheFirstEntryWithItsFieldsInTabOrder();
    void browsingStopsAtTheEndsSilently();
    void newEntrySavedStaysOnTheCard();
    void saveRefusesAMissingRequiredField_data();
    void saveRefusesAMissingRequiredField();
    void aRefusedWriteIsNeverReportedAsSaved();
    void unsavedChangesBlockNewSearchAndDelete();
    void lengthNoticesOnLeaving_data();
    void lengthNoticesOnLeaving();
    void printRefusedWhileAddingAndPrintsTheStoredEntry();
    void deleteOfAnEntryWithInvoicesIsRefused();
    void deletingTheLastEntryLeavesAnEmptyRegister();

private:
    frmAnagrafica &openCard();
    void click(Picture picture);
    void addEntries(int count);
    void type(int field, const QString &text);

    std::unique_ptr<CardFixture> m_f;
    QPointer<frmAnagrafica> m_card;
};

void TestRegisterCard::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestRegisterCard::init()
{
    m_f = std::make_unique<CardFixture>();
    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    QVERIFY(QFile::copy(source + QStringLiteral("/resources/reports/clienti.rpt"), m_f->folder() + QStringLiteral("/clienti.rpt")));
}

void TestRegisterCard::cleanup()
{
    delete m_card.data();
    delete ui::WindowRegistry::existingInstance<frmAnagrafica>();
    delete ui::WindowRegistry::existingInstance<frmCercaAnagrafica>();
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

frmAnagrafica &TestRegisterCard::openCard()
{
    m_card = &ui::WindowRegistry::defaultInstance<frmAnagrafica>();
    m_card->show();
    return *m_card;
}

void TestRegisterCard::click(Picture picture)
{
    ImageToolbar *row = m_card->imgToolbar1;
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->pictureRect(int(picture)).center());
}

void TestRegisterCard::addEntries(int count)
{
    const char *rows[][5] = {{"Rossi Abbigliamento", "Via Emilia 12", "Forlì", "12345678901", "0"},
                             {"Tessiture Dell'Orto", "Via Po 3", "Biella", "", "-1"},
                             {"Bianchi Mario", "Corso Italia 8", "Cesena", "", "0"},
                             {"Maglificio Sud", "Via Napoli 40", "Bari", "98765432109", "-1"}};
    for (int i = 0; i < count; ++i)
        m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località, "
                                    "anag_Partita_IVA, anag_Fornitore) values (\"%1\", '%2', '%3', '%4', %5)")
                         .arg(QString::fromUtf8(rows[i][0]), QString::fromUtf8(rows[i][1]), QString::fromUtf8(rows[i][2]),
                              QLatin1String(rows[i][3]), QLatin1String(rows[i][4])));
}

void TestRegisterCard::type(int field, const QString &text)
{
    QWidget *box = m_card->txtFields(field);
    box->setFocus();
    QTest::keyClicks(box, text);
}

void TestRegisterCard::emptyRegisterOpensAddingAtPositionZero()
{
    frmAnagrafica &card = openCard();
    QCOMPARE(card.windowTitle(), QStringLiteral("Anagrafica"));
    QCOMPARE(card.datPrimaryRs->recordSource(), QStringLiteral("select * from Anagrafica order by anag_Contatore"));
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::Adding);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("0 di 0"));
    QCOMPARE(card.imgToolbar1->count(), 10);
    QCOMPARE(card.imgToolbar1->toolTipOf(1), QStringLiteral("Nuova Anagrafica"));
    // The emblem runs nothing, not even the "Errore" of an unknown button.
    click(Emblem);
    QVERIFY(m_f->messages().texts().isEmpty());
    card.imgToolbar1_Click(11);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Errore")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbOKOnly));
}

void TestRegisterCard::opensOnTheFirstEntryWithItsFieldsInTabOrder()
{
    addEntries(3);
    m_f->execute(QStringLiteral("update Anagrafica set anag_Cap = '47121', anag_Stato = 'Italia', anag_Telefono = '0543 1', "
                                "anag_Fax = '0543 2', anag_Email = 'info@rossi.it', anag_Codice_Fiscale = 'RSSMRA80A01D704X', "
                                "anag_Nota = 'Paga a 30 giorni' where anag_Contatore = 1"));
    frmAnagrafica &card = openCard();
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 3"));
    const QList<int> order = {0, 1, 12, 3, 4, 9, 5, 6, 11, 7, 10, 8, 15, 13, 14};
    const QStringList shown = {"1", "Rossi Abbigliamento", "Via Emilia 12", "47121", "Forlì", "Italia", "0543 1", "0543 2",
                               "info@rossi.it", "12345678901", "RSSMRA80A01D704X", "Paga a 30 giorni", "", "", ""};
    QWidget *box = card.txtFields(0);
    for (int i = 0; i < order.size(); ++i) {
        QCOMPARE(box, card.txtFields(order.at(i)));
        QCOMPARE(card.fieldText(order.at(i)), shown.at(i));
        box = box->nextInFocusChain();
        while (box->focusPolicy() == Qt::NoFocus || !box->isVisibleTo(&card) || box->parentWidget() != &card)
            box = box->nextInFocusChain();
    }
    QCOMPARE(box, card.chkFornitore);
    QVERIFY(!card.chkFornitore->isChecked());
    QVERIFY(qobject_cast<QTextEdit *>(card.txtFields(1)));
    QVERIFY(qobject_cast<QTextEdit *>(card.txtFields(8)));
    const QList<QPair<int, int>> lengths = {{12, 120}, {3, 12}, {4, 50}, {9, 50}, {5, 30}, {6, 30}, {11, 120}, {7, 30}, {10, 20}};
    for (const auto &[index, length] : lengths)
        QCOMPARE(static_cast<QLineEdit *>(card.txtFields(index))->maxLength(), length);
    // The register number is the database's: it cannot be typed over.
    QVERIFY(static_cast<QLineEdit *>(card.txtFields(0))->isReadOnly());
    type(0, QStringLiteral("3"));
    QCOMPARE(card.fieldText(0), QStringLiteral("1"));
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::None);
    // The note keeps at most 255 characters, however they arrive.
    static_cast<QTextEdit *>(card.txtFields(8))->setPlainText(QString(300, QLatin1Char('x')));
    QCOMPARE(card.fieldText(8).size(), 255);

    m_f->messages().queueAnswer(ui::vbNo); // the typed note is given up
    click(Next);
    QCOMPARE(card.fieldText(1), QStringLiteral("Tessiture Dell'Orto"));
    QVERIFY(card.chkFornitore->isChecked());
}

void TestRegisterCard::browsingStopsAtTheEndsSilently()
{
    addEntries(3);
    frmAnagrafica &card = openCard();
    click(Previous);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 3"));
    click(Last);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("3 di 3"));
    click(Next);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("3 di 3"));
    QCOMPARE(card.fieldText(1), QStringLiteral("Bianchi Mario"));
    // A change left behind with "No" is dropped, never written.
    type(4, QStringLiteral(" Mare"));
    m_f->messages().queueAnswer(ui::vbNo);
    click(Previous);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("2 di 3"));
    click(First);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 3"));
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Località = 'Cesena'")), 1);
    // A change saved is written to that entry only.
    m_f->messages().clear();
    type(9, QStringLiteral("Svizzera"));
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Stato = 'Svizzera' and anag_Contatore = 1")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Stato = 'Svizzera'")), 1);
}

void TestRegisterCard::newEntrySavedStaysOnTheCard()
{
    addEntries(2);
    frmAnagrafica &card = openCard();
    click(New);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("0 di 2"));
    QCOMPARE(card.fieldText(1), QString());
    type(1, QStringLiteral("Sartoria O\"Neill & Co"));
    type(12, QStringLiteral("Via Dante 5"));
    type(4, QStringLiteral("Ravenna"));
    type(7, QStringLiteral("01234567890"));
    QTest::mouseClick(card.chkFornitore, Qt::LeftButton);
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Contatore = 3 and anag_Denominazione = 'Sartoria O\"Neill & Co' "
                                       "and anag_Località = 'Ravenna' and anag_Partita_IVA = '01234567890' "
                                       "and anag_Fornitore = -1")),
             1);
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::None);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("3 di 3"));
    QCOMPARE(card.fieldText(0), QStringLiteral("3"));
    QCOMPARE(card.fieldText(1), QStringLiteral("Sartoria O\"Neill & Co"));
}

void TestRegisterCard::saveRefusesAMissingRequiredField_data()
{
    QTest::addColumn<int>("emptied");
    QTest::newRow("name") << 1;
    QTest::newRow("address") << 12;
    QTest::newRow("town, blanks only") << 4;
}

void TestRegisterCard::saveRefusesAMissingRequiredField()
{
    QFETCH(int, emptied);
    frmAnagrafica &card = openCard();
    type(1, QStringLiteral("Verdi Moda"));
    type(12, QStringLiteral("Via Verdi 1"));
    type(4, QStringLiteral("Rimini"));
    if (auto *text = qobject_cast<QTextEdit *>(card.txtFields(emptied)))
        text->setPlainText(QStringLiteral("  "));
    else
        static_cast<QLineEdit *>(card.txtFields(emptied))->setText(QStringLiteral("  "));
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kRequired});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 0);
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::Adding);
}

// The database refuses the write (a full disk, a lock): the standard error
// is shown and logged, the success message is not, nothing moves.
void TestRegisterCard::aRefusedWriteIsNeverReportedAsSaved()
{
    addEntries(1);
    m_f->refuseWrites(QStringLiteral("insert on Anagrafica"));
    frmAnagrafica &card = openCard();
    click(New);
    type(1, QStringLiteral("Neri"));
    type(12, QStringLiteral("Via Neri 2"));
    type(4, QStringLiteral("Faenza"));
    click(Save);
    QCOMPARE(m_f->messages().texts().size(), 1);
    QVERIFY2(m_f->messages().texts().at(0).startsWith(QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n")),
             qPrintable(m_f->messages().texts().at(0)));
    QCOMPARE(logPlaces(m_f->log()), QStringList{QStringLiteral("frmAnagrafica.Toolbar_Buttonclick")});
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 1);
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::Adding);
    QCOMPARE(card.fieldText(1), QStringLiteral("Neri"));
}

void TestRegisterCard::unsavedChangesBlockNewSearchAndDelete()
{
    addEntries(1);
    frmAnagrafica &card = openCard();
    type(5, QStringLiteral("333"));
    click(New);
    click(Search);
    click(Delete);
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire una nuova anagrafica."),
                          QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare un'anagrafica."),
                          QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare un'anagrafica.")}));
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::Editing);
    QVERIFY(card.isVisible());
    QVERIFY(!ui::WindowRegistry::existingInstance<frmCercaAnagrafica>());
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 1);
}

void TestRegisterCard::lengthNoticesOnLeaving_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");   // empty: none
    QTest::newRow("VAT number of 6") << 7 << "123456" << "La partita IVA inserita contiene 6 caratteri.";
    QTest::newRow("VAT number of 11 between blanks") << 7 << " 12345678901 " << "";
    QTest::newRow("tax code of 16") << 10 << "RSSMRA80A01D704X" << "";
    QTest::newRow("tax code of 15") << 10 << "RSSMRA80A01D704" << "Il codice fiscale inserito contiene 15 caratteri.";
    QTest::newRow("empty") << 10 << "" << "";
}

// The notice only informs: the text stays, the focus moves on, Save writes.
void TestRegisterCard::lengthNoticesOnLeaving()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    addEntries(1);
    frmAnagrafica &card = openCard();
    card.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&card));
    QCOMPARE(QApplication::focusWidget(), card.txtFields(1));
    card.txtFields(field)->setFocus();
    static_cast<QLineEdit *>(card.txtFields(field))->setText(typed);
    QTest::keyClick(card.txtFields(field), Qt::Key_Tab);
    QCOMPARE(m_f->messages().texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(card.fieldText(field), typed);
    QVERIFY(!card.txtFields(field)->hasFocus());
    QVERIFY(!card.txtFields(field)->font().bold());
    m_f->messages().clear();
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
}

void TestRegisterCard::printRefusedWhileAddingAndPrintsTheStoredEntry()
{
    addEntries(2);
    frmAnagrafica &card = openCard();
    click(New);
    click(Print);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("E' necessario salvare l'anagrafica prima di stampare.")});
    QCOMPARE(m_f->report().runCount(), 0);

    m_f->messages().queueAnswer(ui::vbNo); // the new entry is given up
    click(Last);
    static_cast<QTextEdit *>(card.txtFields(1))->setPlainText(QStringLiteral("Non ancora salvata"));
    click(Print);
    QCOMPARE(m_f->messages().messages().size(), 2);
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/clienti.rpt"));
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), QStringLiteral("{anagrafica.anag_Contatore} = 2"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Stampa dei dati del Cliente Non ancora salvata"));
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text;
    QVERIFY2(printed.contains(QStringLiteral("Tessiture Dell'Orto")), qPrintable(printed.join(QLatin1Char('|'))));
    QVERIFY(!printed.contains(QStringLiteral("Rossi Abbigliamento")));
    QVERIFY(!printed.contains(QStringLiteral("Non ancora salvata")));
}

// An entry that invoices name is kept, without the question.
void TestRegisterCard::deleteOfAnEntryWithInvoicesIsRefused()
{
    addEntries(2);
    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente) values ('26-00001', #12/01/2026#, 2)"));
    frmAnagrafica &card = openCard();
    click(Last);
    click(Delete);
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Impossibile cancellare l'anagrafica corrente: è intestataria di fatture.")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 2);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("2 di 2"));
    // An entry without invoices is deleted after the question, the card
    // then on the first entry.
    click(Previous);
    m_f->messages().queueAnswer(ui::vbNo);
    click(Delete);
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 2);
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->messages().texts().mid(1), QStringList(2, QStringLiteral("Cancellare definitivamente l'anagrafica corrente?")));
    QCOMPARE(m_f->messages().messages().at(1).style, int(ui::vbYesNo | ui::vbExclamation));
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Contatore = 1")), 0);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 1"));
    QCOMPARE(card.fieldText(1), QStringLiteral("Tessiture Dell'Orto"));
}

void TestRegisterCard::deletingTheLastEntryLeavesAnEmptyRegister()
{
    addEntries(1);
    frmAnagrafica &card = openCard();
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Cancellare definitivamente l'anagrafica corrente?")});
    QVERIFY(m_f->log().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica")), 0);
    QCOMPARE(card.datPrimaryRs->editMode(), db::EditMode::Adding);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("0 di 0"));
    type(1, QStringLiteral("Nuovo Cliente"));
    type(12, QStringLiteral("Via Nuova 1"));
    type(4, QStringLiteral("Imola"));
    click(Save);
    QCOMPARE(m_f->messages().texts().last(), kSaved);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 1"));
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    TestRegisterCard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_register_card.moc"
