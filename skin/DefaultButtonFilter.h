#pragma once

#include <QObject>
#include <QPointer>

class ctrl_SkinableButton;
class QWidget;

// Makes Enter press a window's default button. It sits on the window (the
// widget an MDI sub-window holds, or a top-level window) and catches the
// Enter keys that the focused control leaves unused, as a single-line text
// box does; a multi-line text box keeps its Enter.
class DefaultButtonFilter : public QObject {
    Q_OBJECT
public:
    // The filter of the window that holds `button`, created on first use.
    static DefaultButtonFilter *forButton(ctrl_SkinableButton *button);
    // The window a button's Enter key belongs to.
    static QWidget *scopeOf(QWidget *widget);

    void setDefaultButton(ctrl_SkinableButton *button);
    ctrl_SkinableButton *defaultButton() const { return m_button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit DefaultButtonFilter(QWidget *scope);
    QPointer<ctrl_SkinableButton> m_button;
};
