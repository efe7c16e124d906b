#include "ui/MessageStyle.h"

#include <QGuiApplication>

namespace ui {

QList<MsgResult> MessageStyle::buttons() const
{
    switch (m_style & 0x7) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

MsgResult MessageStyle::defaultAnswer() const
{
    const QList<MsgResult> all = buttons();
    const int index = (m_style & 0x300) >> 8;
    return index < all.size() ? all.at(index) : all.first();
}

QString MessageStyle::effectiveTitle(const QString &title)
{
    if (!title.isEmpty())
        return title;
    const QString display = QGuiApplication::applicationDisplayName();
    return display.isEmpty() ? QCoreApplication::applicationName() : display;
}

} // namespace ui
