#pragma once

#include "skin/ImageList.h"

#include <QString>
#include <QStringList>

namespace skin {

// The three cards that carry a picture toolbar.
enum class ToolbarCard { Articolo, Fattura, Anagrafica };

struct ToolbarImageLists {
    ImageList norm;   // ilstNorm: each key is also the picture's tool tip
    ImageList hover;  // ilstHover
    ImageList down;   // ilstDown
};

// The commands in picture order: New, Search, Save, Delete, Print, First,
// Previous, Next, Last, and on the register card a tenth picture (the card's
// emblem, no command). Returns the tool tips of the card.
QStringList toolbarToolTips(ToolbarCard card);

// The picture file of command `index` (from 1) in one look ("norm",
// "hover", "down"), e.g. "tb_salva_hover.png".
QString toolbarPictureName(int index, const QString &look);

// Loads the card's three image lists from the skin folder; throws
// skin::SkinError when a picture is missing.
ToolbarImageLists loadToolbarImages(ToolbarCard card, const QString &skinPath);

} // namespace skin
