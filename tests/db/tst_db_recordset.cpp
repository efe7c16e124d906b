#include "TestDatabase.h"

#include "db/Recordset.h"
#include "db/SqlText.h"
#include "RecordsetImpl.h"

#include <QSignalSpy>
#include <functional>

Q_DECLARE_METATYPE(std::function<void(db::Recordset &)>)

// Record sets as the windows use them: moves, finds, edits, joins.
class RecordsetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptySetRaisesOnEveryMove_data();
    void emptySetRaisesOnEveryMove();
    void movesStopOnceAtEachEnd();
    void addNewAssignsTheCounter();
    void editWritesOnlyChangedFields();
    void editModeTransitions();
    void findFirstAndFindNext();
    void deleteLeavesNoCurrentRecord();
    void filterAppliesOnRequery();
    void joinFieldsAreQualified();
    void accentedNamesInAnyCase();
    void unorderedJoinListsEveryRowOnce();
    void datesInAndOut_data();
    void datesInAndOut();
    void impossibleDateIsRejected();
    void duplicateKeyIsRecognisable();
    void unknownFieldsAndReadOnlySets();
    void aliasedColumnsWriteTheirField();
    void likeUsesLegacyWildcards_data();
    void likeUsesLegacyWildcards();
};

static void fillRegister(db::Database &db)
{
    for (const char *name : {"Rossi", "Bianchi", "Verdi", "Dell'Orto"})
        db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Stato) values (%1, 'Italia')")
                       .arg(db::quoted(QString::fromUtf8(name))));
}

void RecordsetTest::emptySetRaisesOnEveryMove_data()
{
    using Step = std::function<void(db::Recordset &)>;
    QTest::addColumn<Step>("step");
    QTest::newRow("moveFirst") << Step([](db::Recordset &rs) { rs.moveFirst(); });
    QTest::newRow("moveLast") << Step([](db::Recordset &rs) { rs.moveLast(); });
    QTest::newRow("moveNext") << Step([](db::Recordset &rs) { rs.moveNext(); });
    QTest::newRow("movePrevious") << Step([](db::Recordset &rs) { rs.movePrevious(); });
    QTest::newRow("value") << Step([](db::Recordset &rs) { rs.value(QStringLiteral("ca_Data")); });
    QTest::newRow("edit") << Step([](db::Recordset &rs) { rs.edit(); });
    QTest::newRow("delete") << Step([](db::Recordset &rs) { rs.deleteRecord(); });
}

void RecordsetTest::emptySetRaisesOnEveryMove()
{
    using Step = std::function<void(db::Recordset &)>;
    QFETCH(Step, step);
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from carico where ca_Codice = 0"));
    QCOMPARE(rs->recordCount(), 0);
    QVERIFY(rs->eof());
    QVERIFY(rs->bof());
    QCOMPARE(rs->absolutePosition(), -1);
    const db::DbError error = expectDbError([&]() { step(*rs); });
    QCOMPARE(error.kind(), db::ErrorKind::NoCurrentRecord);
    QCOMPARE(error.number(), 3021L);
    QCOMPARE(error.description(), QStringLiteral("Nessun record corrente."));
}

void RecordsetTest::movesStopOnceAtEachEnd()
{
    TestDatabase db;
    fillRegister(*db);
    auto rs = db->openRecordset(QStringLiteral("select * from Anagrafica order by anag_Denominazione"));
    QSignalSpy moved(rs.get(), &db::Recordset::currentChanged);
    QCOMPARE(rs->recordCount(), 4);
    QCOMPARE(rs->absolutePosition(), 0);
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Bianchi"));
    rs->moveLast();
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Verdi"));
    rs->moveNext();
    QVERIFY(rs->eof());
    QCOMPARE(rs->absolutePosition(), -1);
    QCOMPARE(expectDbError([&]() { rs->moveNext(); }).number(), 3021L);
    rs->movePrevious();
    QCOMPARE(rs->absolutePosition(), 3);
    rs->moveFirst();
    rs->movePrevious();
    QVERIFY(rs->bof());
    QVERIFY(!rs->eof());
    QCOMPARE(expectDbError([&]() { rs->movePrevious(); }).number(), 3021L);
    rs->setAbsolutePosition(2);
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Rossi"));
    const db::DbError bad = expectDbError([&]() { rs->setAbsolutePosition(4); });
    QCOMPARE(bad.number(), 3001L);
    QCOMPARE(bad.description(), QStringLiteral("Argomento non valido."));
    QCOMPARE(moved.count(), 6);
}

