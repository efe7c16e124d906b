#include "rules/stock/StockValueLoads.h"

#include "db/Connection.h"
#include "db/Statement.h"
#include "rules/stock/StockValueCodes.h"

#include <QString>
#include <string_view>

void StockValueLoads::read(db::Connection &database, const std::string &after, const std::atomic<bool> *stop)
{
    const QString sql = QStringLiteral("select ca_Codice_Articolo, ca_Quantita, ca_Prezzo, ca_Data from carico");
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    const auto real = [&](int column) {
        return row->columnType(column) == db::NullValue ? 0.0 : row->columnReal(column);
    };
    std::uint32_t rows = 0;
    while (row->step(sql)) {
        if (stop && (++rows & 4095u) == 0 && stop->load())
            return;
        if (const char *code = row->columnText(0))
            m_codes.append(code, std::size_t(row->columnBytes(0)));
        m_ends.push_back(m_codes.size());
        const char *date = row->columnText(3);
        const std::string_view day = date ? std::string_view(date, std::size_t(row->columnBytes(3))) : std::string_view();
        m_loads.push_back(Load{real(1), real(2), !day.empty() && day.substr(0, after.size()) >= after});
    }
}

void StockValueLoads::apply(const StockValueCodes &codes,
                            const std::function<void(std::int32_t item, const Load &load)> &to) const
{
    // A page of codes looked up at a time (StockValueCodes::findAll).
    constexpr std::size_t kPage = 64;
    std::vector<StockValueCodes::Lookup> lookups;
    lookups.reserve(kPage);
    for (std::size_t first = 0; first < m_loads.size(); first += kPage) {
        const std::size_t count = std::min(kPage, m_loads.size() - first);
        lookups.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t load = first + i;
            const std::size_t from = load == 0 ? 0 : m_ends[load - 1];
            lookups[i].key.assign(m_codes, from, m_ends[load] - from);
        }
        codes.findAll(lookups);
        for (std::size_t i = 0; i < count; ++i)
            if (lookups[i].number != StockValueCodes::kNone)
                to(lookups[i].number, m_loads[first + i]);
    }
}
