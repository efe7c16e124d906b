#include "rules/InvoiceNumber.h"

#include "rules/TypedNumber.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace {
constexpr int kHighestSequence = 99999;
}

QString InvoiceNumber::build(const QDate &today, int sequence)
{
    return today.toString(QStringLiteral("yy")) + QLatin1Char('-')
        + QStringLiteral("%1").arg(sequence, 5, 10, QLatin1Char('0'));
}

QString InvoiceNumber::next(const QString &highest, const QDate &today)
{
    const qlonglong sequence = TypedNumber::leadingWhole(highest.mid(3)) + 1;
    return build(today, int(std::clamp<qlonglong>(sequence, 1, std::numeric_limits<int>::max())));
}

std::optional<QString> InvoiceNumber::fromTyped(const QString &answer, const QDate &today)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString trimmed = answer.trimmed();
    if (!digits.match(trimmed).hasMatch())
        return std::nullopt;
    const int sequence = trimmed.toInt();
    if (sequence < 1 || sequence > kHighestSequence)
        return std::nullopt;
    return build(today, sequence);
}
