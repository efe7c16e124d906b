#pragma once

#include "ui/Messages.h"

#include <QList>
#include <QString>

namespace ui {

// Reads a message style (buttons | icon | default button) the way the
// windows have always combined it.
class MessageStyle {
public:
    explicit MessageStyle(int style) : m_style(style) {}

    // The answers of the buttons, left to right.
    QList<MsgResult> buttons() const;
    // The answer of the default button: the first one unless the style asks
    // for the second or third (and that button exists).
    MsgResult defaultAnswer() const;
    int icon() const { return m_style & 0x70; }

    // The title a message shows: the given one, else the application's name.
    static QString effectiveTitle(const QString &title);

private:
    int m_style;
};

} // namespace ui
