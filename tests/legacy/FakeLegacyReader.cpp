#include "FakeLegacyReader.h"

#include <algorithm>

using namespace legacy;

LegacyType FakeLegacyReader::typeOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Counter:
    case FieldKind::Long: return LegacyType::Long;
    case FieldKind::Number: return LegacyType::Double;
    case FieldKind::Text: return LegacyType::Text;
    case FieldKind::Date: return LegacyType::DateTime;
    case FieldKind::YesNo: return LegacyType::YesNo;
    }
    return LegacyType::Other;
}

FakeLegacyReader FakeLegacyReader::shopFile()
{
    FakeLegacyReader file;
    for (const ShopTable &table : shopTables()) {
        std::vector<LegacyColumn> columns;
        for (const ShopField &field : table.fields)
            columns.push_back({field.name, typeOf(field.kind)});
        file.addTable(table.name, columns);
    }
    return file;
}

void FakeLegacyReader::addTable(const QString &name, std::vector<LegacyColumn> columns)
{
    m_order.append(name);
    m_tables.insert(name, Table{std::move(columns), {}});
}

void FakeLegacyReader::removeTable(const QString &name)
{
    m_order.removeAll(name);
    m_tables.remove(name);
}

void FakeLegacyReader::removeColumn(const QString &table, const QString &column)
{
    auto &columns = m_tables[table].columns;
    columns.erase(std::remove_if(columns.begin(), columns.end(),
                                 [&](const LegacyColumn &c) { return c.name == column; }),
                  columns.end());
}

void FakeLegacyReader::addRow(const QString &table, const QHash<QString, LegacyValue> &values)
{
    Table &t = m_tables[table];
    std::vector<LegacyValue> row;
    for (const LegacyColumn &column : t.columns)
        row.push_back(values.value(column.name));
    t.rows.push_back(std::move(row));
}

std::vector<LegacyColumn> FakeLegacyReader::columns(const QString &table) const
{
    return m_tables.value(table).columns;
}

qint64 FakeLegacyReader::rowCount(const QString &table) const
{
    return qint64(m_tables.value(table).rows.size());
}

void FakeLegacyReader::readRows(const QString &table,
                                const std::function<void(const std::vector<LegacyValue> &)> &row)
{
    for (const auto &values : m_tables.value(table).rows)
        row(values);
}
