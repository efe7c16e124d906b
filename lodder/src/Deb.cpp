#include "Deb.h"

#include "ComponentFolder.h"
#include "DebErrors.h"
#include "LogFormat.h"
#include "frmDeb.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include <cstdio>

namespace lodder {

std::atomic<int> Deb::s_liveObjects{0};

namespace {

// Turns an exception escaping a method into its status: the methods hand
// every failure back to the caller.
template <class Body>
DebStatus guarded(Body &&body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return {7, QStringLiteral("Memoria esaurita.")};
    } catch (...) {
        return DebErrors::unexpected();
    }
}

bool blank(const QString *text)
{
    return !text || text->trimmed().isEmpty();
}

} // namespace

Deb::Deb()
    : m_dbPassword(LogDatabase::classPassword())
{
    ++s_liveObjects;
}

Deb::~Deb()
{
    --s_liveObjects;
}

int Deb::liveObjects()
{
    return s_liveObjects.load();
}

void Deb::setMessagePresenter(DebMessagePresenter presenter)
{
    m_presenter = std::move(presenter);
}

void Deb::setClock(DebClock clock)
{
    m_clock = std::move(clock);
}

QDateTime Deb::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void Deb::setModalRunner(DebModalRunner runner)
{
    m_modalRunner = std::move(runner);
}

void Deb::setProgramLauncher(DebProgramLauncher launcher)
{
    m_launcher = std::move(launcher);
}

int Deb::showMessage(const QString &title, const QString &text, int style) const
{
    if (m_presenter)
        return m_presenter(title, text, style);
    const bool yesNo = (style & 0x0f) == DebButtonsYesNo;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // A host without a user interface: the message goes to its console.
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return yesNo ? DebAnswerNo : DebAnswerOk;
    }
    const int icon = style & 0x70;
    const QMessageBox::Icon shown = icon == DebIconCritical ? QMessageBox::Critical
        : icon == DebIconInformation                       ? QMessageBox::Information
                                                           : QMessageBox::Warning;
    QMessageBox box(shown, title, text, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    const int answer = box.exec();
    if (!yesNo)
        return DebAnswerOk;
    return answer == QMessageBox::Yes ? DebAnswerYes : DebAnswerNo;
}

void Deb::showReadFailure() const
{
    showMessage(QStringLiteral("Lodder"),
                QStringLiteral("Errore nell'esecuzione di ReadLog in Lodder.dll. Potrebbe essere impossibile visualizzare")
                    + QStringLiteral(" il file log."),
                DebIconCritical);
}

// The text log opens in the desktop's plain-text viewer: $VISUAL, else
// $EDITOR (either may carry options of its own), else xdg-open. The path is
// one argument, blanks and all.
DebStatus Deb::ReadLog(QString &strLogName)
{
    return guarded([&]() -> DebStatus {
        QStringList command;
        for (const char *variable : {"VISUAL", "EDITOR"}) {
            command = QProcess::splitCommand(qEnvironmentVariable(variable));
            if (!command.isEmpty())
                break;
        }
        if (command.isEmpty())
            command << QStringLiteral("xdg-open");
        const QString program = command.takeFirst();
        command << strLogName;
        const bool started = m_launcher ? m_launcher(program, command) : QProcess::startDetached(program, command);
        if (!started)
            showReadFailure();
        return {};
    });
}

DebStatus Deb::ReadDbLog(QString &strDbPath)
{
    return guarded([&]() -> DebStatus {
        if (strDbPath.trimmed().isEmpty())
            strDbPath = componentFolder() + QStringLiteral("/log/deb.mdb");
        else
            strDbPath = strDbPath + QStringLiteral("/deb.mdb");
        if (!QFileInfo(strDbPath).isFile()) {
            showMessage(QStringLiteral("Lodder.dll"),
                        QStringLiteral("Impossibile trovare il file deb.mdb nel percorso specificato"),
                        DebIconExclamation);
            return {};
        }
        frmDeb window([this](const QString &title, const QString &text, int style) {
            return showMessage(title, text, style);
        });
        window.p_Nome_Database = strDbPath;
        // The viewer opens the database with the one password every writer uses.
        if (!window.Form_Load(m_dbPassword).ok()) {
            showReadFailure();
            return {};
        }
        if (m_modalRunner)
            m_modalRunner(window);
        else
            window.exec();
        return {};
    });
}

