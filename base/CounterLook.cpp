#include "base/CounterLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <cmath>

namespace {

void drawBox(QPainter &p, const QRectF &r)
{
    // A carton seen from the front: body and a lid line.
    p.setPen(QPen(QColor(0x6b, 0x4a, 0x22), r.width() * 0.06));
    p.setBrush(QColor(0xd9, 0xa8, 0x62));
    p.drawRoundedRect(r, r.width() * 0.06, r.width() * 0.06);
    p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.3), QPointF(r.right(), r.top() + r.height() * 0.3));
}

void drawArrow(QPainter &p, const QPointF &from, const QPointF &to, const QColor &colour, qreal width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF normal(-direction.y(), direction.x());
    const qreal head = width * 1.6;
    QPainterPath path;
    path.moveTo(to + direction * head * 0.4);
    path.lineTo(to - direction * head + normal * head);
    path.lineTo(to - direction * head - normal * head);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

void drawMagnifier(QPainter &p, qreal s, bool withLines)
{
    if (withLines) {
        p.setPen(QPen(QColor(0x44, 0x55, 0x77), s * 0.06, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(s * 0.08, s * (0.2 + i * 0.14)), QPointF(s * 0.36, s * (0.2 + i * 0.14)));
    }
    p.setPen(QPen(QColor(0x30, 0x30, 0x38), s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.62, s * 0.62), QPointF(s * 0.88, s * 0.88));
    p.setPen(QPen(QColor(0x2c, 0x4f, 0x86), s * 0.07));
    p.setBrush(QColor(0xcf, 0xe4, 0xfa));
    p.drawEllipse(QPointF(s * 0.46, s * 0.44), s * 0.22, s * 0.22);
}

} // namespace

QColor CounterLook::faceColor()
{
    return QColor(0xEE, 0xF1, 0xF4);
}

QColor CounterLook::readOnlyColor()
{
    return QColor(0xE3, 0xE3, 0xE3);
}

QLineEdit *CounterLook::box(QWidget *parent, const char *name, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit *CounterLook::readOnlyBox(QWidget *parent, const char *name, int maxLength)
{
    QLineEdit *edit = box(parent, name, maxLength);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, readOnlyColor());
    edit->setPalette(palette);
    return edit;
}

void CounterLook::enlarge(QLineEdit *box, qreal factor)
{
    QFont font = box->font();
    font.setPointSizeF(font.pointSizeF() * factor);
    box->setFont(font);
}

QLabel *CounterLook::label(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    QFont font = caption->font();
    font.setPointSizeF(font.pointSizeF() * 0.92);
    caption->setFont(font);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, QColor(0x2a, 0x3a, 0x55));
    caption->setPalette(palette);
    return caption;
}

QPushButton *CounterLook::pictureButton(QWidget *parent, const char *name, Picture picture,
                                        const QString &toolTip, int side)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    button->setFixedSize(side, side);
    const int iconSide = side - 12;
    button->setIcon(icon(picture, iconSide));
    button->setIconSize(QSize(iconSide, iconSide));
    return button;
}

QIcon CounterLook::icon(Picture picture, int side)
{
    QPixmap pixmap(side * 2, side * 2);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    switch (picture) {
    case Picture::Load:
        drawBox(p, QRectF(s * 0.12, s * 0.42, s * 0.76, s * 0.5));
        drawArrow(p, QPointF(s * 0.5, s * 0.04), QPointF(s * 0.5, s * 0.5), QColor(0x1e, 0x8a, 0x3c), s * 0.12);
        break;
    case Picture::Unload:
        drawBox(p, QRectF(s * 0.12, s * 0.42, s * 0.76, s * 0.5));
        drawArrow(p, QPointF(s * 0.5, s * 0.6), QPointF(s * 0.5, s * 0.14), QColor(0xc0, 0x55, 0x10), s * 0.12);
        break;
    case Picture::Save: {
        p.setPen(QPen(QColor(0x1d, 0x35, 0x5e), s * 0.05));
        p.setBrush(QColor(0x3b, 0x67, 0xb0));
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8), s * 0.06, s * 0.06);
        p.setBrush(QColor(0xf4, 0xf6, 0xfa));
        p.drawRect(QRectF(s * 0.24, s * 0.1, s * 0.52, s * 0.3));
        p.setBrush(QColor(0x1d, 0x35, 0x5e));
        p.drawRect(QRectF(s * 0.56, s * 0.14, s * 0.1, s * 0.2));
        p.setBrush(QColor(0xdd, 0xe4, 0xf0));
        p.drawRect(QRectF(s * 0.22, s * 0.54, s * 0.56, s * 0.3));
        break;
    }
    case Picture::Delete: {
        p.setPen(QPen(QColor(0x7a, 0x14, 0x14), s * 0.05));
        p.setBrush(QColor(0xd2, 0x3c, 0x3c));
        QPainterPath bin;
        bin.moveTo(s * 0.22, s * 0.3);
        bin.lineTo(s * 0.78, s * 0.3);
        bin.lineTo(s * 0.72, s * 0.92);
        bin.lineTo(s * 0.28, s * 0.92);
        bin.closeSubpath();
        p.drawPath(bin);
        p.drawRoundedRect(QRectF(s * 0.14, s * 0.16, s * 0.72, s * 0.1), s * 0.03, s * 0.03);
        p.drawRect(QRectF(s * 0.4, s * 0.07, s * 0.2, s * 0.09));
        p.setPen(QPen(QColor(0xf7, 0xd4, 0xd4), s * 0.05, Qt::SolidLine, Qt::RoundCap));
        for (qreal x : {0.38, 0.5, 0.62})
            p.drawLine(QPointF(s * x, s * 0.4), QPointF(s * x, s * 0.82));
        break;
    }
    case Picture::Search:
        drawMagnifier(p, s, false);
        p.setPen(QColor(0x2c, 0x4f, 0x86));
        {
            QFont font;
            font.setPixelSize(int(s * 0.2));
            font.setBold(true);
            p.setFont(font);
            p.drawText(QRectF(s * 0.24, s * 0.22, s * 0.44, s * 0.44), Qt::AlignCenter, QStringLiteral("123"));
        }
        break;
    case Picture::SearchText:
        drawMagnifier(p, s, true);
        break;
    case Picture::Payment: {
        p.setPen(QPen(QColor(0x1f, 0x5a, 0x3a), s * 0.05));
        p.setBrush(QColor(0x5c, 0xb8, 0x7a));
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.22, s * 0.84, s * 0.56), s * 0.08, s * 0.08);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x3a, 0x2a));
        p.drawRect(QRectF(s * 0.08, s * 0.32, s * 0.84, s * 0.1));
        p.setBrush(QColor(0xf2, 0xd4, 0x6b));
        p.drawRoundedRect(QRectF(s * 0.18, s * 0.52, s * 0.18, s * 0.14), s * 0.03, s * 0.03);
        break;
    }
    }
    p.end();
    return QIcon(pixmap);
}
