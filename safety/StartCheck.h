#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>
#include <thread>

namespace safety {

// What the start does with the shop's file behind the main window, on a
// thread and connections of its own. On the first start of the day (no
// backup of the day yet) it reads every page of the file, the writes kept
// in the file's log until its verdict (db::WriteGate), then makes the daily backup;
// the other starts have read the header and the schema before the window
// and do nothing here.
class StartCheck : public QObject {
    Q_OBJECT
public:
    // `now` decides whether this is the first start of the day and names
    // the day's backup.
    StartCheck(QString databasePath, QString backupFolder, int backupsToKeep, QObject *parent = nullptr,
               const QDateTime &now = QDateTime::currentDateTime());
    // Stops what still runs (a backup left halfway is removed; the next
    // start makes it) and waits for it.
    ~StartCheck() override;

    // Whether this start reads every page and makes the daily backup.
    bool due() const { return m_due; }
    // On a thread of its own; the signals arrive on the caller's thread.
    void start();
    // The same work on the calling thread, to its end.
    void runHere();
    bool running() const { return m_running.load(); }
    // Begun before anything listens: the signals wait for listen().
    void holdSignals();
    void listen();
    void stop();

Q_SIGNALS:
    // A line for the status bar; empty once everything is done.
    void progress(const QString &text);
    // Every page read: the file is sound, or damaged (writes are refused).
    void sound();
    void damaged(const QString &problem);
    void backupFailed(const QString &description);
    void finished();

private:
    void work();
    void tell(std::function<void()> signal);

    QString m_path;
    QString m_folder;
    int m_keep;
    QDateTime m_now;
    bool m_due;
    std::thread m_thread;
    std::atomic<bool> m_running {false};
    std::atomic<bool> m_stop {false};
    bool m_onThisThread = false;
    std::mutex m_untoldMutex;
    bool m_listened = true;
    std::vector<std::function<void()>> m_untold;
};

} // namespace safety
