#pragma once

#include "TestShopDatabase.h"

// A small database of the grid tests, in a folder of its own: a journal
// with numbers and dates, a dictionary keyed by its text, invoice lines with
// a VAT code.
class GridTestDatabase : public TestShopDatabase {
public:
    GridTestDatabase()
        : TestShopDatabase(schema(), QStringLiteral("grid.mdb"))
    {
        database();
    }

    db::Database &db() { return database(); }

private:
    static QString schema()
    {
        db::Database::closeAll(); // nothing left open by an earlier test
        return QStringLiteral(
            "CREATE TABLE [Prima Nota] (pn_id INTEGER PRIMARY KEY AUTOINCREMENT, pn_Data DATE,"
            " pn_Descrizione TEXT, pn_Fattura TEXT, pn_Uscita_Lire DOUBLE, pn_Uscita_Euro DOUBLE, pn_Note TEXT);"
            "CREATE TABLE Fornitore (fo_Descrizione TEXT PRIMARY KEY);"
            "CREATE TABLE Righe (rg_id INTEGER PRIMARY KEY AUTOINCREMENT, rg_Descrizione TEXT, rg_IVA LONG,"
            " rg_Usato YESNO);");
    }
};
