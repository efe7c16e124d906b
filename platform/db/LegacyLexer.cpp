#include "LegacyLexer.h"

#include "EngineErrors.h"

#include <QDate>
#include <QTime>

namespace db {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark();
}

bool equalsWord(QStringView text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

int twoDigitYear(int year)
{
    return year < 30 ? 2000 + year : 1900 + year;
}

bool readNumber(QStringView part, int *value)
{
    if (part.isEmpty() || part.size() > 4)
        return false;
    for (QChar c : part)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    *value = part.toInt();
    return true;
}

} // namespace

bool LegacyLexer::parseDateLiteral(QStringView inside, QString *iso)
{
    const QStringView trimmed = inside.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const QStringView datePart = blank < 0 ? trimmed : trimmed.left(blank);
    const QStringView timePart = blank < 0 ? QStringView() : trimmed.mid(blank + 1).trimmed();

    QChar separator;
    for (QChar c : datePart)
        if (c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) {
            separator = c;
            break;
        }
    if (separator.isNull())
        return false;
    const auto parts = datePart.split(separator);
    if (parts.size() != 3)
        return false;
    int a, b, c;
    if (!readNumber(parts[0], &a) || !readNumber(parts[1], &b) || !readNumber(parts[2], &c))
        return false;
    int year, month, day;
    if (parts[0].size() == 4) { // yyyy-mm-dd
        year = a;
        month = b;
        day = c;
    } else {
        month = a;
        day = b;
        if (parts[2].size() == 2)
            year = twoDigitYear(c);
        else if (parts[2].size() == 4)
            year = c;
        else
            return false;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    *iso = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (timePart.isEmpty())
        return true;

    QStringView clock = timePart;
    int addHours = 0;
    bool twelveHour = false;
    if (clock.endsWith(QLatin1String("AM"), Qt::CaseInsensitive) || clock.endsWith(QLatin1String("PM"), Qt::CaseInsensitive)) {
        twelveHour = true;
        addHours = clock.endsWith(QLatin1String("PM"), Qt::CaseInsensitive) ? 12 : 0;
        clock = clock.left(clock.size() - 2).trimmed();
    }
    const auto pieces = clock.split(QLatin1Char(':'));
    if (pieces.size() < 2 || pieces.size() > 3)
        return false;
    int h, m, s = 0;
    if (!readNumber(pieces[0], &h) || !readNumber(pieces[1], &m) || (pieces.size() == 3 && !readNumber(pieces[2], &s)))
        return false;
    if (twelveHour) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + addHours;
    }
    const QTime time(h, m, s);
    if (!time.isValid())
        return false;
    if (time != QTime(0, 0))
        *iso += QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
    return true;
}

