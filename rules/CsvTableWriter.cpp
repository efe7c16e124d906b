#include "rules/CsvTableWriter.h"

#include "rules/CsvTable.h"

#include <QSaveFile>

namespace {

// Rows go out in blocks of about this size: a few system calls for a
// month of sales, and little memory.
constexpr qsizetype kBlock = 256 * 1024;

} // namespace

CsvTableWriter::CsvTableWriter(const QString &path)
    : m_file(std::make_unique<QSaveFile>(path)), m_device(m_file.get())
{
}

CsvTableWriter::CsvTableWriter(QIODevice *device)
    : m_device(device)
{
}

CsvTableWriter::~CsvTableWriter() = default;

bool CsvTableWriter::begin(const QList<ExportColumn> &columns)
{
    // Unbuffered: each block reaches the file at once, so a full disk is
    // met by the write that meets it.
    if (m_file && !m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = m_file->errorString();
        return false;
    }
    QStringList header;
    for (const ExportColumn &column : columns) {
        header << CsvTable::field(column.header);
        m_decimals << column.decimals;
    }
    m_pending = CsvTable::byteOrderMark() + CsvTable::line(header).toUtf8();
    return write(false);
}

bool CsvTableWriter::addRow(const QVariantList &cells)
{
    // CsvTable::line() of the fields, made in one text: a list of a million
    // rows spends most of its time here.
    m_line.resize(0);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            m_line += QLatin1Char(';');
        m_line += CsvTable::field(cells.at(i), m_decimals.value(i, -1));
    }
    m_line += QLatin1String("\r\n");
    // Encoded straight onto the block: no text of its own per row.
    const qsizetype used = m_pending.size();
    m_pending.resize(used + m_encoder.requiredSpace(m_line.size()));
    char *end = m_encoder.appendToBuffer(m_pending.data() + used, m_line);
    m_pending.truncate(end - m_pending.constData());
    return write(false);
}

bool CsvTableWriter::addCsvLine(QByteArrayView line)
{
    m_pending.append(line);
    return write(false);
}

bool CsvTableWriter::finish()
{
    if (!write(true))
        return false;
    // commit() does not check the last flush: a file cut short would take
    // the name.
    auto *device = qobject_cast<QFileDevice *>(m_device);
    if (device && !device->flush()) {
        m_error = device->errorString();
        return false;
    }
    if (m_file && !m_file->commit()) {
        m_error = m_file->errorString();
        return false;
    }
    return true;
}

bool CsvTableWriter::write(bool all)
{
    if (m_pending.size() < kBlock && !all)
        return true;
    // A disk filling up takes part of a block first; the write of the rest
    // says why it fails.
    for (qsizetype done = 0; done < m_pending.size();) {
        const qint64 written = m_device->write(m_pending.constData() + done, m_pending.size() - done);
        if (written <= 0) {
            m_error = m_device->errorString();
            return false;
        }
        done += written;
    }
    m_pending.resize(0);   // its room kept for the next block
    return true;
}
