#include "NamedFormulas.h"

#include "Formula.h"
#include "FormulaNode.h"
#include "ReportProperties.h"
#include "db/DbError.h"

namespace report {

namespace {

[[noreturn]] void refuse(int slot, const QString &text, const QString &why)
{
    throw db::DbError(db::ErrorKind::Syntax, err::FormulaInvalid,
                      QStringLiteral("Formula %1 non valida: \"%2\" (%3).").arg(slot).arg(text, why));
}

bool validName(const QString &name)
{
    if (name.isEmpty() || !(name.at(0).isLetter() || name.at(0) == QLatin1Char('_')))
        return false;
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    return true;
}

QString quotedText(const QString &value)
{
    try {
        const Formula literal = Formula::parse(value);
        if (literal.root() && literal.root()->kind == FormulaNode::Kind::Literal
            && literal.root()->literal.typeId() == QMetaType::QString)
            return literal.root()->literal.toString();
    } catch (const db::DbError &) {
    }
    return value.mid(1, value.size() - 2);
}

} // namespace

NamedFormulas NamedFormulas::fromSlots(const QStringList &slots)
{
    NamedFormulas out;
    for (int i = 0; i < slots.size(); ++i) {
        const QString text = slots.at(i).trimmed();
        if (text.isEmpty())
            continue;
        const int eq = int(text.indexOf(QLatin1Char('=')));
        if (eq < 0)
            refuse(i, text, QStringLiteral("manca \"=\""));
        const QString name = text.left(eq).trimmed();
        if (!validName(name))
            refuse(i, text, QStringLiteral("nome non valido"));
        const QString value = text.mid(eq + 1).trimmed();
        // A quoted value is one text literal, its doubled quotes standing for
        // one ('Esente art. 10 dell''IVA'); a value whose inner quote was not
        // doubled ('Esente art. 10 dell'IVA') is taken as it stands between its
        // outer quotes, so it still reads whole.
        if (value.size() >= 2 && (value.front() == QLatin1Char('\'') || value.front() == QLatin1Char('"'))
            && value.back() == value.front()) {
            out.set(name, quotedText(value));
            continue;
        }
        if (value.isEmpty()) {
            out.set(name, QString());
            continue;
        }
        const Formula f = Formula::parse(value);
        if (!f.tables().isEmpty())
            refuse(i, text, QStringLiteral("il valore non può leggere campi"));
        struct NoRow : FormulaContext {
            QVariant column(int) const override { return {}; }
        } none;
        out.set(name, f.evaluate(none));
    }
    return out;
}

void NamedFormulas::set(const QString &name, const QVariant &value)
{
    m_values.insert(name.toLower(), value);
}

bool NamedFormulas::contains(const QString &name) const
{
    return m_values.contains(name.toLower());
}

QVariant NamedFormulas::value(const QString &name) const
{
    return m_values.value(name.toLower());
}

} // namespace report
