#pragma once

#include "ReportPage.h"

#include <QByteArray>

namespace report {

// The drawing operators of one laid-out page for a PDF content stream,
// texts in the reader's own Helvetica (/F1 regular, /F2 bold, /F3 italic,
// /F4 bold italic). Texts are placed as the printed page places them: cut
// with "…" when too long, wrapped at blanks when the item wraps.
class PdfPageContent {
public:
    // False when the page holds what Helvetica cannot show (another family,
    // a character beyond WinAnsi) or an image: such a page needs a PDF with
    // the fonts embedded.
    static bool write(const ReportPage &page, QByteArray &content);

private:
    explicit PdfPageContent(QByteArray &out) : m_out(out) {}
    bool text(const PageItem &item);
    void line(const PageItem &item);
    void rect(const PageItem &item);
    bool showLine(QStringView text, const QRectF &inner, double baseline, bool elide);

    void rectangle(const QRectF &r);
    void number(double value);
    void rgb(QRgb color);
    void fillColor(const QColor &color);
    void strokeColor(const QColor &color);
    void penWidth(double width);
    void font(int resource, double size);

    QByteArray &m_out;
    QRgb m_fill = 0xFF000000;
    QRgb m_stroke = 0xFF000000;
    double m_penWidth = -1;
    int m_font = 0;
    double m_fontSize = 0;
    bool m_bold = false;
    int m_align = 0;
};

} // namespace report
