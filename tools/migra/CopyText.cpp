#include "CopyText.h"

#include <charconv>
#include <sqlite3.h>

namespace migra {

void appendCopyValue(QByteArray &out, sqlite3_stmt *row, int column)
{
    char number[32];
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        out += "\\N";
        return;
    case SQLITE_INTEGER: {
        const auto end = std::to_chars(number, number + sizeof number, sqlite3_column_int64(row, column)).ptr;
        out.append(number, end - number);
        return;
    }
    case SQLITE_FLOAT: {
        const auto end = std::to_chars(number, number + sizeof number, sqlite3_column_double(row, column)).ptr;
        out.append(number, end - number);
        return;
    }
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, column));
        const int size = sqlite3_column_bytes(row, column);
        for (int i = 0; i < size; ++i) {
            switch (const char c = text[i]) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
            }
        }
    }
    }
}

} // namespace migra
