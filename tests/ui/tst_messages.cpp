#include "ui/DialogMessageService.h"
#include "ui/Messages.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace ui;

// The message service: the real boxes as they are built (never shown) and
// the scripted service the other tests rely on.
class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationDisplayName(QStringLiteral("Qorda")); }

    void realBoxButtonsAndDefault_data();
    void realBoxButtonsAndDefault();
    void realBoxIconAndTitle_data();
    void realBoxIconAndTitle();
    void realBoxShowsTextAsPlainText();
    void realInputBoxCarriesPromptTitleAndDefault();

    void scriptedRecordsAndAnswersInOrder();
    void scriptedDefaultsToTheDefaultButton_data();
    void scriptedDefaultsToTheDefaultButton();
    void scriptedInputBoxes();
    void scriptedModalRunsHandlerOnShownWindow();
    void scriptedModalWithoutHandlerIsCancelled();
    void scriptedServiceRestoresThePreviousOne();
};

void TestMessages::realBoxButtonsAndDefault_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<int>("defaultButton");
    const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes,
              no = QMessageBox::No, abort = QMessageBox::Abort, retry = QMessageBox::Retry,
              ignore = QMessageBox::Ignore;
    QTest::newRow("ok") << int(vbOKOnly) << QList<int>{ok} << ok;
    QTest::newRow("ok cancel") << int(vbOKCancel) << QList<int>{ok, cancel} << ok;
    QTest::newRow("yes no: first is default") << int(vbYesNo | vbQuestion) << QList<int>{yes, no} << yes;
    QTest::newRow("yes no, second default") << int(vbYesNo | vbQuestion | vbDefaultButton2) << QList<int>{yes, no} << no;
    QTest::newRow("yes no cancel, third default") << int(vbYesNoCancel | vbDefaultButton3)
                                                  << QList<int>{yes, no, cancel} << cancel;
    QTest::newRow("third default on two buttons falls back to first")
        << int(vbRetryCancel | vbDefaultButton3) << QList<int>{retry, cancel} << retry;
    QTest::newRow("abort retry ignore") << int(vbAbortRetryIgnore | vbDefaultButton2)
                                        << QList<int>{abort, retry, ignore} << retry;
}

void TestMessages::realBoxButtonsAndDefault()
{
    QFETCH(int, style);
    QFETCH(QList<int>, buttons);
    QFETCH(int, defaultButton);
    auto box = DialogMessageService::buildBox(Message{QString(), QStringLiteral("x"), style});
    QList<int> shown;
    for (QAbstractButton *button : box->buttons())
        shown << int(box->standardButton(button));
    std::sort(shown.begin(), shown.end());
    std::sort(buttons.begin(), buttons.end());
    QCOMPARE(shown, buttons);
    QVERIFY(box->defaultButton());
    QCOMPARE(int(box->standardButton(box->defaultButton())), defaultButton);
    QCOMPARE(int(DialogMessageService::answerOf(defaultButton)),
             int(ScriptedMessages().message(Message{QString(), QStringLiteral("x"), style})));
}

void TestMessages::realBoxIconAndTitle_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("shownTitle");
    QTest::newRow("critical, own title") << int(vbCritical) << "Errore" << int(QMessageBox::Critical) << "Errore";
    QTest::newRow("question") << int(vbQuestion | vbYesNo) << "Qorda" << int(QMessageBox::Question) << "Qorda";
    QTest::newRow("exclamation, application title") << int(vbExclamation) << QString()
                                                    << int(QMessageBox::Warning) << "Qorda";
    QTest::newRow("information") << int(vbInformation) << "T" << int(QMessageBox::Information) << "T";
    QTest::newRow("no icon") << int(vbOKOnly) << "T" << int(QMessageBox::NoIcon) << "T";
}

void TestMessages::realBoxIconAndTitle()
{
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(QString, shownTitle);
    auto box = DialogMessageService::buildBox(Message{title, QStringLiteral("testo"), style});
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(box->windowTitle(), shownTitle);
    QCOMPARE(box->text(), QStringLiteral("testo"));
}

void TestMessages::realBoxShowsTextAsPlainText()
{
    // A typed value inside a message must not be read as markup.
    auto box = DialogMessageService::buildBox(Message{QString(), QStringLiteral("ERRORE:[<b>1</b>]"), vbOKOnly});
    QCOMPARE(box->textFormat(), Qt::PlainText);
}

