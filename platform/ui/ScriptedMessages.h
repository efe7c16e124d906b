#pragma once

#include "ui/Messages.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

namespace ui {

// The message service of the tests: nothing is shown, every message and
// input is recorded, and answers come from queues filled by the test.
// Installs itself on construction and restores the previous service when it
// goes out of scope.
//
//   ui::ScriptedMessages messages;
//   messages.queueAnswer(ui::vbYes);
//   ... drive the window ...
//   QCOMPARE(messages.texts(), QStringList{"Eliminare il record?"});
class ScriptedMessages : public MessageService {
public:
    struct Recorded {
        QString title;   // as shown: the given title or the application's name
        QString text;
        int style = vbOKOnly;
    };
    using ModalHandler = std::function<int(QDialog &)>;

    ScriptedMessages();
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    // Answers of the next messages; with the queue empty a message gets its
    // default button.
    void queueAnswer(int answer);
    // Answers of the next input boxes; with the queue empty an input box
    // returns its default text, as if OK were pressed.
    void queueInput(const QString &typed);
    void queueInputCancel();
    // Handlers of the next modal windows: each gets the window (shown, so its
    // load code has run) and returns the result code. With none queued a modal
    // window is closed as cancelled.
    void queueModal(ModalHandler handler);

    const QList<Recorded> &messages() const { return m_messages; }
    QStringList texts() const;
    const QList<InputRequest> &inputs() const { return m_inputs; }
    // objectName of every modal window run, in order.
    const QStringList &modals() const { return m_modals; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

    int message(const Message &m) override;
    bool input(const InputRequest &request, QString &answer) override;
    int execModal(QDialog &dialog) override;

private:
    MessageService *m_previous;
    QList<Recorded> m_messages;
    QList<InputRequest> m_inputs;
    QStringList m_modals;
    QQueue<int> m_answers;
    QQueue<std::optional<QString>> m_typed;
    QQueue<ModalHandler> m_handlers;
};

} // namespace ui
