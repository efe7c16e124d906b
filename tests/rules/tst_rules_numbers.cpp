// The number rules every window uses: reading typed amounts, showing money,
// checking a counter quantity, the amount of a sale line. Each runs under
// the locale its row names, never the machine's.
#include "rules/CounterQuantity.h"
#include "rules/MoneyText.h"
#include "rules/SaleAmount.h"
#include "rules/TypedNumber.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <optional>

namespace {

// Sets the default locale for one row and puts the previous one back.
class LocaleForRow {
public:
    explicit LocaleForRow(const QString &name)
        : m_previous(QLocale())
    {
        QLocale::setDefault(QLocale(name));
    }
    ~LocaleForRow() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

constexpr double kNotANumber = -999999;   // marks "not a number" in the rows

// The cents of a value as the decimal text of 15 significant digits says
// them, the half cent away from zero: how amounts have always been rounded.
qlonglong centsOfDecimalText(double value)
{
    const double magnitude = std::fabs(value);
    const int wholeDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 0;
    const QString decimal = QString::number(magnitude, 'f', std::max(0, 15 - wholeDigits));
    const qsizetype point = decimal.indexOf(QLatin1Char('.'));
    const QString fraction = (point < 0 ? QString() : decimal.mid(point + 1)) + QStringLiteral("000");
    qlonglong cents = (point < 0 ? decimal : decimal.left(point)).toLongLong() * 100 + fraction.left(2).toLongLong()
                      + (fraction.at(2) >= QLatin1Char('5') ? 1 : 0);
    return value < 0 ? -cents : cents;
}

} // namespace

class TestRulesNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedAmount_data();
    void typedAmount();
    void typedQuantity_data();
    void typedQuantity();
    void moneyText_data();
    void moneyText();
    void centsAgreeWithTheDecimalText_data();
    void centsAgreeWithTheDecimalText();
    void counterQuantity_data();
    void counterQuantity();
    void saleAmount_data();
    void saleAmount();
};

void TestRulesNumbers::typedAmount_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("it point is decimal") << "it_IT" << "3.50" << 3.5;
    QTest::newRow("it comma") << "it_IT" << "3,50" << 3.5;
    QTest::newRow("it point never thousands") << "it_IT" << "1.000" << 1.0;
    // Both separators: the last is the decimal one, the other groups by three.
    QTest::newRow("it grouped") << "it_IT" << "1.234,50" << 1234.5;
    QTest::newRow("it grouped twice") << "it_IT" << "1.234.567,5" << 1234567.5;
    QTest::newRow("it grouped the other way") << "it_IT" << "1,234.50" << 1234.5;
    QTest::newRow("it badly grouped") << "it_IT" << "1.23,50" << kNotANumber;
    QTest::newRow("it two points") << "it_IT" << "1.234.567" << kNotANumber;
    QTest::newRow("it decimal separator twice") << "it_IT" << "1.234,5,0" << kNotANumber;
    QTest::newRow("it exponent") << "it_IT" << "1e308" << kNotANumber;
    QTest::newRow("it NaN") << "it_IT" << "NaN" << kNotANumber;
    QTest::newRow("it euro sign") << "it_IT" << "€ 3,50" << 3.5;
    QTest::newRow("it trailing separator") << "it_IT" << "12," << kNotANumber;
    // An amount is within sense and in cents.
    QTest::newRow("it largest amount") << "it_IT" << "-99999999,99" << -99999999.99;
    QTest::newRow("it beyond an amount") << "it_IT" << "100000000" << kNotANumber;
    QTest::newRow("it cents rounded up") << "it_IT" << "2,675" << 2.68;
    QTest::newRow("it cents rounded away from zero") << "it_IT" << "-0,125" << -0.13;
    QTest::newRow("it rounded into a carry") << "it_IT" << "9,995" << 10.0;
    QTest::newRow("it rounded beyond an amount") << "it_IT" << "99999999,995" << kNotANumber;
    QTest::newRow("it nothing left but a sign") << "it_IT" << "-0,001" << 0.0;
    QTest::newRow("it blanks") << "it_IT" << " -7,25 " << -7.25;
    QTest::newRow("it junk") << "it_IT" << "12abc" << kNotANumber;
    QTest::newRow("it empty") << "it_IT" << "" << kNotANumber;
    QTest::newRow("it two commas") << "it_IT" << "1,2,3" << kNotANumber;
    QTest::newRow("C point") << "C" << "3.50" << 3.5;
    QTest::newRow("C comma never thousands") << "C" << "3,50" << kNotANumber;
    QTest::newRow("en point") << "en_US" << "3.50" << 3.5;
    QTest::newRow("en comma never thousands") << "en_US" << "1,000" << kNotANumber;
    QTest::newRow("en junk") << "en_US" << "abc" << kNotANumber;
    QTest::newRow("en infinity") << "en_US" << "inf" << kNotANumber;
}

