#include "rules/stock/StockValueCsv.h"

#include "rules/CsvTable.h"
#include "rules/stock/StockValuation.h"
#include "rules/stock/StockValueList.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace {

enum Column { Fornitore, Codice, Descrizione, Taglia, Colore, Quantita, Prezzo, Valore };

// Beyond this an amount is written the general way: below it the cents
// divided by 100 round back to the same two decimals.
constexpr qint64 kPlainCents = 10'000'000'000'000;

void appendNumber(QByteArray &out, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

bool digitsOnly(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

StockValueCsv::StockValueCsv(std::shared_ptr<const StockValuation> valuation)
    : m_valuation(std::move(valuation)), m_columns(StockValueList::columns())
{
}

QByteArray StockValueCsv::textField(int column, const QString &text) const
{
    const ExportColumn &shown = m_columns.at(column);
    return CsvTable::field(shown.cell(text), shown.decimals).toUtf8();
}

QByteArray StockValueCsv::amountField(int column, qint64 cents) const
{
    if (std::llabs(cents) >= kPlainCents) {
        const ExportColumn &shown = m_columns.at(column);
        return CsvTable::field(shown.cell(cents / 100.0), shown.decimals).toUtf8();
    }
    QByteArray field;
    if (cents < 0)
        field.append('-');
    const qint64 whole = std::llabs(cents);
    appendNumber(field, whole / 100);
    field.append(',');
    field.append(char('0' + whole % 100 / 10));
    field.append(char('0' + whole % 10));
    return field;
}

void StockValueCsv::make(qint64 index, QByteArray &line)
{
    const StockValuation::LineParts parts = m_valuation->lineParts(index);
    line.resize(0);
    auto supplier = m_suppliers.constFind(parts.supplier);
    if (supplier == m_suppliers.constEnd())
        supplier = m_suppliers.insert(parts.supplier, textField(Fornitore, m_valuation->supplierName(parts.supplier)));
    line.append(*supplier).append(';');
    // A code of digits alone is marked as text, as the general way marks it.
    if (digitsOnly(parts.code))
        line.append('\'').append(parts.code.data(), qsizetype(parts.code.size()));
    else
        line.append(textField(Codice, QString::fromUtf8(parts.code.data(), qsizetype(parts.code.size()))));
    line.append(';');
    // The lines of an article mostly follow one another.
    if (parts.article != m_article) {
        m_article = parts.article;
        m_description = textField(Descrizione, m_valuation->description(parts.article));
    }
    line.append(m_description).append(';');
    for (const auto &[words, place, column] : {std::tuple{&m_sizes, parts.size, Taglia},
                                                std::tuple{&m_colours, parts.colour, Colore}}) {
        auto word = words->constFind(place);
        if (word == words->constEnd())
            word = words->insert(place, textField(column, m_valuation->word(place)));
        line.append(*word).append(';');
    }
    appendNumber(line, parts.quantity);
    line.append(';').append(amountField(Prezzo, parts.priceCents));
    line.append(';').append(amountField(Valore, parts.quantity * parts.priceCents));
    line.append("\r\n");
}
