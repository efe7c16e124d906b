#include "rules/DailyTakings.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/ShopDatabase.h"

#include <algorithm>

const QString DailyTakings::kNoPayment = QStringLiteral("Non specificato");

namespace {

QString literal(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#');
}

double sumOrZero(const QVariant &value)
{
    return value.isNull() ? 0 : value.toDouble();
}

} // namespace

QString DailyTakings::statement(const QDate &from, const QDate &to)
{
    return QStringLiteral("Select sc_Pagamento, count(*) as Vendite, sum(sc_Sconto) as Sconti, sum(sc_Saldo) as Incasso "
                          "from scarico where sc_Data between ")
           + literal(from) + QStringLiteral(" and ") + literal(to) + QStringLiteral(" group by sc_Pagamento");
}

DailyTakings DailyTakings::read(const QDate &from, const QDate &to)
{
    DailyTakings takings;
    auto database = ShopDatabase::open();
    QList<TakingsLine> byCode;
    {
        auto rs = database->openRecordset(statement(from, to));
        while (!rs->eof()) {
            TakingsLine line;
            const QVariant code = rs->value(QStringLiteral("sc_Pagamento"));
            line.pagamento = code.isNull() ? QString() : code.toString().trimmed();
            line.vendite = rs->value(QStringLiteral("Vendite")).toInt();
            line.sconti = sumOrZero(rs->value(QStringLiteral("Sconti")));
            line.incasso = sumOrZero(rs->value(QStringLiteral("Incasso")));
            byCode << line;
            rs->moveNext();
        }
    }
    // A few payment types: their descriptions come one by one, and the sales
    // without a code (Null or empty) make one line.
    for (TakingsLine &line : byCode) {
        if (line.pagamento.isEmpty()) {
            line.descrizione = kNoPayment;
        } else {
            auto rs = database->openRecordset(QStringLiteral("Select pag_Descrizione from Pagamenti where pag_Codice = ")
                                              + db::quoted(line.pagamento));
            line.descrizione = !rs->eof() && !rs->value(0).isNull() ? rs->value(0).toString() : line.pagamento;
        }
        auto same = std::find_if(takings.lines.begin(), takings.lines.end(),
                                 [&](const TakingsLine &other) { return other.descrizione == line.descrizione; });
        if (same != takings.lines.end()) {
            same->vendite += line.vendite;
            same->sconti += line.sconti;
            same->incasso += line.incasso;
        } else {
            takings.lines << line;
        }
        takings.totale.vendite += line.vendite;
        takings.totale.sconti += line.sconti;
        takings.totale.incasso += line.incasso;
    }
    std::sort(takings.lines.begin(), takings.lines.end(), [](const TakingsLine &a, const TakingsLine &b) {
        if ((a.descrizione == kNoPayment) != (b.descrizione == kNoPayment))
            return b.descrizione == kNoPayment;
        return a.descrizione.compare(b.descrizione, Qt::CaseInsensitive) < 0;
    });
    takings.totale.descrizione = QStringLiteral("Totale");
    return takings;
}
