#pragma once

#include "LabelSheet.h"

#include <QDate>
#include <QList>
#include <vector>

namespace db { class Database; }

namespace report {

// The labels of the shop's items, read from its database: each item's bar
// code, its article's description and list price, its size and colour.
class LabelSource {
public:
    // How many labels an article's item gets.
    enum class Copies { Stock, Fixed };

    explicit LabelSource(db::Database &database) : m_database(database) {}

    // Every item of the articles, in the order given, item by item in code
    // order: as many labels as the item's stock (none for an item out of
    // stock) or `fixed` each.
    std::vector<LabelContent> ofArticles(const QList<qint64> &articles, Copies copies, int fixed = 1) const;
    // The loads of the period, in the order they were made: as many labels
    // as the quantity loaded.
    std::vector<LabelContent> ofLoads(const QDate &from, const QDate &to) const;
    // One load (a load just saved), as many labels as its quantity.
    std::vector<LabelContent> ofLoad(qint64 load) const;
    // The loads a list shows, in its order: `listSelect` is the load list's
    // statement, its rows carico joined to [Codice Articolo] and Articoli.
    std::vector<LabelContent> ofLoadList(const QString &listSelect) const;
    // The shop's name as Dati azienda holds it (empty when not filled in).
    QString shopName() const;

private:
    std::vector<LabelContent> read(const QString &sql, const QString &copiesField, int fixed,
                                   const QString &codeField = QStringLiteral("Codice")) const;

    db::Database &m_database;
};

} // namespace report
