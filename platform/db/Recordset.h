#pragma once

#include "db/DbError.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace db {

class Database;

enum class EditMode { None = 0, Editing = 1, Adding = 2 };

// A scrollable, updatable set of rows opened by a select statement.
//
// Values: Null reads as an invalid QVariant; text as QString; long/counter as
// qlonglong; number as double; date as QDate (QDateTime when a time is
// stored); yes/no as bool. Writes accept the same, plus "dd/mm/yyyy" text for
// dates and any number (non-zero = true) for yes/no.
//
// Fields are found by name ignoring case (accented names too); where a join
// makes a name ambiguous, "table.field" picks one ("carico.ca_Codice").
//
// Large sets are not loaded at once: keys are read a page at a time and rows
// as they are visited.
class Recordset : public QObject {
    Q_OBJECT
public:
    ~Recordset() override;

    // Position and size. Keys are read in pages as the position moves on:
    // recordCount() counts the rows read so far (not 0 when rows exist, all
    // of them after moveLast), as the legacy engine's count did.
    int recordCount() const;
    bool recordCountFinal() const;    // every row has been counted
    // Reads the next page of keys without moving (a grid that scrolls on);
    // returns the new count.
    int fetchMore();
    int absolutePosition() const;     // 0-based, -1 when on no record
    void setAbsolutePosition(int position);
    bool eof() const;
    bool bof() const;

    // Moves. Moving in an empty set, or past EOF/BOF, throws NoCurrentRecord
    // (as the legacy engine did); MoveNext onto EOF and MovePrevious onto BOF
    // are allowed once.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // Finds the first row matching a criterion in the legacy dialect
    // ("anag_Contatore = 12", "fat_Numero = \"26-00001\""). On no match the
    // position stays where it was and noMatch() is true.
    void findFirst(const QString &criterion);
    void findNext(const QString &criterion);
    bool noMatch() const;

    // Editing.
    void addNew();
    void edit();
    void update();          // writes; AddNew+Update assigns the counter
    void cancelUpdate();
    void deleteRecord();    // the current row; position then on no record until a move
    EditMode editMode() const;

    // Fields.
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const;   // -1 when unknown
    QVariant value(const QString &field) const;  // throws UnknownName / NoCurrentRecord
    QVariant value(int index) const;
    void setValue(const QString &field, const QVariant &value);
    // After AddNew+Update: the counter the engine assigned to the new row.
    qlonglong lastInsertedId() const;

    // Filter in the legacy dialect (wildcards * and ?) applied on the next
    // requery, as the article search's record set does.
    void setFilter(const QString &legacyCondition);
    QString filter() const;

    // Reads the rows again; the position goes to the first row.
    void requery();
    void close();
    bool isOpen() const;

    QString source() const;  // the legacy SQL the set was opened with

Q_SIGNALS:
    // The current row changed (move, requery, find, delete).
    void currentChanged();
    // The edit mode changed (edit, addNew, update, cancelUpdate).
    void editModeChanged(db::EditMode mode);
    // A field was set through setValue while editing.
    void fieldChanged(const QString &field);

public:
    struct Impl;
private:
    explicit Recordset(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
    friend class Database;
};

} // namespace db
