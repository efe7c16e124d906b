#pragma once

#include "legacy/LegacyReader.h"
#include "legacy/ShopTables.h"

#include <QHash>
#include <QVariantMap>

// An old shop file held in memory: tables, columns with their types, rows.
// shopFile() has every table of the shop with the types the old program gave
// its fields, and no rows.
class FakeLegacyReader : public legacy::LegacyReader {
public:
    static FakeLegacyReader shopFile();
    static legacy::LegacyType typeOf(legacy::FieldKind kind);

    void addTable(const QString &name, std::vector<legacy::LegacyColumn> columns);
    void removeTable(const QString &name);
    void removeColumn(const QString &table, const QString &column);
    // A row given by field name; the fields not named are Null.
    void addRow(const QString &table, const QHash<QString, legacy::LegacyValue> &values);

    QStringList tables() const override { return m_order; }
    std::vector<legacy::LegacyColumn> columns(const QString &table) const override;
    qint64 rowCount(const QString &table) const override;
    void readRows(const QString &table,
                  const std::function<void(const std::vector<legacy::LegacyValue> &)> &row) override;

private:
    struct Table {
        std::vector<legacy::LegacyColumn> columns;
        std::vector<std::vector<legacy::LegacyValue>> rows;
    };
    QStringList m_order;
    QHash<QString, Table> m_tables;
};
