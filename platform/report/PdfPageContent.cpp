#include "PdfPageContent.h"

#include "StandardFont.h"

#include <QtMath>
#include <cmath>

namespace report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPadding = PageItem::kTextPadding;

bool opaque(const QColor &color)
{
    return !color.isValid() || color.alpha() == 255;
}

void appendEscaped(QByteArray &out, const QByteArray &codes)
{
    out += '(';
    for (const char c : codes) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    out += ") Tj ET\n";
}

} // namespace

bool PdfPageContent::write(const ReportPage &page, QByteArray &content)
{
    content.clear();
    content.reserve(int(page.items.size()) * 64 + 64);
    PdfPageContent painter(content);
    // Millimetres from the top left corner, as the page is laid out.
    content += QByteArray::number(kPointsPerMm, 'f', 6) + " 0 0 " + QByteArray::number(-kPointsPerMm, 'f', 6)
               + " 0 " + QByteArray::number(page.size.height() * kPointsPerMm, 'f', 3) + " cm 2 J 2 j\n";
    for (const PageItem &item : page.items) {
        if (!opaque(item.color) || !opaque(item.fill))
            return false;
        switch (item.kind) {
        case PageItem::Kind::Text:
            if (!painter.text(item))
                return false;
            break;
        case PageItem::Kind::Line:
            painter.line(item);
            break;
        case PageItem::Kind::Rect:
            painter.rect(item);
            break;
        case PageItem::Kind::Image:
            return false;
        }
    }
    return true;
}

bool PdfPageContent::text(const PageItem &item)
{
    const QRectF &r = item.rect;
    if (item.fill.isValid()) {
        fillColor(item.fill);
        rectangle(r);
        m_out += "f\n";
    }
    if (item.border) {
        strokeColor(item.color);
        penWidth(qMax(0.1, item.penWidth));
        rectangle(r);
        m_out += "S\n";
    }
    if (item.text.isEmpty())
        return true;
    if (!StandardFont::drawsFamily(item.family))
        return false;
    // Whole tenths of a millimetre, as on screen and on paper.
    const double size = qMax(1, qRound(item.pointSize * 25.4 / 72.0 * 10)) / 10.0;
    font(1 + (item.bold ? 1 : 0) + (item.italic ? 2 : 0), size);
    m_bold = item.bold;
    m_align = item.align;
    fillColor(item.color);
    const QRectF inner = r.adjusted(kPadding, 0, -kPadding, 0);
    const double ascent = StandardFont::kAscent * size;
    const double height = (StandardFont::kAscent + StandardFont::kDescent) * size;
    if (!item.wrap) {
        double baseline;
        if (item.align & Qt::AlignTop)
            baseline = inner.top() + ascent;
        else if (item.align & Qt::AlignBottom)
            baseline = inner.bottom() - StandardFont::kDescent * size;
        else
            baseline = inner.top() + (inner.height() - height) / 2 + ascent;
        return showLine(item.text, inner, baseline, true);
    }
    // Word wrap: as many words on a line as fit; a word longer than the
    // line stands alone on it.
    QList<QStringView> lines;
    const double space = StandardFont::width(' ', item.bold) * size;
    QByteArray codes;
    for (QStringView paragraph : QStringView(item.text).split(u'\n')) {
        qsizetype start = 0;
        double used = 0;
        qsizetype lineStart = 0;
        while (start <= paragraph.size()) {
            qsizetype end = paragraph.indexOf(u' ', start);
            if (end < 0)
                end = paragraph.size();
            if (!StandardFont::encode(paragraph.mid(start, end - start), codes))
                return false;
            const double word = StandardFont::width(codes, item.bold) * size;
            if (start > lineStart && used + space + word > inner.width()) {
                lines.append(paragraph.mid(lineStart, start - 1 - lineStart));
                lineStart = start;
                used = word;
            } else {
                used += (start > lineStart ? space : 0) + word;
            }
            start = end + 1;
        }
        lines.append(paragraph.mid(lineStart));
    }
    double top = inner.top();
    if (item.align & Qt::AlignBottom)
        top = inner.bottom() - lines.size() * height;
    else if (item.align & Qt::AlignVCenter)
        top = inner.top() + (inner.height() - lines.size() * height) / 2;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!showLine(lines[i], inner, top + double(i) * height + ascent, false))
            return false;
    }
    return true;
}

