#include "ValueShop.h"

#include "TestShopDatabase.h"

#include <QMap>
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

} // namespace

qint64 ValueShop::halfEven(double value)
{
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest > 0.5)
        return qint64(down) + 1;
    if (rest < 0.5)
        return qint64(down);
    return qint64(down) % 2 == 0 ? qint64(down) : qint64(down) + 1;
}

qint64 ValueShop::cents(double value)
{
    // The prices here have at most a few decimals: a tiny nudge keeps
    // 2.675 (stored just below) on the cent it stands for.
    const double scaled = value * 100.0;
    return qint64(std::floor(std::fabs(scaled) + 0.5 + 1e-7)) * (scaled < 0 ? -1 : 1);
}

ValueShop::ValueShop(TestShopDatabase &shop, int count, unsigned seed)
{
    std::mt19937 random(seed);
    const QStringList suppliers{QStringLiteral("Rossi"), QStringLiteral("Bianchi & C."), QStringLiteral("rossi"),
                                QStringLiteral("Dell'Orto"), QString()};
    for (int a = 0; a < 24; ++a) {
        Article article;
        article.code = 100 + a;
        article.descrizione = QStringLiteral("Articolo %1").arg(a);
        article.fornitore = suppliers.at(a % suppliers.size());
        article.prezzoCarico = 3 + (a * 37 % 50) + (a % 4) * 0.25;
        articles << article;
    }
    for (int i = 0; i < 90; ++i) {
        Item item;
        item.article = i % articles.size();
        item.code = QStringLiteral("80%1").arg(1000 + i) + (i % 7 == 3 ? QStringLiteral("U") : QString());
        item.taglia = QStringList{"S", "M", "L"}.at(i % 3);
        item.colore = QStringList{"rosso", "blu"}.at(i % 2);
        items << item;
    }
    firstDay = QDate(2024, 1, 1);
    const int days = int(firstDay.daysTo(QDate(2026, 12, 6)));
    for (int m = 0; m < count; ++m) {
        Movement move;
        const unsigned draw = random() % 100;
        move.kind = draw < 45 ? Movement::Load : draw < 90 ? Movement::Sale : Movement::Adjustment;
        move.item = random() % 60 == 0 ? -1 : int(random() % items.size());
        move.code = move.item < 0 ? QStringLiteral("nessuno") : items.at(move.item).code;
        if (random() % 5 == 0)
            move.code = move.code.toLower();
        move.date = firstDay.addDays(random() % (days + 1));
        const double halves[] = {0, 0, 0, 0.5};
        move.quantity = 1 + random() % (move.kind == Movement::Load ? 8 : 4) + halves[random() % 4];
        if (move.kind == Movement::Adjustment)
            move.quantity = int(random() % 7) - 3;
        if (move.kind == Movement::Load) {
            const unsigned priced = random() % 4;
            move.price = priced == 0 ? 0 : priced == 1 ? -1 : 2 + (random() % 4000) / 100.0;
        }
        movements << move;
    }
    // The first day has a movement of its own: nothing stands before it.
    movements.first().date = firstDay;

    db::Database &database = shop.database();
    database.beginTrans();
    for (const Article &article : std::as_const(articles))
        shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                                    "values (%1, '%2', %3, %4)")
                         .arg(article.code)
                         .arg(article.descrizione,
                              article.fornitore.isEmpty() ? QStringLiteral("Null")
                                                          : QStringLiteral("'%1'").arg(QString(article.fornitore)
                                                                                           .replace("'", "''")),
                              number(article.prezzoCarico)));
    for (int i = 0; i < items.size(); ++i)
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, "
                                    "ca_Quantita) values ('%1', %2, '%3', '%4', %5)")
                         .arg(items.at(i).code)
                         .arg(articles.at(items.at(i).article).code)
                         .arg(items.at(i).taglia, items.at(i).colore)
                         .arg(stockNow(i)));
    for (const Movement &move : std::as_const(movements)) {
        switch (move.kind) {
        case Movement::Load:
            shop.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo) "
                                        "values ('%1', %2, %3, %4)")
                             .arg(move.code, literal(move.date), number(move.quantity),
                                  move.price < 0 ? QStringLiteral("Null") : number(move.price)));
            break;
        case Movement::Sale:
            shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, "
                                        "sc_Sconto, sc_Saldo) values ('%1', %2, %3, 10, 0, 10)")
                             .arg(move.code, literal(move.date), number(move.quantity)));
            break;
        case Movement::Adjustment:
            shop.execute(QStringLiteral("insert into Rettifiche (re_Codice_Articolo, re_Data, re_Quantita, re_Inventario) "
                                        "values ('%1', %2, %3, 1)")
                             .arg(move.code, literal(move.date), number(move.quantity)));
            break;
        }
    }
    database.commitTrans();
}

