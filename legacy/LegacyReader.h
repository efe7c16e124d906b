#pragma once

#include "legacy/LegacyValue.h"

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <vector>

namespace legacy {

// The kinds of field an old shop file can hold (Jet 4 column types).
enum class LegacyType { YesNo, Byte, Integer, Long, Currency, Single, Double, DateTime, Text, Memo, Other };

struct LegacyColumn {
    QString name;
    LegacyType type = LegacyType::Other;
};

// The file cannot be read (not a Jet 4 file, truncated, damaged). The reason
// is an Italian sentence for the user.
class LegacyFileError : public std::exception {
public:
    explicit LegacyFileError(QString reason);
    const QString &reason() const { return m_reason; }
    const char *what() const noexcept override { return m_what.constData(); }
private:
    QString m_reason;
    QByteArray m_what;
};

// What the import needs of an old shop file: its tables, their columns with
// their types, and their rows as values. Implemented on libmdb for real files
// and by a fake in the tests.
class LegacyReader {
public:
    virtual ~LegacyReader() = default;
    virtual QStringList tables() const = 0;
    virtual std::vector<LegacyColumn> columns(const QString &table) const = 0;
    // The number of rows the file says the table holds (for progress).
    virtual qint64 rowCount(const QString &table) const = 0;
    // Calls `row` for every row of the table, its values in column order.
    // Throws LegacyFileError when the table cannot be read to its end.
    virtual void readRows(const QString &table,
                          const std::function<void(const std::vector<LegacyValue> &)> &row) = 0;
};

QString typeName(LegacyType type);

} // namespace legacy
