#include "skin/CardToolbarStrip.h"

#include "skin/ImageToolbar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>

namespace skin {

CardToolbarStrip CardToolbarStrip::build(QWidget &window, const QString &counterName, int counterWidth)
{
    CardToolbarStrip strip;
    strip.frame = new QFrame(&window);
    strip.frame->setObjectName(QStringLiteral("Frame10"));
    strip.frame->setFrameShape(QFrame::StyledPanel);
    strip.frame->setAutoFillBackground(true);
    strip.pictures = new ImageToolbar(strip.frame);
    strip.pictures->setObjectName(QStringLiteral("imgToolbar1"));

    strip.counter = new QLineEdit(strip.frame);
    strip.counter->setObjectName(counterName);
    strip.counter->setReadOnly(true);
    strip.counter->setFocusPolicy(Qt::NoFocus);
    strip.counter->setAlignment(Qt::AlignCenter);
    strip.counter->setFrame(false);
    strip.counter->setFixedWidth(counterWidth);
    QFont bold = strip.counter->font();
    bold.setBold(true);
    strip.counter->setFont(bold);

    auto *row = new QHBoxLayout(strip.frame);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(strip.pictures);
    row->addStretch();
    row->addWidget(strip.counter);
    return strip;
}

void CardToolbarStrip::populate(ToolbarCard card, const QString &skinPath, int count, QWidget &window) const
{
    const ToolbarImageLists lists = loadToolbarImages(card, skinPath);
    pictures->setImageLists(lists.norm, lists.hover, lists.down);
    pictures->populate(count);
    pictures->watch(&window);
    pictures->watch(frame);
}

void CardToolbarStrip::paintGrey() const
{
    const QColor grey(0xCE, 0xCE, 0xCE);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, grey);
    palette.setColor(QPalette::Base, grey);
    frame->setPalette(palette);
}

} // namespace skin
