#include "LabelReader.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace {

constexpr double kDotsPerMm = 300 / 25.4;
constexpr double kPointsPerMm = 72 / 25.4;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QString LabelReader::missingProgram()
{
    for (const char *program : {"pdftoppm", "pdftotext", "pdfinfo"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 (poppler-utils)").arg(QLatin1String(program));
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        return QStringLiteral("zbarimg (zbar-tools)");
    return QString();
}

int LabelReader::pageCount(const QString &pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(run(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

namespace {

// Each place cut out of its page (PNG files, page 1 first) and read by zbarimg.
QList<QStringList> readPlaces(const QDir &folder, const QStringList &pageFiles, const QList<QPair<int, QRectF>> &places)
{
    QList<QStringList> found;
    int n = 0;
    for (const auto &[page, rect] : places) {
        QStringList symbols;
        if (page >= 1 && page <= pageFiles.size()) {
            const QImage image(folder.filePath(pageFiles.at(page - 1)));
            const QRect dots(qRound(rect.x() * kDotsPerMm), qRound(rect.y() * kDotsPerMm),
                             qRound(rect.width() * kDotsPerMm), qRound(rect.height() * kDotsPerMm));
            const QString crop = folder.filePath(QStringLiteral("etichetta-%1.png").arg(++n));
            image.copy(dots).save(crop);
            const QString out = run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), crop});
            symbols = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        found << symbols;
    }
    for (const QString &file : pageFiles)
        QFile::remove(folder.filePath(file));
    return found;
}

// Page files sort as their numbers do only with the same number of digits.
QStringList pagesInOrder(const QDir &folder)
{
    QStringList files = folder.entryList({QStringLiteral("pagina-*.png")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return files;
}

} // namespace

QList<QStringList> LabelReader::barcodesIn(const QString &pdf, const QList<QPair<int, QRectF>> &places,
                                           const QString &workFolder)
{
    const QDir folder(workFolder);
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                                     folder.filePath(QStringLiteral("pagina"))});
    return readPlaces(folder, pagesInOrder(folder), places);
}

QList<QStringList> LabelReader::barcodesInPostScript(const QString &job, const QList<QPair<int, QRectF>> &places,
                                                     const QString &workFolder)
{
    const QDir folder(workFolder);
    run(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                               QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pnggray"), QStringLiteral("-r300"),
                               QStringLiteral("-sOutputFile=") + folder.filePath(QStringLiteral("pagina-%d.png")), job});
    return readPlaces(folder, pagesInOrder(folder), places);
}

QList<LabelReader::Word> LabelReader::words(const QString &pdf)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> found;
    int page = 0;
    for (auto m = tag.globalMatch(html); m.hasNext();) {
        const auto w = m.next();
        if (w.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const double x0 = w.captured(1).toDouble(), y0 = w.captured(2).toDouble();
        const double x1 = w.captured(3).toDouble(), y1 = w.captured(4).toDouble();
        found.append({page, w.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&")),
                      QRectF(QPointF(x0, y0) / kPointsPerMm, QPointF(x1, y1) / kPointsPerMm)});
    }
    return found;
}
