#include "db/SqlText.h"

namespace db {

QString escaped(const QString &text, QChar quote)
{
    QString out;
    out.reserve(text.size() + 4);
    for (QChar c : text) {
        out.append(c);
        if (c == quote)
            out.append(c);
    }
    return out;
}

QString quoted(const QString &text, QChar quote)
{
    return quote + escaped(text, quote) + quote;
}

QString typedLikePattern(const QString &typed)
{
    QString out;
    out.reserve(typed.size() + 4);
    for (QChar c : typed) {
        if (c == QLatin1Char('#') || c == QLatin1Char('['))
            out.append(QLatin1Char('[')).append(c).append(QLatin1Char(']'));
        else
            out.append(c);
    }
    return out;
}

QString formulaQuoted(const QString &text)
{
    return quoted(text, QLatin1Char('\''));
}

QString selectInStoredOrder(const QString &columns, const QString &table, const QString &condition, bool onServer)
{
    const QString from = QStringLiteral("select ") + columns + QStringLiteral(" from ") + table;
    if (onServer)
        return from + QStringLiteral(" where ") + condition;
    return from + QStringLiteral(" where rowid in (select rowid from ") + table + QStringLiteral(" where ") + condition
           + QLatin1Char(')');
}

} // namespace db