void RecordsetTest::addNewAssignsTheCounter()
{
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from carico where ca_Codice = 0"));
    QSignalSpy modes(rs.get(), &db::Recordset::editModeChanged);
    QSignalSpy fields(rs.get(), &db::Recordset::fieldChanged);
    for (int expected = 1; expected <= 2; ++expected) {
        rs->addNew();
        QCOMPARE(rs->editMode(), db::EditMode::Adding);
        QCOMPARE(rs->value("ca_Usato").toBool(), false);
        rs->setValue(QStringLiteral("ca_Codice_Articolo"), QStringLiteral("8001"));
        rs->setValue(QStringLiteral("ca_Data"), QStringLiteral("05/01/2026"));
        rs->setValue(QStringLiteral("ca_Quantita"), QStringLiteral("2,5"));
        rs->setValue(QStringLiteral("ca_Prezzo"), 0);
        rs->setValue(QStringLiteral("ca_Usato"), 1);
        rs->update();
        QCOMPARE(rs->lastInsertedId(), qlonglong(expected));
        QCOMPARE(rs->editMode(), db::EditMode::None);
        QCOMPARE(rs->recordCount(), expected);
        QCOMPARE(rs->value("ca_Codice").toLongLong(), qlonglong(expected));
    }
    QCOMPARE(modes.count(), 4);
    QCOMPARE(modes.at(0).at(0).value<db::EditMode>(), db::EditMode::Adding);
    QCOMPARE(modes.at(1).at(0).value<db::EditMode>(), db::EditMode::None);
    QCOMPARE(fields.count(), 10);
    QCOMPARE(fields.at(0).at(0).toString(), QStringLiteral("ca_Codice_Articolo"));

    auto stored = db->openRecordset(QStringLiteral("select * from carico where ca_Codice = 2"));
    QCOMPARE(stored->value("ca_Data"), QVariant(QDate(2026, 1, 5)));
    QCOMPARE(stored->value("ca_Quantita"), QVariant(2.5));
    QCOMPARE(stored->value("ca_Usato"), QVariant(true));
    QCOMPARE(stored->value("ca_Codice_Articolo"), QVariant(QStringLiteral("8001")));
    auto raw = db->openRecordset(QStringLiteral("select * from carico where ca_Usato = -1"));
    QCOMPARE(raw->recordCount(), 2);
}

void RecordsetTest::editWritesOnlyChangedFields()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Quantita) values ('800', 1, 'M', 5)"));
    auto card = db->openRecordset(QStringLiteral("select * from [Codice Articolo] where ca_Codice = '800'"));
    card->edit();
    QCOMPARE(card->editMode(), db::EditMode::Editing);
    card->setValue(QStringLiteral("ca_Taglia"), QStringLiteral("XL"));
    QCOMPARE(card->value("ca_Taglia").toString(), QStringLiteral("XL"));
    // Meanwhile a sale changes the quantity through another set.
    auto sale = db->openRecordset(QStringLiteral("select * from [codice articolo]where ca_Codice = '800'"));
    sale->edit();
    sale->setValue(QStringLiteral("ca_Quantita"), sale->value("ca_Quantita").toLongLong() - 1);
    sale->update();
    card->update();
    auto check = db->openRecordset(QStringLiteral("select * from [Codice Articolo]"));
    QCOMPARE(check->value("ca_Taglia").toString(), QStringLiteral("XL"));
    QCOMPARE(check->value("ca_Quantita").toLongLong(), 4LL);
    QCOMPARE(card->value("ca_Quantita").toLongLong(), 4LL); // the set reads its row again
}

