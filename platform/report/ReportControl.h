#pragma once

#include "PageStore.h"
#include "ReportPage.h"
#include "ReportProgress.h"
#include "ReportPreview.h"
#include "ReportProperties.h"

#include <QDate>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class QMdiArea;

namespace report {

class ReportDataSource;

// The report control of the main window. The windows set its numbered
// properties (report::prop) in their usual order and start the report by
// setting prop::Action to 1; any failure (missing template, refused formula,
// unknown field, database or printer trouble) is thrown from that assignment
// as a db::DbError with an Italian description.
//
// The destination survives between prints: a print that does not set it
// goes where the previous one went (the screen before the first).
class ReportControl : public QObject {
    Q_OBJECT
public:
    explicit ReportControl(QObject *parent = nullptr);
    ~ReportControl() override;

    void set(int property, const QVariant &value);
    void set(int property, int index, const QVariant &value);   // prop::Formulas
    QVariant get(int property) const;
    // Pages laid out by `layOut` rather than from a template (labels), on the
    // report's thread with the same feedback, sent where prop::Destination
    // says. `layOut` throws ReportCancelled when its stop answers true.
    void runPages(const QString &title,
                  const std::function<void(PageStore &, const std::function<bool()> &stop)> &layOut);
    QString formula(int index) const;

    // Where the screen destination opens its preview (a top-level window
    // when none is set).
    void setMdiArea(QMdiArea *area);
    void setDatabasePath(const QString &path);
    QString databasePath() const { return m_databasePath; }
    // File of the File destination (and of the printer, when redirected).
    void setPdfFile(const QString &path) { m_pdfFile = path; }
    // Sends printer output to the PDF file instead (tests, machines without a printer).
    void setPrinterToPdf(bool redirect) { m_printerToPdf = redirect; }
    // The date reports print as today; invalid = the real date.
    void setToday(const QDate &today) { m_today = today; }
    // Reads records from `source` instead of the database (not owned). The
    // source is read on the report's own thread.
    void setDataSource(ReportDataSource *source) { m_source = source; }
    // With feedback (the default) a report is laid out on a thread of its
    // own while the windows stay painted: busy pointer, then past the delay a
    // progress window with "Annulla". Without (command line), it runs here.
    void setFeedback(bool on) { m_feedback = on; }
    void setFeedbackDelay(int milliseconds) { m_feedbackDelay = milliseconds; }
    // Stops the running report (any thread): nothing is produced, a PDF file
    // being written is not left behind, and the control is ready for the next.
    void cancel();

    // What the last run produced. lastPages() brings every page into memory
    // (tests); lastPage() reads one.
    const std::vector<ReportPage> &lastPages() const;
    int lastPageCount() const { return m_lastPages ? m_lastPages->size() : 0; }
    ReportPage lastPage(int index) const { return m_lastPages->page(index); }
    // How many of the last report's pages were held in memory.
    int lastPagesInMemory() const { return m_lastPages ? m_lastPages->inMemory() : 0; }
    Destination lastDestination() const { return m_lastDestination; }
    int lastCopies() const { return m_lastCopies; }
    QString lastTitle() const { return m_lastTitle; }
    int runCount() const { return m_runs; }
    ReportPreview *lastPreview() const { return m_lastPreview; }
    bool lastCancelled() const { return m_lastCancelled; }
    qint64 lastRowsRead() const { return m_lastRowsRead; }
    // The most records the last run held in memory at once.
    int lastPeakRowsHeld() const { return m_lastPeakRowsHeld; }

Q_SIGNALS:
    void reportProduced(int pages);
    void reportCancelled();
    // The progress window of a long report has appeared.
    void progressShown();

private:
    void run();
    void produce(const QString &title, const std::function<void(PageStore &, ReportProgress &)> &build);
    void output(std::shared_ptr<PageStore> pages, const QString &title, int copies, Destination where);

    QString m_fileName;
    int m_reportSource = 2;
    int m_windowLeft = 0;
    int m_windowTop = 0;
    int m_copies = 1;
    Destination m_destination = Destination::Screen;
    QString m_title;
    QString m_connect;
    QStringList m_formulas;
    QString m_selection;
    QString m_pdfFile;
    bool m_printerToPdf = false;

    QString m_databasePath;
    QDate m_today;
    ReportDataSource *m_source = nullptr;
    QPointer<QMdiArea> m_mdiArea;

    std::shared_ptr<PageStore> m_lastPages;
    mutable std::vector<ReportPage> m_lastPagesInMemory;
    mutable bool m_lastPagesLoaded = false;
    Destination m_lastDestination = Destination::Screen;
    int m_lastCopies = 1;
    QString m_lastTitle;
    int m_runs = 0;
    QPointer<ReportPreview> m_lastPreview;
    bool m_lastCancelled = false;
    qint64 m_lastRowsRead = 0;
    int m_lastPeakRowsHeld = 0;

    bool m_feedback = true;
    int m_feedbackDelay = 1000;
    QMutex m_runningMutex;
    ReportDataSource *m_running = nullptr;   // guarded by m_runningMutex
    ReportProgress *m_progress = nullptr;    // guarded by m_runningMutex
};

} // namespace report
