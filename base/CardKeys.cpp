#include "base/CardKeys.h"

#include "base/KeysBeforeBoxes.h"
#include "skin/ImageToolbar.h"

#include <QShortcut>
#include <QWidget>

const QList<CardKeys::Key> &CardKeys::map()
{
    static const QList<Key> keys{
        {1, QKeySequence(Qt::Key_F2), QStringLiteral("Nuovo"), QStringLiteral("F2")},
        {2, QKeySequence(Qt::Key_F3), QStringLiteral("Cerca"), QStringLiteral("F3")},
        {3, QKeySequence(Qt::Key_F4), QStringLiteral("Salva"), QStringLiteral("F4")},
        {4, QKeySequence(Qt::Key_F5), QStringLiteral("Cancella"), QStringLiteral("F5")},
        {5, QKeySequence(Qt::Key_F6), QStringLiteral("Stampa"), QStringLiteral("F6")},
        {6, QKeySequence(Qt::CTRL | Qt::Key_Home), QStringLiteral("Primo"), QStringLiteral("Ctrl+Inizio")},
        {7, QKeySequence(Qt::CTRL | Qt::Key_PageUp), QStringLiteral("Precedente"), QStringLiteral("Ctrl+Pag Su")},
        {8, QKeySequence(Qt::CTRL | Qt::Key_PageDown), QStringLiteral("Successivo"), QStringLiteral("Ctrl+Pag Giù")},
        {9, QKeySequence(Qt::CTRL | Qt::Key_End), QStringLiteral("Ultimo"), QStringLiteral("Ctrl+Fine")},
    };
    return keys;
}

void CardKeys::give(QWidget &card, ImageToolbar &pictures, const std::function<void(int)> &run)
{
    QStringList hints;
    for (const Key &key : map()) {
        auto *shortcut = new QShortcut(key.keys, &card);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const int command = key.command;
        QObject::connect(shortcut, &QShortcut::activated, &card, [run, command] { run(command); });
        hints << key.name + QStringLiteral(" (") + key.keyText + QLatin1Char(')');
    }
    pictures.setHints(hints);
    QList<QKeySequence> keys;
    for (const Key &key : map())
        keys << key.keys;
    new KeysBeforeBoxes(card, keys);
}
