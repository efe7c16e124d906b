#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <functional>
#include <memory>
#include <vector>

#include "rules/ExportColumn.h"

class StockValuation;

// The lines of a stock value as the bytes of their CSV lines: the very bytes
// a CSV writer makes of StockValueList's cells, made without the cells. A
// supplier's, a description's, a size's and a colour's field is made once,
// a bar code of digits and the numbers straight into the bytes: a million
// items take a fraction of the time.
class StockValueCsv {
public:
    // Each article's description field with its ';' (descriptionField()),
    // made once for every maker: the fields of the first `half` of the
    // articles one after the other in `first`, the others' in `second`, and
    // where each ends, by article place.
    struct Descriptions {
        std::size_t half = 0;
        QByteArray first;
        QByteArray second;
        std::vector<qsizetype> ends;
    };
    StockValueCsv(std::shared_ptr<const StockValuation> valuation, const Descriptions &descriptions);

    // Line `index`, CR LF included, added at the end of `bytes`.
    void append(qint64 index, QByteArray &bytes);

    // Every line of `valuation` handed to `line`, in order, until it answers
    // false. The lines are made a few thousand at a time, every other batch
    // on a second thread while this one makes the others and hands them on.
    static void handAll(const std::shared_ptr<const StockValuation> &valuation,
                        const std::function<bool(QByteArrayView)> &line);

private:
    QByteArray textField(int column, const QString &text) const;
    void appendAmount(QByteArray &line, int column, qint64 cents) const;
    void appendDescription(QByteArray &line, std::int32_t article);
    QByteArray descriptionField(std::int32_t article) const;
    static Descriptions descriptionFields(const std::shared_ptr<const StockValuation> &valuation);

    std::shared_ptr<const StockValuation> m_valuation;
    QList<ExportColumn> m_columns;
    QHash<std::int32_t, QByteArray> m_suppliers;
    QHash<std::uint32_t, QByteArray> m_sizes;
    QHash<std::uint32_t, QByteArray> m_colours;
    const Descriptions &m_descriptions;
    QByteArray m_noDescription;
};
