#pragma once

#include "Formula.h"

#include <QString>

namespace report {

// Recursive-descent parser of the formula language:
//   {table.field}  {@Name}  numbers  'text' "text"  true false
//   date(yyyy,mm,dd)  sum({t.f})  count()  page()  pages()  today()
//   = <> < > <= >=   + - * /   and or not   ( )
// Keywords ignore case and need no blank next to braces or quotes
// ("and{carico.ca_Data}", "='26-00001'").
class FormulaParser {
public:
    // Every walk of a parsed formula (binding, evaluating, the condition
    // handed to the database) recurses once per level: a formula nested
    // deeper is refused. Parentheses, "not", "-" and every operator of a
    // chain of arithmetic or comparison are a level each; a chain of "and"
    // or of "or" is one level however long.
    static constexpr int maxDepth = 200;

    explicit FormulaParser(const QString &text);
    Formula parse();

private:
    enum class Tok { End, Number, String, Field, Named, Word, Op, LParen, RParen, Comma };
    struct Token {
        Tok kind = Tok::End;
        QString text;
        QString table;
        double number = 0;
        int pos = 0;
    };

    void next();
    [[noreturn]] void fail(int pos, const QString &what) const;
    bool isWord(const char *word) const;
    bool isOp(const char *op) const;

    std::unique_ptr<FormulaNode> parseOr();
    std::unique_ptr<FormulaNode> parseAnd();
    std::unique_ptr<FormulaNode> parseNot();
    std::unique_ptr<FormulaNode> parseCompare();
    std::unique_ptr<FormulaNode> parseAdd();
    std::unique_ptr<FormulaNode> parseMul();
    std::unique_ptr<FormulaNode> parseUnary();
    std::unique_ptr<FormulaNode> parsePrimary();
    std::unique_ptr<FormulaNode> parseCall(const Token &name);
    void expect(Tok kind, const QString &what);
    // A node with its arguments, refused when it makes the formula too deep.
    std::unique_ptr<FormulaNode> grown(std::unique_ptr<FormulaNode> node, int pos) const;
    class Level;

    QString m_text;
    int m_pos = 0;
    int m_depth = 0;   // parentheses, "not" and "-" open at this point
    Token m_tok;
};

} // namespace report
