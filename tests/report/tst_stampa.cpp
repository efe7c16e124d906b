// tarvo-stampa: exit code 0 only when the PDF was written, a clear Italian
// message otherwise, and no file left behind by a failed print.
#include "ReportFixture.h"

#include <QProcess>
#include <QtTest>

namespace {

QString repeated(int count, const char *piece, const char *middle, const char *closing = "")
{
    return QString::fromLatin1(piece).repeated(count) + QString::fromLatin1(middle)
           + QString::fromLatin1(closing).repeated(count);
}

QString conditions(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QStringLiteral("{articoli.art_Codice} = %1").arg(i);
    return out.join(QStringLiteral(" or "));
}

} // namespace

class TestStampa : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void exitCodes_data();
    void exitCodes();

private:
    std::unique_ptr<ReportFixture> m_fixture;
};

void TestStampa::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
    QVERIFY(m_fixture->isValid());
}

void TestStampa::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");   // before --pdf and --database
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");         // on stderr; empty: none expected

    QTest::newRow("written") << QStringList{"listacarichi.rpt", "--formula",
                                            "{carico.ca_Data} >= date(2026,03,01) and {carico.ca_data} <= date(2026,03,31)",
                                            "--titolo", "Corvel - Lista dei Carichi", "--copie", "2"}
                             << 0 << QString();
    QTest::newRow("bad template") << QStringList{"mancante.rpt"} << 1
                                  << QString("Impossibile aprire il modello di stampa");
    QTest::newRow("bad formula") << QStringList{"articoli.rpt", "--formula", "{articoli.art_Codice} = = 1"} << 1
                                 << QString("Errore nella formula");
    QTest::newRow("unknown field") << QStringList{"articoli.rpt", "--formula", "{articoli.nessuno} = 1"} << 1
                                   << QString("Campo sconosciuto nella formula: {articoli.nessuno}");
    // As deep as a formula may go, through the database's condition too.
    QTest::newRow("200 parentheses") << QStringList{"articoli.rpt", "--formula",
                                                    repeated(200, "(", "{articoli.art_Codice} > 0", ")")}
                                     << 0 << QString();
    QTest::newRow("199 not and a comparison") << QStringList{"articoli.rpt", "--formula",
                                                             repeated(199, "not ", "{articoli.art_Codice} > 0")}
                                              << 0 << QString();
    QTest::newRow("200 conditions") << QStringList{"articoli.rpt", "--formula", conditions(200)} << 0 << QString();
    // Deeper: refused with the formula's message, never a crash.
    const QString tooDeep("Errore nella formula (posizione %1): troppi livelli annidati (al massimo 200).");
    QTest::newRow("8,000 parentheses") << QStringList{"articoli.rpt", "--formula", repeated(8000, "(", "1", ")")}
                                       << 1 << tooDeep.arg(201);
    QTest::newRow("30,000 not") << QStringList{"articoli.rpt", "--formula", repeated(30000, "not ", "true")}
                                << 1 << tooDeep.arg(801);
    QTest::newRow("120,000 minus") << QStringList{"articoli.rpt", "--formula", repeated(120000, "-", "1")}
                                   << 1 << tooDeep.arg(201);
    QTest::newRow("bad copies") << QStringList{"articoli.rpt", "--copie", "zero"} << 2
                                << QString("il numero di copie deve essere un intero");
}

void TestStampa::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QString pdf = m_fixture->templatePath(QString("%1.pdf").arg(QTest::currentDataTag()).replace(' ', '_'));
    QStringList args;
    for (const QString &a : arguments)
        args << (a.endsWith(".rpt") ? m_fixture->templatePath(a) : a);
    args << "--pdf" << pdf << "--database" << m_fixture->databasePath();

    QProcess stampa;
    stampa.start(QDir(qEnvironmentVariable("TARVO_PROGRAM_DIR")).filePath("tarvo-stampa"), args);
    QVERIFY(stampa.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(stampa.readAllStandardError());
    QVERIFY2(stampa.exitStatus() == QProcess::NormalExit, qPrintable(err));
    QVERIFY2(stampa.exitCode() == exitCode, qPrintable(QStringLiteral("exit code %1: %2").arg(stampa.exitCode()).arg(err)));
    QCOMPARE(QFileInfo::exists(pdf), exitCode == 0);
    if (message.isEmpty()) {
        QVERIFY2(!err.contains("tarvo-stampa:"), qPrintable(err));
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("%PDF"));
    } else {
        QVERIFY2(err.contains(message), qPrintable(err));
    }
}

QTEST_GUILESS_MAIN(TestStampa)
#include "tst_stampa.moc"
