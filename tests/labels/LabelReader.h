#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

// Reads printed labels back as a reader would, with programs of their own:
// the bar codes by zbarimg (zbar-tools) on pages rasterised by pdftoppm at
// 300 dpi, the texts and where they are by pdftotext -bbox (poppler-utils).
class LabelReader {
public:
    struct Word {
        int page = 0;
        QString text;
        QRectF box;   // mm from the page's top left corner
    };

    // Empty when a program is missing: the name of what to install otherwise.
    static QString missingProgram();
    // The symbols zbarimg finds inside each rectangle (mm) of each page, as
    // "EAN-13:4006381333931"; one list per rectangle, in the order given.
    static QList<QStringList> barcodesIn(const QString &pdf, const QList<QPair<int, QRectF>> &places,
                                         const QString &workFolder);
    // The same from a print job in PostScript (what a CUPS queue made),
    // rasterised by Ghostscript at 300 dpi.
    static QList<QStringList> barcodesInPostScript(const QString &job, const QList<QPair<int, QRectF>> &places,
                                                   const QString &workFolder);
    static QList<Word> words(const QString &pdf);
    static int pageCount(const QString &pdf);
};