namespace {

qint64 signedWhole(const ValueShop::Movement &move)
{
    const qint64 whole = ValueShop::halfEven(move.quantity);
    return move.kind == ValueShop::Movement::Sale ? -whole : whole;
}

} // namespace

qint64 ValueShop::stockNow(int item) const
{
    qint64 stock = 0;
    for (const Movement &move : movements)
        if (move.item == item)
            stock += signedWhole(move);
    return stock;
}

QStringList ValueShop::expectedLines(const QDate &day) const
{
    // Replayed forward: the stock and the loads up to the end of the day.
    QList<qint64> stock(items.size(), 0);
    QList<double> loaded(items.size(), 0), value(items.size(), 0);
    for (const Movement &move : movements) {
        if (move.item < 0 || move.date > day)
            continue;
        stock[move.item] += signedWhole(move);
        if (move.kind == Movement::Load) {
            const double own = articles.at(items.at(move.item).article).prezzoCarico;
            loaded[move.item] += move.quantity;
            value[move.item] += move.quantity * (move.price > 0 ? move.price : own);
        }
    }
    // Suppliers ignoring case, those without last; codes within.
    QMap<QString, QMap<QString, QString>> bySupplier;
    for (int i = 0; i < items.size(); ++i) {
        if (stock[i] == 0)
            continue;
        const Article &article = articles.at(items.at(i).article);
        const double price = loaded[i] > 0 ? value[i] / loaded[i] : article.prezzoCarico;
        const QString supplier = article.fornitore.isEmpty() ? QStringLiteral("\uffff") : article.fornitore.toLower();
        bySupplier[supplier][items.at(i).code.toLower()] =
            QStringLiteral("|%1|%2|%3|%4").arg(items.at(i).code).arg(stock[i]).arg(cents(price)).arg(stock[i] * cents(price));
    }
    QStringList lines;
    for (auto group = bySupplier.cbegin(); group != bySupplier.cend(); ++group) {
        // The group's name as its first article spells it.
        QString name = QStringLiteral("Senza fornitore");
        for (const Article &article : articles)
            if (!article.fornitore.isEmpty() && article.fornitore.toLower() == group.key()) {
                name = article.fornitore;
                break;
            }
        for (const QString &line : group.value())
            lines << name + line;
    }
    return lines;
}

QStringList ValueShop::expectedGroups(const QDate &day) const
{
    QStringList groups;
    QString current;
    qint64 lines = 0, quantity = 0, value = 0;
    const auto close = [&] {
        if (lines > 0)
            groups << QStringLiteral("%1|%2|%3|%4").arg(current).arg(lines).arg(quantity).arg(value);
    };
    for (const QString &line : expectedLines(day)) {
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.at(0) != current) {
            close();
            current = f.at(0);
            lines = quantity = value = 0;
        }
        ++lines;
        quantity += f.at(2).toLongLong();
        value += f.at(4).toLongLong();
    }
    close();
    return groups;
}

qint64 ValueShop::expectedTotalCents(const QDate &day) const
{
    qint64 total = 0;
    for (const QString &line : expectedLines(day))
        total += line.section(QLatin1Char('|'), 4, 4).toLongLong();
    return total;
}
