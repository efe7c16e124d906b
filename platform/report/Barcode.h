#pragma once

#include "ReportPage.h"

#include <QRectF>
#include <QString>
#include <vector>

namespace report {

// A bar code drawn as vectors (filled bars and the digits under them) into a
// report page, so that the preview, the printer and the PDF all show crisp
// bars. The symbology follows the code itself: EAN-13 for 13 digits with a
// right check digit, EAN-8 for 8, Code 128 for everything else.
class Barcode {
public:
    enum class Symbology { Ean13, Ean8, Code128 };
    // The family of the digits (and of the labels' texts): Helvetica in the PDF.
    static inline const QString kFamily = QStringLiteral("DejaVu Sans");

    static Symbology symbologyOf(const QString &code);
    // The bars and the human-readable text, fitted into `box` (mm): as wide
    // as the box allows up to a module of 0.5 mm, centred, as tall as the
    // box. Throws db::DbError (in Italian) for a code no symbology can draw.
    static std::vector<PageItem> draw(const QString &code, const QRectF &box);
};

} // namespace report
