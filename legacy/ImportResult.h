#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace legacy {

// Rows of one table: read from the old file, and taken into the database.
struct TableCount {
    QString table;
    qint64 read = 0;
    qint64 taken = 0;
    bool missing = false;   // the old file has no such table
};

// A row the user should know of: not taken (a key missing or repeated), or
// taken with a remark (a value that could not be read, a code naming nothing).
struct RowNote {
    QString table;
    qint64 row = 0;         // its place in the old file's table, from 1
    QString key;            // "sc_Codice 12", empty for a table without key
    QString reason;
    bool taken = false;
};

// What an import did, and the words for the user.
struct ImportResult {
    enum class Outcome { Imported, Refused, Failed, Cancelled };
    Outcome outcome = Outcome::Refused;
    QString message;        // why it was refused or failed; what was done
    QString backupPath;
    std::vector<TableCount> tables;
    std::vector<RowNote> notes;

    bool imported() const { return outcome == Outcome::Imported; }
    qint64 rowsTaken() const;
    // The message, the rows per table and every noted row, one a line.
    QString summary() const;
};

} // namespace legacy
