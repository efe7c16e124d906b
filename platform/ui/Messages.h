#pragma once

#include <QString>
#include <functional>

class QDialog;

namespace ui {

// Button sets, icons and default buttons of a message, combined with |,
// with the values the windows have always used.
enum MsgStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3,
    vbYesNo = 4, vbRetryCancel = 5,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
    vbDefaultButton1 = 0, vbDefaultButton2 = 256, vbDefaultButton3 = 512
};

// The button the user chose.
enum MsgResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct Message {
    QString title;   // empty: the application's title
    QString text;
    int style = vbOKOnly;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

// Every message box, input box and modal window of the program goes through
// the installed service, so tests can answer them without a screen.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual int message(const Message &m) = 0;
    // Returns false when the user cancelled; `answer` gets the typed text.
    virtual bool input(const InputRequest &request, QString &answer) = 0;
    // Runs a modal window (the picker, for one) and returns its result code.
    virtual int execModal(QDialog &dialog) = 0;
};

// The service in use; the default shows real dialogs.
MessageService &messageService();
// Installs a service (tests); nullptr restores the default. Not owned.
void setMessageService(MessageService *service);

// The familiar call: MsgBox(text, vbYesNo | vbQuestion, g_strAppName).
int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString());
// Returns the typed text, or the empty text when cancelled.
QString InputBox(const QString &prompt, const QString &title = QString(), const QString &defaultText = QString());

} // namespace ui
