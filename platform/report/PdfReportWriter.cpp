#include "PdfReportWriter.h"

#include "PdfFile.h"
#include "PdfPageContent.h"
#include "ReportProgress.h"
#include "StandardFont.h"

#include <vector>

namespace report {

PdfReportWriter::Result PdfReportWriter::write(const PageStore &pages, QIODevice &out, int copies,
                                               const QString &title, const std::function<bool()> &cancelled)
{
    PdfFile pdf(out);
    const int catalog = pdf.reserve();
    const int pageTree = pdf.reserve();
    const int resources = pdf.reserve();
    const QByteArray parent = " /Parent " + QByteArray::number(pageTree) + " 0 R /Resources "
                              + QByteArray::number(resources) + " 0 R";
    QByteArray kids;
    std::vector<QByteArray> pageTails;   // MediaBox and content of each page, for the copies
    pageTails.reserve(size_t(pages.size()));
    QByteArray content;
    for (int p = 0; p < pages.size(); ++p) {
        if (cancelled && cancelled())
            throw ReportCancelled();
        const ReportPage page = pages.page(p);
        if (!PdfPageContent::write(page, content))
            return Result::NeedsEmbeddedFonts;
        const int stream = pdf.reserve();
        pdf.writeStream(stream, content);
        const double mm = 72.0 / 25.4;
        pageTails.push_back(" /MediaBox [0 0 " + QByteArray::number(page.size.width() * mm, 'f', 2) + ' '
                            + QByteArray::number(page.size.height() * mm, 'f', 2) + "] /Contents "
                            + QByteArray::number(stream) + " 0 R >>");
        const int pageObject = pdf.reserve();
        pdf.writeObject(pageObject, "<< /Type /Page" + parent + pageTails.back());
        kids += QByteArray::number(pageObject) + " 0 R ";
    }
    for (int copy = 1; copy < copies; ++copy) {
        for (const QByteArray &tail : pageTails) {
            const int pageObject = pdf.reserve();
            pdf.writeObject(pageObject, "<< /Type /Page" + parent + tail);
            kids += QByteArray::number(pageObject) + " 0 R ";
        }
    }
    pdf.writeObject(pageTree, "<< /Type /Pages /Kids [" + kids + "] /Count "
                                  + QByteArray::number(qsizetype(pageTails.size()) * qMax(1, copies)) + " >>");
    QByteArray fonts = "<< /Font << ";
    for (int style = 0; style < 4; ++style) {
        const int font = pdf.reserve();
        pdf.writeObject(font, QByteArray("<< /Type /Font /Subtype /Type1 /BaseFont /")
                                  + StandardFont::postScriptName(style & 1, style & 2)
                                  + " /Encoding /WinAnsiEncoding >>");
        fonts += "/F" + QByteArray::number(style + 1) + ' ' + QByteArray::number(font) + " 0 R ";
    }
    pdf.writeObject(resources, fonts + ">> /ProcSet [/PDF /Text] >>");
    pdf.writeObject(catalog, "<< /Type /Catalog /Pages " + QByteArray::number(pageTree) + " 0 R >>");
    const int info = pdf.reserve();
    pdf.writeObject(info, "<< /Title " + PdfFile::textString(title) + " /Creator (Tarvo) /Producer (Tarvo) >>");
    return pdf.finish(catalog, info) ? Result::Written : Result::Failed;
}

} // namespace report
