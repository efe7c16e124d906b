#pragma once

#include "skin/ImageList.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

// A card's row of command pictures (imgToolbar1(1..N)), each with a normal,
// a pointer-over and a pressed look taken from three image lists of the same
// order. One picture at a time is highlighted; the highlight goes when the
// pointer crosses the row's own background (the frame around the pictures)
// or one of the watched areas, normally the window itself. The row takes
// the focus with Tab: Left and Right move along it, Space or Enter presses
// the picture with the focus frame.
class ImageToolbar : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Down };

    explicit ImageToolbar(QWidget *parent = nullptr);

    void setImageLists(const skin::ImageList &normal, const skin::ImageList &hover, const skin::ImageList &down);
    // Builds the row of `count` pictures: picture i starts at
    // (i - 1) * image width * 19 / 15 pixels, its tool tip is its key.
    // Lists shorter than `count` give as many pictures as they hold.
    void populate(int count);
    // Moving the pointer over `area` clears the highlight.
    void watch(QWidget *area);

    int count() const { return int(m_rects.size()); }
    QRect pictureRect(int index) const;
    QString toolTipOf(int index) const;
    // What the tool tips show instead of the keys (the command and its key).
    void setHints(const QStringList &hints) { m_hints = hints; }
    QString hintOf(int index) const;
    // The picture the keyboard stands on while the row has the focus.
    int focusedIndex() const { return m_focusIndex; }
    Look look(int index) const;
    bool isHighlighted() const { return m_highlighted; }
    int highlightedIndex() const { return m_highlightedIndex; }
    // The picture at a point of the row, 0 for the space between pictures.
    int pictureAt(const QPoint &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // A left click on picture `index` (from 1); `key` is its tool tip.
    void pictureClicked(int index, const QString &key);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void pointerOverPicture(int index);
    void clearHighlight();
    void setLook(int index, Look look);

    skin::ImageList m_normal;
    skin::ImageList m_hover;
    skin::ImageList m_down;
    QList<QRect> m_rects;
    QList<Look> m_looks;
    QList<QPointer<QWidget>> m_watched;
    QStringList m_hints;
    int m_focusIndex = 0;
    bool m_highlighted = false;
    int m_highlightedIndex = 0;
    int m_pressedIndex = 0;
};
