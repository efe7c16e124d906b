#include "ReportQuery.h"

#include <QMutex>
#include <QRegularExpression>

namespace report {

namespace {

QString key(const QString &table, const QString &field)
{
    QString t = table.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        t = t.mid(1, t.size() - 2).trimmed();
    return t.toLower() + QChar(1) + field.trimmed().toLower();
}

QString chosen(const TemplateTable &table, const QStringList &formulaTables)
{
    for (const QString &name : table.names)
        for (const QString &wanted : formulaTables)
            if (name.compare(wanted.trimmed(), Qt::CaseInsensitive) == 0)
                return name;
    return table.names.first();
}

// "nota.pn_Data" -> "[Prima Nota].pn_Data" in the template's own texts.
QString withRealName(QString text, const QString &alias, const QString &real)
{
    if (alias.isEmpty())
        return text;
    const QRegularExpression word(QStringLiteral("(?<![\\w\\]])%1\\.").arg(QRegularExpression::escape(alias)),
                                  QRegularExpression::CaseInsensitiveOption);
    return text.replace(word, QLatin1Char('[') + real + QStringLiteral("]."));
}

} // namespace

ReportQuery::ReportQuery(const ReportTemplate &tmpl, ReportDataSource &source, const QStringList &formulaTables)
{
    QStringList select;
    QString from;
    QString order = tmpl.order;
    QList<QPair<QString, QString>> aliases;
    for (const TemplateTable &table : tmpl.tables) {
        const QString real = chosen(table, formulaTables);
        if (m_mainTable.isEmpty())
            m_mainTable = real;
        QStringList answersTo = table.names;
        if (!table.alias.isEmpty())
            answersTo << table.alias;
        aliases << qMakePair(table.alias, real);
        QStringList prefixes;   // key(name, field) without the field
        for (const QString &name : answersTo)
            prefixes << key(name, QString());
        const QStringList fields = source.fieldNames(real);
        for (int position = 0; position < fields.size(); ++position) {
            const QString &field = fields.at(position);
            const QString lowerField = field.trimmed().toLower();
            for (const QString &prefix : prefixes) {
                // The first table that has a field wins when names repeat.
                const QString k = prefix + lowerField;
                if (!m_columns.contains(k))
                    m_columns.insert(k, m_columnCount);
            }
            select << u'[' + real + QStringLiteral("].[") + field + u']';
            m_list.push_back({real, field, position});
            ++m_columnCount;
        }
        if (table.join.isEmpty())
            from = QStringLiteral("[%1]").arg(real);
        else
            from += QStringLiteral(" %1 [%2] ON %3")
                        .arg(table.join == QLatin1String("leftjoin") ? QStringLiteral("LEFT JOIN")
                                                                     : QStringLiteral("INNER JOIN"),
                             real, table.on);
    }
    for (const auto &a : aliases) {
        from = withRealName(from, a.first, a.second);
        order = withRealName(order, a.first, a.second);
    }
    m_sql = QStringLiteral("SELECT ") + select.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from;
    if (!order.isEmpty())
        m_sql += QStringLiteral(" ORDER BY ") + order;
}

std::shared_ptr<const ReportQuery> ReportQuery::of(const ReportTemplate &tmpl, ReportDataSource &source,
                                                   const QStringList &formulaTables)
{
    const QString shape = source.shapeKey();
    if (shape.isEmpty() || tmpl.revision == 0)
        return std::make_shared<const ReportQuery>(tmpl, source, formulaTables);
    const QString key = QString::number(tmpl.revision) + QChar(1) + formulaTables.join(QChar(2)) + QChar(1) + shape;
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const ReportQuery>> built;
    {
        QMutexLocker lock(&mutex);
        if (const auto it = built.constFind(key); it != built.cend())
            return *it;
    }
    auto query = std::make_shared<const ReportQuery>(tmpl, source, formulaTables);
    QMutexLocker lock(&mutex);
    if (built.size() > 64)
        built.clear();
    built.insert(key, query);
    return query;
}

int ReportQuery::resolve(const QString &table, const QString &field) const
{
    return m_columns.value(key(table, field), -1);
}

} // namespace report