void RecordsetTest::editModeTransitions()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Maglia')"));
    auto rs = db->openRecordset(QStringLiteral("select * from Articoli order by art_Codice"));
    const db::DbError noEdit = expectDbError([&]() { rs->update(); });
    QCOMPARE(noEdit.kind(), db::ErrorKind::NotInEditMode);
    QCOMPARE(noEdit.number(), 3020L);
    QCOMPARE(noEdit.description(), QStringLiteral("Aggiornamento o Annulla aggiornamento senza AddNew o Edit."));
    QCOMPARE(expectDbError([&]() { rs->setValue(QStringLiteral("art_Note"), QStringLiteral("x")); }).kind(),
             db::ErrorKind::NotInEditMode);

    rs->edit();
    rs->setValue(QStringLiteral("art_Descrizione"), QStringLiteral("Camicia"));
    rs->cancelUpdate();
    QCOMPARE(rs->editMode(), db::EditMode::None);
    QCOMPARE(rs->value("art_Descrizione").toString(), QStringLiteral("Maglia"));
    rs->cancelUpdate(); // nothing pending: harmless

    rs->edit();
    rs->setValue(QStringLiteral("art_Descrizione"), QStringLiteral("Camicia"));
    rs->moveFirst(); // leaving the row drops the change
    QCOMPARE(rs->editMode(), db::EditMode::None);
    QCOMPARE(rs->value("art_Descrizione").toString(), QStringLiteral("Maglia"));

    rs->edit();
    rs->setValue(QStringLiteral("art_Codice"), 1); // the value shown: accepted, nothing written
    const db::DbError counter = expectDbError([&]() { rs->setValue(QStringLiteral("art_Codice"), 7); });
    QCOMPARE(counter.number(), 3164L);
    QCOMPARE(counter.description(), QStringLiteral("Impossibile aggiornare il campo 'art_Codice'."));
    const db::DbError mismatch = expectDbError([&]() { rs->setValue(QStringLiteral("art_Prezzo_Listino"), QStringLiteral("dieci")); });
    QCOMPARE(mismatch.kind(), db::ErrorKind::TypeMismatch);
    QCOMPARE(mismatch.description(),
             QStringLiteral("Errore di conversione del tipo di dati: il valore 'dieci' non è valido per il campo 'art_Prezzo_Listino'."));
    rs->setValue(QStringLiteral("art_Prezzo_Listino"), QStringLiteral("12,50"));
    rs->update();
    QCOMPARE(rs->value("art_Prezzo_Listino").toDouble(), 12.5);
    QCOMPARE(rs->editMode(), db::EditMode::None);
}

void RecordsetTest::findFirstAndFindNext()
{
    TestDatabase db;
    fillRegister(*db);
    db->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Rossini')"));
    auto rs = db->openRecordset(QStringLiteral("select * from Anagrafica order by anag_Contatore"));
    rs->findFirst(QStringLiteral("anag_Contatore = 3"));
    QVERIFY(!rs->noMatch());
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Verdi"));
    rs->findFirst(QStringLiteral("anag_Denominazione = \"Dell'Orto\""));
    QCOMPARE(rs->absolutePosition(), 3);
    rs->findFirst(QStringLiteral("anag_Denominazione = \"Nessuno\""));
    QVERIFY(rs->noMatch());
    QCOMPARE(rs->absolutePosition(), 3); // stays where it was
    rs->findFirst(QStringLiteral("anag_denominazione like 'ross*'"));
    QCOMPARE(rs->absolutePosition(), 0);
    rs->findNext(QStringLiteral("anag_denominazione like 'ross*'"));
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Rossini"));
    rs->findNext(QStringLiteral("anag_denominazione like 'ross*'"));
    QVERIFY(rs->noMatch());
    QCOMPARE(rs->absolutePosition(), 4);
}

