#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace db {

// A constant written in a statement. Strings, numbers and dates become bound
// parameters, so that statements differing only by their constants share one
// translation and one prepared statement.
struct Literal {
    enum class Type { Text, Integer, Real, Date };
    Type type = Type::Text;
    QString text;      // Text; Date as ISO text "yyyy-mm-dd[ hh:mm:ss]"
    qint64 integer = 0;
    double real = 0.0;
};

struct Token {
    enum class Kind {
        Word,          // name or keyword, as written
        Bracketed,     // [Name With Blanks], without the brackets
        Literal,       // a parameter; `literal` indexes the literal list
        InlineNumber,  // a number kept in the text (top N, order by 2)
        Punct          // operator or punctuation
    };
    Kind kind = Kind::Punct;
    int pos = 0;       // offset in the source (for Bracketed: after '[')
    int len = 0;
    int literal = -1;
};

// The tokens of one legacy statement or criterion, its literal values and a
// key that is the same for every statement of the same shape.
struct LexedText {
    std::vector<Token> tokens;
    std::vector<Literal> literals;
    QString shapeKey;
};

// Splits legacy SQL into tokens. Throws DbError(Syntax) on an unterminated
// string, bracket or date, an impossible date, a character that has no
// meaning in the dialect, or text after the closing semicolon.
// Date literals are read month first (#m/d/yyyy#); a two-digit year means
// 2000-2029 for 00-29 and 1930-1999 for 30-99; #yyyy-mm-dd# is also read.
class LegacyLexer {
public:
    static LexedText lex(const QString &source);
    static QStringView text(const QString &source, const Token &token)
    {
        return QStringView(source).mid(token.pos, token.len);
    }
    // Reads the inside of a #...# literal; false when it is no date.
    static bool parseDateLiteral(QStringView inside, QString *iso);
};

} // namespace db
