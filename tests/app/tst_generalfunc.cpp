#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "rules/general/Today.h"
#include "base/errors/ErrorTrap.h"
#include "db/SqlText.h"
#include "report/Formula.h"
#include "ui/BusyPointer.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTextEdit>
#include <QtTest>

// The general functions that need no database: dates, numbers, Null
// handling, rounding and conversion, field highlight, busy pointer.
class TestGeneralFunc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { setToday(QDate()); }

    void controllaData_data();
    void controllaData();
    void controllaDataAcceptsDateValues();
    void formattaDataSql_data();
    void formattaDataSql();
    void dataSql_data();
    void dataSql();
    void typedTextStaysOneLiteral_data();
    void typedTextStaysOneLiteral();
    void pointerComesBackWhenASecondErrorLeavesTheHandler();

    void nullHandling();
    void val_data();
    void val();
    void isNumericFollowsTheUsersNumberFormat_data();
    void isNumericFollowsTheUsersNumberFormat();

    void arrotonda_data();
    void arrotonda();
    void convertiValuta_data();
    void convertiValuta();
    void convertiValutaRefusesAnUnknownDirection();

    void highlightAndNormalLook();
    void hourglassAndReset();
};

void TestGeneralFunc::initTestCase()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Qorda"));
    g_strAppName = QStringLiteral("Qorda");
    setToday(QDate(2026, 12, 6));
}

void TestGeneralFunc::controllaData_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("message"); // shown with the flag set; empty: none

    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("blanks only") << "   " << "" << "";
    QTest::newRow("full date") << "06/12/2026" << "06/12/2026" << "";
    QTest::newRow("short parts") << "6/1/2026" << "06/01/2026" << "";
    QTest::newRow("dashes") << "6-12-2026" << "06/12/2026" << "";
    QTest::newRow("points") << "6.12.2026" << "06/12/2026" << "";
    QTest::newRow("year first") << "2026/12/06" << "06/12/2026" << "";
    QTest::newRow("two-digit year 26") << "06/12/26" << "06/12/2026" << "";
    QTest::newRow("two-digit year 29") << "1/1/29" << "01/01/2029" << "";
    QTest::newRow("two-digit year 30") << "1/1/30" << "01/01/1930" << "";
    QTest::newRow("two-digit year 99") << "31/12/99" << "31/12/1999" << "";
    QTest::newRow("two-digit year 00") << "29/2/00" << "29/02/2000" << "";
    QTest::newRow("day and month: this year") << "25/12" << "25/12/2026" << "";
    QTest::newRow("six digits") << "061226" << "06/12/2026" << "";
    QTest::newRow("six digits, 19xx") << "010795" << "01/07/1995" << "";
    QTest::newRow("eight digits") << "06122026" << "06/12/2026" << "";
    QTest::newRow("surrounding blanks") << " 061226 " << "06/12/2026" << "";
    QTest::newRow("six with a letter") << "06l226" << "" << "";
    QTest::newRow("eight with a letter") << "0612202x" << "" << "";
    QTest::newRow("impossible date") << "31/02/2026" << "" << "ERRORE:[31/02/2026] Formato data non corretto!";
    QTest::newRow("six digits, impossible") << "311326" << "" << "ERRORE:[31/13/26] Formato data non corretto!";
    QTest::newRow("eight digits, impossible") << "30022026" << "" << "ERRORE:[30/02/2026] Formato data non corretto!";
    QTest::newRow("eight characters, not digits, impossible") << "29/02/26" << "" << "";
    QTest::newRow("seven digits") << "0612202" << "" << "ERRORE:[0612202] Formato data non corretto!";
    QTest::newRow("six letters") << "domani" << "" << "";
    QTest::newRow("words") << "dopodomani" << "" << "ERRORE:[dopodomani] Formato data non corretto!";
    QTest::newRow("year zero") << "01/01/0000" << "" << "ERRORE:[01/01/0000] Formato data non corretto!";
    QTest::newRow("mixed separators") << "06/12-2026" << "" << "ERRORE:[06/12-2026] Formato data non corretto!";
}

void TestGeneralFunc::controllaData()
{
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(QString, message);
    {
        ui::ScriptedMessages messages;
        QCOMPARE(ControllaData(typed, 1), result);
        if (message.isEmpty()) {
            QVERIFY(messages.messages().isEmpty());
        } else {
            QCOMPARE(messages.texts(), QStringList{message});
            QCOMPARE(messages.messages().first().style, int(ui::vbExclamation));
            QCOMPARE(messages.messages().first().title, QStringLiteral("Qorda"));
        }
    }
    ui::ScriptedMessages quiet;
    QCOMPARE(ControllaData(typed, 0), result);
    QVERIFY(quiet.messages().isEmpty());
}

void TestGeneralFunc::controllaDataAcceptsDateValues()
{
    ui::ScriptedMessages messages;
    QCOMPARE(ControllaData(QDate(2026, 3, 9), 1), QStringLiteral("09/03/2026"));
    QCOMPARE(ControllaData(QVariant(), 1), QString());
    QVERIFY(messages.messages().isEmpty());
}

