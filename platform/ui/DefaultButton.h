#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QAbstractButton;

namespace ui {

// The default button of a window that is not a dialog (an MDI child or a
// window of its own): Enter pressed anywhere in the window that does not use
// Enter itself (a text box does not, a multi-line box does) presses it. A
// push button that has the focus answers Enter itself. The window may change
// or clear the default at any time, as the load and unload windows do while
// a bar code is scanned. Every window has at most one; of() finds or makes it.
//
//   ui::DefaultButton::of(*this).setButton(cmdCarica);
class DefaultButton : public QObject {
    Q_OBJECT
public:
    explicit DefaultButton(QWidget &window);

    // The default button of the window that holds `widget` (the widget an
    // MDI sub-window holds, or the top-level window), made on first use.
    static DefaultButton &of(QWidget &widget);
    static QWidget *windowOf(QWidget *widget);

    void setButton(QAbstractButton *button);
    // A button of another kind (the skinned button): `press` clicks it.
    void setButton(QWidget *button, std::function<void()> press);
    void clear() { setButton(nullptr); }
    QWidget *button() const { return m_button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showAsDefault(bool isDefault);

    QWidget &m_window;
    QPointer<QWidget> m_button;
    std::function<void()> m_press;
};

} // namespace ui