bool PdfPageContent::showLine(QStringView text, const QRectF &inner, double baseline, bool elide)
{
    QByteArray codes;
    if (!StandardFont::encode(text, codes))
        return false;
    double width = StandardFont::width(codes, m_bold) * m_fontSize;
    if (elide && width > inner.width()) {
        const double ellipsis = StandardFont::width(0x85, m_bold) * m_fontSize;
        qsizetype keep = codes.size();
        while (keep > 0 && (width + ellipsis > inner.width() || codes[keep - 1] == ' '))
            width -= StandardFont::width(static_cast<unsigned char>(codes[--keep]), m_bold) * m_fontSize;
        codes.truncate(keep);
        codes += '\x85';
        width += ellipsis;
    }
    double x = inner.left();
    if (m_align & Qt::AlignRight)
        x = inner.right() - width;
    else if (m_align & Qt::AlignHCenter)
        x = inner.left() + (inner.width() - width) / 2;
    // The page is drawn upside down (y grows downwards): the text matrix
    // turns the letters the right way up.
    m_out += "BT 1 0 0 -1 ";
    number(x);
    number(baseline);
    m_out += "Tm ";
    appendEscaped(m_out, codes);
    return true;
}

void PdfPageContent::line(const PageItem &item)
{
    strokeColor(item.color);
    penWidth(qMax(0.1, item.penWidth));
    number(item.line.x1());
    number(item.line.y1());
    m_out += "m ";
    number(item.line.x2());
    number(item.line.y2());
    m_out += "l S\n";
}

void PdfPageContent::rect(const PageItem &item)
{
    const bool fill = item.fill.isValid();
    if (!fill && !item.border)
        return;
    if (fill)
        fillColor(item.fill);
    if (item.border) {
        strokeColor(item.color);
        penWidth(qMax(0.1, item.penWidth));
    }
    rectangle(item.rect);
    m_out += fill && item.border ? "B\n" : fill ? "f\n" : "S\n";
}

void PdfPageContent::rectangle(const QRectF &r)
{
    number(r.x());
    number(r.y());
    number(r.width());
    number(r.height());
    m_out += "re ";
}

// Hundredths of a millimetre, trailing zeros dropped, then a blank.
void PdfPageContent::number(double value)
{
    long long hundredths = std::llround(value * 100);
    char text[32];
    char *end = text + sizeof text;
    char *p = end;
    *--p = ' ';
    const bool negative = hundredths < 0;
    if (negative)
        hundredths = -hundredths;
    const int fraction = int(hundredths % 100);
    if (fraction != 0) {
        if (fraction % 10 != 0)
            *--p = char('0' + fraction % 10);
        *--p = char('0' + fraction / 10);
        *--p = '.';
    }
    long long whole = hundredths / 100;
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative)
        *--p = '-';
    m_out.append(p, end - p);
}

void PdfPageContent::fillColor(const QColor &color)
{
    if (color.rgb() == m_fill)
        return;
    m_fill = color.rgb();
    rgb(m_fill);
    m_out += "rg\n";
}

void PdfPageContent::strokeColor(const QColor &color)
{
    if (color.rgb() == m_stroke)
        return;
    m_stroke = color.rgb();
    rgb(m_stroke);
    m_out += "RG\n";
}

// The three components from 0 to 1, in hundredths: finer than any eye.
void PdfPageContent::rgb(QRgb color)
{
    number(qRed(color) / 255.0);
    number(qGreen(color) / 255.0);
    number(qBlue(color) / 255.0);
}

void PdfPageContent::penWidth(double width)
{
    if (width == m_penWidth)
        return;
    m_penWidth = width;
    number(width);
    m_out += "w\n";
}

void PdfPageContent::font(int resource, double size)
{
    if (resource == m_font && size == m_fontSize)
        return;
    m_font = resource;
    m_fontSize = size;
    m_out += "/F" + QByteArray::number(resource) + ' ';
    number(size);
    m_out += "Tf\n";
}

} // namespace report
