// Connections kept open between reports: reused while the file and its
// schema are the ones they read, never once the file was replaced (a
// restore) or its tables changed by another connection.
#include "Connection.h"
#include "IdleConnections.h"
#include "TestDatabase.h"

#include <QFile>
#include <sqlite3.h>
#include <QtTest>

class TestIdleConnections : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reusedOnlyWhileTheFileIsTheSame_data();
    void reusedOnlyWhileTheFileIsTheSame();
};

void TestIdleConnections::reusedOnlyWhileTheFileIsTheSame_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("reused");
    QTest::newRow("nothing changed") << "" << true;
    QTest::newRow("rows written by another connection") << "rows" << true;
    QTest::newRow("a table added by another connection") << "schema" << false;
    QTest::newRow("the file replaced by another") << "replace" << false;
    QTest::newRow("every connection closed") << "close" << false;
}

void TestIdleConnections::reusedOnlyWhileTheFileIsTheSame()
{
    QFETCH(QString, change);
    QFETCH(bool, reused);

    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Beta')"));
    std::shared_ptr<db::Connection> first = db::IdleConnections::take(shop.path());
    const std::weak_ptr<db::Connection> kept = first;
    db::IdleConnections::giveBack(std::move(first));

    if (change == QLatin1String("rows")) {
        shop.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Alfa')"));
    } else if (change == QLatin1String("schema")) {
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(shop.path().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "create table Nuova (n integer)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    } else if (change == QLatin1String("replace")) {
        // Another shop's file put in place, as a restore does: both files
        // with their logs written in.
        TestShopDatabase other;
        other.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Gamma')"));
        other.release();
        shop.release();
        for (const QString &path : {other.path(), shop.path()}) {
            sqlite3 *file = nullptr;
            QCOMPARE(sqlite3_open(path.toUtf8().constData(), &file), SQLITE_OK);
            QCOMPARE(sqlite3_exec(file, "pragma wal_checkpoint(truncate)", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(file);
        }
        QVERIFY(QFile::remove(shop.path()));
        QVERIFY(QFile::copy(other.path(), shop.path()));
    } else if (change == QLatin1String("close")) {
        db::Database::closeAll();
    }

    std::shared_ptr<db::Connection> second = db::IdleConnections::take(shop.path());
    QCOMPARE(second == kept.lock(), reused);
    QCOMPARE(kept.expired(), !reused);
    // Whichever it is, it reads the file as it is now.
    QCOMPARE(second->catalog().table(QStringLiteral("Nuova")) != nullptr, change == QLatin1String("schema"));
    db::Statement *codes = second->statement(QStringLiteral("select group_concat(fo_Descrizione, ',') from "
                                                           "(select fo_Descrizione from Fornitore order by 1)"),
                                            QString());
    const db::StatementUse use(codes);
    QVERIFY(codes->step(QString()));
    const QString expected = change == QLatin1String("rows") ? "Alfa,Beta" : change == QLatin1String("replace") ? "Gamma" : "Beta";
    QCOMPARE(codes->columnString(0), expected);
    db::IdleConnections::closeAll();
}

QTEST_GUILESS_MAIN(TestIdleConnections)
#include "tst_db_idle.moc"
