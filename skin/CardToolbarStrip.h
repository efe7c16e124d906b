#pragma once

#include "skin/CardToolbarImages.h"

#include <QString>

class ImageToolbar;
class QFrame;
class QLineEdit;
class QWidget;

namespace skin {

// The strip at the top of the three cards (Frame10): the picture row
// (imgToolbar1) at the left, the record counter at the right in bold.
struct CardToolbarStrip {
    QFrame *frame = nullptr;
    ImageToolbar *pictures = nullptr;
    QLineEdit *counter = nullptr;

    // Builds the strip in `window`; the counter gets `counterName` as its
    // object name (the cards spell it "txtToolbar" or "txtToolBar").
    static CardToolbarStrip build(QWidget &window, const QString &counterName, int counterWidth);
    // PopolaToolBar: `count` pictures of the card from the skin folder, their
    // looks following the pointer over the window and the strip. Throws
    // skin::SkinError when a picture is missing.
    void populate(ToolbarCard card, const QString &skinPath, int count, QWidget &window) const;
    // The strip's background, &H00CECECE.
    void paintGrey() const;
};

} // namespace skin
