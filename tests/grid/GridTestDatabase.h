#pragma once

#include "db/Database.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A small database of the grid tests, in a folder of its own: a journal
// with numbers and dates, a dictionary keyed by its text, invoice lines with
// a VAT code.
class GridTestDatabase {
public:
    GridTestDatabase()
    {
        db::Database::closeAll();
        m_path = m_dir.filePath(QStringLiteral("grid.mdb"));
        db::Database::create(m_path, QStringLiteral(
            "CREATE TABLE [Prima Nota] (pn_id INTEGER PRIMARY KEY AUTOINCREMENT, pn_Data DATE,"
            " pn_Descrizione TEXT, pn_Fattura TEXT, pn_Uscita_Lire DOUBLE, pn_Uscita_Euro DOUBLE, pn_Note TEXT);"
            "CREATE TABLE Fornitore (fo_Descrizione TEXT PRIMARY KEY);"
            "CREATE TABLE Righe (rg_id INTEGER PRIMARY KEY AUTOINCREMENT, rg_Descrizione TEXT, rg_IVA LONG,"
            " rg_Usato YESNO);"));
        m_db = db::Database::open(m_path);
    }
    ~GridTestDatabase() { m_db.reset(); db::Database::closeAll(); }

    db::Database &db() { return *m_db; }
    QString path() const { return m_path; }

    // One text value read straight from the file.
    QVariant scalar(const QString &sql)
    {
        auto rs = m_db->openRecordset(sql);
        if (rs->recordCount() == 0)
            return QVariant();
        rs->moveFirst();
        return rs->value(0);
    }
    int count(const QString &table)
    {
        return scalar(QStringLiteral("select count(*) from ") + table).toInt();
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<db::Database> m_db;
};
