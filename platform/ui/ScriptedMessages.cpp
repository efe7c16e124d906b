#include "ui/ScriptedMessages.h"

#include "ui/MessageStyle.h"

#include <QCoreApplication>
#include <QDialog>

namespace ui {

ScriptedMessages::ScriptedMessages()
    : m_previous(&messageService())
{
    setMessageService(this);
}

ScriptedMessages::~ScriptedMessages()
{
    if (&messageService() == this)
        setMessageService(m_previous == this ? nullptr : m_previous);
}

void ScriptedMessages::queueAnswer(int answer)
{
    m_answers.enqueue(answer);
}

void ScriptedMessages::queueInput(const QString &typed)
{
    m_typed.enqueue(typed);
}

void ScriptedMessages::queueInputCancel()
{
    m_typed.enqueue(std::nullopt);
}

void ScriptedMessages::queueModal(ModalHandler handler)
{
    m_handlers.enqueue(std::move(handler));
}

QStringList ScriptedMessages::texts() const
{
    QStringList result;
    for (const Recorded &m : m_messages)
        result << m.text;
    return result;
}

void ScriptedMessages::clear()
{
    m_messages.clear();
    m_inputs.clear();
    m_modals.clear();
    m_answers.clear();
    m_typed.clear();
    m_handlers.clear();
}

int ScriptedMessages::message(const Message &m)
{
    m_messages.append(Recorded{MessageStyle::effectiveTitle(m.title), m.text, m.style});
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return MessageStyle(m.style).defaultAnswer();
}

bool ScriptedMessages::input(const InputRequest &request, QString &answer)
{
    InputRequest shown = request;
    shown.title = MessageStyle::effectiveTitle(request.title);
    m_inputs.append(shown);
    if (m_typed.isEmpty()) {
        answer = request.defaultText;
        return true;
    }
    const std::optional<QString> typed = m_typed.dequeue();
    if (!typed)
        return false;
    answer = *typed;
    return true;
}

int ScriptedMessages::execModal(QDialog &dialog)
{
    m_modals.append(dialog.objectName());
    dialog.show();
    QCoreApplication::processEvents();
    int result = QDialog::Rejected;
    if (!m_handlers.isEmpty()) {
        ModalHandler handler = m_handlers.dequeue();
        result = handler(dialog);
    }
    if (dialog.isVisible())
        dialog.done(result);
    return result;
}

} // namespace ui