DebStatus Deb::WriteStandardMsg(const DebErr &oErr)
{
    return guarded([&]() -> DebStatus {
        showMessage(QStringLiteral("Errore"), LogFormat::standardMessage(oErr.number, oErr.description),
                    DebIconCritical);
        return {};
    });
}

DebStatus Deb::appendLine(QString &logName, QString *path, const QString &line)
{
    QString folder = blank(path) ? componentFolder() + QStringLiteral("/log") : *path;
    if (path)
        *path = folder;

    // One level only: a missing parent folder is the caller's mistake.
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
        return DebErrors::pathNotFound();

    logName = folder + QLatin1Char('/') + logName;
    QFile file(logName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return DebErrors::fileAccess();
    const QByteArray bytes = line.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return DebErrors::fileAccess();
    file.close();
    return file.error() == QFileDevice::NoError ? DebStatus{} : DebErrors::fileAccess();
}

DebStatus Deb::WriteLog(QString &strNomeLog, QString &strNota, QString *strPath)
{
    return guarded([&] {
        // The time is taken once, so the line and a default name agree.
        const QDateTime moment = now();
        if (strNomeLog.trimmed().isEmpty())
            strNomeLog = LogFormat::dayLogName(moment);
        return appendLine(strNomeLog, strPath, LogFormat::noteLine(moment, strNota));
    });
}

DebStatus Deb::WriteErrLog(const DebErr &oErr, QString &strLogName, QString &strCallingSub, QString *strNota,
                           QString *strPath)
{
    return guarded([&] {
        const QDateTime moment = now();
        if (strLogName.trimmed().isEmpty())
            strLogName = LogFormat::dayLogName(moment);
        const QString note = strNota ? *strNota : QString();
        return appendLine(strLogName, strPath,
                          LogFormat::errorLine(moment, oErr.number, oErr.description, strCallingSub, note));
    });
}

DebStatus Deb::addRecord(QString *path, LogRecord record)
{
    const QString file = blank(path) ? componentFolder() + QStringLiteral("/log/deb.mdb") : *path;
    if (path)
        *path = file;
    if (!QFileInfo(file).isFile()) {
        showMessage(QStringLiteral("Lodder.dll"),
                    QStringLiteral("Impossibile trovare il file deb.mdb nel percorso specificato"),
                    DebIconExclamation);
        return {};
    }
    LogDatabase database;
    DebStatus status = database.open(file, m_dbPassword);
    if (!status.ok())
        return status;
    record.dataOra = LogFormat::dataOra(now());
    return database.insert(record);
}

DebStatus Deb::WriteDbLog(QString &strClassName, QString &strNota, QString *strPath)
{
    return guarded([&] {
        LogRecord record;
        record.classe = LogFormat::firstCharacters(strClassName, 5);
        record.nota = LogFormat::firstCharacters(strNota, 100);
        return addRecord(strPath, std::move(record));
    });
}

DebStatus Deb::WriteDbErrLog(const DebErr &oErr, QString &strClassName, QString &strCallingSub, QString *strNota,
                             QString *strPath)
{
    // Written with the class-wide password like every other access: a log
    // database has one password, and a second one here would make every
    // error record fail to open it.
    return guarded([&] {
        LogRecord record;
        record.classe = LogFormat::firstCharacters(strClassName, 5);
        record.errDescrizione = LogFormat::firstCharacters(oErr.description, 50);
        record.errNumero = oErr.number;
        record.errRoutine = LogFormat::firstCharacters(strCallingSub, 30);
        record.nota = strNota ? LogFormat::firstCharacters(*strNota, 100) : QString();
        return addRecord(strPath, std::move(record));
    });
}

} // namespace lodder