void TestGeneralFunc::formattaDataSql_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("sql");
    QTest::newRow("typed date") << QVariant(QStringLiteral("06/12/2026")) << "12/06/2026";
    QTest::newRow("short parts") << QVariant(QStringLiteral("1/2/26")) << "02/01/2026";
    QTest::newRow("date value") << QVariant(QDate(2000, 1, 31)) << "01/31/2000";
    QTest::newRow("default bound") << QVariant(QStringLiteral("01/01/2100")) << "01/01/2100";
    QTest::newRow("Null") << QVariant() << "";
    QTest::newRow("not a date") << QVariant(QStringLiteral("1# or 1=1 or #1")) << "";
}

void TestGeneralFunc::formattaDataSql()
{
    QFETCH(QVariant, value);
    QFETCH(QString, sql);
    QCOMPARE(FormattaDataSql(value), sql);
}

void TestGeneralFunc::dataSql_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("literal");
    for (const char *locale : {"it_IT", "en_US", "de_DE"}) {
        const QByteArray l = QByteArray(locale) + ", ";
        QTest::newRow(l + "box text") << locale << "06/12/2026" << "#12/06/2026#";
        QTest::newRow(l + "six digits") << locale << "061226" << "#12/06/2026#";
        QTest::newRow(l + "dashes") << locale << "6-12-2026" << "#12/06/2026#";
        QTest::newRow(l + "empty: the default bound") << locale << "" << "#01/01/1900#";
        QTest::newRow(l + "impossible: the default bound") << locale << "31/02/2026" << "#01/01/1900#";
        QTest::newRow(l + "a statement: the default bound") << locale << "1# or 1=1 or #1" << "#01/01/1900#";
    }
}

// Dates typed day first reach the database month first, whatever the
// user's locale writes as its short date.
void TestGeneralFunc::dataSql()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, literal);
    QLocale::setDefault(QLocale(locale));
    ui::ScriptedMessages messages;
    QCOMPARE(DataSql(typed, QStringLiteral("01/01/1900")), literal);
    QVERIFY(messages.messages().isEmpty());
}

void TestGeneralFunc::typedTextStaysOneLiteral_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("formula");
    QTest::newRow("apostrophe") << "Dell'Orto" << "'Dell''Orto'";
    QTest::newRow("two") << "l'''" << "'l'''''''";
    QTest::newRow("closing and more") << "x' or 1=1 or '" << "'x'' or 1=1 or '''";
    QTest::newRow("double quote stays") << "12\" pollici" << "'12\" pollici'";
}

// A typed text in a selection formula is one string of the formula, the
// same text again when the formula reads it.
void TestGeneralFunc::typedTextStaysOneLiteral()
{
    QFETCH(QString, typed);
    QFETCH(QString, formula);
    QCOMPARE(db::formulaQuoted(typed), formula);
    const report::Formula parsed = report::Formula::parse(db::formulaQuoted(typed) + QStringLiteral(" = ")
                                                          + db::formulaQuoted(typed));
    struct NoRecord : report::FormulaContext {
        QVariant column(int) const override { return {}; }
    } noRecord;
    QVERIFY(parsed.test(noRecord));
}

void TestGeneralFunc::pointerComesBackWhenASecondErrorLeavesTheHandler()
{
    ui::ScriptedMessages messages;
    const auto handler = [] {
        PointerReset pointer;
        errors::ErrorTrap trap(QStringLiteral("frmProva.cmdProva_Click"));
        trap.run([] { SetHourglass(); });
        trap.run([] { throw errors::AppError(5, QStringLiteral("primo")); });
        trap.run([] { throw errors::AppError(6, QStringLiteral("secondo")); });
        ResetPointer();   // never reached
    };
    QVERIFY_THROWS_EXCEPTION(errors::AppError, handler());
    QVERIFY(!ui::busyPointerShown());
}

void TestGeneralFunc::nullHandling()
{
    QCOMPARE(NullToEmpty(QVariant()), QVariant(QString()));
    QCOMPARE(NullToEmpty(QVariant(12.5)), QVariant(12.5));
    QCOMPARE(NullToEmpty(QVariant(QStringLiteral("x"))), QVariant(QStringLiteral("x")));
    QCOMPARE(NullToDefault(QVariant(), QVariant(0)), QVariant(0));
    QCOMPARE(NullToDefault(QVariant(QStringLiteral("C")), QVariant(0)), QVariant(QStringLiteral("C")));
    QVERIFY(IsNull(QVariant()));
    QVERIFY(IsNull(QVariant::fromValue(nullptr)));
    QVERIFY(!IsNull(QVariant(QString())));
}

