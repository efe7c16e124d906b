#include "FieldCodec.h"

#include "EngineErrors.h"
#include "NumberText.h"
#include "Statement.h"

#include <QDate>
#include <QDateTime>
#include <cmath>
#include <limits>
#include <cstring>
#include <sqlite3.h>

namespace db {

void RawRow::capture(const Statement &source, int columns)
{
    sqlite3_stmt *statement = source.sqlite();
    if (!statement) {
        captureFrom(source, columns);
        return;
    }
    cells.resize(columns);
    // Values first, then the text of every column into one buffer sized
    // once. The connection is used by one thread only: the column values
    // may be read directly.
    int textBytes = 0;
    for (int c = 0; c < columns; ++c) {
        Cell &cell = cells[c];
        sqlite3_value *value = sqlite3_column_value(statement, c);
        cell.type = sqlite3_value_type(value);
        switch (cell.type) {
        case SQLITE_INTEGER:
            cell.integer = sqlite3_value_int64(value);
            break;
        case SQLITE_FLOAT:
            cell.real = sqlite3_value_double(value);
            break;
        case SQLITE_TEXT:
            sqlite3_value_text(value);
            cell.length = sqlite3_value_bytes(value);
            textBytes += cell.length;
            break;
        case SQLITE_BLOB:
            sqlite3_value_blob(value);
            cell.length = sqlite3_value_bytes(value);
            textBytes += cell.length;
            break;
        default:
            break;
        }
    }
    bytes.resize(textBytes);
    char *out = bytes.data();
    qint64 offset = 0;
    for (int c = 0; c < columns; ++c) {
        Cell &cell = cells[c];
        if (cell.type != SQLITE_TEXT && cell.type != SQLITE_BLOB)
            continue;
        sqlite3_value *value = sqlite3_column_value(statement, c);
        const void *data = cell.type == SQLITE_TEXT ? static_cast<const void *>(sqlite3_value_text(value))
                                                    : sqlite3_value_blob(value);
        if (cell.length > 0)
            std::memcpy(out + offset, data, size_t(cell.length));
        cell.integer = offset;
        offset += cell.length;
    }
}

void RawRow::captureFrom(const Statement &statement, int columns)
{
    cells.resize(columns);
    int textBytes = 0;
    for (int c = 0; c < columns; ++c) {
        Cell &cell = cells[c];
        cell.type = statement.columnType(c);
        if (cell.type == SQLITE_INTEGER)
            cell.integer = statement.columnInteger(c);
        else if (cell.type == SQLITE_FLOAT)
            cell.real = statement.columnReal(c);
        else if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB)
            textBytes += (cell.length = statement.columnBytes(c));
    }
    bytes.resize(textBytes);
    qint64 offset = 0;
    for (int c = 0; c < columns; ++c) {
        Cell &cell = cells[c];
        if (cell.type != SQLITE_TEXT && cell.type != SQLITE_BLOB)
            continue;
        if (cell.length > 0)
            std::memcpy(bytes.data() + offset, statement.columnText(c), size_t(cell.length));
        cell.integer = offset;
        offset += cell.length;
    }
}

