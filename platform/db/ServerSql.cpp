#include "ServerSql.h"

#include <algorithm>

namespace db {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Where the word that ends just before `end` (blanks skipped) starts; its
// text in `word`.
qsizetype wordBefore(const QString &text, qsizetype end, QString *word)
{
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    qsizetype start = end;
    while (start > 0 && isWordChar(text.at(start - 1)))
        --start;
    *word = text.mid(start, end - start).toLower();
    return start;
}

} // namespace

QString serverSql(const QString &sql, int *parameters)
{
    QString out;
    out.reserve(sql.size() + sql.size() / 8);
    int count = 0;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copied whole, doubled quotes included.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(sql).mid(i, std::min(n, j + 1) - i);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('?')) {
            QString before;
            const qsizetype at = wordBefore(out, out.size(), &before);
            QString earlier;
            if (before == QLatin1String("is")) {
                out.truncate(at + 2);
                out += QStringLiteral(" NOT DISTINCT FROM ");
            } else if (before == QLatin1String("not") && (wordBefore(out, at, &earlier), earlier == QLatin1String("is"))) {
                out.truncate(at);
                out += QStringLiteral("DISTINCT FROM ");
            }
            // "?NNN" names its parameter; a plain "?" takes the next one.
            qsizetype j = i + 1;
            while (j < n && sql.at(j).isDigit())
                ++j;
            const int number = j > i + 1 ? QStringView(sql).mid(i + 1, j - i - 1).toInt() : count + 1;
            count = std::max(count, number);
            out += QLatin1Char('$') + QString::number(number);
            i = j;
            continue;
        }
        if (isWordChar(c) && (i == 0 || !isWordChar(sql.at(i - 1)))) {
            qsizetype j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            if (word.compare(QLatin1String("ifnull"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("coalesce");
            else
                out += word;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    if (parameters)
        *parameters = count;
    return out;
}

} // namespace db
