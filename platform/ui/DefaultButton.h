#pragma once

#include <QObject>
#include <QPointer>
#include <QPushButton>

namespace ui {

// The default button of a window that is not a dialog (an MDI child): Enter
// pressed anywhere in the window that does not use Enter itself (a text box
// does not, a multi-line box does) clicks it. A button that has the focus
// answers Enter itself. The window may change or clear the default at any
// time, as the load and unload windows do while a bar code is scanned.
//
//   m_default = new ui::DefaultButton(*this);   // owned by the window
//   m_default->setButton(cmdCarica);
class DefaultButton : public QObject {
    Q_OBJECT
public:
    explicit DefaultButton(QWidget &window);

    void setButton(QPushButton *button);
    void clear() { setButton(nullptr); }
    QPushButton *button() const { return m_button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    QPointer<QPushButton> m_button;
};

} // namespace ui
