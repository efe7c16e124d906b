#include "stock/StatisticsPage.h"

#include "rules/stats/StatisticsPeriod.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <cmath>

namespace {

QPageLayout landscapeA4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

bool isNumeric(const ExportColumn &column)
{
    return column.kind == ExportColumn::Kind::Number || column.kind == ExportColumn::Kind::Amount;
}

} // namespace

QString StatisticsPage::cellText(const ExportColumn &column, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (column.kind == ExportColumn::Kind::Amount)
        return StatisticsPeriod::locale().toString(value.toDouble(), 'f', 2);
    if (column.kind == ExportColumn::Kind::Number) {
        // Counts and codes without the thousands' dot: an article's code
        // 1604 is no amount.
        QLocale plain = StatisticsPeriod::locale();
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        const double number = value.toDouble();
        if (column.decimals >= 0)
            return plain.toString(number, 'f', column.decimals);
        QString text = plain.toString(number, 'f', 3);
        while (text.contains(plain.decimalPoint()) && (text.endsWith(QLatin1Char('0')) || text.endsWith(plain.decimalPoint())))
            text.chop(1);
        return text;
    }
    return value.toString();
}

int StatisticsPage::paint(QPagedPaintDevice &device, const QString &title, const QImage &chart,
                          const ListExport &table)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRect area(0, 0, page.width(), page.height());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, area.height() / 60));
    painter.setFont(font);
    const int line = painter.fontMetrics().height() * 5 / 4;
    const QList<ExportColumn> &columns = table.columns;
    // The first (text) column takes what the numbers leave.
    const int numberWidth = area.width() / (int(columns.size()) + 2);
    QList<int> widths;
    for (const ExportColumn &column : columns)
        widths << (isNumeric(column) ? numberWidth : 0);
    int textColumns = 0, fixed = 0;
    for (int w : widths)
        w == 0 ? ++textColumns : fixed += w;
    for (int &w : widths)
        if (w == 0)
            w = std::max(numberWidth, (area.width() - fixed) / std::max(1, textColumns));

    int pages = 1;
    int y = 0;
    QFont bold = font;
    bold.setBold(true);
    const auto heading = [&] {
        painter.setFont(bold);
        painter.drawText(QRect(0, y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.drawText(QRect(0, y, area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Pagina %1").arg(pages));
        y += line * 3 / 2;
    };
    const auto row = [&](const QStringList &cells, bool header) {
        painter.setFont(header ? bold : font);
        int x = 0;
        for (int c = 0; c < cells.size() && c < widths.size(); ++c) {
            const Qt::Alignment align = isNumeric(columns.at(c)) ? Qt::AlignRight : Qt::AlignLeft;
            const QRect cell(x + 4, y, widths.at(c) - 8, line);
            painter.drawText(cell, align | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(cells.at(c), Qt::ElideRight, cell.width()));
            x += widths.at(c);
        }
        y += line;
        if (header)
            painter.drawLine(0, y - 1, area.width(), y - 1);
    };
    QStringList headers;
    for (const ExportColumn &column : columns)
        headers << column.header;

    heading();
    if (!chart.isNull()) {
        const QSize room(area.width(), area.height() / 2);
        const QImage scaled = chart.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(QPoint((area.width() - scaled.width()) / 2, y), scaled);
        y += scaled.height() + line;
    }
    row(headers, true);
    for (const QVariantList &cells : table.rows) {
        if (y + line > area.height()) {
            device.newPage();
            ++pages;
            y = 0;
            heading();
            row(headers, true);
        }
        QStringList texts;
        for (qsizetype c = 0; c < cells.size() && c < columns.size(); ++c)
            texts << cellText(columns.at(c), cells.at(c));
        row(texts, false);
    }
    painter.end();
    return pages;
}

QString StatisticsPage::writePdf(const QString &path, const QString &title, const QImage &chart,
                                 const ListExport &table)
{
    const QString file = QDir::toNativeSeparators(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("Impossibile scrivere il file %1: %2.").arg(file, out.errorString());
    {
        QPdfWriter pdf(&out);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Tarvo"));
        pdf.setResolution(150);
        pdf.setPageLayout(landscapeA4());
        if (paint(pdf, title, chart, table) == 0)
            return QStringLiteral("Impossibile scrivere il file %1.").arg(file);
    }
    if (!out.commit())
        return QStringLiteral("Impossibile scrivere il file %1: %2.").arg(file, out.errorString());
    return QString();
}

QString StatisticsPage::print(const QString &title, const QImage &chart, const ListExport &table)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return QStringLiteral("Nessuna stampante predefinita: impossibile stampare. "
                              "Configurare una stampante e riprovare.");
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setPageLayout(landscapeA4());
    if (paint(printer, title, chart, table) == 0 || printer.printerState() == QPrinter::Error)
        return QStringLiteral("La stampante ha segnalato un errore durante la stampa.");
    return QString();
}
