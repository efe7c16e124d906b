#include "ReportPainter.h"

#include "AsideFile.h"
#include "PdfReportWriter.h"

#include "ReportProgress.h"
#include "ReportProperties.h"
#include "db/DbError.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>

namespace report {

namespace {

[[noreturn]] void failPrint(const QString &text)
{
    throw db::DbError(db::ErrorKind::Io, err::PrintFailed, text);
}

QPageLayout::Orientation orientationOf(const ReportPage &page)
{
    return page.size.width() > page.size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

// A text shaped once per font and painted again from its glyphs: lists repeat
// the same dates, codes and amounts on every page, and shaping is most of
// the cost of a PDF page.
class ReportPainter::ShapeCache {
public:
    struct Shaped {
        QGlyphRun run;
        double width = -1;   // < 0: not shaped here (glyphs missing); paint as text
    };
    void useFont(const QFont &font)
    {
        Font &f = m_byFont[font.key()];
        if (!f.raw.isValid()) {
            f.raw = QRawFont::fromFont(font);
            const QFontMetricsF metrics(font);
            f.ascent = metrics.ascent();
            f.descent = metrics.descent();
            f.height = metrics.height();
        }
        m_current = &f;
    }
    double ascent() const { return m_current->ascent; }
    double descent() const { return m_current->descent; }
    double height() const { return m_current->height; }

    // The text, or as much of it as fits `width` followed by "…".
    const Shaped &fitted(const QString &text, double width)
    {
        // Copies first: shaping another text may move the cached ones.
        const Shaped whole = shape(text);
        if (whole.width < 0 || whole.width <= width)
            return shape(text);
        const double ellipsis = shape(QStringLiteral("\u2026")).width;
        if (ellipsis < 0)
            return m_unshaped;
        // positions[k] is where character k starts, i.e. the width of the first k.
        const QList<QPointF> positions = whole.run.positions();
        qsizetype keep = positions.size() - 1;
        while (keep > 0 && positions[keep].x() + ellipsis > width)
            --keep;
        return shape(text.left(keep) + QStringLiteral("\u2026"));
    }

    // Glyphs of the font's own characters with their kerned advances: the
    // shop's texts need no more than that. Texts with a character the font
    // lacks are left to QPainter (font fallback).
    const Shaped &shape(const QString &text)
    {
        auto it = m_current->texts.find(text);
        if (it != m_current->texts.end())
            return *it;
        Shaped shaped;
        const QRawFont &raw = m_current->raw;
        const QList<quint32> glyphs = raw.isValid() ? raw.glyphIndexesForString(text) : QList<quint32>();
        if (!glyphs.isEmpty() && !glyphs.contains(0u) && glyphs.size() == text.size()) {
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
            QList<QPointF> positions;
            positions.reserve(glyphs.size());
            double x = 0;
            for (const QPointF &a : advances) {
                positions.append(QPointF(x, 0));
                x += a.x();
            }
            shaped.run.setRawFont(raw);
            shaped.run.setGlyphIndexes(glyphs);
            shaped.run.setPositions(positions);
            shaped.width = x;
        }
        if (m_current->texts.size() > 20000)
            m_current->texts.clear();
        return *m_current->texts.insert(text, shaped);
    }

private:
    struct Font {
        QRawFont raw;
        double ascent = 0, descent = 0, height = 0;
        QHash<QString, Shaped> texts;
    };
    QHash<QString, Font> m_byFont;
    Font *m_current = nullptr;
    Shaped m_unshaped;
};

void ReportPainter::paintPage(QPainter &painter, const ReportPage &page, double pxPerMm)
{
    paintPage(painter, page, pxPerMm, nullptr);
}

void ReportPainter::paintPage(QPainter &painter, const ReportPage &page, double pxPerMm, ShapeCache *shapes)
{
    painter.save();
    // Work in tenths of a millimetre so that fonts get whole pixel sizes.
    const double unit = pxPerMm / 10.0;
    painter.scale(unit, unit);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont font;
    bool haveFont = false;
    auto tenth = [](const QRectF &r) { return QRectF(r.x() * 10, r.y() * 10, r.width() * 10, r.height() * 10); };
    for (const PageItem &item : page.items) {
        QPen pen(item.color, qMax(0.1, item.penWidth) * 10);
        switch (item.kind) {
        case PageItem::Kind::Line:
            painter.setPen(pen);
            painter.drawLine(QLineF(item.line.p1() * 10, item.line.p2() * 10));
            break;
        case PageItem::Kind::Rect:
            painter.setPen(item.border ? pen : QPen(Qt::NoPen));
            painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(tenth(item.rect));
            painter.setBrush(Qt::NoBrush);
            break;
        case PageItem::Kind::Image: {
            const QImage image(item.text);
            if (!image.isNull()) {
                const QRectF target = tenth(item.rect);
                const QSizeF fitted = QSizeF(image.size()).scaled(target.size(), Qt::KeepAspectRatio);
                painter.drawImage(QRectF(target.topLeft(), fitted), image);
            }
            break;
        }
        case PageItem::Kind::Text: {
            const QRectF r = tenth(item.rect);
            if (item.fill.isValid())
                painter.fillRect(r, item.fill);
            if (item.border) {
                painter.setPen(QPen(item.color, qMax(0.1, item.penWidth) * 10));
                painter.drawRect(r);
            }
            if (item.text.isEmpty())
                break;
            const int pixels = qMax(1, qRound(item.pointSize * 25.4 / 72.0 * 10));
            if (!haveFont || font.family() != item.family || font.pixelSize() != pixels
                || font.bold() != item.bold || font.italic() != item.italic) {
                font = QFont(item.family);
                font.setPixelSize(pixels);
                font.setBold(item.bold);
                font.setItalic(item.italic);
                painter.setFont(font);
                if (shapes)
                    shapes->useFont(font);
                haveFont = true;
            }
            painter.setPen(item.color);
            const QRectF inner = r.adjusted(8, 0, -8, 0);   // 0.8 mm padding
            if (item.wrap) {
                painter.drawText(inner, int(item.align) | Qt::TextWordWrap, item.text);
            } else {
                // Cut what does not fit rather than clipping: a clip per text
                // makes PDF output several times slower.
                // and place the one line ourselves: drawText() into a rectangle
                // lays the text out again for every item.
                if (shapes) {
                    const ShapeCache::Shaped &shaped = shapes->fitted(item.text, inner.width());
                    if (shaped.width >= 0) {
                        double x = inner.left();
                        if (item.align & Qt::AlignRight)
                            x = inner.right() - shaped.width;
                        else if (item.align & Qt::AlignHCenter)
                            x = inner.left() + (inner.width() - shaped.width) / 2;
                        double baseline;
                        if (item.align & Qt::AlignTop)
                            baseline = inner.top() + shapes->ascent();
                        else if (item.align & Qt::AlignBottom)
                            baseline = inner.bottom() - shapes->descent();
                        else
                            baseline = inner.top() + (inner.height() - shapes->height()) / 2 + shapes->ascent();
                        painter.drawGlyphRun(QPointF(x, baseline), shaped.run);
                        break;
                    }
                }
                const QFontMetricsF metrics(font);
                const double advance = metrics.horizontalAdvance(item.text);
                QString shown = item.text;
                double width = advance;
                if (advance > inner.width()) {
                    shown = metrics.elidedText(item.text, Qt::ElideRight, inner.width());
                    width = metrics.horizontalAdvance(shown);
                }
                double x = inner.left();
                if (item.align & Qt::AlignRight)
                    x = inner.right() - width;
                else if (item.align & Qt::AlignHCenter)
                    x = inner.left() + (inner.width() - width) / 2;
                double y;
                if (item.align & Qt::AlignTop)
                    y = inner.top() + metrics.ascent();
                else if (item.align & Qt::AlignBottom)
                    y = inner.bottom() - metrics.descent();
                else
                    y = inner.top() + (inner.height() - metrics.height()) / 2 + metrics.ascent();
                painter.drawText(QPointF(x, y), shown);
            }
            break;
        }
        }
    }
    painter.restore();
}

void ReportPainter::paintAll(QPagedPaintDevice &device, const PageStore &pages, int copies, double dpi,
                             const std::function<bool()> &cancelled)
{
    QPainter painter;
    if (!painter.begin(&device))
        failPrint(QStringLiteral("Impossibile avviare la stampa."));
    const double pxPerMm = dpi / 25.4;
    ShapeCache shapes;
    bool first = true;
    for (int copy = 0; copy < qMax(1, copies); ++copy) {
        for (int p = 0; p < pages.size(); ++p) {
            const ReportPage page = pages.page(p);
            if (cancelled && cancelled()) {
                painter.end();
                throw ReportCancelled();
            }
            if (!first)
                device.newPage();
            first = false;
            paintPage(painter, page, pxPerMm, &shapes);
        }
    }
    painter.end();
}

void ReportPainter::writePdf(const PageStore &pages, const QString &path, int copies, const QString &title,
                            const std::function<bool()> &cancelled)
{
    if (pages.empty())
        return;
    // Written aside and put in place whole: a failed or cancelled print
    // leaves the previous file (or none), never half a document.
    AsideFile file(path);
    if (!file.open())
        failPrint(QStringLiteral("Impossibile scrivere il file \"%1\".").arg(path));
    const PdfReportWriter::Result written = PdfReportWriter::write(pages, file, qMax(1, copies), title, cancelled);
    if (written == PdfReportWriter::Result::NeedsEmbeddedFonts) {
        // A text the reader's own fonts cannot show: Qt's engine embeds them.
        file.cancel();
        writeEmbeddingFonts(pages, path, copies, title, cancelled);
        return;
    }
    if (written != PdfReportWriter::Result::Written || !file.commit())
        failPrint(QStringLiteral("Impossibile scrivere il file \"%1\".").arg(path));
}

void ReportPainter::writeEmbeddingFonts(const PageStore &pages, const QString &path, int copies,
                                        const QString &title, const std::function<bool()> &cancelled)
{
    AsideFile file(path);
    if (!file.open())
        failPrint(QStringLiteral("Impossibile scrivere il file \"%1\".").arg(path));
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tarvo"));
        writer.setResolution(600);
        const ReportPage first = pages.page(0);
        const QSizeF portrait(qMin(first.size.width(), first.size.height()), qMax(first.size.width(), first.size.height()));
        writer.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter), orientationOf(first), QMarginsF()));
        paintAll(writer, pages, copies, writer.resolution(), cancelled);
    }
    if (!file.commit())
        failPrint(QStringLiteral("Impossibile scrivere il file \"%1\".").arg(path));
}

void ReportPainter::print(const PageStore &pages, int copies, const QString &title,
                         const std::function<bool()> &cancelled)
{
    if (pages.empty())
        return;
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        failPrint(QStringLiteral("Nessuna stampante predefinita: impossibile stampare. "
                                 "Configurare una stampante e riprovare."));
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFullPage(true);
    printer.setPageOrientation(orientationOf(pages.page(0)));
    int repeat = qMax(1, copies);
    if (repeat > 1 && printer.supportsMultipleCopies()) {
        printer.setCopyCount(repeat);
        printer.setCollateCopies(true);
        repeat = 1;
    }
    // A cancelled print is withdrawn from the spooler, not sent half done.
    paintAll(printer, pages, repeat, printer.resolution(), [&printer, &cancelled] {
        if (!cancelled || !cancelled())
            return false;
        printer.abort();
        return true;
    });
    if (printer.printerState() == QPrinter::Error)
        failPrint(QStringLiteral("La stampante ha segnalato un errore durante la stampa."));
}

} // namespace report
