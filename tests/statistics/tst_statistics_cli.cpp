// tarvo-esporta csv statistiche: the four tables of the window over a
// period, on the generated shop, against the test's own sums.
#include "StatsShop.h"
#include "TestShopDatabase.h"

#include <QProcess>
#include <numeric>
#include <QtTest>
#include <memory>

namespace {

QString money(qint64 cents)
{
    return QStringLiteral("%1%2,%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(qAbs(cents) / 100)
        .arg(qAbs(cents) % 100, 2, 10, QLatin1Char('0'));
}

QString pieces(qint64 thousandths)
{
    return QString::number(double(thousandths) / 1000.0, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

} // namespace

class TestStatisticsCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fourTablesOfAYear();
    void refusals_data();
    void refusals();
    void unwritableFileLeavesNothing();

private:
    Run run(const QStringList &arguments) const;
    std::unique_ptr<TestShopDatabase> m_shop;
    StatsShop m_data;
};

void TestStatisticsCli::initTestCase()
{
    m_shop = std::make_unique<TestShopDatabase>();
    m_data.write(*m_shop);
    m_shop->release();
    db::Database::closeAll();
}

Run TestStatisticsCli::run(const QStringList &arguments) const
{
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH), QStringList{QStringLiteral("csv"), QStringLiteral("statistiche")} + arguments
                                                 + QStringList{QStringLiteral("--database"), m_shop->path()});
    if (!tool.waitForFinished(60000))
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput(), QString::fromUtf8(tool.readAllStandardError())};
}