LexedText LegacyLexer::lex(const QString &source)
{
    LexedText out;
    out.tokens.reserve(32);
    const QChar *s = source.constData();
    const int n = int(source.size());

    // Numbers stay in the text after "top" and inside order by / group by,
    // where a parameter would change the meaning ("order by 2").
    int depth = 0;
    int orderDepth = -1;
    bool afterTop = false;
    QStringView lastWord;
    int lastKind = -1;

    auto addToken = [&](Token::Kind kind, int pos, int len) {
        Token t;
        t.kind = kind;
        t.pos = pos;
        t.len = len;
        out.tokens.push_back(t);
        return &out.tokens.back();
    };
    auto addLiteral = [&](int pos, int len, Literal literal) {
        Token *t = addToken(Token::Kind::Literal, pos, len);
        t->literal = int(out.literals.size());
        out.literals.push_back(std::move(literal));
    };

    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const int start = i;
        if (isWordStart(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            addToken(Token::Kind::Word, start, i - start);
            const QStringView word(s + start, i - start);
            if (equalsWord(word, "by") && lastKind == 0
                && (equalsWord(lastWord, "order") || equalsWord(lastWord, "group")))
                orderDepth = depth;
            else if (orderDepth >= 0
                     && (equalsWord(word, "limit") || equalsWord(word, "having") || equalsWord(word, "where")
                         || equalsWord(word, "from") || equalsWord(word, "select") || equalsWord(word, "union")))
                orderDepth = -1;
            afterTop = equalsWord(word, "top");
            lastWord = word;
            lastKind = 0;
            continue;
        }
        lastKind = 1;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        value.append(c);
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value.append(s[i]);
                ++i;
            }
            if (!closed)
                throw errors::syntax(QStringLiteral("stringa non terminata"), source);
            Literal literal;
            literal.type = Literal::Type::Text;
            literal.text = std::move(value);
            addLiteral(start, i - start, std::move(literal));
            afterTop = false;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = source.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                throw errors::syntax(QStringLiteral("parentesi quadra non chiusa"), source);
            addToken(Token::Kind::Bracketed, i + 1, int(close) - i - 1);
            i = int(close) + 1;
            afterTop = false;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const qsizetype close = source.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0)
                throw errors::badDate(source.mid(i));
            Literal literal;
            literal.type = Literal::Type::Date;
            if (!parseDateLiteral(QStringView(s + i + 1, close - i - 1), &literal.text))
                throw errors::badDate(source.mid(i, close - i + 1));
            i = int(close) + 1;
            addLiteral(start, i - start, std::move(literal));
            afterTop = false;
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            bool real = false;
            while (i < n && s[i].isDigit())
                ++i;
            if (i < n && s[i] == QLatin1Char('.') && !(i + 1 < n && isWordStart(s[i + 1]))) {
                real = true;
                ++i;
                while (i < n && s[i].isDigit())
                    ++i;
            }
            if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
                    ++j;
                if (j < n && s[j].isDigit()) {
                    real = true;
                    i = j;
                    while (i < n && s[i].isDigit())
                        ++i;
                }
            }
            if (i < n && isWordStart(s[i]))
                throw errors::syntax(QStringLiteral("operatore mancante"), source);
            const QStringView number(s + start, i - start);
            if (afterTop || orderDepth >= 0) {
                addToken(Token::Kind::InlineNumber, start, i - start);
            } else {
                Literal literal;
                bool ok = false;
                if (!real) {
                    literal.integer = number.toLongLong(&ok);
                    literal.type = Literal::Type::Integer;
                }
                if (!ok) {
                    literal.real = number.toDouble(&ok);
                    literal.type = Literal::Type::Real;
                }
                if (!ok)
                    throw errors::syntax(QStringLiteral("numero non valido"), source);
                addLiteral(start, i - start, std::move(literal));
            }
            afterTop = false;
            continue;
        }
        afterTop = false;
        // Operators and punctuation. Each is its own token, so that "--" or
        // "/*" never reach SQLite as a comment.
        static const char *const twoChar[] = {"<=", ">=", "<>", "!=", "||"};
        int len = 0;
        if (i + 1 < n) {
            for (const char *op : twoChar)
                if (s[i] == QLatin1Char(op[0]) && s[i + 1] == QLatin1Char(op[1]))
                    len = 2;
        }
        if (len == 0) {
            switch (c.unicode()) {
            case '(': ++depth; len = 1; break;
            case ')':
                --depth;
                if (orderDepth > depth)
                    orderDepth = -1;
                len = 1;
                break;
            case ',': case '.': case '*': case '+': case '-': case '/': case '=':
            case '<': case '>': case '&': case '%': case '^':
                len = 1;
                break;
            case ';': {
                int j = i + 1;
                while (j < n && (s[j].isSpace() || s[j] == QLatin1Char(';')))
                    ++j;
                if (j < n)
                    throw DbError(ErrorKind::Syntax, 3142,
                                  QStringLiteral("Caratteri trovati dopo la fine dell'istruzione SQL."));
                i = n;
                continue;
            }
            default:
                throw errors::syntax(QStringLiteral("carattere non valido '%1'").arg(c), source);
            }
        }
        addToken(Token::Kind::Punct, start, len);
        i += len;
    }
    if (depth != 0)
        throw errors::syntax(QStringLiteral("parentesi non bilanciate"), source);

    // The shape: the text as written, each constant replaced by a control
    // character (never part of a name) that says its kind.
    out.shapeKey.reserve(source.size());
    int written = 0;
    for (const Token &t : out.tokens) {
        if (t.kind != Token::Kind::Literal)
            continue;
        out.shapeKey.append(QStringView(s + written, t.pos - written));
        const Literal::Type type = out.literals[size_t(t.literal)].type;
        out.shapeKey.append(QChar(type == Literal::Type::Text   ? u'\x01'
                                  : type == Literal::Type::Date ? u'\x03'
                                                                : u'\x02'));
        written = t.pos + t.len;
    }
    out.shapeKey.append(QStringView(s + written, n - written));
    return out;
}

} // namespace db
