#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>

class QAbstractButton;
class QWidget;

// A command with the same key in every window that offers it, beside the
// cards' F2-F6, listed by F1: "Genera codice" (F7) and "Etichette" (Ctrl+E).
struct WindowKey {
    QKeySequence keys;
    QString keyText;
    QString caption;
    QString command;   // what the key list (F1) says it does

    // "Etichette (Ctrl+E)": a button's tip.
    QString hint() const { return caption + QStringLiteral(" (") + keyText + QLatin1Char(')'); }
    // The key runs `run` while the focus is anywhere in `window`, its text
    // boxes and grid cells included.
    void give(QWidget &window, const std::function<void()> &run) const;
    // The button of `window` with its caption and tip; the key clicks it
    // while it is shown and enabled.
    void give(QWidget &window, QAbstractButton &button) const;

    static const WindowKey &generateCode();
    static const WindowKey &labels();
};
