#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

// Text boxes and grids take some keys for themselves (Ctrl+Home, Ctrl+E on
// X11, ...); inside `window` its own commands on `keys` come first, so that
// the window's shortcut runs whatever has the focus. Owned by the window.
class KeysBeforeBoxes : public QObject {
public:
    KeysBeforeBoxes(QWidget &window, QList<QKeySequence> keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    const QList<QKeySequence> m_keys;
};
