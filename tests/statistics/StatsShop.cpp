#include "StatsShop.h"

#include "SalesSummaryCheck.h"

#include <QMap>
#include <algorithm>
#include <cmath>
#include <random>

namespace {

QString literal(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("M/d/yyyy")) + QLatin1Char('#');
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

QString text(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("Null") : QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
}

const QDate kFirstDay(2021, 1, 1);
const QDate kLastDay(2026, 12, 31);

} // namespace

StatsShop::StatsShop(quint32 seed)
{
    std::mt19937 random(seed);
    const auto pick = [&random](int n) { return int(random() % quint32(n)); };
    const QStringList suppliers{QStringLiteral("Alfa Moda"), QStringLiteral("beta srl"), QStringLiteral("BETA SRL"),
                                QString(), QStringLiteral("Gamma")};
    for (int a = 1; a <= 30; ++a) {
        Article article;
        article.code = a;
        article.description = QStringLiteral("Articolo %1").arg(a);
        article.supplier = suppliers.at(a % suppliers.size());
        if (a != 7)
            article.loadPrice = 3 + pick(4000) / 100.0;
        m_articles << article;
        for (int i = 0; i < 2; ++i) {
            const QString code = a == 30 && i == 1 ? QStringLiteral("Maglia-XL")
                                                   : QStringLiteral("8000000%1").arg(a * 10 + i, 6, 10, QLatin1Char('0'));
            m_codes << code;
            m_itemArticle.insert(code.toLower(), int(m_articles.size()) - 1);
        }
    }
    const QList<QVariant> payments{QStringLiteral("CO"), QStringLiteral("BA"), QStringLiteral("CC"),
                                   QStringLiteral("co"), QString(QLatin1String("")), QVariant()};
    const auto newSale = [&](const QDate &date) {
        Sale sale;
        const int kind = pick(100);
        sale.code = kind < 3 ? QStringLiteral("9999999999999")
                    : kind < 6 ? QStringLiteral("maglia-xl")
                               : m_codes.at(pick(int(m_codes.size())));
        sale.date = date;
        const int quantity = pick(100);
        sale.quantity = quantity < 6 ? -1 : quantity < 10 ? 0.5 : 1 + pick(3);
        const double price = 5 + pick(9500) / 100.0;
        sale.sconto = pick(100) < 30 ? std::round(price * std::abs(sale.quantity) * 10) / 100.0 : 0;
        sale.saldo = pick(100) < 3 ? 2.675 : price * sale.quantity - (sale.quantity < 0 ? -sale.sconto : sale.sconto);
        sale.payment = payments.at(pick(int(payments.size())));
        sale.used = pick(10) == 0;
        return sale;
    };
    const qint64 span = kFirstDay.daysTo(kLastDay) + 1;
    for (int s = 0; s < 2500; ++s)
        m_written << newSale(kFirstDay.addDays(pick(int(span))));
    for (const QDate &day : {QDate(2024, 2, 29), QDate(2025, 12, 31), QDate(2026, 1, 1), QDate(2023, 2, 28)})
        for (int s = 0; s < 5; ++s)
            m_written << newSale(day);
    m_sales = m_written;
    for (int c = 0; c < 60; ++c) {
        const int at = pick(int(m_written.size()));
        const Sale changed = newSale(kFirstDay.addDays(pick(int(span))));
        m_changes.append({at, changed});
        m_sales[at] = changed;
    }
    QList<int> gone;
    while (gone.size() < 60) {
        const int at = pick(int(m_written.size()));
        if (!gone.contains(at))
            gone << at;
    }
    m_deletions = gone;
    std::sort(gone.begin(), gone.end(), std::greater<>());
    for (int at : gone)
        m_sales.removeAt(at);
}

void StatsShop::write(TestShopDatabase &shop)
{
    db::Database &database = shop.database();
    database.beginTrans();
    for (const Article &article : std::as_const(m_articles))
        shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                                    "values (%1, '%2', %3, %4)")
                         .arg(article.code)
                         .arg(article.description,
                              article.supplier.isEmpty() ? QStringLiteral("Null") : text(article.supplier),
                              article.loadPrice ? number(*article.loadPrice) : QStringLiteral("Null")));
    for (const QString &code : std::as_const(m_codes))
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                    "values ('%1', %2, 0)")
                         .arg(code)
                         .arg(m_articles.at(m_itemArticle.value(code.toLower())).code));
    for (const Sale &sale : std::as_const(m_written))
        shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, "
                                    "sc_Sconto, sc_Saldo, sc_Pagamento, sc_Usato) values ('%1', %2, %3, 1, %4, %5, %6, %7)")
                         .arg(sale.code, literal(sale.date), number(sale.quantity), number(sale.sconto),
                              number(sale.saldo), text(sale.payment), sale.used ? QStringLiteral("-1") : QStringLiteral("0")));
    database.commitTrans();
    // Changed and deleted one by one, each in a transaction of its own.
    for (const auto &[at, sale] : std::as_const(m_changes))
        shop.execute(QStringLiteral("update scarico set sc_Codice_Articolo = '%1', sc_Data = %2, sc_Quantita = %3, "
                                    "sc_Sconto = %4, sc_Saldo = %5, sc_Pagamento = %6 where sc_Codice = %7")
                         .arg(sale.code, literal(sale.date), number(sale.quantity), number(sale.sconto),
                              number(sale.saldo), text(sale.payment))
                         .arg(at + 1));
    for (int at : std::as_const(m_deletions))
        shop.execute(QStringLiteral("delete from scarico where sc_Codice = %1").arg(at + 1));
}