void TestGeneralFunc::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<qlonglong>("whole");
    QTest::newRow("digits") << "123" << 123.0 << 123LL;
    QTest::newRow("digits then letters") << "12AB" << 12.0 << 12LL;
    QTest::newRow("no leading digits") << "AB12" << 0.0 << 0LL;
    QTest::newRow("empty") << "" << 0.0 << 0LL;
    QTest::newRow("point decimals") << "12.75kg" << 12.75 << 12LL;
    QTest::newRow("comma stops") << "12,75" << 12.0 << 12LL;
    QTest::newRow("leading blanks and sign") << "  -3.5x" << -3.5 << -3LL;
    QTest::newRow("exponent is not read") << "12E3" << 12.0 << 12LL;
    QTest::newRow("sign alone") << "-" << 0.0 << 0LL;
    QTest::newRow("beyond a long") << "99999999999999999999999" << 1e23 << std::numeric_limits<qlonglong>::max();
}

void TestGeneralFunc::val()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(qlonglong, whole);
    QCOMPARE(Val(text), number);
    QCOMPARE(ValLong(text), whole);
}

void TestGeneralFunc::isNumericFollowsTheUsersNumberFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("number");
    QTest::newRow("C point") << "C" << "12.5" << true << 12.5;
    QTest::newRow("C comma") << "C" << "12,5" << false << 0.0;
    QTest::newRow("it comma") << "it_IT" << "12,5" << true << 12.5;
    QTest::newRow("it point also read") << "it_IT" << "12.5" << true << 12.5;
    QTest::newRow("blanks around") << "C" << " 7 " << true << 7.0;
    QTest::newRow("empty") << "C" << "" << false << 0.0;
    QTest::newRow("letters") << "it_IT" << "12a" << false << 0.0;
}

void TestGeneralFunc::isNumericFollowsTheUsersNumberFormat()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, number);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(IsNumeric(text), numeric);
    QCOMPARE(ToNumber(text), number);
}

void TestGeneralFunc::arrotonda_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("result");
    QTest::newRow("step 0 leaves the value") << 12.345 << 0.0 << 12.345;
    QTest::newRow("half up") << 25.0 << 50.0 << 50.0;
    QTest::newRow("negative half goes up") << -25.0 << 50.0 << 0.0;
    QTest::newRow("below half") << 24.99 << 50.0 << 0.0;
    QTest::newRow("cents") << 5.16457 << 0.01 << 5.16;
    QTest::newRow("half a cent stored below half") << 0.285 << 0.01 << 0.29;
    QTest::newRow("exact") << 100.0 << 50.0 << 100.0;
    QTest::newRow("negative below half") << -1.234 << 0.01 << -1.23;
}

void TestGeneralFunc::arrotonda()
{
    QFETCH(double, value);
    QFETCH(double, step);
    QFETCH(double, result);
    QCOMPARE(Arrotonda(value, step), result);
}

void TestGeneralFunc::convertiValuta_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("result");
    QTest::newRow("1 euro") << 1.0 << 1 << 1950.0;
    QTest::newRow("10000 lire") << 10000.0 << 2 << 5.16;
    QTest::newRow("12.50 euro") << 12.5 << 1 << 24200.0;
    QTest::newRow("0 lire") << 0.0 << 2 << 0.0;
    QTest::newRow("1936.27 lire") << 1936.27 << 2 << 1.0;
}

void TestGeneralFunc::convertiValuta()
{
    QFETCH(double, amount);
    QFETCH(int, direction);
    QFETCH(double, result);
    ui::ScriptedMessages messages;
    QCOMPARE(ConvertiValuta(amount, short(direction)), result);
    QVERIFY(messages.messages().isEmpty());
}

void TestGeneralFunc::convertiValutaRefusesAnUnknownDirection()
{
    ui::ScriptedMessages messages;
    QCOMPARE(ConvertiValuta(10, 3), 0.0);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Errore!")});
    QCOMPARE(messages.messages().first().style, int(ui::vbCritical));
    QCOMPARE(messages.messages().first().title, QStringLiteral("Qorda"));
}

void TestGeneralFunc::highlightAndNormalLook()
{
    QLineEdit box(QStringLiteral("Dell'Orto"));
    EvidenziaCampo(&box);
    QVERIFY(box.font().bold());
    QCOMPARE(box.palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xFF));
    QCOMPARE(box.selectedText(), QStringLiteral("Dell'Orto"));
    NormalizzaCampo(&box);
    QVERIFY(!box.font().bold());
    QCOMPARE(box.palette().color(QPalette::Base), QColor(Qt::white));

    QTextEdit notes;
    notes.setPlainText(QStringLiteral("due\nrighe"));
    EvidenziaCampo(&notes);
    QCOMPARE(notes.textCursor().selectedText().size(), 9);
    QVERIFY(notes.font().bold());
    EvidenziaCampo(nullptr); // a missing box is ignored
    NormalizzaCampo(nullptr);
}

void TestGeneralFunc::hourglassAndReset()
{
    SetHourglass();
    QVERIFY(ui::busyPointerShown());
    SetHourglass();
    ResetPointer();
    QVERIFY(!ui::busyPointerShown());
}

QTEST_MAIN(TestGeneralFunc)
#include "tst_generalfunc.moc"