void RecordsetTest::deleteLeavesNoCurrentRecord()
{
    TestDatabase db;
    fillRegister(*db);
    auto rs = db->openRecordset(QStringLiteral("select * from Anagrafica order by anag_Contatore"));
    rs->moveNext();
    QSignalSpy moved(rs.get(), &db::Recordset::currentChanged);
    rs->deleteRecord();
    QCOMPARE(moved.count(), 1);
    QCOMPARE(rs->recordCount(), 3);
    QCOMPARE(rs->absolutePosition(), -1);
    const db::DbError gone = expectDbError([&]() { rs->value(QStringLiteral("anag_Denominazione")); });
    QCOMPARE(gone.number(), 3167L);
    QCOMPARE(gone.description(), QStringLiteral("Il record è stato eliminato."));
    rs->moveNext();
    QCOMPARE(rs->value("anag_Denominazione").toString(), QStringLiteral("Verdi"));
    QCOMPARE(db->openRecordset(QStringLiteral("select * from Anagrafica where anag_Contatore = 2"))->recordCount(), 0);
    QCOMPARE(db->execute(QStringLiteral("delete from Anagrafica where anag_Contatore = 1")), 1);
    // The other set still lists the row removed elsewhere until a requery.
    rs->moveFirst();
    QCOMPARE(expectDbError([&]() { rs->value(QStringLiteral("anag_Denominazione")); }).number(), 3167L);
    rs->requery();
    QCOMPARE(rs->recordCount(), 2);

    // Deleting the last row, then the only one: the next move lands on EOF.
    rs->moveLast();
    rs->deleteRecord();
    rs->moveNext();
    QVERIFY(rs->eof());
    rs->moveFirst();
    rs->deleteRecord();
    QCOMPARE(rs->recordCount(), 0);
    rs->moveNext();
    QVERIFY(rs->eof() && rs->bof());
    QCOMPARE(expectDbError([&]() { rs->moveNext(); }).number(), 3021L);
}

void RecordsetTest::filterAppliesOnRequery()
{
    TestDatabase db;
    for (const char *d : {"Maglia rossa", "Gonna ROSSA", "Camicia blu", "Giacca"})
        db->execute(QStringLiteral("insert into articoli (art_Descrizione, art_Fornitore) values ('%1', 'Lana')").arg(QLatin1String(d)));
    auto rs = db->openRecordset(QStringLiteral("Select * from articoli"));
    rs->setFilter(QStringLiteral(" art_Descrizione like '*rossa*' and  art_Fornitore like 'La*'"));
    QCOMPARE(rs->recordCount(), 4);
    rs->requery();
    QCOMPARE(rs->recordCount(), 2);
    QCOMPARE(rs->filter(), QStringLiteral(" art_Descrizione like '*rossa*' and  art_Fornitore like 'La*'"));
    rs->findFirst(QStringLiteral("art_Descrizione like 'G*'"));
    QCOMPARE(rs->value("art_Descrizione").toString(), QStringLiteral("Gonna ROSSA"));
    rs->setFilter(QString());
    rs->requery();
    QCOMPARE(rs->recordCount(), 4);
}

