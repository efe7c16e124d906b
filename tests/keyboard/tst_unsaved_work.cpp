// Every window that holds typed work, left in every way, with every answer
// to "Salvare le modifiche?": the database and the window end as the answer
// says.
#include "CounterFixture.h"

#include "base/OpenWindow.h"
#include "base/UnsavedWork.h"
#include "db/Database.h"
#include "invoicing/RichiamaFattura.h"
#include "invoicing/frmFattura.h"
#include "quirnel/mdiTarvo.h"
#include "register/RichiamaAnagrafica.h"
#include "register/frmAnagrafica.h"
#include "register/frmDatiAzienda.h"
#include "rules/ShopIdentity.h"
#include "stock/frmCarico.h"
#include "stock/frmPrestazioni.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"
#include "ui/ScriptedMessages.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextEdit>
#include <QtTest>

#include <functional>

namespace {

enum class Way { Move, Close, New, Reload, Exit };
enum class Answer { YesSaves, YesRefused, No, Cancel };

const QString kQuestion = QStringLiteral("Salvare le modifiche?");

// One window that holds work, and what the test needs to know of it.
struct WorkWindow {
    QString opens{};                                               // the menu command
    std::function<void(CounterFixture &)> seed{};                  // its records
    std::function<QWidget *(CounterFixture &)> open{};             // when the menu is not enough
    std::function<QString(QWidget &)> shown{};                     // the changed box
    std::function<void(QWidget &)> change{};                       // a change that saves well
    std::function<void(CounterFixture &, QWidget &)> spoil{};      // makes the save fail
    std::function<QString(CounterFixture &)> stored{};             // the changed value as stored
    QString changed{};
    QList<Way> ways{};
    std::function<void(QWidget &)> move{};
    std::function<void(QWidget &)> startNew{};
    std::function<void(QWidget &)> reload{};
    QString refusalOfNew{};                                        // the cards refuse New while unsaved
};

QLineEdit *line(QWidget &window, const char *name)
{
    return CounterFixture::box(window, name);
}

UnsavedWork *workOf(QWidget &window)
{
    return dynamic_cast<UnsavedWork *>(&window);
}

bool holdsWork(QWidget &window)
{
    if (auto *invoice = qobject_cast<frmFattura *>(&window))
        return invoice->holdsWork();
    if (auto *card = qobject_cast<frmAnagrafica *>(&window))
        return card->holdsWork();
    if (auto *card = qobject_cast<frmPrestazioni *>(&window))
        return card->holdsWork();
    return workOf(window)->holdsWork();
}

void seedCustomersAndInvoices(CounterFixture &shop)
{
    db::Database &db = shop.database();
    db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                              "('Rossi Abbigliamento', 'Via Emilia 12', 'Forlì')"));
    db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                              "('Tessiture Dell''Orto', 'Via Po 3', 'Biella')"));
    for (const char *numero : {"26-00001", "26-00002"})
        db.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, fat_Imponibile, fat_Nota) "
                                  "values ('%1', #12/01/2026#, 1, 0, 0, 'nota')").arg(QLatin1String(numero)));
}

void seedLoads(CounterFixture &shop)
{
    for (int quantity : {2, 5})
        shop.database().execute(QStringLiteral("insert into carico (ca_Data, ca_Codice_Articolo, ca_Quantita, ca_Prezzo, ca_Usato) "
                                               "values (#12/01/2026#, '1234', %1, 10, 0)").arg(quantity));
}

void showLoad(long number)
{
    openWindow<frmCarico>([number](frmCarico &window) {
        window.p_bln_Modifica = true;
        window.p_lng_Codice_Carico = number;
    });
}

