// The server's text rules against the program's (a throwaway cluster around
// the test, the schema of tarvo-pg.sql): "like" and "not like" with and
// without the collation testo, on text and on numbers, and "=", "order by"
// and "group by" with testo, as the engine writes them on either database.
#include "db/TextFunctions.h"
#include "PgConnection.h"
#include "tools/migra/PgShopSchema.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <sqlite3.h>

using migra::PgConnection;
using migra::PgResult;

namespace {

QString truthOf(const QString &pattern, const QString &value)
{
    if (pattern.isNull() || value.isNull())
        return QString();
    return db::likeMatches(pattern, value) ? QStringLiteral("t") : QStringLiteral("f");
}

QString negated(const QString &truth)
{
    return truth.isNull() ? truth : (truth == QLatin1String("t") ? QStringLiteral("f") : QStringLiteral("t"));
}

// How SQLite itself writes a number that "like" reads.
QString sqliteText(double value)
{
    sqlite3 *handle = nullptr;
    sqlite3_open(":memory:", &handle);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(handle, sqlite3_close);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "select cast(?1 as text)", -1, &statement, nullptr);
    sqlite3_bind_double(statement, 1, value);
    sqlite3_step(statement);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return text;
}

} // namespace

class TestPgText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void likeAsTheProgram_data();
    void likeAsTheProgram();
    void likeOnNumbersAsSqlite_data();
    void likeOnNumbersAsSqlite();
    void compareAsTheProgram_data();
    void compareAsTheProgram();

private:
    std::unique_ptr<PgConnection> m_server;
};

void TestPgText::initTestCase()
{
    PgConnection(qEnvironmentVariable("PGDATABASE")).exec(QStringLiteral("CREATE DATABASE testi"));
    m_server = std::make_unique<PgConnection>(QStringLiteral("testi"));
    m_server->exec(migra::pgShopSchema());
    m_server->exec(QStringLiteral("SET search_path = public, pg_catalog; SET client_min_messages = warning"));
}

void TestPgText::likeAsTheProgram_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("value");
    const QList<std::pair<const char *, const char *>> cases = {
        {"", ""}, {"", "a"}, {"*", ""}, {"*", "any text"}, {"**", ""}, {"a*c", "abbbc"}, {"a*c", "abcd"},
        {"*a*b*", "xaxxbx"}, {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaac"}, {"a*", "a\nb"},
        {"?", "a"}, {"?", ""}, {"??", "à€"}, {"a?c", "a\nc"}, {"a?c", "ac"},
        {"#", "5"}, {"#", "a"}, {"#", "٣"}, {"##*", "12abc"}, {"#", "#"},
        {"[abc]", "b"}, {"[abc]", "d"}, {"[!abc]", "d"}, {"[!abc]", "a"}, {"[a-c]", "B"}, {"[A-C]", "b"},
        {"[!a-c]", "B"}, {"[!a-c]", "\n"}, {"[a-cx-z]", "y"}, {"[z-a]", "m"}, {"[!z-a]", "m"}, {"[z-a]x", "x"},
        {"[]]", "]"}, {"[!]]", "]"}, {"[!]]", "x"}, {"[]", "[]"}, {"[!]", "[!]"}, {"[!]", "!"},
        {"[", "["}, {"[a", "[a"}, {"[a*", "[abc"}, {"a]", "a]"}, {"[a-]", "-"}, {"[-a]", "-"}, {"[a-]", "b"},
        {"[*?#]", "*"}, {"[*?#]", "x"}, {"[[]", "["}, {"[[a]", "a"}, {"[a-c", "[a-c"}, {"[]-a]", "^"},
        {"[\\]", "\\"}, {"\\*", "\\x"}, {"[^a]", "^"}, {"[^a]", "b"}, {"[.]", "x"}, {"[\\d]", "5"},
        {"%", "%"}, {"%", "x"}, {"_", "_"}, {"_", "x"}, {"100%", "100%"}, {"a_b", "aXb"}, {"%*_", "%ab_"},
        {"a.c", "abc"}, {"a.c", "a.c"}, {"(a|b)", "(a|b)"}, {"a+", "aa"}, {"$^", "$^"}, {"x{2}", "x{2}"},
        {"CAFFÈ", "caffè"}, {"caffè", "CAFFÈ"}, {"caffe", "caffè"}, {"*È*", "perchè"}, {"[à-ù]", "è"},
        {"[À-Ù]", "è"}, {"[è-è]", "È"}, {"[!À]", "à"}, {"perch?", "perché"}, {"Über", "über"}, {"ÇA", "ça"},
        {"straße", "STRASSE"}, {"*vite 3,5x20*", "VITE 3,5X20 ZINCATA"},
    };
    for (const auto &[pattern, value] : cases) {
        const QString name = QStringLiteral("'%1' ~ '%2'").arg(QString::fromUtf8(pattern), QString::fromUtf8(value));
        QTest::newRow(name.toUtf8().replace('\n', "\\n").constData())
            << QString::fromUtf8(pattern) << QString::fromUtf8(value);
    }
    QTest::newRow("Null value") << QStringLiteral("*") << QString();
    QTest::newRow("Null pattern") << QString() << QStringLiteral("a");
}

