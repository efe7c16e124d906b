#pragma once

#include <QColor>
#include <QMouseEvent>
#include <QString>
#include <QWidget>

// Skin pictures drawn by the tests into their own temporary folder, with
// sizes and colours the tests know.
namespace skintest {

// Caption ends 40 x 30 (left) and 90 x 30 (right), middle 100 x 30; buttons
// close 20 x 18, restore and maximize 22 x 18, minimize 19 x 18; borders a
// strip of five 10 x 10 tiles, each of its own colour (see borderColour).
void writeFrameSkin(const QString &folder);
QColor borderColour(int tile);  // 0 left, 1 bottom-left, 2 bottom, 3 right, 4 bottom-right

// The button strip: every piece of every look filled with its own colour
// (pieceColour); the right ends have one magenta (transparent) corner pixel.
void writeButtonStrip(const QString &folder);
enum Piece { LeftEnd, Middle, RightEnd };
QColor pieceColour(int look, Piece piece);

// Toolbar pictures of `size` for the ten commands, in three looks.
void writeToolbarPictures(const QString &folder, int size = 24);

// A mouse event with the given buttons held, as the platform sends it.
void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons);

} // namespace skintest
