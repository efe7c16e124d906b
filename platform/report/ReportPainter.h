#pragma once

#include "PageStore.h"
#include "ReportPage.h"

#include <QString>
#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace report {

// Paints laid-out pages with QPainter straight onto the device (no QPicture:
// it rescales by DPI/96).
class ReportPainter {
public:
    // Paints one page with its top left at the painter's origin, `pxPerMm`
    // device pixels per millimetre.
    static void paintPage(QPainter &painter, const ReportPage &page, double pxPerMm);

    // Writes the pages to a PDF file, `copies` times over, in the reader's
    // own Helvetica when it shows every text, else with the fonts embedded. Throws db::DbError
    // (err::PrintFailed) when the file cannot be written, ReportCancelled when
    // `cancelled` answers true between pages; the file is then left as it was.
    static void writePdf(const PageStore &pages, const QString &path, int copies, const QString &title,
                         const std::function<bool()> &cancelled = {});
    // Prints on the default printer. Throws db::DbError (err::PrintFailed)
    // when no printer is configured or printing fails, ReportCancelled when
    // `cancelled` answers true between pages (the job is then aborted).
    static void print(const PageStore &pages, int copies, const QString &title,
                      const std::function<bool()> &cancelled = {});

private:
    class ShapeCache;
    static void paintPage(QPainter &painter, const ReportPage &page, double pxPerMm, ShapeCache *shapes);
    // Through Qt's PDF engine, for pages the reader's own fonts cannot show.
    static void writeEmbeddingFonts(const PageStore &pages, const QString &path, int copies, const QString &title,
                                    const std::function<bool()> &cancelled);
    static void paintAll(QPagedPaintDevice &device, const PageStore &pages, int copies, double dpi,
                         const std::function<bool()> &cancelled = {});
};

} // namespace report
