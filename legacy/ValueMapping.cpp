#include "legacy/ValueMapping.h"

#include <QDate>
#include <cmath>
#include <limits>

namespace legacy {

namespace {

MappedValue taken(QVariant value)
{
    return MappedValue{std::move(value), QString()};
}

MappedValue refused(const LegacyValue &value, const QString &what)
{
    return MappedValue{QVariant(), QStringLiteral("il valore %1 non è %2").arg(value.display(), what)};
}

// "12,5" and "12.5" alike: the old program's users typed both.
std::optional<double> numberFromText(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

std::optional<double> numberOf(const LegacyValue &value)
{
    switch (value.kind()) {
    case LegacyValue::Kind::Integer: return static_cast<double>(value.integerValue());
    case LegacyValue::Kind::Real: return value.realValue();
    case LegacyValue::Kind::YesNo: return value.yesNoValue() ? -1.0 : 0.0;
    // The exact amount's text, read once into the nearest double.
    case LegacyValue::Kind::Currency: return value.currencyText().toDouble();
    case LegacyValue::Kind::Text: return numberFromText(value.textValue());
    default: return std::nullopt;
    }
}

MappedValue wholeNumber(const LegacyValue &value)
{
    if (value.kind() == LegacyValue::Kind::Integer)
        return taken(qlonglong(value.integerValue()));
    const auto number = numberOf(value);
    if (!number || *number != std::floor(*number) || std::fabs(*number) > 9.0e15)
        return refused(value, QStringLiteral("un numero intero"));
    return taken(qlonglong(*number));
}

QString dateText(const QDateTime &date)
{
    const QTime time = date.time();
    if (time == QTime(0, 0))
        return date.date().toString(QStringLiteral("yyyy-MM-dd"));
    return date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

MappedValue dateOf(const LegacyValue &value)
{
    if (value.kind() == LegacyValue::Kind::Date && value.dateValue().date().isValid())
        return taken(dateText(value.dateValue()));
    if (value.kind() == LegacyValue::Kind::Text) {
        const QString text = value.textValue().trimmed();
        for (const QString &format : {QStringLiteral("dd/MM/yyyy"), QStringLiteral("yyyy-MM-dd")}) {
            const QDate date = QDate::fromString(text, format);
            if (date.isValid())
                return taken(date.toString(QStringLiteral("yyyy-MM-dd")));
        }
    }
    return refused(value, QStringLiteral("una data"));
}

QString textOf(const LegacyValue &value)
{
    switch (value.kind()) {
    case LegacyValue::Kind::Text: return value.textValue();
    case LegacyValue::Kind::Integer: return QString::number(value.integerValue());
    case LegacyValue::Kind::Real: return QString::number(value.realValue(), 'g', 15);
    case LegacyValue::Kind::Currency: return value.currencyText();
    case LegacyValue::Kind::YesNo: return value.yesNoValue() ? QStringLiteral("-1") : QStringLiteral("0");
    case LegacyValue::Kind::Date: return value.dateValue().toString(QStringLiteral("dd/MM/yyyy"));
    case LegacyValue::Kind::Null: break;
    }
    return QString();
}

} // namespace

MappedValue mapValue(const LegacyValue &value, FieldKind kind)
{
    if (value.isNull()) {
        // A yes/no of the file is never Null; one that is reads as false, the
        // field's default, so that "= 0" still finds it.
        return kind == FieldKind::YesNo ? taken(qlonglong(0)) : taken(QVariant());
    }
    switch (kind) {
    case FieldKind::Counter:
    case FieldKind::Long:
        return wholeNumber(value);
    case FieldKind::Number: {
        const auto number = numberOf(value);
        return number ? taken(*number) : refused(value, QStringLiteral("un numero"));
    }
    case FieldKind::YesNo: {
        if (value.kind() == LegacyValue::Kind::Text)
            return refused(value, QStringLiteral("un sì/no"));
        const auto number = numberOf(value);
        return number ? taken(qlonglong(*number != 0 ? -1 : 0)) : refused(value, QStringLiteral("un sì/no"));
    }
    case FieldKind::Date:
        return dateOf(value);
    case FieldKind::Text:
        return taken(textOf(value));
    }
    return taken(QVariant());
}

} // namespace legacy