void TestRulesNumbers::typedAmount()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, value);
    LocaleForRow row(locale);
    const std::optional<double> read = TypedNumber::amount(text);
    QCOMPARE(read.has_value(), value != kNotANumber);
    QCOMPARE(MoneyText::isNumeric(text), value != kNotANumber);
    if (read)
        QCOMPARE(*read, value);
    QCOMPARE(MoneyText::value(text), value == kNotANumber ? 0.0 : value);
}

void TestRulesNumbers::typedQuantity_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("point alone is decimal") << "1.000" << 1.0;
    QTest::newRow("grouped") << "1.000,5" << 1000.5;
    QTest::newRow("decimals kept") << "0,125" << 0.125;
    QTest::newRow("largest") << "2147483647" << 2147483647.0;
    QTest::newRow("beyond the stock") << "2147483648" << kNotANumber;
    QTest::newRow("exponent") << "1e300" << kNotANumber;
}

// Quantities read as amounts do, within what the stock holds.
void TestRulesNumbers::typedQuantity()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> read = TypedNumber::quantity(text, QLocale(QStringLiteral("it_IT")));
    QCOMPARE(read.value_or(kNotANumber), value);
}

void TestRulesNumbers::moneyText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    // 2.675 is stored as 2.67499999...: rounding the double would give 2,67.
    QTest::newRow("half up on the decimal") << "it_IT" << 2.675 << "2,68";
    QTest::newRow("negative half away") << "it_IT" << -2.675 << "-2,68";
    QTest::newRow("half cent") << "it_IT" << 0.005 << "0,01";
    QTest::newRow("1.005") << "it_IT" << 1.005 << "1,01";
    QTest::newRow("below half") << "it_IT" << 2.674 << "2,67";
    QTest::newRow("tiny negative is zero") << "it_IT" << -0.001 << "0,00";
    QTest::newRow("no thousands separator") << "it_IT" << 1234567.5 << "1234567,50";
    QTest::newRow("whole") << "it_IT" << 20.0 << "20,00";
    QTest::newRow("1.2 of 10") << "it_IT" << 10 * 1.2 << "12,00";
    QTest::newRow("12 / 1.2") << "it_IT" << 12 / 1.2 << "10,00";
    QTest::newRow("carry into units") << "it_IT" << 9.995 << "10,00";
    QTest::newRow("C point") << "C" << 2.675 << "2.68";
    QTest::newRow("en no grouping") << "en_US" << 1234.5 << "1234.50";
}

void TestRulesNumbers::moneyText()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    LocaleForRow row(locale);
    QCOMPARE(MoneyText::format(value), text);
}

// Whole cents are computed for a million items at a time without a text;
// they must be the text's cents for every kind of value: amounts of cents
// and their sums and averages, halves of a cent, values whose binary digits
// end exactly on the last decimal written (a tie there), every magnitude up
// to the largest amount a sale can hold.
void TestRulesNumbers::centsAgreeWithTheDecimalText_data()
{
    QTest::addColumn<QList<double>>("values");
    QRandomGenerator random(20261209);
    QList<double> cents, halves, averages, ties, magnitudes;
    for (int i = 0; i < 20000; ++i) {
        const qint64 amount = qint64(random.bounded(2000000000)) - 1000000000;
        cents << amount / 100.0;
        halves << (amount + 0.5) / 100.0;
        averages << double(amount) * random.bounded(1, 50) / 100.0 / random.bounded(1, 50);
        // k / 2^b: a binary fraction ending exactly on some decimal place.
        const int bits = random.bounded(1, 40);
        ties << std::ldexp(double(random.bounded(1, 1 << 30)), -bits) * (i % 2 ? 1 : -1);
        magnitudes << std::ldexp(random.generateDouble(), random.bounded(-20, 50));
    }
    for (double edge : {0.0, -0.0, 0.005, -0.005, 0.0049999999999999, 2.675, 1.000030517578125, 99999999999.995,
                        1e11, 1e11 - 0.005, 123456789012.345, 999999999999999.0, 0.125, 0.375, 1e-300})
        magnitudes << edge << -edge;
    QTest::newRow("amounts of cents") << cents;
    QTest::newRow("half cents") << halves;
    QTest::newRow("averages") << averages;
    QTest::newRow("binary ties") << ties;
    QTest::newRow("every magnitude") << magnitudes;
}

