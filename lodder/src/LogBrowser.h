#pragma once

#include "LogDatabase.h"

#include <vector>

namespace lodder {

// The viewer's data control on the table debby: one record at a time, the
// position counted from 0, a new record or a change held until it is
// written. Nothing is written on a move by itself: the viewer writes its
// boxes first.
class LogBrowser {
public:
    enum class EditMode { None, Editing, Adding };

    // Opens the database and reads its record numbers (the refresh).
    DebStatus open(const QString &path, const QString &password);

    int recordCount() const { return int(m_ids.size()); }
    // -1 when on no record (an empty table, after a delete, while adding).
    int absolutePosition() const { return m_position; }
    EditMode editMode() const { return m_mode; }
    qint64 currentId() const;
    // The current record, or the new one while adding.
    const LogRecord &record() const { return m_record; }

    // Moves to a record by position; a position outside the table leaves
    // the browser where it was.
    DebStatus moveTo(int position);

    void addNew();
    void edit();
    // Writes `values` as the new record or over the current one; on
    // failure the mode stays, so nothing typed is lost.
    DebStatus update(const LogRecord &values);
    // Deletes the current record; the browser is then on no record.
    DebStatus deleteCurrent();

private:
    LogDatabase m_database;
    std::vector<qint64> m_ids;
    int m_position = -1;
    EditMode m_mode = EditMode::None;
    LogRecord m_record;
};

} // namespace lodder
