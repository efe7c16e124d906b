#include "Barcode.h"

#include "ReportProperties.h"
#include "StandardFont.h"
#include "db/DbError.h"

#include <memory>
#include <zint.h>

namespace report {

namespace {

// zint's vector units: two to a module.
constexpr double kUnitsPerModule = 2;
constexpr double kWidestModule = 0.5;   // mm
// Code 128 carries no quiet zone of its own: ten modules on each side.
constexpr int kCode128QuietZone = 10;

using Symbol = std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)>;

bool allDigits(const QString &code)
{
    for (const QChar c : code)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Encodes `code` as `symbology` with bars `height` modules tall (0: zint's
// own); null when zint refuses it (for an EAN, a wrong check digit).
Symbol encode(const QByteArray &code, int symbology, double height, QString *why = nullptr)
{
    Symbol symbol(ZBarcode_Create(), &ZBarcode_Delete);
    symbol->symbology = symbology;
    if (height > 0)
        symbol->height = float(height);
    if (symbology == BARCODE_CODE128)
        symbol->whitespace_width = kCode128QuietZone;
    // UTF-8 in, Latin-1 in the bars: a character beyond it is refused, not
    // drawn as two wrong ones.
    symbol->input_mode = UNICODE_MODE;
    const int rc = ZBarcode_Encode_and_Buffer_Vector(symbol.get(), reinterpret_cast<const unsigned char *>(code.constData()),
                                                     int(code.size()), 0);
    if (rc >= ZINT_ERROR) {
        if (why)
            *why = QString::fromLatin1(symbol->errtxt);
        return Symbol(nullptr, &ZBarcode_Delete);
    }
    return symbol;
}

int zintSymbology(Barcode::Symbology symbology)
{
    return symbology == Barcode::Symbology::Code128 ? BARCODE_CODE128 : BARCODE_EANX_CHK;
}

} // namespace

Barcode::Symbology Barcode::symbologyOf(const QString &code)
{
    if ((code.size() == 13 || code.size() == 8) && allDigits(code) && encode(code.toLatin1(), BARCODE_EANX_CHK, 0))
        return code.size() == 13 ? Symbology::Ean13 : Symbology::Ean8;
    return Symbology::Code128;
}

std::vector<PageItem> Barcode::draw(const QString &code, const QRectF &box)
{
    const int symbology = zintSymbology(symbologyOf(code));
    const QByteArray bytes = code.toUtf8();
    QString why;
    Symbol first = encode(bytes, symbology, 0, &why);
    if (!first || code.isEmpty())
        throw db::DbError(db::ErrorKind::General, err::PrintFailed,
                          QStringLiteral("Impossibile disegnare il codice a barre \"%1\": codice vuoto, troppo lungo "
                                         "o con caratteri non ammessi.").arg(code));
    // The width decides the scale; the bars then take the height left by the text.
    const zint_vector &shape = *first->vector;
    const double scale = qMin(box.width() / shape.width, kWidestModule / kUnitsPerModule);
    const double aroundBars = shape.height - first->height * kUnitsPerModule;
    const double barsHeight = (box.height() / scale - aroundBars) / kUnitsPerModule;
    Symbol fitted = barsHeight > 1 ? encode(bytes, symbology, barsHeight) : std::move(first);
    const zint_vector &vector = *fitted->vector;
    const QPointF origin(box.left() + (box.width() - vector.width * scale) / 2, box.top());

    std::vector<PageItem> items;
    for (const zint_vector_rect *bar = vector.rectangles; bar; bar = bar->next) {
        PageItem item;
        item.kind = PageItem::Kind::Rect;
        item.rect = QRectF(origin.x() + bar->x * scale, origin.y() + bar->y * scale, bar->width * scale,
                           bar->height * scale);
        item.fill = Qt::black;
        item.border = false;
        items.push_back(item);
    }
    for (const zint_vector_string *text = vector.strings; text; text = text->next) {
        PageItem item;
        item.kind = PageItem::Kind::Text;
        item.text = QString::fromUtf8(reinterpret_cast<const char *>(text->text), text->length);
        const double size = text->fsize * scale;          // mm
        const double width = (text->width > 0 ? text->width : text->fsize * text->length) * scale;
        const double x = origin.x() + text->x * scale;
        // Wider than zint's box by a font size on each side, so that the
        // padding of a text never cuts a digit; the baseline where zint puts it.
        QRectF rect(x - width / 2 - size, origin.y() + text->y * scale - size, width + 2 * size,
                    size * (1 + StandardFont::kDescent));
        item.align = Qt::AlignHCenter | Qt::AlignBottom;
        if (text->halign == 1) {
            rect.moveLeft(x - PageItem::kTextPadding);
            item.align = Qt::AlignLeft | Qt::AlignBottom;
        } else if (text->halign == 2) {
            rect.moveRight(x + PageItem::kTextPadding);
            item.align = Qt::AlignRight | Qt::AlignBottom;
        }
        item.rect = rect;
        item.pointSize = size * 72.0 / 25.4;
        item.family = kFamily;
        items.push_back(item);
    }
    return items;
}

} // namespace report
