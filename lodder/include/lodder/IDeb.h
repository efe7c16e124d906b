#pragma once

// The interface of the log library's one public class, Deb, as its hosts see
// it. This is the only header shared between the library and its hosts: the
// host loads the library at run time through the component registry and
// never links it.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QDialog;

namespace lodder {

// Class and interface identifiers of Deb.
inline constexpr char kDebClassId[] = "{1A8C9097-A6FE-11D3-9FC9-00C0269D04B0}";
inline constexpr char kDebInterfaceId[] = "{1A8C9096-A6FE-11D3-9FC9-00C0269D04B0}";

// Result codes of the component entry points (the values of the classic
// in-process server codes).
using HResult = std::int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;
inline constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kClassNotAvailable = static_cast<HResult>(0x80040111u);
inline constexpr HResult kSelfRegClass = static_cast<HResult>(0x80040201u);

// The caller's current error: only its number and description are read.
struct DebErr {
    long number = 0;
    QString description;
};

// What a method returns: number 0 on success, otherwise the number and the
// description of the error the call met.
struct DebStatus {
    long number = 0;
    QString description;
    bool ok() const { return number == 0; }
};

// Icons, buttons and answers of the library's message boxes (the values the
// host's message service uses for the same ones).
enum DebIcon : int { DebIconCritical = 16, DebIconExclamation = 48, DebIconInformation = 64 };
enum DebButtons : int { DebButtonsOk = 0, DebButtonsYesNo = 4 };
enum DebAnswer : int { DebAnswerOk = 1, DebAnswerYes = 6, DebAnswerNo = 7 };

// Shows one message box (style: buttons | icon) and returns the answer when
// the user has closed it.
using DebMessagePresenter = std::function<int(const QString &title, const QString &text, int style)>;
// The current date and time as the library should see it.
using DebClock = std::function<QDateTime()>;
// Runs one of the library's windows modally and returns its result.
using DebModalRunner = std::function<int(QDialog &window)>;
// Starts a program detached with its arguments (each one whole, blanks and
// all); false when it could not be started.
using DebProgramLauncher = std::function<bool(const QString &program, const QStringList &arguments)>;

class IDeb {
public:
    virtual ~IDeb() = default;

    // The interface's methods, in slot order. Text arguments are in-out: the
    // write methods overwrite the log name and the path with the values they
    // computed. A null pointer stands for an omitted optional argument.
    virtual DebStatus ReadDbLog(QString &strDbPath) = 0;
    virtual DebStatus ReadLog(QString &strLogName) = 0;
    virtual DebStatus WriteDbErrLog(const DebErr &oErr, QString &strClassName, QString &strCallingSub,
                                    QString *strNota = nullptr, QString *strPath = nullptr) = 0;
    virtual DebStatus WriteDbLog(QString &strClassName, QString &strNota, QString *strPath = nullptr) = 0;
    virtual DebStatus WriteStandardMsg(const DebErr &oErr) = 0;
    virtual DebStatus WriteErrLog(const DebErr &oErr, QString &strLogName, QString &strCallingSub,
                                  QString *strNota = nullptr, QString *strPath = nullptr) = 0;
    virtual DebStatus WriteLog(QString &strNomeLog, QString &strNota, QString *strPath = nullptr) = 0;

    // Host services, outside the slots. An empty presenter restores the
    // library's own message box; an empty clock restores the system clock;
    // an empty runner shows the window with its own event loop; an empty
    // launcher starts programs for real.
    virtual void setMessagePresenter(DebMessagePresenter presenter) = 0;
    virtual void setClock(DebClock clock) = 0;
    virtual void setModalRunner(DebModalRunner runner) = 0;
    virtual void setProgramLauncher(DebProgramLauncher launcher) = 0;
};

// Signature of the library's DllGetClassObject: for Deb's class id and
// interface id it stores a new Deb in *object (the caller owns it and
// deletes it through IDeb).
using DllGetClassObjectFn = HResult (*)(const char *classId, const char *interfaceId, void **object);
using DllRegisterServerFn = HResult (*)();
using DllCanUnloadNowFn = HResult (*)();

} // namespace lodder