QList<WorkWindow> workWindows()
{
    const QList<Way> all{Way::Move, Way::Close, Way::New, Way::Reload, Way::Exit};
    QList<WorkWindow> windows;

    windows << WorkWindow{
        .opens = QStringLiteral("mnuFattureItem"),
        .seed = seedCustomersAndInvoices,
        .shown = [](QWidget &w) { return static_cast<frmFattura &>(w).txtNota->toPlainText(); },
        .change = [](QWidget &w) { static_cast<frmFattura &>(w).txtNota->setPlainText(QStringLiteral("consegna sabato")); },
        .spoil = [](CounterFixture &shop, QWidget &) { shop.refuseWrites(QStringLiteral("update on Fattura")); },
        .stored = [](CounterFixture &shop) { return shop.scalar(QStringLiteral("select fat_Nota from Fattura where fat_Numero = '26-00001'")).toString(); },
        .changed = QStringLiteral("consegna sabato"),
        .ways = all,
        .move = [](QWidget &w) { static_cast<frmFattura &>(w).imgToolbar1_Click(9); },
        .startNew = [](QWidget &w) { static_cast<frmFattura &>(w).imgToolbar1_Click(1); },
        .reload = [](QWidget &) { RichiamaFattura(QStringLiteral("26-00002")); },
        .refusalOfNew = QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire una nuova fattura."),
    };
    windows << WorkWindow{
        .opens = QStringLiteral("mnuAnagraficheItem"),
        .seed = seedCustomersAndInvoices,
        .shown = [](QWidget &w) { return static_cast<frmAnagrafica &>(w).fieldText(9); },
        .change = [](QWidget &w) { static_cast<QLineEdit *>(static_cast<frmAnagrafica &>(w).txtFields(9))->setText(QStringLiteral("Svizzera")); },
        .spoil = [](CounterFixture &shop, QWidget &) { shop.refuseWrites(QStringLiteral("update on Anagrafica")); },
        .stored = [](CounterFixture &shop) { return shop.scalar(QStringLiteral("select anag_Stato from Anagrafica where anag_Contatore = 1")).toString(); },
        .changed = QStringLiteral("Svizzera"),
        .ways = all,
        .move = [](QWidget &w) { static_cast<frmAnagrafica &>(w).imgToolbar1_Click(9); },
        .startNew = [](QWidget &w) { static_cast<frmAnagrafica &>(w).imgToolbar1_Click(1); },
        .reload = [](QWidget &) { RichiamaAnagrafica(QStringLiteral("2")); },
        .refusalOfNew = QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire una nuova anagrafica."),
    };
    windows << WorkWindow{
        .opens = QStringLiteral("mnuFileArticoliItem"),
        .shown = [](QWidget &w) { return static_cast<frmPrestazioni &>(w).txtDescrizione->text(); },
        .change = [](QWidget &w) { static_cast<frmPrestazioni &>(w).txtDescrizione->setText(QStringLiteral("Giacca lunga")); },
        .spoil = [](CounterFixture &shop, QWidget &) { shop.refuseWrites(QStringLiteral("update on Articoli")); },
        .stored = [](CounterFixture &shop) { return shop.scalar(QStringLiteral("select art_Descrizione from Articoli where art_Codice = 42")).toString(); },
        .changed = QStringLiteral("Giacca lunga"),
        .ways = all,
        .move = [](QWidget &w) { static_cast<frmPrestazioni &>(w).imgToolbar1_Click(9); },
        .startNew = [](QWidget &w) { static_cast<frmPrestazioni &>(w).imgToolbar1_Click(1); },
        .reload = [](QWidget &) {
            openWindow<frmPrestazioni>([](frmPrestazioni &card) {
                card.p_strQuery = QStringLiteral("select * from Articoli where art_Codice = 43");
            });
        },
        .refusalOfNew = QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire un nuovo articolo."),
    };
    windows << WorkWindow{
        .opens = QStringLiteral("mnuFileDatiAziendaItem"),
        .shown = [](QWidget &w) { return static_cast<frmDatiAzienda &>(w).txtFields(0)->text(); },
        .change = [](QWidget &w) { static_cast<frmDatiAzienda &>(w).txtFields(0)->setText(QStringLiteral("Bottega Rossi")); },
        .spoil = [](CounterFixture &, QWidget &w) { static_cast<frmDatiAzienda &>(w).txtFields(1)->setText(QStringLiteral("123")); },
        .stored = [](CounterFixture &shop) {
            const std::optional<EInvoiceShop> stored = ShopIdentity::read(shop.database());
            return stored ? stored->denominazione : QString();
        },
        .changed = QStringLiteral("Bottega Rossi"),
        .ways = {Way::Close, Way::Exit},
    };
    // A recorded load, opened from the load list ("Rich.") to be changed.
    windows << WorkWindow{
        .seed = seedLoads,
        .open = [](CounterFixture &shop) -> QWidget * {
            showLoad(1);
            shop.activateMain();
            return shop.main().mdiArea()->activeSubWindow()->widget();
        },
        .shown = [](QWidget &w) { return line(w, "txtQuantita")->text(); },
        .change = [](QWidget &w) { line(w, "txtQuantita")->setText(QStringLiteral("4")); },
        .spoil = [](CounterFixture &shop, QWidget &) { shop.refuseWrites(QStringLiteral("update on carico")); },
        .stored = [](CounterFixture &shop) { return shop.scalar(QStringLiteral("select ca_Quantita from carico where ca_Codice = 1")).toString(); },
        .changed = QStringLiteral("4"),
        .ways = {Way::Close, Way::Reload, Way::Exit},
        .reload = [](QWidget &) { showLoad(2); },
    };
    // A new load typed at the counter and not recorded yet.
    windows << WorkWindow{
        .opens = QStringLiteral("mnuFileCaricoItem"),
        .seed = seedLoads,
        .shown = [](QWidget &w) { return line(w, "txtCodice")->text(); },
        .change = [](QWidget &) {
            CounterFixture::type(QStringLiteral("5555"));
            CounterFixture::enter();
        },
        .spoil = [](CounterFixture &shop, QWidget &) { shop.refuseWrites(QStringLiteral("insert on carico")); },
        .stored = [](CounterFixture &shop) { return shop.scalar(QStringLiteral("select ca_Codice_Articolo from carico where ca_Codice = 3")).toString(); },
        .changed = QStringLiteral("5555"),
        .ways = {Way::Close, Way::Reload, Way::Exit},
        .reload = [](QWidget &) { showLoad(2); },
    };
    return windows;
}

