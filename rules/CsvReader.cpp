#include "rules/CsvReader.h"

#include <QIODevice>

namespace {

constexpr qint64 kChunk = 1 << 16;

// Whether the whole file is UTF-8, read a piece at a time.
bool isUtf8(QIODevice &device)
{
    QStringDecoder probe(QStringDecoder::Utf8);
    while (!device.atEnd()) {
        const QString decoded = probe(device.read(kChunk));
        if (probe.hasError())
            return false;
    }
    return true;
}

QChar separatorOf(const QString &firstLine)
{
    QChar best = QLatin1Char(';');
    qsizetype most = firstLine.count(best);
    for (QChar candidate : {QLatin1Char(','), QLatin1Char('\t')}) {
        if (firstLine.count(candidate) > most) {
            best = candidate;
            most = firstLine.count(candidate);
        }
    }
    return best;
}

} // namespace

CsvReader::CsvReader(QIODevice &device)
    : m_device(device)
{
    m_device.seek(0);
    const bool utf8 = isUtf8(m_device);
    m_device.seek(0);
    m_decoder = QStringDecoder(utf8 ? QStringDecoder::Utf8 : QStringDecoder::Latin1);
    QByteArray first = m_device.read(kChunk);
    if (first.startsWith("\xEF\xBB\xBF"))
        first.remove(0, 3);
    m_buffer = m_decoder(first);
    m_atEnd = m_device.atEnd();
    m_separator = separatorOf(m_buffer.section(QLatin1Char('\n'), 0, 0));
}

qint64 CsvReader::bytesRead() const
{
    return m_device.pos();
}

bool CsvReader::ensure(qsizetype count)
{
    while (m_buffer.size() - m_at < count && !m_atEnd) {
        m_buffer.remove(0, m_at);
        m_at = 0;
        m_buffer += m_decoder(m_device.read(kChunk));
        m_atEnd = m_device.atEnd();
    }
    return m_buffer.size() - m_at >= count;
}

void CsvReader::note(QChar c)
{
    const bool separatingTab = c == QLatin1Char('\t') && m_separator == QLatin1Char('\t');
    if (m_control < 0 && c.unicode() < 0x20 && !separatingTab && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
        m_control = c.unicode();
}

bool CsvReader::next(QStringList &row)
{
    const QChar quote = QLatin1Char('"');
    while (!failed() && ensure(1)) {
        row.clear();
        m_control = -1;
        ++m_row;
        QString field;
        bool started = false;   // the row has a field, empty or not
        bool quoted = false;    // inside a quoted field
        bool closed = false;    // a quoted field has just closed
        int quoteRow = 0;
        bool ended = false;
        while (!ended) {
            if (!ensure(1)) {
                if (quoted)
                    break;
                ended = true;
                continue;
            }
            const QChar c = m_buffer.at(m_at++);
            const bool lineBreak = c == QLatin1Char('\r') || c == QLatin1Char('\n');
            if (lineBreak && !quoted && c == QLatin1Char('\r') && ensure(1) && m_buffer.at(m_at) == QLatin1Char('\n'))
                ++m_at;
            if (quoted) {
                if (c != quote) {
                    note(c);
                    field += c;
                } else if (ensure(1) && m_buffer.at(m_at) == quote) {
                    field += c;
                    ++m_at;
                } else {
                    quoted = false;
                    closed = true;
                }
            } else if (c == m_separator) {
                row.append(field);
                field.clear();
                started = true;
                closed = false;
            } else if (lineBreak) {
                ended = true;
            } else if (closed) {
                break;
            } else if (c == quote && field.isEmpty()) {
                // Only a quote that opens the field quotes it; one inside an
                // unquoted field is an inch sign or a quotation, kept.
                quoted = true;
                started = true;
                quoteRow = m_row;
            } else {
                note(c);
                field += c;
                started = true;
            }
        }
        if (!ended) {
            m_error = QStringLiteral("virgolette aperte e non chiuse");
            m_errorRow = quoteRow;
            return false;
        }
        if (started) {
            row.append(field);
            return true;
        }
    }
    return false;
}