void RecordsetTest::joinFieldsAreQualified()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Fornitore) values ('Jeans', 'Denim')"));
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800', 1, 7)"));
    db->execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Usato) values ('800', #12/05/2026#, 3, -1)"));
    db->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Usato) values ('800', #12/06/2026#, 1, 0)"));
    const QString loads = QStringLiteral(
        "Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = carico.ca_Codice_Articolo "
        "and art_Codice = [codice articolo].ca_Codice_Articolo and carico.ca_Codice_Articolo = \"800\" and  art_Fornitore = 'Denim' and "
        " carico.ca_Data between #12/01/2026# and  #12/31/2026# order by carico.ca_Data");
    auto rs = db->openRecordset(loads);
    QCOMPARE(rs->recordCount(), 1);
    QVERIFY(rs->fieldNames().contains(QStringLiteral("carico.ca_Codice")));
    QVERIFY(rs->fieldNames().contains(QStringLiteral("[Codice Articolo].ca_Codice")));
    QCOMPARE(rs->value("carico.ca_Codice").toLongLong(), 1LL);
    QCOMPARE(rs->value("[codice articolo].ca_Codice").toString(), QStringLiteral("800"));
    QCOMPARE(rs->value("Codice Articolo.ca_Quantita").toLongLong(), 7LL);
    QCOMPARE(rs->value("carico.ca_Quantita").toDouble(), 3.0);
    QCOMPARE(rs->value("ca_Usato").toBool(), true);
    QCOMPARE(rs->value("art_Descrizione").toString(), QStringLiteral("Jeans"));
    rs->edit();
    rs->setValue(QStringLiteral("carico.ca_Quantita"), 4);
    rs->setValue(QStringLiteral("[Codice Articolo].ca_Quantita"), 9);
    rs->update();
    QCOMPARE(db->openRecordset(QStringLiteral("select * from carico"))->value("ca_Quantita").toDouble(), 4.0);
    QCOMPARE(db->openRecordset(QStringLiteral("select * from [Codice Articolo]"))->value("ca_Quantita").toLongLong(), 9LL);

    auto sales = db->openRecordset(QStringLiteral(
        "Select * from scarico, articoli, [codice articolo] where ca_Codice = sc_Codice_Articolo and art_Codice = "
        "ca_Codice_Articolo and art_Codice = 1 and sc_Usato = 0 and  sc_Data between #12/01/2026# and  #12/31/2026# "
        "order by sc_Quantita"));
    QCOMPARE(sales->recordCount(), 1);
    QCOMPARE(sales->value("sc_Codice").toLongLong(), 1LL);
    QCOMPARE(sales->value("ca_Codice").toString(), QStringLiteral("800"));
}

void RecordsetTest::accentedNamesInAnyCase()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into [dettaglio fattura] (df_Numero_Fattura, DF_QUANTITÀ, df_Prezzo) values ('26-00001', 2, 5)"));
    auto rs = db->openRecordset(QStringLiteral("select * from [Dettaglio Fattura] where DF_quantità = 2"));
    QCOMPARE(rs->value("DF_QUANTITÀ").toDouble(), 2.0);
    QCOMPARE(rs->value("df_quantità").toDouble(), 2.0);
    rs->edit();
    rs->setValue(QStringLiteral("Df_Quantità"), 2.5);
    rs->update();
    QCOMPARE(db->openRecordset(QStringLiteral("select df_Quantità * df_Prezzo as totale from [Dettaglio Fattura]"))
                 ->value("TOTALE").toDouble(), 12.5);
    db->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, ANAG_LOCALITÀ) values ('Rossi', 'Forlì')"));
    QCOMPARE(db->openRecordset(QStringLiteral("select * from anagrafica where anag_località = 'FORLÌ'"))->value("Anag_Località").toString(),
             QStringLiteral("Forlì"));
}

// The sales list in no given order, read a few rows at a time, lists every
// sale of the period once: its pages follow one order even where an index
// holds all a page of keys needs (date, bar code) in an order of its own.
void RecordsetTest::unorderedJoinListsEveryRowOnce()
{
    TestDatabase db;
    for (int i = 0; i < 6; ++i)
        db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('C%1', %2)")
                        .arg(i).arg(1 + i % 2));
    db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (1, 'Maglia'), (2, 'Gonna')"));
    // Dates and codes in no order of the rows; a code of no item among them.
    db->beginTrans();
    for (int i = 0; i < 500; ++i)
        db->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita) values ('C%1', #%2#, %3)")
                        .arg((i * 5) % 7)
                        .arg(QDate(2026, 1, 1).addDays((i * 37) % 90).toString(QStringLiteral("MM/dd/yyyy")))
                        .arg(i % 3));
    db->commitTrans();
    const QString where = QStringLiteral(" where ca_Codice = sc_Codice_Articolo and art_Codice = ca_Codice_Articolo "
                                         "and sc_Data between #02/01/2026# and #03/15/2026#");
    QStringList expected;
    {
        auto whole = db->openRecordset(QStringLiteral("select sc_Codice from scarico, articoli, [codice articolo]")
                                       + where + QStringLiteral(" order by sc_Codice"));
        for (whole->moveFirst(); !whole->eof(); whole->moveNext())
            expected << whole->value("sc_Codice").toString();
    }
    QVERIFY(expected.size() > 100);
    const int firstPage = db::Recordset::Impl::firstPage;
    db::Recordset::Impl::firstPage = 7;
    QStringList listed;
    auto sales = db->openRecordset(QStringLiteral("Select * from scarico, articoli, [codice articolo]") + where);
    for (sales->moveFirst(); !sales->eof(); sales->moveNext())
        listed << sales->value("sc_Codice").toString();
    db::Recordset::Impl::firstPage = firstPage;
    QCOMPARE(sales->recordCount(), expected.size());
    std::sort(listed.begin(), listed.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    QCOMPARE(listed, expected);
}