const char *nameOf(Way way)
{
    switch (way) {
    case Way::Move: return "move";
    case Way::Close: return "close";
    case Way::New: return "new";
    case Way::Reload: return "reload";
    case Way::Exit: return "exit";
    }
    return "";
}

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Answer)

class TestUnsavedWork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyWayOfLeavingAsks_data();
    void everyWayOfLeavingAsks();
};

void TestUnsavedWork::everyWayOfLeavingAsks_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<Way>("way");
    QTest::addColumn<Answer>("answer");
    const QList<std::pair<Answer, const char *>> answers{
        {Answer::YesSaves, "Sì, salvata"}, {Answer::YesRefused, "Sì, rifiutata"}, {Answer::No, "No"}, {Answer::Cancel, "Annulla"}};
    const QList<WorkWindow> windows = workWindows();
    const QStringList names{"fattura", "anagrafica", "articolo", "dati azienda", "carico richiamato", "carico nuovo"};
    for (int i = 0; i < windows.size(); ++i)
        for (Way way : windows.at(i).ways)
            for (const auto &[answer, label] : answers)
                QTest::addRow("%s, %s, %s", qPrintable(names.at(i)), nameOf(way), label) << i << way << answer;
}

void TestUnsavedWork::everyWayOfLeavingAsks()
{
    QFETCH(int, window);
    QFETCH(Way, way);
    QFETCH(Answer, answer);
    const WorkWindow kind = workWindows().at(window);
    CounterFixture shop;
    ui::ScriptedMessages messages;
    if (kind.seed)
        kind.seed(shop);
    QPointer<QWidget> shown = kind.open ? kind.open(shop) : &shop.open(kind.opens);
    QVERIFY(shown);
    const QString original = kind.stored(shop);
    QVERIFY2(!holdsWork(*shown), qPrintable(messages.texts().join(QLatin1Char('|'))));
    kind.change(*shown);
    QCOMPARE(kind.shown(*shown), kind.changed);
    QVERIFY(holdsWork(*shown));
    if (answer == Answer::YesRefused)
        kind.spoil(shop, *shown);
    messages.clear();
    messages.queueAnswer(answer == Answer::No ? ui::vbNo : answer == Answer::Cancel ? ui::vbCancel : ui::vbYes);

    switch (way) {
    case Way::Move: kind.move(*shown); break;
    case Way::Close: ui::mdiFrameOf(*shown)->close(); break;
    case Way::New: kind.startNew(*shown); break;
    case Way::Reload: kind.reload(*shown); break;
    case Way::Exit: shop.main().close(); break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (way == Way::New) {
        // New is refused while a record is unsaved: nothing is asked and the work stays.
        QCOMPARE(messages.texts(), QStringList{kind.refusalOfNew});
        QVERIFY(shown && holdsWork(*shown));
        QCOMPARE(kind.shown(*shown), kind.changed);
        QCOMPARE(kind.stored(shop), original);
        return;
    }
    QVERIFY(!messages.texts().isEmpty());
    QCOMPARE(messages.texts().first(), kQuestion);
    QCOMPARE(messages.messages().first().style, ui::vbYesNoCancel | ui::vbQuestion | ui::vbDefaultButton3);
    QCOMPARE(messages.pendingAnswers(), 0);

    const bool wentOn = answer == Answer::YesSaves || answer == Answer::No;
    QCOMPARE(kind.stored(shop), answer == Answer::YesSaves ? kind.changed : original);
    if (wentOn) {
        if (way == Way::Close || way == Way::Exit)
            QVERIFY(!shown || !shown->isVisible());
        else
            QVERIFY(!holdsWork(*shown));
        if (way == Way::Exit)
            QVERIFY(!shop.main().isVisible());
    } else {
        QVERIFY(shown && shown->isVisible());
        QVERIFY(holdsWork(*shown));
        QCOMPARE(kind.shown(*shown), kind.changed);
        QVERIFY(shop.main().isVisible());
    }
}

QTEST_MAIN(TestUnsavedWork)
#include "tst_unsaved_work.moc"
