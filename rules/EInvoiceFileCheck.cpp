#include "rules/EInvoiceFileCheck.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>

namespace {

// The schema's pattern of each element the program writes with a typed value.
const QRegularExpression *patternOf(QStringView element)
{
    static const QRegularExpression amount2(QStringLiteral("^-?[0-9]{1,11}\\.[0-9]{2}$"));
    static const QRegularExpression amount8(QStringLiteral("^-?[0-9]{1,11}\\.[0-9]{2,8}$"));
    static const QRegularExpression quantity(QStringLiteral("^[0-9]{1,12}\\.[0-9]{2,8}$"));
    static const QRegularExpression rate(QStringLiteral("^[0-9]{1,3}\\.[0-9]{2}$"));
    static const QRegularExpression number(QStringLiteral("^[\\x{0}-\\x{7F}]{1,20}$"));
    static const QRegularExpression text(QStringLiteral("^[\\x{0}-\\x{FF}]{1,1000}$"));
    static const QHash<QString, const QRegularExpression *> patterns{
        {QStringLiteral("ImportoTotaleDocumento"), &amount2}, {QStringLiteral("ImponibileImporto"), &amount2},
        {QStringLiteral("Imposta"), &amount2},                {QStringLiteral("ImportoPagamento"), &amount2},
        {QStringLiteral("PrezzoUnitario"), &amount8},         {QStringLiteral("PrezzoTotale"), &amount8},
        {QStringLiteral("Quantita"), &quantity},              {QStringLiteral("AliquotaIVA"), &rate},
        {QStringLiteral("Numero"), &number},                  {QStringLiteral("Descrizione"), &text}};
    return patterns.value(element.toString());
}

QString amount(long double value)
{
    return QString::number(double(value), 'f', 2);
}

struct Line {
    long double quantity = 1;   // a line without quantity counts one
    long double price = 0;
    long double total = 0;
    QString rate, nature;
};

struct Summary {
    QString rate, nature;
    long double taxable = 0;
    long double tax = 0;
};

} // namespace

QStringList EInvoiceFileCheck::problems(const QString &numero, const QByteArray &xml)
{
    QStringList out;
    const QString prefix = QStringLiteral("Fattura %1: ").arg(numero);
    QList<Line> lines;
    QList<Summary> summaries;
    long double documentTotal = 0;
    long double payment = 0;
    QXmlStreamReader reader(xml);
    enum class Block { None, Line, Summary } block = Block::None;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && (reader.name() == QLatin1String("DettaglioLinee")
                                      || reader.name() == QLatin1String("DatiRiepilogo")))
            block = Block::None;
        if (!reader.isStartElement())
            continue;
        const QString name = reader.name().toString();
        if (name == QLatin1String("DettaglioLinee")) {
            block = Block::Line;
            lines.append(Line());
            continue;
        }
        if (name == QLatin1String("DatiRiepilogo")) {
            block = Block::Summary;
            summaries.append(Summary());
            continue;
        }
        const QRegularExpression *pattern = patternOf(name);
        if (!pattern && name != QLatin1String("Natura"))
            continue;
        const QString value = reader.readElementText();
        if (pattern && !pattern->match(value).hasMatch())
            out << prefix + QStringLiteral("il valore \"%1\" di %2 non è ammesso dalla fattura elettronica.")
                                .arg(value.left(40), name);
        const long double number = value.toDouble();
        if (block == Block::Line) {
            Line &line = lines.last();
            if (name == QLatin1String("Quantita"))
                line.quantity = number;
            else if (name == QLatin1String("PrezzoUnitario"))
                line.price = number;
            else if (name == QLatin1String("PrezzoTotale"))
                line.total = number;
            else if (name == QLatin1String("AliquotaIVA"))
                line.rate = value;
            else if (name == QLatin1String("Natura"))
                line.nature = value;
        } else if (block == Block::Summary) {
            Summary &summary = summaries.last();
            if (name == QLatin1String("ImponibileImporto"))
                summary.taxable = number;
            else if (name == QLatin1String("Imposta"))
                summary.tax = number;
            else if (name == QLatin1String("AliquotaIVA"))
                summary.rate = value;
            else if (name == QLatin1String("Natura"))
                summary.nature = value;
        } else if (name == QLatin1String("ImportoTotaleDocumento")) {
            documentTotal = number;
        } else if (name == QLatin1String("ImportoPagamento")) {
            payment = number;
        }
    }
    if (reader.hasError())
        out << prefix + QStringLiteral("il file non è un XML valido (%1).").arg(reader.errorString());
    // Figures that are not numbers cannot be summed.
    if (!out.isEmpty())
        return out;

    // Tolerances of the exchange system: a cent on a line, a euro on a summary.
    constexpr long double kCent = 0.01L + 1e-9L;
    constexpr long double kEuro = 1.0L + 1e-9L;
    QMap<QString, long double> linesByRate;
    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        const long double product = std::round(line.quantity * line.price * 100) / 100;
        if (std::fabs(product - line.total) > kCent)
            out << prefix + QStringLiteral("la riga %1 ha il totale %2, ma quantità per prezzo fa %3.")
                                .arg(i + 1).arg(amount(line.total), amount(product));
        linesByRate[line.rate + QLatin1Char(' ') + line.nature] += line.total;
    }
    QMap<QString, long double> summariesByRate;
    long double taxable = 0;
    long double tax = 0;
    for (const Summary &summary : summaries) {
        summariesByRate[summary.rate + QLatin1Char(' ') + summary.nature] += summary.taxable;
        taxable += summary.taxable;
        tax += summary.tax;
    }
    QMap<QString, long double> rates = linesByRate;
    rates.insert(summariesByRate);
    for (auto it = rates.cbegin(); it != rates.cend(); ++it) {
        const long double fromLines = linesByRate.value(it.key());
        const long double summarised = summariesByRate.value(it.key());
        if (std::fabs(fromLines - summarised) > kEuro)
            out << prefix + QStringLiteral("il riepilogo dell'aliquota %1 ha l'imponibile %2, ma le righe sommano %3.")
                                .arg(it.key().trimmed(), amount(summarised), amount(fromLines));
    }
    if (std::fabs(taxable + tax - documentTotal) > 1e-6L || std::fabs(payment - documentTotal) > 1e-6L)
        out << prefix + QStringLiteral("il totale del documento %1 non è imponibile più imposta (%2).")
                            .arg(amount(documentTotal), amount(taxable + tax));
    return out;
}
