// The shop owner's day with the keyboard alone: no mouse event reaches the
// program, and every step is a key a user presses.
#include "CounterFixture.h"

#include "data/Grid.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "invoicing/frmFattura.h"
#include "lookup/frmTasti.h"
#include "quirnel/mdiTarvo.h"
#include "report/ReportPreview.h"
#include "skin/ImageToolbar.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// Counts what the mouse would send anywhere in the program.
class MouseWatch : public QObject {
public:
    MouseWatch() { qApp->installEventFilter(this); }
    int events = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            ++events;
            break;
        default:
            break;
        }
        return false;
    }
};

CounterFixture *g_shop = nullptr;

// To the widget with the focus, or the main window when none has it.
void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    // The offscreen platform may leave no window active after a dialog; a
    // desktop gives the keyboard back to the main window.
    if (!QApplication::activeWindow())
        g_shop->activateMain();
    QWidget *target = CounterFixture::focused() ? CounterFixture::focused() : &g_shop->main();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(code), modifiers);
}

// Tab until `reached` says the focus is where the user wants it.
bool tabTo(const std::function<bool(QWidget *)> &reached)
{
    for (int i = 0; i < 60; ++i) {
        if (reached(CounterFixture::focused()))
            return true;
        key(Qt::Key_Tab);
    }
    return reached(CounterFixture::focused());
}

QWidget *activeWindow(CounterFixture &shop)
{
    QMdiSubWindow *frame = shop.main().mdiArea()->activeSubWindow();
    return frame ? frame->widget() : nullptr;
}

} // namespace

class TestKeyboardDay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anInvoiceFromCtrlIToItsPreview();
    void f1ListsTheKeysOfTheCards();
};

void TestKeyboardDay::anInvoiceFromCtrlIToItsPreview()
{
    CounterFixture shop;
    g_shop = &shop;
    ui::ScriptedMessages messages;
    db::Database &db = shop.database();
    db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                              "('Bianchi Mario', 'Via Po 3', 'Biella')"));
    db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                              "('Mario Rossi Abbigliamento', 'Via Emilia 12', 'Forlì')"));
    db.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, fat_Imponibile) "
                              "values ('26-00001', #12/01/2026#, 1, 0, 0)"));
    const QString reports = qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/");
    for (const char *file : {"fattura.rpt", "intestazione.txt"})
        QVERIFY(QFile::copy(reports + QLatin1String(file), shop.folder() + QLatin1Char('/') + QLatin1String(file)));
    MouseWatch mouse;

    key(Qt::Key_I, Qt::ControlModifier);
    QTRY_VERIFY(qobject_cast<frmFattura *>(activeWindow(shop)));
    auto *editor = qobject_cast<frmFattura *>(activeWindow(shop));
    QCOMPARE(editor->imgToolbar1->hintOf(1), QStringLiteral("Nuovo (F2)"));

    key(Qt::Key_F2);
    QCOMPARE(editor->editState(), 2);
    QCOMPARE(editor->txtFields(0)->text(), QStringLiteral("26-00002"));

    // The customer, found by a part of the name in the picker's filter.
    QVERIFY(tabTo([&](QWidget *w) { return w == editor->cmdCercaAnagrafica; }));
    messages.queueModal([](QDialog &picker) {
        CounterFixture::type(QStringLiteral("rossi"));
        QTest::qWait(400); // the filter runs once the typing pauses
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        return picker.result();
    });
    key(Qt::Key_Space);
    QCOMPARE(editor->txtCliente->text(), QStringLiteral("Mario Rossi Abbigliamento"));

    // Three lines, each written by going down to the next; Home goes back to
    // its first cell, which hands the cursor on to the description.
    QVERIFY(tabTo([&](QWidget *w) { return w && (w == editor->TDBGrid1 || editor->TDBGrid1->isAncestorOf(w)); }));
    const QStringList lines{QStringLiteral("Giacca\t1\t100"), QStringLiteral("Sciarpa\t2\t15"),
                            QStringLiteral("Cintura\t3\t0,20")};
    for (const QString &line : lines) {
        QTRY_COMPARE(editor->TDBGrid1->currentColumn(), 1);
        CounterFixture::type(line);
        key(Qt::Key_Down);
        key(Qt::Key_Home);
    }
    QTRY_COMPARE(shop.scalar(QStringLiteral("select count(*) from [Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")).toInt(), 3);

    QStringList written;
    auto rows = db.openRecordset(QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = '26-00002' "
                                                "order by df_Descrizione"));
    for (; !rows->eof(); rows->moveNext())
        written << QStringList{rows->value(QStringLiteral("df_Descrizione")).toString(),
                               rows->value(QStringLiteral("df_Quantità")).toString(),
                               QString::number(rows->value(QStringLiteral("df_Importo")).toDouble(), 'f', 2)}.join(QLatin1Char('|'));
    QCOMPARE(written, (QStringList{"Cintura|3|0.60", "Giacca|1|100.00", "Sciarpa|2|30.00"}));
    messages.clear();
    key(Qt::Key_F4);
    QVERIFY(messages.texts().contains(QStringLiteral("La fattura è stata salvata")));
    QCOMPARE(editor->editState(), 0);
    QCOMPARE(qRound(shop.scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00002'")).toDouble() * 100), 13060);
    QCOMPARE(shop.scalar(QStringLiteral("select fat_Codice_Cliente from Fattura where fat_Numero = '26-00002'")).toInt(), 2);

    // To the screen, then back to the invoice when the preview closes.
    QVERIFY(tabTo([&](QWidget *w) { return w == editor->chkAnteprima; }));
    if (!editor->chkAnteprima->isChecked())
        key(Qt::Key_Space);
    QVERIFY(editor->chkAnteprima->isChecked());
    key(Qt::Key_F6);
    QTRY_VERIFY(qobject_cast<report::ReportPreview *>(activeWindow(shop)));
    key(Qt::Key_F4, Qt::ControlModifier);
    QTRY_COMPARE(activeWindow(shop), editor);
    QCOMPARE(mouse.events, 0);
}

void TestKeyboardDay::f1ListsTheKeysOfTheCards()
{
    CounterFixture shop;
    g_shop = &shop;
    ui::ScriptedMessages messages;
    QStringList shown;
    messages.queueModal([&shown](QDialog &dialog) {
        auto *keys = dialog.findChild<QTableWidget *>(QStringLiteral("grdTasti"));
        for (int row = 0; row < keys->rowCount(); ++row)
            shown << keys->item(row, 0)->text() + QLatin1Char('=') + keys->item(row, 1)->text();
        return 0;
    });
    key(Qt::Key_F1);
    QCOMPARE(messages.modals(), QStringList{QStringLiteral("frmTasti")});
    for (const QString &expected : {QStringLiteral("F2=Schede (articolo, anagrafica, fattura): Nuovo"),
                                    QStringLiteral("F4=Schede (articolo, anagrafica, fattura): Salva"),
                                    QStringLiteral("Ctrl+Fine=Schede (articolo, anagrafica, fattura): Ultimo"),
                                    QStringLiteral("F7=Scheda articolo (griglia dei codici) e Carico: genera un "
                                                   "codice a barre del negozio"),
                                    QStringLiteral("Ctrl+F4=Chiude la finestra attiva"),
                                    QStringLiteral("F10=Il menu del programma (poi le frecce e Invio)"),
                                    QStringLiteral("Ctrl+I=File > Fatture")})
        QVERIFY2(shown.contains(expected), qPrintable(shown.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestKeyboardDay)
#include "tst_keyboard_day.moc"
