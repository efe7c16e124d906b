#pragma once

#include "legacy/LegacyReader.h"

#include <stdexcept>

// Another reader that breaks down at one row of one table, as a disk or a
// damaged page would in the middle of an import.
class FailingReader : public legacy::LegacyReader {
public:
    FailingReader(legacy::LegacyReader &inner, QString table, qint64 row)
        : m_inner(inner), m_table(std::move(table)), m_row(row) {}

    QStringList tables() const override { return m_inner.tables(); }
    std::vector<legacy::LegacyColumn> columns(const QString &table) const override { return m_inner.columns(table); }
    qint64 rowCount(const QString &table) const override { return m_inner.rowCount(table); }
    void readRows(const QString &table,
                  const std::function<void(const std::vector<legacy::LegacyValue> &)> &row) override
    {
        qint64 number = 0;
        m_inner.readRows(table, [&](const std::vector<legacy::LegacyValue> &values) {
            if (table == m_table && ++number == m_row)
                throw std::runtime_error("lettura interrotta da un guasto");
            row(values);
        });
    }

private:
    legacy::LegacyReader &m_inner;
    QString m_table;
    qint64 m_row;
};
