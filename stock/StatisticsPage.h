#pragma once

#include "rules/ListExport.h"

#include <QImage>
#include <QString>

class QPagedPaintDevice;

// A chart of "Statistiche" on paper: its picture at the top of the first
// page, its table beneath, continued on as many pages as it takes with the
// heading repeated. The same pages go to a PDF file and to the printer.
class StatisticsPage {
public:
    // Both give the message for the user when they fail, empty on success.
    static QString writePdf(const QString &path, const QString &title, const QImage &chart, const ListExport &table);
    static QString print(const QString &title, const QImage &chart, const ListExport &table);

    // The pages painted on `device` (its layout already set); the number painted.
    static int paint(QPagedPaintDevice &device, const QString &title, const QImage &chart, const ListExport &table);
    // A cell of the table as the window and the paper show it: amounts
    // "1.234,50", percentages "12,5", pieces as counted, Italian style.
    static QString cellText(const ExportColumn &column, const QVariant &value);
};
