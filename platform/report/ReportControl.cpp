#include "ReportControl.h"

#include "DbReportSource.h"
#include "ReportEngine.h"
#include "ReportPainter.h"
#include "ReportPreview.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "ui/ProgressFeedback.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMutexLocker>
#include <memory>

namespace report {

namespace {

[[noreturn]] void badValue(int property, const QVariant &value)
{
    throw db::DbError(db::ErrorKind::TypeMismatch, err::BadProperty,
                      QStringLiteral("Valore non valido per la proprietà %1 del report: \"%2\".")
                          .arg(property).arg(value.toString()));
}

int toInt(int property, const QVariant &value)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok)
        badValue(property, value);
    return v;
}

} // namespace

ReportControl::ReportControl(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Report"));
    for (int i = 0; i < kFormulaSlots; ++i)
        m_formulas << QString();
}

ReportControl::~ReportControl() = default;

void ReportControl::set(int property, const QVariant &value)
{
    switch (property) {
    case prop::ReportFileName: m_fileName = value.toString(); break;
    case prop::ReportSource: m_reportSource = toInt(property, value); break;
    case prop::WindowLeft: m_windowLeft = toInt(property, value); break;
    case prop::WindowTop: m_windowTop = toInt(property, value); break;
    case prop::CopiesToPrinter: m_copies = qBound(1, toInt(property, value), kMaxCopies); break;
    case prop::Destination: {
        const int d = toInt(property, value);
        if (d < 0 || d > 2)
            badValue(property, value);
        m_destination = Destination(d);
        break;
    }
    case prop::WindowTitle: m_title = value.toString(); break;
    case prop::Connect: m_connect = value.toString(); break;
    case prop::SelectionFormula: m_selection = value.toString(); break;
    case prop::PrintFileName: m_pdfFile = value.toString(); break;
    case prop::Action:
        if (toInt(property, value) == 1)
            run();
        break;
    default:
        throw db::DbError(db::ErrorKind::General, err::BadProperty,
                          QStringLiteral("Proprietà %1 del report sconosciuta.").arg(property));
    }
}

void ReportControl::set(int property, int index, const QVariant &value)
{
    if (property != prop::Formulas)
        throw db::DbError(db::ErrorKind::General, err::BadProperty,
                          QStringLiteral("Proprietà %1 del report sconosciuta.").arg(property));
    if (index < 0 || index >= kFormulaSlots)
        throw db::DbError(db::ErrorKind::General, err::BadProperty,
                          QStringLiteral("Indice di formula %1 fuori dall'intervallo 0-%2.").arg(index).arg(kFormulaSlots - 1));
    m_formulas[index] = value.toString();
}

QVariant ReportControl::get(int property) const
{
    switch (property) {
    case prop::ReportFileName: return m_fileName;
    case prop::ReportSource: return m_reportSource;
    case prop::WindowLeft: return m_windowLeft;
    case prop::WindowTop: return m_windowTop;
    case prop::CopiesToPrinter: return m_copies;
    case prop::Destination: return int(m_destination);
    case prop::WindowTitle: return m_title;
    case prop::Connect: return m_connect;
    case prop::SelectionFormula: return m_selection;
    case prop::PrintFileName: return m_pdfFile;
    default: return {};
    }
}

QString ReportControl::formula(int index) const
{
    return index >= 0 && index < kFormulaSlots ? m_formulas.at(index) : QString();
}

void ReportControl::setMdiArea(QMdiArea *area)
{
    m_mdiArea = area;
}

void ReportControl::setDatabasePath(const QString &path)
{
    m_databasePath = path;
}

void ReportControl::run()
{
    if (m_fileName.trimmed().isEmpty())
        throw db::DbError(db::ErrorKind::FileNotFound, err::TemplateNotFound,
                          QStringLiteral("Nessun modello di stampa indicato."));
    ReportRequest request;
    request.templatePath = m_fileName;
    request.title = m_title;
    request.selection = m_selection;
    request.formulas = m_formulas;
    request.today = m_today.isValid() ? m_today : QDate::currentDate();
    if (!QFileInfo::exists(m_fileName))
        throw db::DbError(db::ErrorKind::FileNotFound, err::TemplateNotFound,
                          QStringLiteral("Impossibile aprire il modello di stampa \"%1\".").arg(m_fileName));
    if (!m_source)
        db::Database::open(m_databasePath, m_connect);   // a missing file or a wrong password fails here, as before

    QString title = m_title;
    if (title.isEmpty())
        title = QFileInfo(m_fileName).completeBaseName();
    const QString databasePath = m_databasePath;
    produce(title, [&, this](PageStore &pages, ReportProgress &progress) {
        std::unique_ptr<DbReportSource> own;
        ReportDataSource *source = m_source;
        if (!source) {
            own = std::make_unique<DbReportSource>(databasePath);
            source = own.get();
        }
        {
            QMutexLocker lock(&m_runningMutex);
            m_running = source;
        }
        struct Release {
            ReportControl *control;
            ~Release()
            {
                QMutexLocker lock(&control->m_runningMutex);
                control->m_running = nullptr;
            }
        } release {this};
        pages = ReportEngine::run(request, *source, &progress);
    });
}

