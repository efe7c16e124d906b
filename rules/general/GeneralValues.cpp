#include "rules/general/GeneralValues.h"

#include "db/FieldText.h"
#include "rules/TypedNumber.h"
#include "rules/general/DateText.h"

#include <QDate>
#include <cmath>

namespace {

bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

QString ControllaData(const QVariant &value)
{
    QString refused;
    return ControllaData(value, refused);
}

QString ControllaData(const QVariant &value, QString &refusedText)
{
    refusedText.clear();
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        const QDate date = value.toDate();
        if (date.isValid())
            return date.toString(QStringLiteral("dd/MM/yyyy"));
    }
    QString text = IsNull(value) ? QString() : db::FieldText::display(value).trimmed();
    if (text.isEmpty())
        return QString();

    QDate date = DateText::parse(text);
    if (!date.isValid()) {
        if (text.size() == 6) {
            if (!allDigits(text))
                return QString();
            text = text.mid(0, 2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4, 2);
        } else if (text.size() == 8) {
            if (!allDigits(text))
                return QString();
            text = text.mid(0, 2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4, 4);
        }
        date = DateText::parse(text);
    }
    if (!date.isValid()) {
        refusedText = text;
        return QString();
    }
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString FormattaDataSql(const QVariant &value)
{
    QDate date;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
        date = value.toDate();
    else if (!IsNull(value))
        date = DateText::parse(value.toString());
    if (!date.isValid())
        return QString();
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString DataSql(const QVariant &dayFirst, const QString &defaultDayFirst)
{
    QString monthFirst = FormattaDataSql(ControllaData(dayFirst));
    if (monthFirst.isEmpty())
        monthFirst = FormattaDataSql(defaultDayFirst);
    return QStringLiteral("#") + monthFirst + QStringLiteral("#");
}

bool IsNull(const QVariant &value)
{
    return db::FieldText::isNull(value);
}

QVariant NullToEmpty(const QVariant &value)
{
    return IsNull(value) ? QVariant(QString()) : value;
}

QVariant NullToDefault(const QVariant &value, const QVariant &defaultValue)
{
    return IsNull(value) ? defaultValue : value;
}

double Val(const QString &text)
{
    return TypedNumber::leading(text);
}

qlonglong ValLong(const QString &text)
{
    return TypedNumber::leadingWhole(text);
}

bool IsNumeric(const QString &text)
{
    return TypedNumber::amount(text).has_value();
}

double ToNumber(const QString &text)
{
    return TypedNumber::amount(text).value_or(0);
}

double Arrotonda(double value, double step)
{
    if (step == 0)
        return value;
    double q = value / step;
    const double whole = std::floor(q);
    // A half that binary fractions store a hair below .5 (0.285 / 0.01 gives
    // 28.4999...) is still a half.
    q = (q - whole >= 0.5 - 1e-9) ? whole + 1 : whole;
    // Dividing by the whole inverse of a decimal step (0.01 -> 100) gives the
    // nearest double of the result (5.16, not 5.1600000000000001).
    const double inverse = 1.0 / step;
    if (std::fabs(step) < 1 && std::fabs(inverse - std::round(inverse)) < 1e-9)
        return q / std::round(inverse);
    return q * step;
}
