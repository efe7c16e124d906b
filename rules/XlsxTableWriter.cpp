#include "rules/XlsxTableWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

constexpr int kLongestText = 32767;   // what a cell of the format holds
constexpr int kWidestColumn = 60;     // characters; longer texts wrap out of sight

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

lxw_datetime moment(const QDate &date, const QTime &time = QTime(0, 0))
{
    return lxw_datetime{date.year(), date.month(), date.day(), time.hour(), time.minute(),
                        time.second() + time.msec() / 1000.0};
}

// The dates the format can hold; others go as the text a list shows.
bool isSheetDate(const QDate &date)
{
    return date.isValid() && date.year() >= 1900 && date.year() <= 9999;
}

} // namespace

XlsxTableWriter::XlsxTableWriter(QString path, QString title, int sheetRows)
    : m_path(std::move(path)), m_title(std::move(title)), m_sheetRows(std::max(2, sheetRows))
{
}

XlsxTableWriter::~XlsxTableWriter()
{
    if (m_book)
        lxw_workbook_free(m_book);
    if (!m_finished && !m_aside.isEmpty())
        QFile::remove(m_aside);
}

bool XlsxTableWriter::ok(int error)
{
    if (error == LXW_NO_ERROR)
        return true;
    const bool fromSystem = error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_CREATING_TMPFILE
                            || error == LXW_ERROR_READING_TMPFILE || error == LXW_ERROR_ZIP_FILE_OPERATION
                            || error == LXW_ERROR_ZIP_FILE_ADD || error == LXW_ERROR_ZIP_CLOSE;
    m_error = fromSystem && errno != 0 ? systemError() : QString::fromUtf8(lxw_strerror(lxw_error(error)));
    return false;
}

