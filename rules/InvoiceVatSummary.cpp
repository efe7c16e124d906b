#include "rules/InvoiceVatSummary.h"

#include "rules/MoneyText.h"

#include <QLocale>
#include <algorithm>

namespace {

bool isNull(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

double number(const QVariant &value)
{
    if (isNull(value))
        return 0;
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString().trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = QLocale::c().toDouble(text, &ok);
        return ok ? v : 0;
    }
    bool ok = false;
    const double v = value.toDouble(&ok);
    return ok ? v : 0;
}

} // namespace

void InvoiceVatSummary::addLine(const QVariant &code, const QVariant &amount, double rate)
{
    std::optional<qlonglong> key;
    if (!isNull(code))
        key = qlonglong(number(code));
    // Null codes first, then ascending: the order of "order by df_IVA".
    auto at = std::lower_bound(m_groups.begin(), m_groups.end(), key,
                               [](const Open &g, const std::optional<qlonglong> &k) { return g.code < k; });
    if (at == m_groups.end() || at->code != key)
        at = m_groups.insert(at, Open{key, 0, 0});
    const double value = number(amount);
    at->taxable += value;
    at->vat += value * rate / 100;
}

std::vector<InvoiceVatSummary::Group> InvoiceVatSummary::groups() const
{
    std::vector<Group> out;
    out.reserve(m_groups.size());
    for (const Open &g : m_groups)
        out.push_back(Group{g.code, g.taxable, MoneyText::cents(g.vat)});
    return out;
}

qlonglong InvoiceVatSummary::totalCents() const
{
    qlonglong total = 0;
    for (const Group &g : groups())
        total += g.vatCents;
    return total;
}

double InvoiceVatSummary::rate(const QVariant &stored)
{
    return number(stored);
}

QString InvoiceVatSummary::reportAmount(qlonglong cents)
{
    const qlonglong magnitude = cents < 0 ? -cents : cents;
    return (cents < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) + QLatin1Char('.')
        + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}