void ReportControl::runPages(const QString &title, const std::function<void(PageStore &, const std::function<bool()> &)> &layOut)
{
    produce(title, [&](PageStore &pages, ReportProgress &progress) {
        layOut(pages, [&progress] { return progress.cancelled(); });
    });
}

void ReportControl::produce(const QString &title, const std::function<void(PageStore &, ReportProgress &)> &build)
{
    Destination where = m_destination;
    if (where == Destination::Printer && m_printerToPdf)
        where = Destination::File;
    if (where == Destination::File && m_pdfFile.isEmpty())
        throw db::DbError(db::ErrorKind::Io, err::PrintFailed,
                          QStringLiteral("Nessun file indicato per la stampa su file."));

    ReportProgress progress;
    auto pages = std::make_shared<PageStore>();
    const QString pdfFile = m_pdfFile;
    const int copies = m_copies;
    auto work = [&, this] {
        try {
            {
                QMutexLocker lock(&m_runningMutex);
                m_progress = &progress;
            }
            struct Release {
                ReportControl *control;
                ~Release()
                {
                    QMutexLocker lock(&control->m_runningMutex);
                    control->m_progress = nullptr;
                }
            } release {this};
            build(*pages, progress);
            // Files and printers are written here too, off the windows' thread.
            const auto stop = [&progress] { return progress.cancelled(); };
            if (where == Destination::File)
                ReportPainter::writePdf(*pages, pdfFile, copies, title, stop);
            else if (where == Destination::Printer)
                ReportPainter::print(*pages, copies, title, stop);
        } catch (const ReportCancelled &) {
        } catch (const db::DbError &) {
            throw;
        } catch (const std::exception &e) {
            throw db::DbError(db::ErrorKind::General, err::DatabaseFailed,
                              QStringLiteral("Errore del motore di stampa: %1").arg(QString::fromLocal8Bit(e.what())));
        }
    };

    m_lastCancelled = false;
    if (m_feedback) {
        ui::ProgressFeedback feedback(QStringLiteral("Preparazione della stampa \"%1\"...").arg(title),
                                      m_mdiArea ? m_mdiArea->window() : nullptr);
        feedback.setDelay(m_feedbackDelay);
        feedback.setStatus([&progress] {
            return QStringLiteral("Righe lette: %1 - pagine: %2").arg(progress.rows()).arg(progress.pages());
        });
        feedback.setCancelHandler([this] { cancel(); });
        connect(&feedback, &ui::ProgressFeedback::shown, this, &ReportControl::progressShown);
        feedback.run(work);
    } else {
        work();
    }
    m_lastRowsRead = progress.rows();
    m_lastPeakRowsHeld = progress.peakRowsHeld();
    if (progress.cancelled()) {
        m_lastCancelled = true;
        Q_EMIT reportCancelled();
        return;
    }
    output(std::move(pages), title, copies, where);
}

const std::vector<ReportPage> &ReportControl::lastPages() const
{
    if (!m_lastPagesLoaded && m_lastPages) {
        m_lastPagesInMemory = m_lastPages->all();
        m_lastPagesLoaded = true;
    }
    return m_lastPagesInMemory;
}

void ReportControl::cancel()
{
    QMutexLocker lock(&m_runningMutex);
    if (m_progress)
        m_progress->cancel();
    if (m_running)
        m_running->interrupt();
}

void ReportControl::output(std::shared_ptr<PageStore> pages, const QString &title, int copies, Destination where)
{
    switch (where) {
    case Destination::Screen: {
        auto *preview = new ReportPreview(pages, title, copies);
        preview->setAttribute(Qt::WA_DeleteOnClose);
        if (m_mdiArea) {
            QMdiSubWindow *sub = m_mdiArea->addSubWindow(preview);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->setWindowTitle(preview->windowTitle());
            const QSize area = m_mdiArea->viewport()->size();
            sub->resize(qMin(860, qMax(400, area.width() - m_windowLeft)), qMax(300, area.height() - m_windowTop));
            sub->move(m_windowLeft, m_windowTop);
            sub->show();
        } else {
            preview->show();
        }
        m_lastPreview = preview;
        break;
    }
    case Destination::Printer:   // both written by the run
    case Destination::File:
        break;
    }
    m_lastDestination = m_destination;
    m_lastCopies = copies;
    m_lastTitle = title;
    m_lastPages = std::move(pages);
    m_lastPagesLoaded = false;
    m_lastPagesInMemory.clear();
    ++m_runs;
    Q_EMIT reportProduced(m_lastPages->size());
}

} // namespace report
