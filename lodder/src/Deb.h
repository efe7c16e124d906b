#pragma once

#include "lodder/IDeb.h"
#include "LogDatabase.h"

#include <atomic>

namespace lodder {

// The log library's public class: the standard error message, the daily
// text logs and the log database deb.mdb. The methods have no trap of their
// own: whatever goes wrong comes back as the returned status.
class Deb final : public IDeb {
public:
    Deb();
    ~Deb() override;

    DebStatus ReadDbLog(QString &strDbPath) override;
    DebStatus ReadLog(QString &strLogName) override;
    DebStatus WriteDbErrLog(const DebErr &oErr, QString &strClassName, QString &strCallingSub,
                            QString *strNota = nullptr, QString *strPath = nullptr) override;
    DebStatus WriteDbLog(QString &strClassName, QString &strNota, QString *strPath = nullptr) override;
    DebStatus WriteStandardMsg(const DebErr &oErr) override;
    DebStatus WriteErrLog(const DebErr &oErr, QString &strLogName, QString &strCallingSub,
                          QString *strNota = nullptr, QString *strPath = nullptr) override;
    DebStatus WriteLog(QString &strNomeLog, QString &strNota, QString *strPath = nullptr) override;

    void setMessagePresenter(DebMessagePresenter presenter) override;
    void setClock(DebClock clock) override;
    void setModalRunner(DebModalRunner runner) override;
    void setProgramLauncher(DebProgramLauncher launcher) override;

    // Objects alive in this process (the library may unload at 0).
    static int liveObjects();

private:
    QDateTime now() const;
    int showMessage(const QString &title, const QString &text, int style) const;
    // The message of a read method that could not show its log.
    void showReadFailure() const;
    // Steps shared by the two text-log writers: default name and folder,
    // folder creation, then one appended line.
    DebStatus appendLine(QString &logName, QString *path, const QString &line);
    // Steps shared by the two database writers.
    DebStatus addRecord(QString *path, LogRecord record);

    QString m_dbPassword;
    DebMessagePresenter m_presenter;
    DebClock m_clock;
    DebModalRunner m_modalRunner;
    DebProgramLauncher m_launcher;
    static std::atomic<int> s_liveObjects;
};

} // namespace lodder
