#include "base/errors/TarvoApplication.h"

#include "base/errors/TopLevelReporter.h"

#include <QWidget>

namespace errors {

TarvoApplication::TarvoApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TarvoApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        TopLevelReporter::report(std::current_exception(), labelFor(receiver));
        return false;
    }
}

QString TarvoApplication::labelFor(const QObject *receiver)
{
    QString control;
    for (const QObject *object = receiver; object && control.isEmpty(); object = object->parent())
        control = object->objectName();
    QString window;
    if (const auto *widget = qobject_cast<const QWidget *>(receiver))
        window = widget->window()->objectName();

    if (!window.isEmpty() && !control.isEmpty() && window != control)
        return window + QLatin1Char('.') + control;
    if (!control.isEmpty())
        return control;
    if (!window.isEmpty())
        return window;
    return QStringLiteral("quirnel");
}

} // namespace errors
