#pragma once

#include "rules/ListExport.h"

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

class TableWriter;
namespace db { class SelectStream; }

// Writes a list whole to a table writer: every row of its statement, read
// row by row on a connection of its own as the writer takes them, so a
// month of sales is never held in memory and the work may run on a thread
// of its own. A list cancelled or failed midway leaves its file unwritten.
class ListExporter {
public:
    enum class Outcome { Done, Cancelled, ReadFailed, WriteFailed };

    ListExporter(ListExport list, QString databasePath);
    ~ListExporter();

    Outcome run(TableWriter &writer);
    // Stops the run soon, also in the middle of the engine's work (any thread).
    void cancel();
    bool cancelled() const { return m_cancelled.load(); }
    qint64 rowsWritten() const { return m_rows.load(); }
    // Why the run failed, as the engine or the file said it.
    QString errorText() const { return m_error; }
    // Called after each row written, on the thread of run() (tests hold the
    // export there).
    void setRowObserver(std::function<void(qint64)> observer) { m_observer = std::move(observer); }

private:
    Outcome writeStatementRows(TableWriter &writer);
    Outcome writeGivenRows(TableWriter &writer);
    bool written(TableWriter &writer, const QVariantList &cells);
    bool counted(bool written, const TableWriter &writer);

    ListExport m_list;
    QString m_path;
    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_rows{0};
    QString m_error;
    std::function<void(qint64)> m_observer;
    std::mutex m_streamMutex;
    db::SelectStream *m_stream = nullptr;
};