void RawRow::bind(Statement &target, int parameter, int column) const
{
    const Cell &cell = cells[column];
    sqlite3_stmt *statement = target.sqlite();
    if (!statement) {
        switch (cell.type) {
        case SQLITE_INTEGER:
            target.bindInteger(parameter, cell.integer);
            break;
        case SQLITE_FLOAT:
            target.bindReal(parameter, cell.real);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            target.bindText(parameter, bytes.constData() + cell.integer, cell.length);
            break;
        default:
            target.bindNull(parameter);
            break;
        }
        return;
    }
    switch (cell.type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(statement, parameter, cell.integer);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(statement, parameter, cell.real);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(statement, parameter, bytes.constData() + cell.integer, cell.length, SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(statement, parameter, bytes.constData() + cell.integer, cell.length, SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(statement, parameter);
        break;
    }
}

namespace {

QString cellText(const RawRow &row, const RawRow::Cell &cell)
{
    return QString::fromUtf8(row.bytes.constData() + cell.integer, cell.length);
}

QVariant decodeDate(const QString &text)
{
    if (text.size() == 10) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return date;
    } else if (text.size() == 19) {
        const QDateTime moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (moment.isValid())
            return moment;
    }
    return text;
}

QString isoFromDateTime(const QDateTime &moment)
{
    if (moment.time() == QTime(0, 0))
        return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
    return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

int expandYear(int year, int digits)
{
    if (digits == 2)
        return year < 30 ? 2000 + year : 1900 + year;
    return year;
}

} // namespace

QVariant FieldCodec::decode(const RawRow &row, int column, FieldKind kind)
{
    const RawRow::Cell &cell = row.cells[column];
    if (cell.type == SQLITE_NULL)
        return QVariant();
    switch (kind) {
    case FieldKind::Counter:
    case FieldKind::Long:
        if (cell.type == SQLITE_INTEGER)
            return QVariant(qlonglong(cell.integer));
        if (cell.type == SQLITE_FLOAT)
            return QVariant(qlonglong(std::llround(cell.real)));
        return cellText(row, cell);
    case FieldKind::Number:
        if (cell.type == SQLITE_INTEGER)
            return QVariant(double(cell.integer));
        if (cell.type == SQLITE_FLOAT)
            return QVariant(cell.real);
        return cellText(row, cell);
    case FieldKind::YesNo:
        if (cell.type == SQLITE_INTEGER)
            return QVariant(cell.integer != 0);
        if (cell.type == SQLITE_FLOAT)
            return QVariant(cell.real != 0.0);
        return cellText(row, cell);
    case FieldKind::Date:
        if (cell.type == SQLITE_TEXT)
            return decodeDate(cellText(row, cell));
        break;
    case FieldKind::Text:
        if (cell.type == SQLITE_INTEGER)
            return QString::number(cell.integer);
        if (cell.type == SQLITE_FLOAT)
            return QString::number(cell.real);
        break;
    default:
        break;
    }
    switch (cell.type) {
    case SQLITE_INTEGER: return QVariant(qlonglong(cell.integer));
    case SQLITE_FLOAT: return QVariant(cell.real);
    case SQLITE_TEXT: return cellText(row, cell);
    case SQLITE_BLOB: return QByteArray(row.bytes.constData() + cell.integer, cell.length);
    default: return QVariant();
    }
}

bool FieldCodec::parseUserDate(const QString &input, QString *iso)
{
    const QString text = input.trimmed();
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QString datePart = blank < 0 ? text : text.left(blank);
    const QString timePart = blank < 0 ? QString() : text.mid(blank + 1).trimmed();
    QDate date;
    if (datePart.size() == 10 && datePart.at(4) == QLatin1Char('-')) {
        date = QDate::fromString(datePart, Qt::ISODate);
    } else {
        const QStringList parts = datePart.split(QLatin1Char('/'));
        if (parts.size() != 3)
            return false;
        bool okD, okM, okY;
        const int day = parts[0].toInt(&okD);
        const int month = parts[1].toInt(&okM);
        const int year = parts[2].toInt(&okY);
        if (!okD || !okM || !okY || parts[0].size() > 2 || parts[1].size() > 2
            || (parts[2].size() != 2 && parts[2].size() != 4))
            return false;
        date = QDate(expandYear(year, int(parts[2].size())), month, day);
    }
    if (!date.isValid())
        return false;
    if (timePart.isEmpty()) {
        *iso = date.toString(QStringLiteral("yyyy-MM-dd"));
        return true;
    }
    QTime time = QTime::fromString(timePart, QStringLiteral("hh:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(timePart, QStringLiteral("hh:mm"));
    if (!time.isValid())
        return false;
    *iso = isoFromDateTime(QDateTime(date, time));
    return true;
}

bool FieldCodec::parseNumber(const QString &text, double *number)
{
    // Texts given to a number field read as the user's typing does, the
    // shop's decimal comma included.
    const std::optional<double> value = NumberText::read(text, QStringLiteral(","));
    if (!value)
        return false;
    *number = *value;
    return true;
}

BoundValue FieldCodec::encode(const QVariant &value, FieldKind kind, const QString &field)
{
    BoundValue out;
    if (!value.isValid() || value.isNull())
        return out;
    const int type = value.typeId();
    const bool isText = type == QMetaType::QString || type == QMetaType::QByteArray;
    const QString text = isText ? value.toString() : QString();
    auto mismatch = [&]() { return errors::typeMismatch(field, value.toString()); };

    switch (kind) {
    case FieldKind::Counter:
    case FieldKind::Long: {
        if (isText && text.trimmed().isEmpty())
            return out;
        if (type == QMetaType::Bool) {
            out.type = BoundValue::Type::Integer;
            out.integer = value.toBool() ? -1 : 0;
            return out;
        }
        double number = 0;
        if (isText) {
            if (!parseNumber(text, &number))
                throw mismatch();
        } else {
            bool ok = false;
            if (type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Long
                || type == QMetaType::UInt || type == QMetaType::Short) {
                out.type = BoundValue::Type::Integer;
                out.integer = value.toLongLong();
                return out;
            }
            number = value.toDouble(&ok);
            if (!ok || !std::isfinite(number))
                throw mismatch();
        }
        if (std::fabs(number) > 9.2e18)
            throw mismatch();
        out.type = BoundValue::Type::Integer;
        out.integer = std::llround(number);
        return out;
    }
    case FieldKind::Number: {
        if (isText && text.trimmed().isEmpty())
            return out;
        double number = 0;
        bool ok = true;
        if (isText)
            ok = parseNumber(text, &number);
        else if (type == QMetaType::Bool)
            number = value.toBool() ? -1 : 0;
        else
            number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            throw mismatch();
        out.type = BoundValue::Type::Real;
        out.real = number;
        return out;
    }
    case FieldKind::YesNo: {
        out.type = BoundValue::Type::Integer;
        if (type == QMetaType::Bool) {
            out.integer = value.toBool() ? -1 : 0;
            return out;
        }
        if (isText) {
            const QString t = text.trimmed().toLower();
            if (t.isEmpty() || t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("falso")) {
                out.integer = 0;
                return out;
            }
            if (t == QLatin1String("true") || t == QLatin1String("si") || t == QLatin1String("sì")
                || t == QLatin1String("vero")) {
                out.integer = -1;
                return out;
            }
            double number = 0;
            if (!parseNumber(t, &number))
                throw mismatch();
            out.integer = number != 0 ? -1 : 0;
            return out;
        }
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw mismatch();
        out.integer = number != 0 ? -1 : 0;
        return out;
    }
    case FieldKind::Date: {
        QString iso;
        if (type == QMetaType::QDate) {
            const QDate date = value.toDate();
            if (!date.isValid())
                throw mismatch();
            iso = date.toString(QStringLiteral("yyyy-MM-dd"));
        } else if (type == QMetaType::QDateTime) {
            const QDateTime moment = value.toDateTime();
            if (!moment.isValid())
                throw mismatch();
            iso = isoFromDateTime(moment);
        } else if (isText) {
            if (text.trimmed().isEmpty())
                return out;
            if (!parseUserDate(text, &iso))
                throw mismatch();
        } else {
            throw mismatch();
        }
        out.type = BoundValue::Type::Text;
        out.text = iso;
        return out;
    }
    case FieldKind::Text:
        out.type = BoundValue::Type::Text;
        if (type == QMetaType::QDate)
            out.text = value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        else if (type == QMetaType::Double)
            out.text = QString::number(value.toDouble(), 'g', 15);
        else
            out.text = value.toString();
        return out;
    default:
        break;
    }
    switch (type) {
    case QMetaType::Bool:
        out.type = BoundValue::Type::Integer;
        out.integer = value.toBool() ? -1 : 0;
        break;
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Long:
        out.type = BoundValue::Type::Integer;
        out.integer = value.toLongLong();
        break;
    case QMetaType::Double: case QMetaType::Float:
        out.type = BoundValue::Type::Real;
        out.real = value.toDouble();
        break;
    case QMetaType::QDate:
        out.type = BoundValue::Type::Text;
        out.text = value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        break;
    default:
        out.type = BoundValue::Type::Text;
        out.text = value.toString();
        break;
    }
    return out;
}

QVariant FieldCodec::fromBound(const BoundValue &value, FieldKind kind)
{
    switch (value.type) {
    case BoundValue::Type::Null:
        return QVariant();
    case BoundValue::Type::Integer:
        if (kind == FieldKind::YesNo)
            return QVariant(value.integer != 0);
        if (kind == FieldKind::Number)
            return QVariant(double(value.integer));
        return QVariant(qlonglong(value.integer));
    case BoundValue::Type::Real:
        return QVariant(value.real);
    case BoundValue::Type::Text:
        return kind == FieldKind::Date ? decodeDate(value.text) : QVariant(value.text);
    }
    return QVariant();
}

void FieldCodec::bind(Statement &statement, int index, const BoundValue &value)
{
    switch (value.type) {
    case BoundValue::Type::Null:
        statement.bindNull(index);
        break;
    case BoundValue::Type::Integer:
        statement.bindInteger(index, value.integer);
        break;
    case BoundValue::Type::Real:
        statement.bindReal(index, value.real);
        break;
    case BoundValue::Type::Text:
        statement.bindText(index, value.text);
        break;
    }
}

} // namespace db
