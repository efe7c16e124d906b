#include "base/GenerateCodeKey.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

void GenerateCodeKey::give(QWidget &window, QAbstractButton &button)
{
    button.setText(caption());
    button.setToolTip(caption() + QStringLiteral(" (") + keyText() + QLatin1Char(')'));
    auto *shortcut = new QShortcut(keys(), &window);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &button, [&button] {
        if (button.isVisible() && button.isEnabled())
            button.click();
    });
}
