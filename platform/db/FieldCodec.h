#pragma once

#include "SchemaCatalog.h"

#include <QByteArray>
#include <QVarLengthArray>
#include <QVariant>
#include <vector>

namespace db {

class Statement;

// One row as the engine returned it, copied cheaply (one buffer for all text)
// and turned into Qt values only when a field is read.
struct RawRow {
    struct Cell {
        int type = 0;       // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
        qint64 integer = 0; // integer value, or offset into `bytes`
        double real = 0.0;
        int length = 0;
    };
    QVarLengthArray<Cell, 16> cells; // most rows need no allocation of their own
    QByteArray bytes;

    void capture(const Statement &statement, int columns);
    // Binds a column's value exactly as it was read.
    void bind(Statement &statement, int parameter, int column) const;

private:
    void captureFrom(const Statement &statement, int columns);
};

// A value ready to be bound to a statement parameter.
struct BoundValue {
    enum class Type { Null, Integer, Real, Text } type = Type::Null;
    qint64 integer = 0;
    double real = 0.0;
    QString text;
};

// Conversions between the stored form and the values the windows use:
// dates as ISO text, yes/no as -1/0, counters and longs as integers.
class FieldCodec {
public:
    static QVariant decode(const RawRow &row, int column, FieldKind kind);
    // Throws DbError(TypeMismatch) when the value does not fit the kind.
    static BoundValue encode(const QVariant &value, FieldKind kind, const QString &field);
    static void bind(Statement &statement, int index, const BoundValue &value);
    // The value a field will read once the bound value is stored.
    static QVariant fromBound(const BoundValue &value, FieldKind kind);

    // "dd/mm/yyyy", "d/m/yy", "yyyy-mm-dd", optionally with "hh:mm[:ss]";
    // false for anything else or an impossible date.
    static bool parseUserDate(const QString &text, QString *iso);
    static bool parseNumber(const QString &text, double *number);
};

} // namespace db
