#include "safety/StartCheck.h"

#include "safety/ShopSafety.h"
#include "db/DbError.h"
#include "db/WriteGate.h"

#include <QLocale>
#include <QMetaObject>

namespace safety {

StartCheck::StartCheck(QString databasePath, QString backupFolder, int backupsToKeep, QObject *parent,
                       const QDateTime &now)
    : QObject(parent)
    , m_path(std::move(databasePath))
    , m_folder(std::move(backupFolder))
    , m_keep(backupsToKeep)
    , m_now(now)
    , m_due(dailyBackupDue(m_folder, m_now))
{
}

StartCheck::~StartCheck()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

void StartCheck::stop()
{
    m_stop.store(true);
}

void StartCheck::start()
{
    if (!m_due || m_thread.joinable())
        return;
    // Held before the window can write: the first write waits until the
    // check reads its moment of the file, then goes into the log.
    db::WriteGate::hold(m_path);
    m_running.store(true);
    m_thread = std::thread([this] { work(); });
}

void StartCheck::runHere()
{
    if (!m_due)
        return;
    db::WriteGate::hold(m_path);
    m_running.store(true);
    m_onThisThread = true;
    work();
}

void StartCheck::tell(std::function<void()> signal)
{
    // From the thread, the signals go out on the object's own thread; a
    // check begun before the window exists keeps them until the window
    // listens, however soon it ends.
    if (m_onThisThread) {
        signal();
        return;
    }
    const std::lock_guard<std::mutex> lock(m_untoldMutex);
    if (m_listened)
        QMetaObject::invokeMethod(this, std::move(signal), Qt::QueuedConnection);
    else
        m_untold.push_back(std::move(signal));
}

void StartCheck::holdSignals()
{
    const std::lock_guard<std::mutex> lock(m_untoldMutex);
    m_listened = false;
}

void StartCheck::listen()
{
    const std::lock_guard<std::mutex> lock(m_untoldMutex);
    m_listened = true;
    for (auto &signal : m_untold)
        QMetaObject::invokeMethod(this, std::move(signal), Qt::QueuedConnection);
    m_untold.clear();
}

void StartCheck::work()
{
    const auto goOn = [this] { return !m_stop.load(); };
    tell([this] { Q_EMIT progress(QStringLiteral("Controllo del database in corso...")); });
    QString problem;
    try {
        problem = quickCheck(m_path, goOn, [this] { db::WriteGate::keepInLog(m_path); });
    } catch (const db::DbError &error) {
        problem = error.description();
    }
    if (m_stop.load()) {
        // Ended before its verdict (the program closes): nothing waits for
        // it, and what was logged stays in the log for the next start's check.
        db::WriteGate::keepInLog(m_path);
    } else if (problem == QLatin1String("ok")) {
        db::WriteGate::pass(m_path);
        tell([this] { Q_EMIT sound(); });
    } else {
        db::WriteGate::refuse(m_path, problem);
        tell([this, problem] { Q_EMIT damaged(problem); });
        m_running.store(false);
        tell([this] { Q_EMIT progress(QString()); });
        tell([this] { Q_EMIT finished(); });
        return;
    }
    if (!m_stop.load()) {
        tell([this] { Q_EMIT progress(QStringLiteral("Backup giornaliero in corso...")); });
        int shown = -1;
        try {
            dailyBackUp(m_path, m_folder, m_now, m_keep, [&](int done, int total) {
                const int percent = total > 0 ? int(qint64(done) * 100 / total) : 100;
                if (percent != shown) {
                    shown = percent;
                    tell([this, percent] { Q_EMIT progress(QStringLiteral("Backup giornaliero in corso... %1%").arg(percent)); });
                }
                return goOn();
            });
        } catch (const db::DbError &error) {
            if (!m_stop.load())
                tell([this, description = error.description()] { Q_EMIT backupFailed(description); });
        }
    }
    m_running.store(false);
    tell([this] { Q_EMIT progress(QString()); });
    tell([this] { Q_EMIT finished(); });
}

} // namespace safety
