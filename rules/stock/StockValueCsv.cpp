#include "rules/stock/StockValueCsv.h"

#include "rules/CsvTable.h"
#include "rules/stock/StockValuation.h"
#include "rules/stock/StockValueList.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

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

StockValueCsv::StockValueCsv(std::shared_ptr<const StockValuation> valuation,
                             const Descriptions &descriptions)
    : m_valuation(std::move(valuation)), m_columns(StockValueList::columns()), m_descriptions(descriptions)
{
}

QByteArray StockValueCsv::textField(int column, const QString &text) const
{
    const ExportColumn &shown = m_columns.at(column);
    return CsvTable::field(shown.cell(text), shown.decimals).toUtf8();
}

void StockValueCsv::appendAmount(QByteArray &line, int column, qint64 cents) const
{
    if (std::llabs(cents) >= kPlainCents) {
        const ExportColumn &shown = m_columns.at(column);
        line.append(CsvTable::field(shown.cell(cents / 100.0), shown.decimals).toUtf8());
        return;
    }
    if (cents < 0)
        line.append('-');
    const qint64 whole = std::llabs(cents);
    appendNumber(line, whole / 100);
    const char decimals[3] = {',', char('0' + whole % 100 / 10), char('0' + whole % 10)};
    line.append(decimals, 3);
}

void StockValueCsv::appendDescription(QByteArray &line, std::int32_t article)
{
    if (article < 0) {
        if (m_noDescription.isNull())
            m_noDescription = descriptionField(-1);
        line.append(m_noDescription);
        return;
    }
    const auto place = std::size_t(article);
    const bool first = place < m_descriptions.half;
    const QByteArray &block = first ? m_descriptions.first : m_descriptions.second;
    const qsizetype from = place == 0 || place == m_descriptions.half ? 0 : m_descriptions.ends[place - 1];
    line.append(block.constData() + from, m_descriptions.ends[place] - from);
}

QByteArray StockValueCsv::descriptionField(std::int32_t article) const
{
    return textField(Descrizione, m_valuation->description(article)) + ';';
}

// Every article's, half of them on a second thread.
StockValueCsv::Descriptions StockValueCsv::descriptionFields(const std::shared_ptr<const StockValuation> &valuation)
{
    const Descriptions none;
    Descriptions fields;
    fields.ends.resize(std::size_t(valuation->articleCount()));
    fields.half = fields.ends.size() / 2;
    const auto make = [&](std::size_t from, std::size_t to, QByteArray &block) {
        const StockValueCsv maker(valuation, none);
        for (std::size_t article = from; article < to; ++article) {
            block.append(maker.descriptionField(std::int32_t(article)));
            fields.ends[article] = block.size();
        }
    };
    std::thread second(make, fields.half, fields.ends.size(), std::ref(fields.second));
    try {
        make(0, fields.half, fields.first);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    return fields;
}

void StockValueCsv::append(qint64 index, QByteArray &line)
{
    const StockValuation::LineParts parts = m_valuation->lineParts(index);
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
    appendDescription(line, parts.article);
    for (const auto &[words, place, column] : {std::tuple{&m_sizes, parts.size, Taglia},
                                                std::tuple{&m_colours, parts.colour, Colore}}) {
        auto word = words->constFind(place);
        if (word == words->constEnd())
            word = words->insert(place, textField(column, m_valuation->word(place)));
        line.append(*word).append(';');
    }
    appendNumber(line, parts.quantity);
    line.append(';');
    appendAmount(line, Prezzo, parts.priceCents);
    line.append(';');
    appendAmount(line, Valore, parts.quantity * parts.priceCents);
    line.append("\r\n");
}

namespace {

// A batch of lines: their bytes one after the other, and where each ends.
struct Batch {
    QByteArray bytes;
    std::vector<qsizetype> ends;
};

constexpr qint64 kBatchLines = 4096;

void makeBatch(StockValueCsv &csv, qint64 first, qint64 lines, Batch &batch)
{
    batch.bytes.resize(0);
    batch.bytes.reserve(kBatchLines * 128);
    batch.ends.clear();
    for (qint64 i = first; i < std::min(lines, first + kBatchLines); ++i) {
        csv.append(i, batch.bytes);
        batch.ends.push_back(batch.bytes.size());
    }
}

} // namespace

void StockValueCsv::handAll(const std::shared_ptr<const StockValuation> &valuation,
                            const std::function<bool(QByteArrayView)> &line)
{
    const qint64 lines = valuation->lineCount();
    const Descriptions descriptions = descriptionFields(valuation);
    const qint64 batches = (lines + kBatchLines - 1) / kBatchLines;
    // The second thread makes the odd batches, at most two ahead.
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Batch> made;
    bool stop = false;
    bool finished = false;
    std::exception_ptr failure;
    std::thread second;
    if (batches > 1)
        second = std::thread([&] {
            try {
                StockValueCsv csv(valuation, descriptions);
                for (qint64 b = 1; b < batches; b += 2) {
                    Batch batch;
                    makeBatch(csv, b * kBatchLines, lines, batch);
                    std::unique_lock<std::mutex> held(lock);
                    changed.wait(held, [&] { return stop || made.size() < 2; });
                    if (stop)
                        break;
                    made.push_back(std::move(batch));
                    changed.notify_all();
                }
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard<std::mutex> held(lock);
            finished = true;
            changed.notify_all();
        });
    const auto stopSecond = [&] {
        if (!second.joinable())
            return;
        {
            const std::lock_guard<std::mutex> held(lock);
            stop = true;
            changed.notify_all();
        }
        second.join();
    };
    try {
        StockValueCsv csv(valuation, descriptions);
        Batch batch;
        for (qint64 b = 0; b < batches; ++b) {
            if (b % 2 == 0) {
                makeBatch(csv, b * kBatchLines, lines, batch);
            } else {
                std::unique_lock<std::mutex> held(lock);
                changed.wait(held, [&] { return !made.empty() || finished; });
                if (made.empty())
                    break;   // the second thread failed: its reason is thrown below
                batch = std::move(made.front());
                made.pop_front();
                changed.notify_all();
            }
            qsizetype from = 0;
            for (const qsizetype end : batch.ends) {
                if (!line(QByteArrayView(batch.bytes.constData() + from, end - from))) {
                    stopSecond();
                    return;
                }
                from = end;
            }
        }
    } catch (...) {
        stopSecond();
        throw;
    }
    stopSecond();
    if (failure)
        std::rethrow_exception(failure);
}
