#include "skin/DefaultButtonFilter.h"

#include "skin/ctrl_SkinableButton.h"

#include <QKeyEvent>
#include <QMdiSubWindow>

DefaultButtonFilter::DefaultButtonFilter(QWidget *scope)
    : QObject(scope)
{
    setObjectName(QStringLiteral("DefaultButtonFilter"));
    scope->installEventFilter(this);
}

QWidget *DefaultButtonFilter::scopeOf(QWidget *widget)
{
    QWidget *scope = widget;
    while (scope && !scope->isWindow() && scope->parentWidget()
           && !qobject_cast<QMdiSubWindow *>(scope->parentWidget()))
        scope = scope->parentWidget();
    return scope;
}

DefaultButtonFilter *DefaultButtonFilter::forButton(ctrl_SkinableButton *button)
{
    QWidget *scope = scopeOf(button);
    if (!scope)
        return nullptr;
    auto *filter = scope->findChild<DefaultButtonFilter *>(QStringLiteral("DefaultButtonFilter"),
                                                           Qt::FindDirectChildrenOnly);
    return filter ? filter : new DefaultButtonFilter(scope);
}

void DefaultButtonFilter::setDefaultButton(ctrl_SkinableButton *button)
{
    ctrl_SkinableButton *previous = m_button;
    m_button = button;
    if (previous && previous != button)
        previous->update();
    if (button)
        button->update();
}

bool DefaultButtonFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !m_button)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || mods != Qt::NoModifier)
        return false;
    if (!m_button->isEnabled() || !m_button->isVisible())
        return false;
    m_button->click();
    return true;
}