StatsShop::Expected StatsShop::expected(const QDate &from, const QDate &to, const QDate &beforeFrom,
                                        const QDate &beforeTo, const QString &step) const
{
    const auto monthNumber = [](const QDate &d) { return d.year() * 12 + d.month() - 1; };
    const auto cutOf = [&](qint64 offsetFromStart, const QDate &day) -> qint64 {
        if (step == QLatin1String("giorno"))
            return offsetFromStart;
        if (step == QLatin1String("settimana"))
            return offsetFromStart / 7;
        return monthNumber(day) - monthNumber(from);
    };
    const qint64 cuts = cutOf(from.daysTo(to), to) + 1;
    Expected out;
    out.cents.fill(0, cuts);
    out.centsBefore.fill(0, cuts);
    out.sales.fill(0, cuts);
    out.salesBefore.fill(0, cuts);

    struct Sums {
        qint64 sales = 0, thousandths = 0, cents = 0, discount = 0;
    };
    QMap<qint64, Sums> byArticle;
    QMap<QString, Sums> byPayment;
    for (const Sale &sale : m_sales) {
        const qint64 cents = SalesSummaryCheck::whole(sale.saldo * 100);
        if (sale.date >= beforeFrom && sale.date <= beforeTo) {
            const qint64 cut = step == QLatin1String("mese")
                                   ? cutOf(0, sale.date.addYears(1))
                                   : std::min(cuts - 1, cutOf(beforeFrom.daysTo(sale.date), sale.date));
            out.centsBefore[cut] += cents;
            out.salesBefore[cut] += 1;
            out.totalCentsBefore += cents;
        }
        if (sale.date < from || sale.date > to)
            continue;
        const qint64 cut = cutOf(from.daysTo(sale.date), sale.date);
        out.cents[cut] += cents;
        out.sales[cut] += 1;
        out.totalCents += cents;
        const int article = m_itemArticle.value(sale.code.toLower(), -1);
        Sums &a = byArticle[article < 0 ? 0 : m_articles.at(article).code];
        a.sales += 1;
        a.thousandths += SalesSummaryCheck::whole(sale.quantity * 1000);
        a.cents += cents;
        const QString code = sale.payment.toString().trimmed().toUpper();
        const QString description = code.isEmpty()             ? QStringLiteral("Non specificato")
                                    : code == QLatin1String("CO") ? QStringLiteral("Contanti")
                                    : code == QLatin1String("BA") ? QStringLiteral("Bancomat")
                                                                  : QStringLiteral("Carta di credito");
        Sums &p = byPayment[description];
        p.sales += 1;
        p.cents += cents;
        p.discount += SalesSummaryCheck::whole(sale.sconto * 100);
    }

    QList<ArticleRow> rows;
    QMap<QString, SupplierRow> suppliers;   // by the name folded, in the order of the articles
    for (auto it = byArticle.cbegin(); it != byArticle.cend(); ++it) {
        rows << ArticleRow{it.key(), it->thousandths, it->cents};
        const Article *article = nullptr;
        for (const Article &candidate : m_articles)
            if (candidate.code == it.key())
                article = &candidate;
        const QString name = !article                   ? QStringLiteral("Codici non in magazzino")
                             : article->supplier.isEmpty() ? QStringLiteral("Senza fornitore")
                                                           : article->supplier;
        SupplierRow &row = suppliers[article ? name.toLower() : QString()];
        if (row.supplier.isEmpty())
            row.supplier = name;
        row.thousandths += it->thousandths;
        row.cents += it->cents;
        if (article)
            row.costCents += std::llround(double(it->thousandths) / 1000.0 * article->loadPrice.value_or(0) * 100.0);
    }
    std::sort(rows.begin(), rows.end(), [](const ArticleRow &a, const ArticleRow &b) {
        return std::tuple(-a.thousandths, -a.cents, a.article) < std::tuple(-b.thousandths, -b.cents, b.article);
    });
    out.byPieces = rows.mid(0, 20);
    std::sort(rows.begin(), rows.end(), [](const ArticleRow &a, const ArticleRow &b) {
        return std::tuple(-a.cents, -a.thousandths, a.article) < std::tuple(-b.cents, -b.thousandths, b.article);
    });
    out.byTakings = rows.mid(0, 20);
    out.suppliers = suppliers.values();
    std::sort(out.suppliers.begin(), out.suppliers.end(), [](const SupplierRow &a, const SupplierRow &b) {
        return std::tuple(-a.cents, a.supplier) < std::tuple(-b.cents, b.supplier);
    });
    for (auto it = byPayment.cbegin(); it != byPayment.cend(); ++it)
        out.payments << PaymentRow{it.key(), it->sales, it->cents, it->discount};
    std::sort(out.payments.begin(), out.payments.end(), [](const PaymentRow &a, const PaymentRow &b) {
        return std::tuple(-a.cents, a.description) < std::tuple(-b.cents, b.description);
    });
    return out;
}
