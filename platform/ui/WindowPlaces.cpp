#include "ui/WindowPlaces.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRect>
#include <QSettings>
#include <memory>

namespace ui {

namespace {

std::unique_ptr<QSettings> &settings()
{
    static std::unique_ptr<QSettings> places;
    return places;
}

QString keyOf(const QString &name)
{
    return QStringLiteral("finestre/") + name;
}

// Writes the frame's place whenever the user moves or sizes it.
class PlaceWatch : public QObject {
public:
    PlaceWatch(QMdiSubWindow &frame, QString name) : QObject(&frame), m_frame(frame), m_name(std::move(name))
    {
        frame.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_frame && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            && settings() && m_frame.isVisible() && !m_frame.isMaximized() && !m_frame.isMinimized())
            settings()->setValue(keyOf(m_name), m_frame.geometry());
        return false;
    }

private:
    QMdiSubWindow &m_frame;
    const QString m_name;
};

} // namespace

void WindowPlaces::setFile(const QString &iniFile)
{
    if (iniFile.isEmpty())
        settings().reset();
    else
        settings() = std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
}

QString WindowPlaces::file()
{
    return settings() ? settings()->fileName() : QString();
}

void WindowPlaces::follow(QMdiSubWindow &frame, const QString &name)
{
    if (!settings() || name.isEmpty())
        return;
    const QRect stored = settings()->value(keyOf(name)).toRect();
    QMdiArea *area = frame.mdiArea();
    // A place out of sight (a smaller screen since) is not used; a title bar
    // in the area is enough to reach the window again.
    if (stored.isValid() && area) {
        const QRect inside(QPoint(0, 0), area->viewport()->size());
        const QRect titleBar(stored.topLeft(), QSize(stored.width(), 24));
        if (inside.contains(titleBar.topLeft()) && inside.intersects(titleBar))
            frame.setGeometry(stored);
    }
    new PlaceWatch(frame, name);
}

} // namespace ui