void TestStatisticsCli::fourTablesOfAYear()
{
    const Run year = run({"--dal", "01/01/2024", "--al", "31/12/2024"});
    QCOMPARE(year.err, QString());
    QCOMPARE(year.code, 0);
    QVERIFY(year.out.startsWith("\xEF\xBB\xBF"));
    // Four sections: a title, a header, rows, an empty line.
    const QStringList sections = QString::fromUtf8(year.out.mid(3)).split(QStringLiteral("\r\n\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(sections.size(), 4);
    QList<QStringList> lines;
    for (const QString &section : sections)
        lines << section.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.at(0).mid(0, 2), (QStringList{QStringLiteral("Incassi - dal 01/01/2024 al 31/12/2024"),
                                                 QStringLiteral("Periodo;Vendite;Incasso;Vendite anno precedente;"
                                                                "Incasso anno precedente;Variazione %")}));
    QCOMPARE(lines.at(1).at(0), QStringLiteral("Articoli più venduti per pezzi - dal 01/01/2024 al 31/12/2024"));
    QCOMPARE(lines.at(2).at(0), QStringLiteral("Margine per fornitore - dal 01/01/2024 al 31/12/2024"));
    QCOMPARE(lines.at(3).at(0), QStringLiteral("Incassi per pagamento - dal 01/01/2024 al 31/12/2024"));

    const StatsShop::Expected want =
        m_data.expected(QDate(2024, 1, 1), QDate(2024, 12, 31), QDate(2023, 1, 1), QDate(2023, 12, 31), "mese");
    // Twelve months and the total.
    QCOMPARE(lines.at(0).size(), 2 + 12 + 1);
    QCOMPARE(lines.at(0).at(2).section(QLatin1Char(';'), 0, 2),
             QStringLiteral("gennaio 2024;%1;%2").arg(want.sales.at(0)).arg(money(want.cents.at(0))));
    QCOMPARE(lines.at(0).last().section(QLatin1Char(';'), 0, 4),
             QStringLiteral("Totale;%1;%2;%3;%4")
                 .arg(std::accumulate(want.sales.begin(), want.sales.end(), qint64(0)))
                 .arg(money(want.totalCents))
                 .arg(std::accumulate(want.salesBefore.begin(), want.salesBefore.end(), qint64(0)))
                 .arg(money(want.totalCentsBefore)));
    QCOMPARE(lines.at(1).size(), 2 + 20);
    for (int i = 0; i < 20; ++i) {
        const StatsShop::ArticleRow &row = want.byPieces.at(i);
        const QStringList cells = lines.at(1).at(2 + i).split(QLatin1Char(';'));
        QCOMPARE(cells.at(0), QString::number(i + 1));
        QCOMPARE(cells.at(1), row.article == 0 ? QString() : QString::number(row.article));
        QCOMPARE(cells.at(4), pieces(row.thousandths));
        QCOMPARE(cells.at(5), money(row.cents));
    }
    QCOMPARE(lines.at(2).size(), 2 + want.suppliers.size() + 1);
    for (int i = 0; i < want.suppliers.size(); ++i) {
        const StatsShop::SupplierRow &row = want.suppliers.at(i);
        QCOMPARE(lines.at(2).at(2 + i).section(QLatin1Char(';'), 0, 4),
                 QStringLiteral("%1;%2;%3;%4;%5")
                     .arg(row.supplier, pieces(row.thousandths), money(row.cents), money(row.costCents),
                          money(row.cents - row.costCents)));
    }
    QCOMPARE(lines.at(3).size(), 2 + want.payments.size() + 1);
    for (int i = 0; i < want.payments.size(); ++i) {
        const StatsShop::PaymentRow &row = want.payments.at(i);
        QCOMPARE(lines.at(3).at(2 + i).section(QLatin1Char(';'), 0, 3),
                 QStringLiteral("%1;%2;%3;%4")
                     .arg(row.description)
                     .arg(row.sales)
                     .arg(money(row.discountCents), money(row.cents)));
    }

    // By takings, into a file: the same tables but the ranking.
    const QString file = m_shop->folder() + QStringLiteral("/statistiche.csv");
    const Run written = run({"--dal", "01/01/2024", "--al", "31/12/2024", "--classifica", "incasso", "--file", file});
    QCOMPARE(written.err, QString());
    QCOMPARE(written.code, 0);
    QCOMPARE(written.out, QByteArray());
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    QVERIFY(text.contains(QStringLiteral("Articoli più venduti per incasso - dal 01/01/2024 al 31/12/2024\r\n")));
    QVERIFY(text.contains(QStringLiteral("\r\n1;%1;").arg(want.byTakings.first().article)));
}

void TestStatisticsCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::newRow("no such day") << QStringList{"--dal", "31/02/2024"} << 2
                                 << "tarvo-esporta: --dal vuole una data GG/MM/AAAA, non \"31/02/2024\".\n";
    QTest::newRow("end before start") << QStringList{"--dal", "10/03/2024", "--al", "09/03/2024"} << 2
                                      << "tarvo-esporta: la data di --dal segue quella di --al: nessun dato è stato "
                                         "esportato.\n";
    QTest::newRow("unknown ranking") << QStringList{"--dal", "10/03/2024", "--classifica", "margine"} << 2
                                     << "tarvo-esporta: --classifica vuole pezzi o incasso, non \"margine\".\n";
    QTest::newRow("no start") << QStringList{"--al", "10/03/2024"} << 2
                              << "Uso: tarvo-esporta csv statistiche --dal GG/MM/AAAA [--al GG/MM/AAAA] "
                                 "[--classifica pezzi|incasso] [--database FILE] [--file FILE.csv]\n";
}

void TestStatisticsCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, said);
    const Run refused = run(arguments);
    QCOMPARE(refused.err, said);
    QCOMPARE(refused.code, code);
    QCOMPARE(refused.out, QByteArray());
}

void TestStatisticsCli::unwritableFileLeavesNothing()
{
    const QString file = m_shop->folder() + QStringLiteral("/manca/statistiche.csv");
    const Run failed = run({"--dal", "01/01/2024", "--file", file});
    QCOMPARE(failed.code, 1);
    QVERIFY2(failed.err.startsWith(QStringLiteral("tarvo-esporta: impossibile scrivere il file %1: ").arg(file)),
             qPrintable(failed.err));
    QVERIFY(failed.err.endsWith(QStringLiteral(". Nessun file è stato scritto.\n")));
    QVERIFY(!QFile::exists(file));
}

QTEST_GUILESS_MAIN(TestStatisticsCli)
#include "tst_statistics_cli.moc"