void TestMessages::realInputBoxCarriesPromptTitleAndDefault()
{
    auto dialog = DialogMessageService::buildInput(InputRequest{QStringLiteral("Numero copie"), QString(), QStringLiteral("2")});
    QCOMPARE(dialog->labelText(), QStringLiteral("Numero copie"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Qorda"));
    QCOMPARE(dialog->textValue(), QStringLiteral("2"));
}

void TestMessages::scriptedRecordsAndAnswersInOrder()
{
    ScriptedMessages messages;
    messages.queueAnswer(vbNo);
    messages.queueAnswer(vbYes);
    QCOMPARE(MsgBox(QStringLiteral("Eliminare?"), vbYesNo | vbQuestion, QStringLiteral("Qorda")), int(vbNo));
    QCOMPARE(MsgBox(QStringLiteral("Sicuro?"), vbYesNo | vbQuestion | vbDefaultButton2), int(vbYes));
    QCOMPARE(MsgBox(QStringLiteral("Fatto")), int(vbOK));
    QCOMPARE(messages.texts(), (QStringList{"Eliminare?", "Sicuro?", "Fatto"}));
    QCOMPARE(messages.messages().at(1).title, QStringLiteral("Qorda"));
    QCOMPARE(messages.messages().at(1).style, int(vbYesNo | vbQuestion | vbDefaultButton2));
    QCOMPARE(messages.pendingAnswers(), 0);
}

void TestMessages::scriptedDefaultsToTheDefaultButton_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << int(vbOKOnly | vbCritical) << int(vbOK);
    QTest::newRow("yes no") << int(vbYesNo) << int(vbYes);
    QTest::newRow("yes no, default 2") << int(vbYesNo | vbDefaultButton2) << int(vbNo);
    QTest::newRow("yes no cancel, default 3") << int(vbYesNoCancel | vbDefaultButton3) << int(vbCancel);
    QTest::newRow("ok cancel, default 3 missing") << int(vbOKCancel | vbDefaultButton3) << int(vbOK);
}

void TestMessages::scriptedDefaultsToTheDefaultButton()
{
    QFETCH(int, style);
    QFETCH(int, answer);
    ScriptedMessages messages;
    QCOMPARE(MsgBox(QStringLiteral("?"), style), answer);
}

void TestMessages::scriptedInputBoxes()
{
    ScriptedMessages messages;
    messages.queueInput(QStringLiteral("3"));
    messages.queueInputCancel();
    QCOMPARE(InputBox(QStringLiteral("Copie"), QStringLiteral("Stampa"), QStringLiteral("1")), QStringLiteral("3"));
    QCOMPARE(InputBox(QStringLiteral("Copie"), QStringLiteral("Stampa"), QStringLiteral("1")), QString());
    // Queue empty: OK with the proposed text.
    QCOMPARE(InputBox(QStringLiteral("Copie"), QString(), QStringLiteral("1")), QStringLiteral("1"));
    QCOMPARE(messages.inputs().size(), 3);
    QCOMPARE(messages.inputs().at(0).title, QStringLiteral("Stampa"));
    QCOMPARE(messages.inputs().at(2).title, QStringLiteral("Qorda"));
}

class LoadingDialog : public QDialog {
public:
    int loads = 0;
protected:
    void showEvent(QShowEvent *event) override
    {
        ++loads;
        QDialog::showEvent(event);
    }
};

void TestMessages::scriptedModalRunsHandlerOnShownWindow()
{
    ScriptedMessages messages;
    LoadingDialog picker;
    picker.setObjectName(QStringLiteral("frmHelp"));
    int loadsSeenByHandler = -1;
    messages.queueModal([&](QDialog &dialog) {
        loadsSeenByHandler = static_cast<LoadingDialog &>(dialog).loads;
        dialog.accept();
        return dialog.result();
    });
    QCOMPARE(messageService().execModal(picker), int(QDialog::Accepted));
    QCOMPARE(loadsSeenByHandler, 1);
    QVERIFY(!picker.isVisible());
    QCOMPARE(messages.modals(), QStringList{QStringLiteral("frmHelp")});
}

void TestMessages::scriptedModalWithoutHandlerIsCancelled()
{
    ScriptedMessages messages;
    QDialog picker;
    QCOMPARE(messageService().execModal(picker), int(QDialog::Rejected));
    QVERIFY(!picker.isVisible());
}

void TestMessages::scriptedServiceRestoresThePreviousOne()
{
    MessageService *original = &messageService();
    {
        ScriptedMessages outer;
        {
            ScriptedMessages inner;
            QCOMPARE(&messageService(), static_cast<MessageService *>(&inner));
            MsgBox(QStringLiteral("dentro"));
            QCOMPARE(inner.texts(), QStringList{QStringLiteral("dentro")});
        }
        QCOMPARE(&messageService(), static_cast<MessageService *>(&outer));
        QVERIFY(outer.texts().isEmpty());
    }
    QCOMPARE(&messageService(), original);
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