bool XlsxTableWriter::begin(const QList<ExportColumn> &columns)
{
    m_columns = columns;
    // The workbook is made under a name of its own in the target's folder,
    // where its working files go too (they may be large; /tmp may be small).
    const QFileInfo target(m_path);
    if (!makeAside(target))
        return false;
    m_folder = QFile::encodeName(target.absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_folder.data();
    errno = 0;
    m_book = workbook_new_opt(QFile::encodeName(m_aside).constData(), &options);
    if (!m_book) {
        m_error = systemError();
        return false;
    }
    m_heading = workbook_add_format(m_book);
    format_set_bold(m_heading);
    m_amount = workbook_add_format(m_book);
    format_set_num_format(m_amount, "#,##0.00");
    m_date = workbook_add_format(m_book);
    format_set_num_format(m_date, "dd/mm/yyyy");
    m_moment = workbook_add_format(m_book);
    format_set_num_format(m_moment, "dd/mm/yyyy hh:mm:ss");
    return startSheet();
}

// A new file as any other the user makes (the umask applies), under a name
// no file has yet.
bool XlsxTableWriter::makeAside(const QFileInfo &target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = target.absoluteDir().filePath(
            QStringLiteral(".%1-%2").arg(target.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_aside = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    m_error = systemError();
    return false;
}

QString XlsxTableWriter::sheetName() const
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    QString name;
    for (const QChar c : m_title)
        if (!forbidden.contains(c))
            name += c;
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Foglio");
    const QString number = m_sheets > 1 ? QStringLiteral(" (%1)").arg(m_sheets) : QString();
    return name.left(31 - number.size()).trimmed() + number;
}

bool XlsxTableWriter::startSheet()
{
    ++m_sheets;
    m_sheet = workbook_add_worksheet(m_book, sheetName().toUtf8().constData());
    if (!m_sheet) {
        m_error = QStringLiteral("foglio %1 non creato").arg(m_sheets);
        return false;
    }
    m_widths.clear();
    for (int c = 0; c < m_columns.size(); ++c) {
        // A bold heading is a little wider than its letters.
        m_widths << m_columns.at(c).header.size() + 1;
        errno = 0;
        if (!ok(worksheet_write_string(m_sheet, 0, lxw_col_t(c), m_columns.at(c).header.toUtf8().constData(),
                                       m_heading)))
            return false;
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
    m_row = 1;
    return true;
}

void XlsxTableWriter::widen(int column, qsizetype characters)
{
    if (column < m_widths.size() && characters > m_widths.at(column))
        m_widths[column] = characters;
}

bool XlsxTableWriter::writeCell(int column, const QVariant &cell)
{
    const lxw_row_t row = lxw_row_t(m_row);
    const lxw_col_t col = lxw_col_t(column);
    switch (cell.typeId()) {
    case QMetaType::UnknownType:
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double number = cell.toDouble();
        if (!std::isfinite(number))
            return writeCell(column, QVariant(QString::number(number)));
        const bool amount = m_columns.value(column).kind == ExportColumn::Kind::Amount;
        widen(column, amount ? QLocale(QLocale::Italian).toString(number, 'f', 2).size()
                             : QString::number(number, 'g', 15).size());
        return ok(worksheet_write_number(m_sheet, row, col, number, amount ? m_amount : nullptr));
    }
    case QMetaType::QDate: {
        const QDate date = cell.toDate();
        if (!isSheetDate(date))
            return writeCell(column, QVariant(date.toString(QStringLiteral("dd/MM/yyyy"))));
        widen(column, 10);
        lxw_datetime value = moment(date);
        return ok(worksheet_write_datetime(m_sheet, row, col, &value, m_date));
    }
    case QMetaType::QDateTime: {
        const QDateTime when = cell.toDateTime();
        if (!isSheetDate(when.date()))
            return writeCell(column, QVariant(when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
        const bool midnight = when.time() == QTime(0, 0);
        widen(column, midnight ? 10 : 19);
        lxw_datetime value = moment(when.date(), when.time());
        return ok(worksheet_write_datetime(m_sheet, row, col, &value, midnight ? m_date : m_moment));
    }
    default: {
        const QString text = cell.toString().left(kLongestText);
        if (text.isEmpty())
            return true;
        qsizetype longestLine = 0;
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
            longestLine = std::max(longestLine, line.size());
        widen(column, longestLine);
        return ok(worksheet_write_string(m_sheet, row, col, text.toUtf8().constData(), nullptr));
    }
    }
}

bool XlsxTableWriter::addRow(const QVariantList &cells)
{
    if (m_row >= m_sheetRows && !(fitColumns() && startSheet()))
        return false;
    errno = 0;
    for (int c = 0; c < cells.size(); ++c)
        if (!writeCell(c, cells.at(c)))
            return false;
    ++m_row;
    return true;
}

bool XlsxTableWriter::fitColumns()
{
    for (int c = 0; c < m_widths.size(); ++c) {
        const double width = double(std::min<qsizetype>(m_widths.at(c) + 2, kWidestColumn));
        if (!ok(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr)))
            return false;
    }
    return true;
}

bool XlsxTableWriter::finish()
{
    if (!fitColumns())
        return false;
    errno = 0;
    const lxw_error closed = workbook_close(m_book);
    m_book = nullptr;   // freed by the close, whatever it returned
    if (!ok(closed))
        return false;
    // On disk before it takes the name: a power cut leaves the old file or
    // the whole new one.
    QFile written(m_aside);
    if (!written.open(QIODevice::ReadOnly) || ::fsync(written.handle()) != 0) {
        m_error = written.error() != QFileDevice::NoError ? written.errorString() : systemError();
        return false;
    }
    written.close();
    // A file replaced keeps who may read it.
    if (QFile::exists(m_path))
        QFile::setPermissions(m_aside, QFile::permissions(m_path));
    if (std::rename(QFile::encodeName(m_aside).constData(), QFile::encodeName(m_path).constData()) != 0) {
        m_error = systemError();
        return false;
    }
    m_finished = true;
    return true;
}