// The engine writes "like" as x LIKE $1 and x COLLATE testo LIKE $1 (x a
// column in "C"), and NOT LIKE; a pattern the program reads without error
// must never raise one on the server, known to the plan or not.
void TestPgText::likeAsTheProgram()
{
    QFETCH(QString, pattern);
    QFETCH(QString, value);
    const QString expected = truthOf(pattern, value);
    const PgResult onColumn = m_server->exec(
        QStringLiteral("SELECT v LIKE $2, v COLLATE testo LIKE $2, v NOT LIKE $2, v COLLATE testo NOT LIKE $2 "
                       "FROM (SELECT $1::text COLLATE \"C\" AS v) s"),
        {value, pattern});
    QCOMPARE(onColumn.text(0, 0), expected);
    QCOMPARE(onColumn.text(0, 1), expected);
    QCOMPARE(onColumn.text(0, 2), negated(expected));
    QCOMPARE(onColumn.text(0, 3), negated(expected));
    QCOMPARE(m_server->exec(QStringLiteral("SELECT $1 LIKE $2"), {value, pattern}).text(0, 0), expected);
    // A pattern the plan does not know (a plan for any pattern, a join).
    const PgResult unknown = m_server->exec(
        QStringLiteral("WITH c AS MATERIALIZED (SELECT $1::text COLLATE \"C\" AS v, $2::text AS p) "
                       "SELECT v COLLATE testo LIKE p, v NOT LIKE p FROM c"),
        {value, pattern});
    QCOMPARE(unknown.text(0, 0), expected);
    QCOMPARE(unknown.text(0, 1), negated(expected));
}

void TestPgText::likeOnNumbersAsSqlite_data()
{
    QTest::addColumn<double>("number");
    const double numbers[] = {0, -0.0, 12, -3, 12.5, 0.1, 0.1 + 0.2, 2.675, 19.99, 1234567.891,
                              0.0001, 1e-5, -2.5e-7, 1.2345678901234567e-5, 99999999999999.9,
                              123456789012345, 999999999999999.9, 1e15, 1e16, -1.5e20, 1e300,
                              2.9999999999999996, 5e-324, std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::infinity()};
    for (double number : numbers)
        QTest::addRow("%.17g", number) << number;
}

// A real column reads as SQLite writes it ("12.0", "1.0e+15"); an integer
// column (counters, yes/no) as its digits.
void TestPgText::likeOnNumbersAsSqlite()
{
    QFETCH(double, number);
    const QString text = sqliteText(number);
    const QString bound = std::isinf(number) ? QStringLiteral("Infinity") : QString::number(number, 'g', 17);
    const PgResult real = m_server->exec(
        QStringLiteral("SELECT tarvo_real_text(v), v LIKE $2, v LIKE $3, v NOT LIKE $2 "
                       "FROM (SELECT $1::double precision AS v) s"),
        {bound, text, text + QLatin1Char('?')});
    QCOMPARE(real.text(0, 0), text);
    QCOMPARE(real.text(0, 1), QStringLiteral("t"));
    QCOMPARE(real.text(0, 2), QStringLiteral("f"));
    QCOMPARE(real.text(0, 3), QStringLiteral("f"));
    if (number != std::trunc(number) || std::abs(number) > 9e18)
        return;
    const QString digits = QString::number(qint64(number));
    const PgResult integer = m_server->exec(
        QStringLiteral("SELECT $1::bigint LIKE $2, $1::bigint LIKE $3, "
                       "CASE WHEN abs($1::bigint) < 2147483648 THEN $1::integer LIKE $2 ELSE true END"),
        {digits, digits, text});
    QCOMPARE(integer.text(0, 0), QStringLiteral("t"));
    QCOMPARE(integer.text(0, 1), QStringLiteral("f"));
    QCOMPARE(integer.text(0, 2), QStringLiteral("t"));
}

