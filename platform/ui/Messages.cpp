#include "ui/Messages.h"

#include "ui/DialogMessageService.h"

namespace ui {

namespace {
MessageService *g_installed = nullptr;
}

MessageService &messageService()
{
    static DialogMessageService dialogs;
    return g_installed ? *g_installed : dialogs;
}

void setMessageService(MessageService *service)
{
    g_installed = service;
}

int MsgBox(const QString &text, int style, const QString &title)
{
    return messageService().message(Message{title, text, style});
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    QString answer;
    if (!messageService().input(InputRequest{prompt, title, defaultText}, answer))
        return QString();
    return answer;
}

} // namespace ui
