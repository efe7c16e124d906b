#pragma once

#include <QColor>

namespace skin {

// Colours are kept as the long values the windows have always used:
// &H00BBGGRR for a plain colour, &H800000nn for a system colour (nn is the
// system colour's index, &H8000000F the face of buttons and windows).
using VbColor = long;

QColor toQColor(VbColor colour);
VbColor fromQColor(const QColor &colour);

} // namespace skin
