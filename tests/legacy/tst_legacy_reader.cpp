// The libmdb reader on real Jet 4 files: every field type read as the file
// holds it, and files that are no whole Jet 4 database refused with a reason.
#include "LegacyTestFiles.h"
#include "legacy/MdbLegacyReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using legacy::LegacyValue;

Q_DECLARE_METATYPE(legacy::LegacyValue)

namespace {

LegacyValue text(const char *utf8) { return LegacyValue::text(QString::fromUtf8(utf8)); }
LegacyValue at(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return LegacyValue::date(QDateTime(QDate(y, m, d), QTime(h, mi, s), Qt::UTC));
}

// The rows of table Articoli of tipi-jet4.mdb (scripts/jet4fixture.py, its demo tables).
std::vector<std::vector<LegacyValue>> readArticoli(const QString &path)
{
    auto reader = legacy::MdbLegacyReader::open(path);
    std::vector<std::vector<LegacyValue>> rows;
    reader->readRows(QStringLiteral("Articoli"), [&](const std::vector<LegacyValue> &row) { rows.push_back(row); });
    return rows;
}

} // namespace

class TestLegacyReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_types = legacyTestFile(m_folder.path(), QStringLiteral("tipi-jet4.mdb"));
    }

    void tablesAndColumnTypes()
    {
        auto reader = legacy::MdbLegacyReader::open(m_types);
        QCOMPARE(reader->tables(), (QStringList{QStringLiteral("Articoli"), QStringLiteral("Clienti")}));
        QCOMPARE(reader->rowCount(QStringLiteral("Clienti")), 500);
        QStringList described;
        for (const auto &column : reader->columns(QStringLiteral("Articoli")))
            described << column.name + QLatin1Char(':') + legacy::typeName(column.type);
        QCOMPARE(described.join(QLatin1Char(' ')),
                 QStringLiteral("Codice:Testo Descrizione:Testo Prezzo:Valuta Giacenza:Intero lungo Attivo:Sì/No "
                                "DataIns:Data/ora Sconto:Precisione doppia Reparto:Byte Scaffale:Intero "
                                "Peso:Precisione singola Note:Memo"));
    }

    void readsEveryType_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<LegacyValue>("expected");
        QTest::newRow("text with accents") << 0 << 1 << text("Caffè macinato 250g");
        QTest::newRow("empty text is no Null") << 2 << 1 << LegacyValue::text(QString());
        QTest::newRow("Null text") << 3 << 1 << LegacyValue();
        QTest::newRow("currency exact") << 0 << 2 << LegacyValue::currency(34900);
        QTest::newRow("currency below zero") << 1 << 2 << LegacyValue::currency(-100);
        QTest::newRow("currency at its limit") << 2 << 2 << LegacyValue::currency(9223372036854775807LL);
        QTest::newRow("long") << 2 << 3 << LegacyValue::integer(-5);
        QTest::newRow("yes") << 0 << 4 << LegacyValue::yesNo(true);
        QTest::newRow("no") << 1 << 4 << LegacyValue::yesNo(false);
        QTest::newRow("date and time, leap day") << 0 << 5 << at(2024, 2, 29, 17, 45, 30);
        QTest::newRow("day zero") << 1 << 5 << at(1899, 12, 30);
        QTest::newRow("before day zero, time forward") << 2 << 5 << at(1899, 12, 29, 6);
        QTest::newRow("double") << 0 << 6 << LegacyValue::real(0.1);
        QTest::newRow("byte above 127") << 1 << 7 << LegacyValue::integer(255);
        QTest::newRow("integer below zero") << 0 << 8 << LegacyValue::integer(-7);
        QTest::newRow("single") << 1 << 9 << LegacyValue::real(1.5);
        QTest::newRow("memo with euro") << 0 << 10 << text("Più venduto: à è é ì ò ù € «»");
        QTest::newRow("empty memo") << 1 << 10 << LegacyValue::text(QString());
        QTest::newRow("memo past the bind size, on several pages")
            << 3 << 10 << LegacyValue::text(QStringLiteral("Nota lunga: perché è così? ").repeated(800).trimmed());
    }

    void readsEveryType()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(LegacyValue, expected);
        const auto rows = readArticoli(m_types);
        QCOMPARE(rows.size(), size_t(4));
        const LegacyValue &value = rows[row][column];
        QCOMPARE(int(value.kind()), int(expected.kind()));
        if (value.kind() == LegacyValue::Kind::Text)
            QCOMPARE(value.textValue().size(), expected.textValue().size());
        QVERIFY2(value == expected, qPrintable(value.display() + QStringLiteral(" != ") + expected.display()));
    }

    void refusesWhatIsNoWholeJet4File_data()
    {
        QTest::addColumn<QByteArray>("patch");   // offset:byte written into a copy, or "cut:N", or the contents
        QTest::addColumn<QString>("reason");
        QTest::newRow("plain text") << QByteArray("text:Articoli;Descrizione\n1;Filo\n")
                                    << QStringLiteral("Il file prova.mdb non è un archivio di Access (Jet 4).");
        QTest::newRow("Tarvo's own database") << QByteArray("text:SQLite format 3")
                                    << QStringLiteral("Il file prova.mdb è un archivio di Tarvo, non del programma precedente.");
        QTest::newRow("Access 97") << QByteArray("set:20:0")
                                   << QStringLiteral("Il file prova.mdb è un archivio di Access 97 (Jet 3): si importano "
                                                     "solo archivi di Access 2000-2003 (Jet 4).");
        QTest::newRow("Access 2007") << QByteArray("set:20:2")
                                     << QStringLiteral("Il file prova.mdb è un archivio di Access 2007 o successivo: si "
                                                       "importano solo archivi di Access 2000-2003 (Jet 4).");
        QTest::newRow("cut inside a page") << QByteArray("cut:100000")
                                           << QStringLiteral("Il file prova.mdb è incompleto (troncato): la sua lunghezza, "
                                                             "100000 byte, non è quella di un archivio di Access.");
        QTest::newRow("cut at a page, catalog gone") << QByteArray("cut:12288")
                                           << QStringLiteral("Il file prova.mdb è danneggiato o troncato: il suo catalogo "
                                                             "non si legge.");
        QTest::newRow("cut at a page, rows gone") << QByteArray("cut:98304")
                                           << QStringLiteral("Il file prova.mdb è danneggiato o troncato: la tabella "
                                                             "Clienti ha 365 righe leggibili su 500.");
    }

    void refusesWhatIsNoWholeJet4File()
    {
        QFETCH(QByteArray, patch);
        QFETCH(QString, reason);
        QFile source(m_types);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        const QList<QByteArray> parts = patch.split(':');
        if (parts[0] == "text")
            bytes = patch.mid(5).leftJustified(8192, '\n');
        else if (parts[0] == "set")
            bytes[parts[1].toInt()] = char(parts[2].toInt());
        else
            bytes.truncate(parts[1].toInt());
        const QString path = m_folder.filePath(QStringLiteral("prova.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        try {
            legacy::MdbLegacyReader::open(path);
            QFAIL("the file was read");
        } catch (const legacy::LegacyFileError &e) {
            QCOMPARE(e.reason(), reason);
        }
    }

private:
    QTemporaryDir m_folder;
    QString m_types;
};

QTEST_GUILESS_MAIN(TestLegacyReader)
#include "tst_legacy_reader.moc"
