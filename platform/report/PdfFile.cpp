#include "PdfFile.h"

#include <QIODevice>
#include <cstring>

namespace report {

PdfFile::PdfFile(QIODevice &out) : m_out(out)
{
    // The second line tells transfer programs that the file is binary.
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

int PdfFile::reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size());
}

void PdfFile::writeObject(int number, const QByteArray &body)
{
    m_offsets[size_t(number - 1)] = m_position;
    write(QByteArray::number(number) + " 0 obj\n");
    write(body);
    write("\nendobj\n");
}

void PdfFile::writeStream(int number, const QByteArray &data, const char *dictionary)
{
    // Level 1 packs a page of a list to a fifth at little cost; a short page
    // (a card) is written as it is, since setting up zlib would cost more
    // than writing it. qCompress puts the length in front of the zlib data.
    const bool pack = data.size() >= 8192;
    const QByteArray packed = pack ? qCompress(data, 1).mid(4) : data;
    m_offsets[size_t(number - 1)] = m_position;
    write(QByteArray::number(number) + " 0 obj\n<< " + dictionary + (*dictionary ? " " : "") + "/Length "
          + QByteArray::number(packed.size()) + (pack ? " /Filter /FlateDecode" : "") + " >>\nstream\n");
    write(packed);
    write("\nendstream\nendobj\n");
}

bool PdfFile::finish(int catalog, int info)
{
    const qint64 table = m_position;
    QByteArray xref = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size() + 1)) + "\n0000000000 65535 f \n";
    for (const qint64 offset : m_offsets) {
        if (offset < 0)
            return false;   // a reserved object never written: the file would not open
        xref += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }
    write(xref);
    write("trailer\n<< /Size " + QByteArray::number(qsizetype(m_offsets.size() + 1)) + " /Root "
          + QByteArray::number(catalog) + " 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n"
          + QByteArray::number(table) + "\n%%EOF\n");
    flush();
    return !m_failed;
}

QByteArray PdfFile::textString(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QByteArray out = "(";
        for (const QChar c : text) {
            if (c == u'(' || c == u')' || c == u'\\')
                out += '\\';
            out += char(c.unicode());
        }
        return out + ')';
    }
    QByteArray utf16 = "\xFE\xFF";
    for (const QChar c : text) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xFF);
    }
    return '<' + utf16.toHex() + '>';
}

void PdfFile::write(const QByteArray &bytes)
{
    // Gathered and handed to the device in large pieces: a one-page card
    // is a single write.
    m_pending += bytes;
    m_position += bytes.size();
    if (m_pending.size() >= kFlushSize)
        flush();
}

void PdfFile::flush()
{
    if (m_out.write(m_pending) != m_pending.size())
        m_failed = true;
    m_pending.clear();
}

void PdfFile::write(const char *text)
{
    write(QByteArray::fromRawData(text, qsizetype(std::strlen(text))));
}

} // namespace report