void RecordsetTest::datesInAndOut_data()
{
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("read");
    QTest::newRow("date box text") << QVariant(QStringLiteral("31/12/2026")) << QVariant(QDate(2026, 12, 31));
    QTest::newRow("short year") << QVariant(QStringLiteral("06/12/26")) << QVariant(QDate(2026, 12, 6));
    QTest::newRow("single digits") << QVariant(QStringLiteral("1/2/2026")) << QVariant(QDate(2026, 2, 1));
    QTest::newRow("QDate") << QVariant(QDate(2025, 7, 9)) << QVariant(QDate(2025, 7, 9));
    QTest::newRow("iso text") << QVariant(QStringLiteral("2026-03-04")) << QVariant(QDate(2026, 3, 4));
    QTest::newRow("with a time") << QVariant(QDateTime(QDate(2026, 3, 4), QTime(10, 30)))
                                 << QVariant(QDateTime(QDate(2026, 3, 4), QTime(10, 30)));
    QTest::newRow("empty is Null") << QVariant(QString()) << QVariant();
}

void RecordsetTest::datesInAndOut()
{
    QFETCH(QVariant, written);
    QFETCH(QVariant, read);
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from Fattura where fat_Numero = '0'"));
    rs->addNew();
    rs->setValue(QStringLiteral("fat_Numero"), QStringLiteral("26-00001"));
    rs->setValue(QStringLiteral("fat_Data"), written);
    QCOMPARE(rs->value("fat_Data"), read);
    rs->update();
    QCOMPARE(rs->value("fat_Data"), read);
    auto again = db->openRecordset(QStringLiteral("select * from Fattura where fat_Data between #01/01/1900# and #01/01/2100#"));
    QCOMPARE(again->recordCount(), read.isValid() ? 1 : 0);
}

void RecordsetTest::impossibleDateIsRejected()
{
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from Fattura where fat_Numero = '0'"));
    rs->addNew();
    const db::DbError error = expectDbError([&]() { rs->setValue(QStringLiteral("fat_Data"), QStringLiteral("31/02/2026")); });
    QCOMPARE(error.kind(), db::ErrorKind::TypeMismatch);
    QCOMPARE(error.number(), 3421L);
    QCOMPARE(error.description(),
             QStringLiteral("Errore di conversione del tipo di dati: il valore '31/02/2026' non è valido per il campo 'fat_Data'."));
    QVERIFY(!rs->value("fat_Data").isValid());
}

void RecordsetTest::duplicateKeyIsRecognisable()
{
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from Fattura where fat_Numero = '0'"));
    rs->addNew();
    rs->setValue(QStringLiteral("fat_Numero"), QStringLiteral("26-00001"));
    rs->update();
    rs->addNew();
    rs->setValue(QStringLiteral("fat_Numero"), QStringLiteral("26-00001"));
    const db::DbError error = expectDbError([&]() { rs->update(); });
    QCOMPARE(error.kind(), db::ErrorKind::DuplicateKey);
    QCOMPARE(error.number(), 3022L);
    QCOMPARE(error.description().size(), 297);
    QCOMPARE(rs->editMode(), db::EditMode::Adding); // the user can correct and save again
    rs->setValue(QStringLiteral("fat_Numero"), QStringLiteral("26-00002"));
    rs->update();
    QCOMPARE(rs->recordCount(), 2);

    db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Lanificio')"));
    QCOMPARE(expectDbError([&]() { db->execute(QStringLiteral("insert into Fornitore values ('LANIFICIO')")); }).kind(),
             db::ErrorKind::DuplicateKey);
}

