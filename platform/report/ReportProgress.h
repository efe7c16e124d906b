#pragma once

#include <QtGlobal>
#include <atomic>

namespace report {

// What a running report has done so far, read from another thread, and the
// request to stop it. A stopped run throws ReportCancelled.
class ReportProgress {
public:
    void cancel() { m_cancelled.store(true); }
    bool cancelled() const { return m_cancelled.load(); }
    qint64 rows() const { return m_rows.load(); }
    int pages() const { return m_pages.load(); }
    int peakRowsHeld() const { return m_peakRowsHeld.load(); }

    void setRows(qint64 rows) { m_rows.store(rows); }
    void setPages(int pages) { m_pages.store(pages); }
    void setPeakRowsHeld(int rows) { m_peakRowsHeld.store(rows); }

private:
    std::atomic<bool> m_cancelled {false};
    std::atomic<qint64> m_rows {0};
    std::atomic<int> m_pages {0};
    std::atomic<int> m_peakRowsHeld {0};
};

// Thrown out of a report run that was cancelled: nothing was produced.
struct ReportCancelled {};

} // namespace report
