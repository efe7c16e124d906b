#include "SkinTestFiles.h"

#include "skin/CardToolbarImages.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace skintest {

namespace {
void solid(const QString &path, QSize size, QColor colour, const char *format = "BMP")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
}
} // namespace

QColor borderColour(int tile)
{
    static const QColor colours[] = {QColor(10, 20, 30), QColor(40, 50, 60), QColor(70, 80, 90),
                                     QColor(100, 110, 120), QColor(130, 140, 150)};
    return colours[tile];
}

void writeFrameSkin(const QString &folder)
{
    solid(folder + "/img_Caption_Left.bmp", {40, 30}, QColor(30, 40, 90));
    solid(folder + "/img_Caption_Center.bmp", {100, 30}, QColor(30, 40, 100));
    solid(folder + "/img_Caption_Right.bmp", {90, 30}, QColor(30, 40, 110));
    // Not GIF inside: the loader goes by content, not by name.
    solid(folder + "/img_Button_Close.gif", {20, 18}, QColor(200, 50, 50), "PNG");
    solid(folder + "/img_Button_Restore.gif", {22, 18}, QColor(50, 200, 50), "PNG");
    solid(folder + "/img_Button_Maximize.gif", {22, 18}, QColor(50, 50, 200), "PNG");
    solid(folder + "/img_Button_Minimize.gif", {19, 18}, QColor(200, 200, 50), "PNG");
    QImage borders(50, 10, QImage::Format_RGB32);
    for (int tile = 0; tile < 5; ++tile)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                borders.setPixelColor(tile * 10 + x, y, borderColour(tile));
    borders.save(folder + "/img_Borders.bmp", "BMP");
}

QColor pieceColour(int look, Piece piece)
{
    return QColor(40 + look * 80, 60 + piece * 60, 200 - look * 40 - piece * 30);
}

void writeButtonStrip(const QString &folder)
{
    QImage strip(220, 24, QImage::Format_RGB32);
    strip.fill(Qt::black);
    const int pieces[3][3] = {{0, 15, 55}, {72, 83, 128}, {144, 159, 202}};
    const int widths[3] = {15, 15, 16};
    for (int look = 0; look < 3; ++look)
        for (int piece = 0; piece < 3; ++piece)
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < widths[piece]; ++x)
                    strip.setPixelColor(pieces[look][piece] + x, y, pieceColour(look, Piece(piece)));
    for (int look = 0; look < 3; ++look)
        strip.setPixelColor(pieces[look][2] + 15, 0, QColor(255, 0, 255));
    strip.save(folder + "/img_Buttons.bmp", "BMP");
}

void writeToolbarPictures(const QString &folder, int size)
{
    const char *looks[] = {"norm", "hover", "down"};
    for (int i = 1; i <= 10; ++i)
        for (int look = 0; look < 3; ++look) {
            QImage image(size, size, QImage::Format_ARGB32);
            image.fill(QColor(i * 20, look * 100, 50));
            image.save(folder + "/" + skin::toolbarPictureName(i, QString::fromLatin1(looks[look])), "PNG");
        }
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace skintest
