#include "rules/CsvTable.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace {

QString numberText(double value)
{
    // Enough decimals for any amount or quantity, without the binary noise
    // of a double ("0,1" not "0,1000000000000000055").
    QString text = QLocale::c().toString(value, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString plainText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return QString::number(value.toLongLong());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        if (moment.time() == QTime(0, 0))
            return moment.date().toString(QStringLiteral("dd/MM/yyyy"));
        return moment.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    default:
        return value.isNull() ? QString() : value.toString();
    }
}

} // namespace

CsvTable::CsvTable(QStringList header)
    : m_header(std::move(header))
{
}

void CsvTable::addRow(const QVariantList &cells)
{
    m_rows.append(cells);
}

QString CsvTable::field(const QVariant &value)
{
    QString text = plainText(value);
    const bool quote = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QByteArray CsvTable::bytes() const
{
    QString text;
    const auto writeRow = [&text](const QVariantList &cells) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                text += QLatin1Char(';');
            text += field(cells.at(i));
        }
        text += QStringLiteral("\r\n");
    };
    if (!m_header.isEmpty()) {
        QVariantList header;
        for (const QString &name : m_header)
            header.append(name);
        writeRow(header);
    }
    for (const QVariantList &row : m_rows)
        writeRow(row);
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}