void TestRulesNumbers::centsAgreeWithTheDecimalText()
{
    QFETCH(QList<double>, values);
    for (double value : values)
        if (MoneyText::cents(value) != centsOfDecimalText(value))
            QFAIL(qPrintable(QStringLiteral("%1: %2 cents, the text says %3")
                                 .arg(QString::number(value, 'g', 17))
                                 .arg(MoneyText::cents(value))
                                 .arg(centsOfDecimalText(value))));
}

void TestRulesNumbers::counterQuantity_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<long>("pieces");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("one") << "1" << true << 1L << false;
    QTest::newRow("blanks") << " 12 " << true << 12L << false;
    QTest::newRow("999") << "999" << true << 999L << false;
    QTest::newRow("1000 asks") << "1000" << true << 1000L << true;
    QTest::newRow("whole with decimals") << "2,0" << true << 2L << false;
    QTest::newRow("negative") << "-2" << true << -2L << false;
    QTest::newRow("comma fraction") << "1,5" << false << 0L << false;
    QTest::newRow("point fraction") << "1.5" << false << 0L << false;
    QTest::newRow("zero") << "0" << false << 0L << false;
    QTest::newRow("empty") << "" << false << 0L << false;
    QTest::newRow("junk") << "abc" << false << 0L << false;
    QTest::newRow("number then junk") << "3x" << false << 0L << false;
    QTest::newRow("exponent") << "1e3" << false << 0L << false;
    QTest::newRow("beyond a long") << "3000000000" << false << 0L << false;
}

void TestRulesNumbers::counterQuantity()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(long, pieces);
    QFETCH(bool, confirm);
    const CounterQuantity checked = CounterQuantity::check(text, QLocale(QStringLiteral("it_IT")));
    QCOMPARE(checked.accepted, accepted);
    QCOMPARE(checked.pieces, pieces);
    QCOMPARE(checked.needsConfirmation, confirm);
}

void TestRulesNumbers::saleAmount_data()
{
    QTest::addColumn<double>("list");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("discount");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("due");
    QTest::addColumn<double>("unitPrice");   // -1: the typed price stands
    QTest::newRow("list, one") << 20.0 << 20.0 << 0.0 << 1.0 << 20.0 << 20.0;
    QTest::newRow("list, discount") << 20.0 << 20.0 << 4.0 << 1.0 << 16.0 << 16.0;
    QTest::newRow("list, discount over two") << 20.0 << 20.0 << 4.0 << 2.0 << 36.0 << 18.0;
    QTest::newRow("list, quantity 2.5 counts 2 units") << 20.0 << 0.0 << 4.0 << 2.5 << 46.0 << 18.0;
    QTest::newRow("list, quantity 0 spreads over 1") << 20.0 << 0.0 << 4.0 << 0.0 << -4.0 << 16.0;
    QTest::newRow("list, quantity 0.4 spreads over 1") << 20.0 << 0.0 << 4.0 << 0.4 << 4.0 << 16.0;
    QTest::newRow("list, huge quantity spreads over 1") << 1.0 << 0.0 << 4.0 << 3e9 << 3e9 - 4 << -3.0;
    QTest::newRow("no list: typed price") << 0.0 << 7.5 << 0.0 << 2.0 << 15.0 << -1.0;
    QTest::newRow("no list: discount counts") << 0.0 << 7.5 << 5.0 << 2.0 << 10.0 << -1.0;
}

void TestRulesNumbers::saleAmount()
{
    QFETCH(double, list);
    QFETCH(double, price);
    QFETCH(double, discount);
    QFETCH(double, quantity);
    QFETCH(double, due);
    QFETCH(double, unitPrice);
    const SaleAmount amount = SaleAmount::compute(list, price, discount, quantity);
    QCOMPARE(amount.amountDue, due);
    QCOMPARE(amount.unitPrice.has_value(), unitPrice != -1.0);
    if (amount.unitPrice)
        QCOMPARE(*amount.unitPrice, unitPrice);
}

QTEST_GUILESS_MAIN(TestRulesNumbers)
#include "tst_rules_numbers.moc"
