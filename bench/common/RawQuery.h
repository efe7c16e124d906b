#pragma once

// The raw side of a benchmark: one statement prepared on SQLite itself,
// whose rows are read with every cell turned into text, as a window shows
// them.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>
#include <initializer_list>
#include <sqlite3.h>

namespace bench {

class RawQuery {
public:
    RawQuery(sqlite3 *handle, const char *sql)
    {
        if (sqlite3_prepare_v3(handle, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK)
            qFatal("raw statement not prepared: %s", sqlite3_errmsg(handle));
    }
    ~RawQuery() { sqlite3_finalize(m_statement); }
    RawQuery(const RawQuery &) = delete;
    RawQuery &operator=(const RawQuery &) = delete;

    // The rows read (at most maxRows), the parameters bound in order: whole
    // numbers as integers, anything else as text.
    int read(std::initializer_list<QVariant> parameters = {}, int maxRows = 1 << 30)
    {
        int index = 1;
        for (const QVariant &value : parameters) {
            if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(m_statement, index++, value.toLongLong());
            } else {
                const QByteArray text = value.toString().toUtf8();
                sqlite3_bind_text(m_statement, index++, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
        }
        int rows = 0;
        m_firstColumn.clear();
        while (rows < maxRows && sqlite3_step(m_statement) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(m_statement); ++c) {
                m_last = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, c)));
                if (c == 0 && m_firstColumn.size() < 100)
                    m_firstColumn << m_last;
            }
        }
        sqlite3_reset(m_statement);
        return rows;
    }
    int read(const QString &text, int maxRows = 1 << 30) { return read({text}, maxRows); }
    int read(qlonglong key) { return read({QVariant(key)}); }

    // The last cell read, and the first column of the first 100 rows.
    QString last() const { return m_last; }
    QStringList firstColumn() const { return m_firstColumn; }

private:
    sqlite3_stmt *m_statement = nullptr;
    QString m_last;
    QStringList m_firstColumn;
};

} // namespace bench
