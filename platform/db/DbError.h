#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace db {

// What went wrong, so that callers can react to a kind of failure without
// reading message texts.
enum class ErrorKind {
    General,          // anything not listed below
    FileNotFound,     // the database file does not exist
    Syntax,           // the statement could not be translated or prepared
    UnknownName,      // a table or field name that is not in the schema
    NoCurrentRecord,  // a move, read or write without a current record
    DuplicateKey,     // a key or unique index would be repeated
    NotInEditMode,    // Update without Edit/AddNew, and the like
    TypeMismatch,     // a value that does not fit the field's type
    Busy,             // another process holds the database for too long
    ChangedElsewhere, // the row was changed or deleted by another user since it was read
    Io                // disk full, read-only file, corruption
};

// Every failure of the engine: a number and an Italian description, as the
// windows show them in the standard error message.
class DbError : public std::exception {
public:
    DbError(ErrorKind kind, long number, QString description);
    // `detail`: what the log keeps and the user is not shown (the server's own words).
    DbError(ErrorKind kind, long number, QString description, QString detail);

    ErrorKind kind() const { return m_kind; }
    long number() const { return m_number; }
    QString description() const { return m_description; }
    QString detail() const { return m_detail; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    ErrorKind m_kind;
    long m_number;
    QString m_description;
    QString m_detail;
    QByteArray m_what;
};

} // namespace db
