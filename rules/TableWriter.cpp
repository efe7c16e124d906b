#include "rules/TableWriter.h"

#include "rules/CsvTableWriter.h"
#include "rules/XlsxTableWriter.h"

bool TableWriter::isSpreadsheetFile(const QString &path)
{
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

std::unique_ptr<TableWriter> TableWriter::forFile(const QString &path, const QString &title)
{
    if (isSpreadsheetFile(path))
        return std::make_unique<XlsxTableWriter>(path, title);
    return std::make_unique<CsvTableWriter>(path);
}
