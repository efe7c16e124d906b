#pragma once

#include "skin/FrameGeometry.h"
#include "skin/FramePainter.h"
#include "skin/PropertyBag.h"
#include "skin/VbColor.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QMdiSubWindow;

// The skinned frame of a window: caption bar, borders and caption buttons
// painted from the skin folder's pictures. It replaces the window's own
// frame: it moves the window by its caption, resizes it by its borders, and
// minimizes, maximizes, restores and closes it with its buttons.
//
// Put one on each window (named ctrl_SkinableForm1) and call LoadSkin(this)
// from the window's set-up. The window's layout keeps clear of the frame
// through the window's contents margins, which LoadSkin sets.
class ctrl_SkinableButton;

class ctrl_SkinableForm : public QWidget {
    Q_OBJECT
public:
    // The values a window designed with the frame starts with.
    static constexpr skin::VbColor kPanelColor = 0xF4F1EE;   // light grey-blue window face
    static constexpr skin::VbColor kCaptionWhite = 0xFFFFFF;

    explicit ctrl_SkinableForm(QWidget *parent = nullptr);

    bool MaximizeBtn() const { return m_maximizeBtn; }
    void setMaximizeBtn(bool value);
    bool MinimizeBtn() const { return m_minimizeBtn; }
    void setMinimizeBtn(bool value);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);
    QString SkinPath() const { return m_skinPath; }
    void setSkinPath(const QString &value);
    skin::VbColor BackColor() const { return m_backColor; }
    void setBackColor(skin::VbColor value);
    skin::VbColor ForeColor() const { return m_foreColor; }
    void setForeColor(skin::VbColor value);
    short CaptionTop() const { return m_captionTop; }
    void setCaptionTop(short value);
    skin::VbColor CaptionColor() const { return m_captionColor; }
    void setCaptionColor(skin::VbColor value);

    // Takes the window over: sizes the frame to it, sets its background and
    // title, loads the eight skin pictures and lays the frame out. Throws
    // skin::SkinError when a picture is missing, changing nothing.
    void LoadSkin(QWidget *window);
    // The same, then the window's skinned buttons take the frame's skin.
    void LoadSkin(QWidget *window, const QList<ctrl_SkinableButton *> &buttons);

    // Design-time values: a new control, a saved set, and saving them.
    void InitProperties();
    void ReadProperties(const skin::PropertyBag &bag);
    void WriteProperties(skin::PropertyBag &bag) const;
    bool propertiesChanged() const { return m_propertiesChanged; }

    // What is on screen, for the windows and for tests.
    QWidget *skinnedWindow() const { return m_window; }
    const skin::FrameGeometry &frameGeometry() const { return m_geometry; }
    QColor captionTextColor() const { return m_labelColor; }
    bool isMaximizeButtonVisible() const { return m_geometry.maximizeVisible; }
    bool isRestoreButtonVisible() const { return m_geometry.restoreVisible; }
    bool isMinimizeButtonVisible() const { return m_geometry.minimizeVisible; }

Q_SIGNALS:
    // Mouse events on the frame; coordinates in the frame's pixels.
    void Click();
    void MouseDown(short button, short shift, float x, float y);
    void MouseMove(short button, short shift, float x, float y);
    void MouseUp(short button, short shift, float x, float y);
    // A property was set; "Maximize" and "Minimize" name the two buttons.
    void propertyChanged(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private Q_SLOTS:
    void hostStateChanged();

private:
    QWidget *frameHost() const;
    QMdiSubWindow *subWindow() const;
    bool hostMaximized() const;
    bool hostActive() const;
    void markChanged(const QString &name);
    void applyLayout();
    void applyHostFlags();
    void applyHostMask();
    void updateCursor(skin::FramePart part);
    void runButton(skin::FramePart part);
    void dragTo(const QPoint &globalPos);

    bool m_maximizeBtn = true;
    bool m_minimizeBtn = true;
    QString m_caption;
    QString m_skinPath;
    skin::VbColor m_backColor = 0;
    skin::VbColor m_foreColor = 0;
    short m_captionTop = 0;
    skin::VbColor m_captionColor = 0;
    bool m_propertiesChanged = false;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_watchedHost;
    skin::FrameImages m_images;
    skin::FrameGeometry m_geometry;
    QColor m_labelColor;
    bool m_layingOut = false;

    skin::FramePart m_hovered = skin::FramePart::None;
    skin::FramePart m_pressed = skin::FramePart::None;
    QPoint m_pressGlobal;
    QRect m_pressHostGeometry;
};