void RecordsetTest::unknownFieldsAndReadOnlySets()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into Fattura (fat_Numero) values ('26-00007')"));
    auto rs = db->openRecordset(QStringLiteral("select * from Fattura"));
    QCOMPARE(rs->fieldIndex(QStringLiteral("nessuno")), -1);
    const db::DbError unknown = expectDbError([&]() { rs->value(QStringLiteral("nessuno")); });
    QCOMPARE(unknown.kind(), db::ErrorKind::UnknownName);
    QCOMPARE(unknown.number(), 3265L);
    QCOMPARE(unknown.description(), QStringLiteral("Elemento non trovato in questo insieme."));

    auto max = db->openRecordset(QStringLiteral("select max(fat_Numero) from Fattura"));
    QCOMPARE(max->recordCount(), 1);
    QCOMPARE(max->value(0).toString(), QStringLiteral("26-00007"));
    const db::DbError readOnly = expectDbError([&]() { max->edit(); });
    QCOMPARE(readOnly.number(), 3027L);
    QCOMPARE(readOnly.description(), QStringLiteral("Impossibile aggiornare. Il database o l'oggetto è di sola lettura."));

    rs->close();
    QVERIFY(!rs->isOpen());
    QCOMPARE(expectDbError([&]() { rs->recordCount(); }).number(), 3420L);
}

void RecordsetTest::aliasedColumnsWriteTheirField()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into Fornitore values ('Alfa')"));
    db->execute(QStringLiteral("insert into Fornitore values ('Beta')"));
    auto rs = db->openRecordset(QStringLiteral(
        "select fo_Descrizione as ID , fo_Descrizione as DESCRIZIONE from [Fornitore] order by fo_Descrizione"));
    QCOMPARE(rs->fieldNames(), QStringList({QStringLiteral("ID"), QStringLiteral("DESCRIZIONE")}));
    rs->findFirst(QStringLiteral("ID = 'beta'"));
    QCOMPARE(rs->absolutePosition(), 1);
    rs->edit();
    rs->setValue(QStringLiteral("DESCRIZIONE"), QStringLiteral("Gamma"));
    rs->update();
    QCOMPARE(rs->value("ID").toString(), QStringLiteral("Gamma"));
    rs->addNew();
    rs->setValue(QStringLiteral("ID"), QStringLiteral("Delta"));
    rs->setValue(QStringLiteral("DESCRIZIONE"), QStringLiteral("Delta"));
    rs->update();
    QCOMPARE(db->openRecordset(QStringLiteral("select * from Fornitore order by fo_Descrizione"))->recordCount(), 3);
}

void RecordsetTest::likeUsesLegacyWildcards_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("matches");
    QTest::newRow("prefix") << "Ma*" << 2;
    QTest::newRow("anywhere, any case") << "*ROSSA*" << 2;
    QTest::newRow("one character") << "Mag?ia rossa" << 1;
    QTest::newRow("digit") << "Vite ##" << 1;
    QTest::newRow("class") << "[GM]*" << 4;
    QTest::newRow("negated class") << "[!GM]*" << 2;
    QTest::newRow("percent is literal") << "%" << 0;
    QTest::newRow("accented, folded") << "*PERÒ*" << 1;
    QTest::newRow("exact without wildcard") << "giacca" << 1;
}

void RecordsetTest::likeUsesLegacyWildcards()
{
    QFETCH(QString, pattern);
    QFETCH(int, matches);
    TestDatabase db;
    for (const char *d : {"Maglia rossa", "Gonna rossa", "Mantello", "Vite 12", "Giacca", "Sciarpa però"})
        db->execute("insert into articoli (art_Descrizione) values (" + db::quoted(QString::fromUtf8(d)) + ")");
    auto rs = db->openRecordset("select * from articoli where art_Descrizione like " + db::quoted(pattern, QLatin1Char('"')));
    QCOMPARE(rs->recordCount(), matches);
}

QTEST_GUILESS_MAIN(RecordsetTest)
#include "tst_db_recordset.moc"
