// Damaged copies of the shared legacy file, made in many ways from fixed
// seeds: each must be refused with its reason or taken whole, never crash,
// hang or leave part of itself in the shop. ctest runs a few hundred copies;
// LEGACY_FUZZ_TRIALS=N runs N of each kind of damage by hand.
#include "LegacyTestFiles.h"
#include "TestShopDatabase.h"
#include "legacy/LegacyImport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <random>
#include <sqlite3.h>
#include <unistd.h>

using namespace legacy;

namespace {

constexpr int pageSize = 4096;
constexpr unsigned secondsPerCopy = 20;

// What a crash or a hang reports before the process ends: which copy.
char g_current[160];

void reportAndDie(int signal)
{
    const char *what = signal == SIGALRM ? "hangs: " : "crashes: ";
    [[maybe_unused]] auto ignored = ::write(STDERR_FILENO, what, std::strlen(what));
    ignored = ::write(STDERR_FILENO, g_current, std::strlen(g_current));
    ignored = ::write(STDERR_FILENO, "\n", 1);
    std::signal(SIGABRT, SIG_DFL);
    std::signal(signal, SIG_DFL);
    std::raise(signal == SIGALRM ? SIGABRT : signal);
}

quint32 below(std::mt19937 &random, quint32 bound)
{
    return bound == 0 ? 0 : quint32(random() % bound);
}

void putLong(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

void putShort(QByteArray &bytes, qsizetype at, quint16 value)
{
    for (int i = 0; i < 2 && at + i < bytes.size(); ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// A page number no file of this size has.
quint32 pageOutOfRange(std::mt19937 &random, qsizetype size)
{
    const quint32 pages = quint32(size / pageSize);
    switch (below(random, 3)) {
    case 0: return pages + below(random, 16);
    case 1: return 0xffffffffu - below(random, 16);
    default: return pages + below(random, 0x00ffffff);
    }
}

void damage(const QString &kind, QByteArray &bytes, std::mt19937 &random)
{
    const quint32 size = quint32(bytes.size());
    const quint32 pages = size / pageSize;
    if (kind == QLatin1String("flip")) {
        for (quint32 n = 1 + below(random, 8); n > 0; --n)
            bytes[below(random, size)] ^= char(1 << below(random, 8));
    } else if (kind == QLatin1String("zero")) {
        for (quint32 n = 1 + below(random, 3); n > 0; --n) {
            const quint32 at = below(random, size);
            const quint32 length = std::min(1 + below(random, 600), size - at);
            std::memset(bytes.data() + at, 0, length);
        }
    } else if (kind == QLatin1String("cut")) {
        const quint32 at = below(random, size);
        bytes.truncate(below(random, 2) ? at - at % pageSize : at);
    } else if (kind == QLatin1String("garbage")) {
        for (quint32 n = 1 + below(random, 2); n > 0; --n) {
            const quint32 page = 1 + below(random, pages - 1);
            const char type = bytes.at(page * pageSize);
            for (int i = 0; i < pageSize; ++i)
                bytes[page * pageSize + i] = char(random());
            if (below(random, 2))   // still looks like the page it was
                bytes[page * pageSize] = type;
        }
    } else if (kind == QLatin1String("pointer")) {
        const quint32 page = 1 + below(random, pages - 1);
        const qsizetype base = qsizetype(page) * pageSize;
        const char type = bytes.at(base);
        const quint32 choice = below(random, 4);
        if (choice == 0 || (type != 1 && type != 2)) {
            // a data page's table, a definition's next page: anywhere else, a long in the page
            putLong(bytes, base + (choice == 0 ? 4 : 4 * below(random, pageSize / 4)), pageOutOfRange(random, size));
        } else if (type == 1 && choice == 1) {
            // the number of rows on a data page, or one row's place
            const quint16 rows = quint16(quint8(bytes.at(base + 12)) | quint8(bytes.at(base + 13)) << 8);
            if (below(random, 2) || rows == 0)
                putShort(bytes, base + 12, quint16(rows + 1 + below(random, 2000)));
            else
                putShort(bytes, base + 14 + 2 * below(random, rows), quint16(pageSize + below(random, 0xe000)));
        } else {
            // a memo's page and row, a definition's usage map, a column count
            putLong(bytes, base + 8 + 4 * below(random, pageSize / 4 - 2), pageOutOfRange(random, size) << 8);
        }
    }
}

// Every row of every table of the shop, as one fingerprint.
QByteArray fingerprint(db::Database &database)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    sqlite3 *db = database.handle();
    sqlite3_stmt *tables = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'table' order by name", -1, &tables, nullptr);
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const QByteArray name = reinterpret_cast<const char *>(sqlite3_column_text(tables, 0));
        sqlite3_stmt *rows = nullptr;
        // The sales' summary has no rowid: by its key.
        const QByteArray order = name.startsWith("Vendite") ? "1, 2" : "rowid";
        sqlite3_prepare_v2(db, ("select * from \"" + name + "\" order by " + order).constData(), -1, &rows, nullptr);
        while (rows && sqlite3_step(rows) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(rows); ++c) {
                hash.addData(QByteArray::number(sqlite3_column_type(rows, c)));
                hash.addData(QByteArrayView(reinterpret_cast<const char *>(sqlite3_column_blob(rows, c)),
                                            sqlite3_column_bytes(rows, c)));
            }
        sqlite3_finalize(rows);
        hash.addData(name);
    }
    sqlite3_finalize(tables);
    return hash.result();
}

qint64 rowsIn(db::Database &database, const QString &table)
{
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(database.handle(), ("select count(*) from \"" + table + "\"").toUtf8().constData(), -1,
                       &count, nullptr);
    const qint64 rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : -1;
    sqlite3_finalize(count);
    return rows;
}

// The sentences a refusal or a failure may start with.
bool explained(const QString &message, const QString &file)
{
    const QStringList openings{
        QStringLiteral("Il file %1 ").arg(file),
        QStringLiteral("L'archivio non "),
        QStringLiteral("Nella tabella "),
        QStringLiteral("Importazione non riuscita: "),
    };
    if (!message.endsWith(QStringLiteral(" Nulla è cambiato.")))
        return false;
    for (const QString &opening : openings)
        if (message.startsWith(opening))
            return true;
    return false;
}

} // namespace

class TestLegacyFuzz : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM})
            std::signal(signal, reportAndDie);
    }

    void damagedCopiesAreRefusedOrTakenWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("trials");
        const int trials = qEnvironmentVariableIsSet("LEGACY_FUZZ_TRIALS")
                               ? qEnvironmentVariableIntValue("LEGACY_FUZZ_TRIALS") : 60;
        QTest::newRow("bits flipped") << "flip" << 1000000u << trials;
        QTest::newRow("runs zeroed") << "zero" << 2000000u << trials;
        QTest::newRow("cut short") << "cut" << 3000000u << trials;
        QTest::newRow("pages of garbage") << "garbage" << 4000000u << trials;
        QTest::newRow("page numbers out of range") << "pointer" << 5000000u << trials;
    }

    void damagedCopiesAreRefusedOrTakenWhole()
    {
        QFETCH(QString, kind);
        QFETCH(quint32, seed);
        QFETCH(int, trials);
        TestShopDatabase shop;
        QFile intact(legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb")));
        QVERIFY(intact.open(QIODevice::ReadOnly));
        const QByteArray original = intact.readAll();
        const QString path = QDir(shop.folder()).filePath(QStringLiteral("danneggiato.mdb"));
        ImportOptions options;
        options.whenDataPresent = WhenDataPresent::Replace;
        options.now = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
        int imported = 0;
        for (int trial = 0; trial < trials; ++trial) {
            std::mt19937 random(seed + quint32(trial));
            QByteArray bytes = original;
            damage(kind, bytes, random);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            std::snprintf(g_current, sizeof g_current, "%s, copy %d", qPrintable(kind), trial);
            const QByteArray before = fingerprint(shop.database());

            ::alarm(secondsPerCopy);
            const ImportResult result = importLegacyFile(path, shop.database(), options);
            ::alarm(0);

            if (!result.backupPath.isEmpty())
                QFile::remove(result.backupPath);
            const QString where = QStringLiteral("%1: %2").arg(QString::fromUtf8(g_current), result.message);
            if (result.imported()) {
                ++imported;
                qint64 taken = 0;
                for (const TableCount &table : result.tables) {
                    // A table the file lacks keeps the rows delivered with the program.
                    QVERIFY2(table.missing || rowsIn(shop.database(), table.table) == table.taken, qPrintable(where));
                    taken += table.taken;
                }
                QVERIFY2(result.tables.size() == 13, qPrintable(where));
                QVERIFY2(result.message == QStringLiteral("Importazione completata: %1 righe in 13 tabelle.").arg(taken),
                         qPrintable(where));
            } else {
                QVERIFY2(result.outcome != ImportResult::Outcome::Cancelled, qPrintable(where));
                QVERIFY2(explained(result.message, QFileInfo(path).fileName()), qPrintable(where));
                QVERIFY2(fingerprint(shop.database()) == before, qPrintable(where));
            }
        }
        qInfo("%s: %d of %d copies imported, the others refused", qPrintable(kind), imported, trials);
    }
};

QTEST_GUILESS_MAIN(TestLegacyFuzz)
#include "tst_legacy_fuzz.moc"
