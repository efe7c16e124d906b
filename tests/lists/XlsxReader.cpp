#include "XlsxReader.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QtEndian>
#include <zlib.h>

namespace {

quint32 u32(const QByteArray &data, qsizetype at)
{
    return at + 4 <= data.size() ? qFromLittleEndian<quint32>(data.constData() + at) : 0;
}

quint16 u16(const QByteArray &data, qsizetype at)
{
    return at + 2 <= data.size() ? qFromLittleEndian<quint16>(data.constData() + at) : 0;
}

QByteArray inflated(const QByteArray &raw, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

// "AB12" -> 12.
int rowOf(const QString &reference)
{
    qsizetype letters = 0;
    while (letters < reference.size() && reference.at(letters).isLetter())
        ++letters;
    return reference.mid(letters).toInt();
}

} // namespace

XlsxReader::XlsxReader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !readZip(file.readAll()))
        return;
    readStyles();
    readSheets();
    m_valid = !m_sheets.isEmpty();
}

bool XlsxReader::readZip(const QByteArray &zip)
{
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return false;
    const int entries = u16(zip, end + 10);
    qsizetype at = u32(zip, end + 16);
    for (int i = 0; i < entries; ++i) {
        if (u32(zip, at) != 0x02014b50)
            return false;
        const int method = u16(zip, at + 10);
        const qsizetype packed = u32(zip, at + 20), size = u32(zip, at + 24);
        const int nameLength = u16(zip, at + 28), extra = u16(zip, at + 30), comment = u16(zip, at + 32);
        const qsizetype local = u32(zip, at + 42);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        const qsizetype data = local + 30 + u16(zip, local + 26) + u16(zip, local + 28);
        const QByteArray raw = zip.mid(data, packed);
        m_parts.insert(name, method == 0 ? raw : inflated(raw, size));
        at += 46 + nameLength + extra + comment;
    }
    return true;
}

void XlsxReader::readStyles()
{
    QHash<int, QString> codes = {{0, QStringLiteral("General")}};
    QList<bool> boldFonts;
    QXmlStreamReader xml(part(QStringLiteral("xl/styles.xml")));
    bool inFonts = false, inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement() && name == QLatin1String("numFmt")) {
            codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                         xml.attributes().value(QLatin1String("formatCode")).toString());
        } else if (name == QLatin1String("fonts")) {
            inFonts = xml.isStartElement();
        } else if (inFonts && xml.isStartElement() && name == QLatin1String("font")) {
            boldFonts << false;
        } else if (inFonts && xml.isStartElement() && name == QLatin1String("b")) {
            boldFonts.last() = true;
        } else if (name == QLatin1String("cellXfs")) {
            inCellXfs = xml.isStartElement();
        } else if (inCellXfs && xml.isStartElement() && name == QLatin1String("xf")) {
            const int format = xml.attributes().value(QLatin1String("numFmtId")).toInt();
            m_formatOfStyle << codes.value(format, QStringLiteral("builtin %1").arg(format));
            m_boldOfStyle << boldFonts.value(xml.attributes().value(QLatin1String("fontId")).toInt());
        }
    }
}

void XlsxReader::readSheets()
{
    QXmlStreamReader book(part(QStringLiteral("xl/workbook.xml")));
    QStringList names;
    while (!book.atEnd())
        if (book.readNext() == QXmlStreamReader::StartElement && book.name() == QLatin1String("sheet"))
            names << book.attributes().value(QLatin1String("name")).toString();
    for (int i = 0; i < names.size(); ++i) {
        Sheet sheet;
        sheet.name = names.at(i);
        QXmlStreamReader xml(part(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1)));
        QString reference;
        Cell cell;
        while (!xml.atEnd()) {
            xml.readNext();
            const auto name = xml.name();
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.isStartElement() && name == QLatin1String("col")) {
                const int last = a.value(QLatin1String("max")).toInt();
                while (sheet.widths.size() < last)
                    sheet.widths << 0;
                for (int c = a.value(QLatin1String("min")).toInt(); c <= last; ++c)
                    sheet.widths[c - 1] = a.value(QLatin1String("width")).toDouble();
            } else if (xml.isStartElement() && name == QLatin1String("pane")) {
                sheet.headingFrozen = a.value(QLatin1String("ySplit")) == QLatin1String("1")
                                      && a.value(QLatin1String("state")) == QLatin1String("frozen");
            } else if (xml.isStartElement() && name == QLatin1String("c")) {
                reference = a.value(QLatin1String("r")).toString();
                const int style = a.value(QLatin1String("s")).toInt();
                cell = Cell{a.hasAttribute(QLatin1String("t")) ? a.value(QLatin1String("t")).toString()
                                                                : QStringLiteral("n"),
                            QString(), m_formatOfStyle.value(style, QStringLiteral("General")),
                            m_boldOfStyle.value(style)};
            } else if (xml.isStartElement() && (name == QLatin1String("v") || name == QLatin1String("t"))) {
                cell.text += xml.readElementText();
            } else if (xml.isEndElement() && name == QLatin1String("c")) {
                sheet.cells.insert(reference, cell);
                sheet.rows = std::max(sheet.rows, rowOf(reference));
            }
        }
        m_sheets << sheet;
    }
}
