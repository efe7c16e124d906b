#pragma once

#include "skin/ButtonLooks.h"
#include "skin/PropertyBag.h"
#include "skin/VbColor.h"

#include <QImage>
#include <QWidget>

// A push button drawn from the skin's button strip in three looks: normal,
// pointer over it and pressed. It takes the keyboard like a push button
// (Space and Enter press it) and can be its window's default button, which
// Enter presses from the window's text boxes.
class ctrl_SkinableButton : public QWidget {
    Q_OBJECT
public:
    static constexpr skin::VbColor kDarkBlue = 0x400000;

    explicit ctrl_SkinableButton(QWidget *parent = nullptr);
    ctrl_SkinableButton(const QString &caption, QWidget *parent = nullptr);

    QString SkinPath() const { return m_skinPath; }
    void setSkinPath(const QString &value);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);
    skin::VbColor ForeColor() const { return m_foreColor; }
    void setForeColor(skin::VbColor value);
    // Enabled is the widget's own enabled state: a disabled button is greyed
    // and ignores the mouse and the keyboard.
    bool Enabled() const { return isEnabled(); }

    // Loads SkinPath + "/img_Buttons.bmp" and draws the normal look; throws
    // skin::SkinError when the strip is missing.
    void LoadSkin();
    // Back to the normal look (the windows call it when the pointer has left).
    void Refresh();

    void InitProperties();
    void ReadProperties(const skin::PropertyBag &bag);
    void WriteProperties(skin::PropertyBag &bag) const;
    bool propertiesChanged() const { return m_propertiesChanged; }

    void setDefault(bool isDefault);
    bool isDefault() const;

    // Presses the button from code or keyboard: raises Click.
    void click();

    skin::ButtonLook look() const { return m_look; }
    bool isSkinLoaded() const { return !m_strip.isNull(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void Click();
    // Coordinates in the button's pixels; button 1 left, 2 right, 4 middle;
    // shift 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(short button, short shift, float x, float y);
    void MouseMove(short button, short shift, float x, float y);
    void MouseUp(short button, short shift, float x, float y);
    void propertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void drawLook(skin::ButtonLook look);
    void markChanged(const QString &name);

    QString m_skinPath;
    QString m_caption;
    skin::VbColor m_foreColor = kDarkBlue;
    bool m_propertiesChanged = false;

    QImage m_strip;
    skin::ButtonLook m_look = skin::ButtonLook::Normal;
    bool m_hoverDrawn = false;   // the pointer-over look is up
    bool m_leftDown = false;     // a left press started on the button
    bool m_spaceDown = false;
    bool m_wantsDefault = false;
};
