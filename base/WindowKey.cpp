#include "base/WindowKey.h"

#include "base/KeysBeforeBoxes.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

void WindowKey::give(QWidget &window, const std::function<void()> &run) const
{
    auto *shortcut = new QShortcut(keys, &window);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &window, run);
    // A text box may take the key for itself (Ctrl+E, the end of the line on X11).
    new KeysBeforeBoxes(window, {keys});
}

void WindowKey::give(QWidget &window, QAbstractButton &button) const
{
    button.setText(caption);
    button.setToolTip(hint());
    give(window, [&button] {
        if (button.isVisible() && button.isEnabled())
            button.click();
    });
}

const WindowKey &WindowKey::generateCode()
{
    static const WindowKey key {
        QKeySequence(Qt::Key_F7), QStringLiteral("F7"), QStringLiteral("Genera codice"),
        QStringLiteral("Scheda articolo (griglia dei codici) e Carico: genera un codice a barre del negozio")};
    return key;
}

const WindowKey &WindowKey::labels()
{
    static const WindowKey key {
        QKeySequence(Qt::CTRL | Qt::Key_E), QStringLiteral("Ctrl+E"), QStringLiteral("Etichette"),
        QStringLiteral("Etichette con il codice a barre (scheda e griglia degli articoli, carico, lista dei carichi)")};
    return key;
}
