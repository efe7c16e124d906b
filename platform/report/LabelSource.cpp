#include "LabelSource.h"

#include "db/Database.h"
#include "db/Recordset.h"

#include <cmath>

namespace report {

namespace {

const QString kItemsAndArticles = QStringLiteral(
    "Select [Codice Articolo].ca_Codice as Codice, ca_Taglia, ca_Colore, art_Descrizione, art_Prezzo_Listino");

QString dateLiteral(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#');
}

QString textOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

// A quantity as a number of labels: whole pieces, none for nothing or less.
int labelsFor(const QVariant &quantity)
{
    if (quantity.isNull())
        return 0;
    const double pieces = std::floor(quantity.toDouble() + 1e-9);
    return pieces > 0 ? int(qMin(pieces, 1e6)) : 0;
}

} // namespace

std::vector<LabelContent> LabelSource::read(const QString &sql, const QString &copiesField, int fixed,
                                            const QString &codeField) const
{
    std::vector<LabelContent> labels;
    auto rs = m_database.openRecordset(sql);
    while (!rs->eof()) {
        LabelContent label;
        label.code = textOf(rs->value(codeField));
        label.description = textOf(rs->value(QStringLiteral("art_Descrizione")));
        label.size = textOf(rs->value(QStringLiteral("ca_Taglia")));
        label.colour = textOf(rs->value(QStringLiteral("ca_Colore")));
        const QVariant price = rs->value(QStringLiteral("art_Prezzo_Listino"));
        label.hasPrice = !price.isNull();
        label.price = label.hasPrice ? price.toDouble() : 0;
        label.copies = copiesField.isEmpty() ? fixed : labelsFor(rs->value(copiesField));
        labels.push_back(std::move(label));
        rs->moveNext();
    }
    return labels;
}

std::vector<LabelContent> LabelSource::ofArticles(const QList<qint64> &articles, Copies copies, int fixed) const
{
    std::vector<LabelContent> labels;
    for (const qint64 article : articles) {
        const std::vector<LabelContent> items =
            read(kItemsAndArticles + QStringLiteral(", [Codice Articolo].ca_Quantita as Giacenza from [Codice Articolo], "
                                                    "Articoli where art_Codice = [Codice Articolo].ca_Codice_Articolo "
                                                    "and art_Codice = %1 order by [Codice Articolo].ca_Codice")
                                         .arg(article),
                 copies == Copies::Stock ? QStringLiteral("Giacenza") : QString(), fixed);
        labels.insert(labels.end(), items.begin(), items.end());
    }
    return labels;
}

std::vector<LabelContent> LabelSource::ofLoads(const QDate &from, const QDate &to) const
{
    return read(kItemsAndArticles
                    + QStringLiteral(", carico.ca_Quantita as Caricati from carico, Articoli, [Codice Articolo] where "
                                     "[Codice Articolo].ca_Codice = carico.ca_Codice_Articolo and art_Codice = "
                                     "[Codice Articolo].ca_Codice_Articolo and carico.ca_Data between %1 and %2 "
                                     "order by carico.ca_Data, carico.ca_Codice")
                          .arg(dateLiteral(from), dateLiteral(to)),
                QStringLiteral("Caricati"), 0);
}

std::vector<LabelContent> LabelSource::ofLoad(qint64 load) const
{
    return read(kItemsAndArticles
                    + QStringLiteral(", carico.ca_Quantita as Caricati from carico, Articoli, [Codice Articolo] where "
                                     "[Codice Articolo].ca_Codice = carico.ca_Codice_Articolo and art_Codice = "
                                     "[Codice Articolo].ca_Codice_Articolo and carico.ca_Codice = %1")
                          .arg(load),
                QStringLiteral("Caricati"), 0);
}

std::vector<LabelContent> LabelSource::ofLoadList(const QString &listSelect) const
{
    // The list's rows join the load, its item and the item's article: each
    // row holds its label already.
    return read(listSelect, QStringLiteral("carico.ca_Quantita"), 0, QStringLiteral("carico.ca_Codice_Articolo"));
}

QString LabelSource::shopName() const
{
    auto rs = m_database.openRecordset(QStringLiteral("Select az_Denominazione from Azienda"));
    return rs->eof() ? QString() : textOf(rs->value(QStringLiteral("az_Denominazione"))).simplified();
}

} // namespace report
