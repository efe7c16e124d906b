#include "rules/CsvTable.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString numberText(double value, int decimals)
{
    // Enough decimals for any amount or quantity, without the binary noise
    // of a double ("0,1" not "0,1000000000000000055").
    QString text = QLocale::c().toString(value, 'f', decimals < 0 ? 6 : decimals);
    if (decimals < 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    // Nothing but zeros is 0, never "-0".
    static const QRegularExpression nonZero(QStringLiteral("[1-9]"));
    if (text.startsWith(QLatin1Char('-')) && !text.contains(nonZero))
        text.remove(0, 1);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString plainText(const QVariant &value, int decimals)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble(), decimals);
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
    default: {
        if (value.isNull())
            return QString();
        const QString text = value.toString();
        return CsvTable::needsTextMark(text) ? QLatin1Char('\'') + text : text;
    }
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

bool CsvTable::needsTextMark(const QString &text)
{
    // What Calc and Excel read in a field: a formula, a number (signs,
    // grouping, exponent, percent, currency, a negative in brackets), a
    // date or a time, a truth in Italian or English.
    static const QRegularExpression formula(QStringLiteral("^([\\t\\r]|\\s*[=+\\-@])"));
    static const QRegularExpression number(
        QStringLiteral("^\\s*\\(?[+-]?[€$]?\\s*[0-9.,]*[0-9][0-9.,]*([eE][+-]?[0-9]+)?\\s*[%€$]?\\)?\\s*$"));
    static const QRegularExpression dateOrTime(
        QStringLiteral("^\\s*[0-9]{1,4}([-/.:][0-9]{1,4})+(\\s+[0-9]{1,2}(:[0-9]{1,2}){1,2})?\\s*$"));
    static const QRegularExpression truth(QStringLiteral("^\\s*(vero|falso|true|false)\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    // The commonest fields answered without the expressions (a list of a
    // million items has millions of them): a text starting with a letter can
    // only be a truth, which starts "ver", "fal" or "tru"; of plain letters
    // and digits starting with a digit (a bar code, "8001234567895U") only
    // digits are a number, with or without an exponent.
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const auto plain = [&digit](QChar c) { return digit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (!text.isEmpty() && text.front().isLetter()) {
        const QStringView start = QStringView(text).left(3);
        if (start.compare(QLatin1String("ver"), Qt::CaseInsensitive) != 0
            && start.compare(QLatin1String("fal"), Qt::CaseInsensitive) != 0
            && start.compare(QLatin1String("tru"), Qt::CaseInsensitive) != 0)
            return false;
    } else if (!text.isEmpty() && std::all_of(text.begin(), text.end(), plain)) {
        const auto letter = std::find_if_not(text.begin(), text.end(), digit);
        if (letter == text.end())
            return true;
        const auto exponent = letter + 1;
        return (*letter == u'e' || *letter == u'E') && exponent != text.end()
               && std::all_of(exponent, text.end(), digit);
    }
    return formula.match(text).hasMatch() || number.match(text).hasMatch() || dateOrTime.match(text).hasMatch()
           || truth.match(text).hasMatch();
}

QString CsvTable::field(const QVariant &value, int decimals)
{
    QString text = plainText(value, decimals);
    bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    for (qsizetype i = 0; !quote && i < text.size(); ++i) {
        const QChar c = text.at(i);
        quote = c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
    }
    if (!quote)
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString CsvTable::line(const QStringList &fields)
{
    return fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

const QByteArray &CsvTable::byteOrderMark()
{
    static const QByteArray mark = QByteArrayLiteral("\xEF\xBB\xBF");
    return mark;
}

QByteArray CsvTable::bytes() const
{
    QString text;
    const auto writeRow = [&text](const QVariantList &cells) {
        QStringList fields;
        for (const QVariant &cell : cells)
            fields << field(cell);
        text += line(fields);
    };
    if (!m_header.isEmpty()) {
        QVariantList header;
        for (const QString &name : m_header)
            header.append(name);
        writeRow(header);
    }
    for (const QVariantList &row : m_rows)
        writeRow(row);
    return byteOrderMark() + text.toUtf8();
}
