#pragma once

#include "ui/DefaultButton.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <functional>

#include <QMdiSubWindow>

namespace ui {

// How every window lives, in one place:
// - its load code runs once, on the first show, after the opener has set
//   its public members;
// - its activate code runs each time it becomes the active window, as an MDI
//   child of the main window or as a window of its own;
// - its unload code runs when it closes (a close its own close code or its
//   mayClose refused runs nothing);
// - each of them runs under its label through the window's runner (the
//   program's error reporter);
// - Enter presses its one default button (defaultButton());
// - told to show another record, it loads again: the window names the
//   members that name its record or mode (recordKey), and when an opener
//   shows it with other values than those it last loaded or activated with,
//   the load runs again on them, unless the window's guard refuses.
//
//   m_life = new ui::WindowLife(*this, {
//       .loadLabel = "frmCarico.Form_Load", .load = [this] { Form_Load(); },
//       .activateLabel = "frmCarico.Form_Activate", .activate = [this] { Form_Activate(); },
//       .unload = [this] { ... },
//       .recordKey = [this] { return QVariantList{p_bln_Modifica, qlonglong(p_lng_Codice_Carico)}; },
//   });
class WindowLife : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    // Runs a handler under a label; whatever escapes it is the runner's to
    // report. Without one the handler is called plainly.
    using Runner = std::function<void(const QString &label, const Handler &handler)>;

    // Every part may be left out (designated initializers name the rest).
    struct Code {
        QString loadLabel{};
        Handler load{};
        QString activateLabel{};
        Handler activate{};
        QString unloadLabel{};
        Handler unload{};
        // The members that name the record or the mode the window shows.
        std::function<QVariantList()> recordKey{};
        // Asked before a reload; false keeps the window as it is (a window
        // with unsaved changes asks its user first, or refuses).
        std::function<bool()> mayReload{};
        // Asked before the window closes (by the user, its own code or the
        // program's exit); false keeps it open as it is.
        std::function<bool()> mayClose{};
        Runner runner{};
    };

    WindowLife(QWidget &window, Code code);
    ~WindowLife() override;

    // The life of a window, nullptr when it has none.
    static WindowLife *of(const QWidget &window);

    // Runs one of the window's handlers under its label.
    void run(const QString &label, const Handler &handler) const;

    bool isLoaded() const { return m_loaded; }
    DefaultButton &defaultButton() { return *m_default; }

    // The opener showed the window again: if the members naming its record
    // or mode changed since it last loaded or activated, it loads again and,
    // when it is the active window, activates. True when it reloaded.
    bool shownAgain();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void firstShow();
    void activate();
    void rememberKey();
    bool isActive() const;
    void followMdiArea();
    void passToWindow(QEvent *event);

    QWidget &m_window;
    Code m_code;
    DefaultButton *m_default;
    QVariantList m_key;
    QPointer<QMdiSubWindow> m_followedFrame;
    bool m_loaded = false;
    bool m_inWindowEvent = false;
};

} // namespace ui