void TestPgText::compareAsTheProgram_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::newRow("case") << QStringList{"Maglia", "MAGLIA", "maglia", "mAgLiA", "Magli", "Maglie", "magliA "};
    QTest::newRow("accents") << QStringList{"e", "E", "è", "È", "ea", "èa", "Eb", "Perche", "perché", "PERCHÉ",
                                            "caffe", "caffè", "CAFFÈ", "caffetteria", "città", "Citta", "però",
                                            "pero", "Forlì", "forli", "più", "PIU", "À", "a", "à", "b", "Ü",
                                            "u", "ü", "Ç", "c", "Ünal", "unal"};
    QTest::newRow("digits and blanks") << QStringList{"a 1", "a1", "a10", "a2", "a 10", "10", "2", "1 0", " a",
                                                      "a", "a ", "", "ART 001", "art 01", "Art 001", "0", "  "};
    QTest::newRow("shop texts") << QStringList{"Vite 3,5X20", "VITE 3,5x20", "Vite 3.5x20", "Vite 30", "Vite 3",
                                               "Giacca Uomo", "giacca uomo", "Giacca Donna", "Caffè Moka",
                                               "CAFFE MOKA", "Caffè moka 250g", "Perché no", "perche no"};
}

// Equal only when the program finds them equal (case alone differs); in the
// program's order both ways; one group per word the program tells apart.
void TestPgText::compareAsTheProgram()
{
    QFETCH(QStringList, words);
    m_server->exec(QStringLiteral("DROP TABLE IF EXISTS parole; CREATE TEMP TABLE parole (i integer, w text COLLATE \"C\")"));
    for (qsizetype i = 0; i < words.size(); ++i)
        m_server->exec(QStringLiteral("INSERT INTO parole VALUES ($1, $2)"), {QString::number(i), words.at(i)});

    const PgResult pairs = m_server->exec(QStringLiteral(
        "SELECT a.i, b.i, a.w COLLATE testo = b.w COLLATE testo FROM parole a, parole b"));
    QCOMPARE(pairs.rows(), int(words.size() * words.size()));
    for (int row = 0; row < pairs.rows(); ++row) {
        const QString left = words.at(pairs.integer(row, 0)), right = words.at(pairs.integer(row, 1));
        QVERIFY2((pairs.text(row, 2) == QLatin1String("t")) == (db::compareText(left, right) == 0),
                 qPrintable(QStringLiteral("'%1' = '%2'").arg(left, right)));
    }

    for (const QString &direction : {QStringLiteral("asc"), QStringLiteral("desc")}) {
        const PgResult ordered = m_server->exec(QStringLiteral("SELECT w FROM parole ORDER BY w COLLATE testo ") + direction);
        QCOMPARE(ordered.rows(), int(words.size()));
        for (int row = 1; row < ordered.rows(); ++row) {
            const int order = db::compareText(ordered.text(row - 1, 0), ordered.text(row, 0));
            QVERIFY2(direction == QLatin1String("asc") ? order <= 0 : order >= 0,
                     qPrintable(QStringLiteral("'%1' before '%2' (%3)")
                                    .arg(ordered.text(row - 1, 0), ordered.text(row, 0), direction)));
        }
    }

    QStringList distinct = words;
    std::sort(distinct.begin(), distinct.end(), [](const QString &a, const QString &b) { return db::compareText(a, b) < 0; });
    distinct.erase(std::unique(distinct.begin(), distinct.end(),
                               [](const QString &a, const QString &b) { return db::compareText(a, b) == 0; }),
                   distinct.end());
    QCOMPARE(m_server->scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM parole GROUP BY w COLLATE testo) g")),
             qint64(distinct.size()));
}

QTEST_GUILESS_MAIN(TestPgText)
#include "tst_pg_text.moc"
