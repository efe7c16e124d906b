#include "ui/WindowLife.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QWidget>

namespace ui {

namespace {

const QString kObjectName = QStringLiteral("WindowLife");

QMdiSubWindow *frameOf(const QWidget &window)
{
    return qobject_cast<QMdiSubWindow *>(window.parentWidget());
}

} // namespace

WindowLife::WindowLife(QWidget &window, Code code)
    : QObject(&window)
    , m_window(window)
    , m_code(std::move(code))
    , m_default(&DefaultButton::of(window))
{
    setObjectName(kObjectName);
    window.installEventFilter(this);
}

WindowLife::~WindowLife() = default;

WindowLife *WindowLife::of(const QWidget &window)
{
    return window.findChild<WindowLife *>(kObjectName, Qt::FindDirectChildrenOnly);
}

void WindowLife::run(const QString &label, const Handler &handler) const
{
    if (!handler)
        return;
    if (m_code.runner)
        m_code.runner(label, handler);
    else
        handler();
}

void WindowLife::rememberKey()
{
    if (m_code.recordKey)
        m_key = m_code.recordKey();
}

bool WindowLife::isActive() const
{
    if (QMdiSubWindow *frame = frameOf(m_window)) {
        QMdiArea *area = frame->mdiArea();
        return area && area->activeSubWindow() == frame;
    }
    return m_window.isActiveWindow();
}

void WindowLife::firstShow()
{
    m_loaded = true;
    run(m_code.loadLabel, m_code.load);
    rememberKey();
    followMdiArea();
    if (isActive())
        activate();
}

void WindowLife::activate()
{
    run(m_code.activateLabel, m_code.activate);
    rememberKey();
}

// An MDI child is activated by its area, not by the system.
void WindowLife::followMdiArea()
{
    QMdiSubWindow *frame = frameOf(m_window);
    if (!frame || frame == m_followedFrame || !frame->mdiArea())
        return;
    m_followedFrame = frame;
    connect(frame->mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *active) {
        if (active && active == m_followedFrame && m_loaded)
            activate();
    });
}

bool WindowLife::shownAgain()
{
    if (!m_loaded || !m_code.recordKey || m_code.recordKey() == m_key)
        return false;
    if (m_code.mayReload && !m_code.mayReload())
        return false;
    run(m_code.loadLabel, m_code.load);
    rememberKey();
    if (isActive())
        activate();
    return true;
}

void WindowLife::passToWindow(QEvent *event)
{
    const QScopedValueRollback<bool> passing(m_inWindowEvent, true);
    QCoreApplication::sendEvent(&m_window, event);
}

bool WindowLife::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || m_inWindowEvent)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!m_loaded) {
            // The window's own show handling first, then its load code.
            passToWindow(event);
            firstShow();
            return true;
        }
        followMdiArea();
        return false;
    case QEvent::WindowActivate:
        if (m_loaded && !frameOf(m_window))
            activate();
        return false;
    case QEvent::Close: {
        // The window's close code may refuse; only a close that stands unloads.
        if (m_loaded && m_code.mayClose && !m_code.mayClose()) {
            event->ignore();
            return true;
        }
        passToWindow(event);
        if (event->isAccepted())
            run(m_code.unloadLabel, m_code.unload);
        return true;
    }
    default:
        return false;
    }
}

} // namespace ui
