#include "ui/ProgressFeedback.h"

#include "ui/BusyPointer.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <exception>

namespace ui {

ProgressFeedback::ProgressFeedback(QString text, QWidget *parent) : m_text(std::move(text)), m_parent(parent) {}

ProgressFeedback::~ProgressFeedback()
{
    delete m_dialog;
}

bool ProgressFeedback::run(const std::function<void()> &work)
{
    m_cancelled = false;
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return !m_cancelled;
    }

    const bool pointerWasBusy = busyPointerShown();
    setBusyPointer();
    std::exception_ptr failure;
    QThread *thread = QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QEventLoop loop;
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer delay;
    delay.setSingleShot(true);
    connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    thread->start();
    delay.start(qMax(0, m_delay));
    // Input typed before the window shows waits in the queue.
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    delay.stop();
    if (!thread->isFinished()) {
        showDialog();
        QTimer status;
        connect(&status, &QTimer::timeout, this, [this] {
            if (m_dialog && m_status && !m_cancelled)
                m_dialog->setLabelText(m_text + QLatin1Char('\n') + m_status());
        });
        status.start(200);
        if (!thread->isFinished())
            loop.exec();
    }
    thread->wait();
    delete thread;
    delete m_dialog;
    if (!pointerWasBusy)
        resetPointer();
    if (failure && !m_cancelled)
        std::rethrow_exception(failure);
    return !m_cancelled;
}

void ProgressFeedback::showDialog()
{
    auto *dialog = new QProgressDialog(m_parent);
    dialog->setWindowTitle(QApplication::applicationDisplayName());
    dialog->setLabelText(m_text);
    dialog->setCancelButtonText(QStringLiteral("Annulla"));
    dialog->setRange(0, 0);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QProgressDialog::canceled, this, &ProgressFeedback::cancel);
    m_dialog = dialog;
    dialog->show();
    Q_EMIT shown();
}

void ProgressFeedback::cancel()
{
    if (m_cancelled.exchange(true))
        return;
    if (m_dialog) {
        m_dialog->setLabelText(QStringLiteral("Annullamento in corso..."));
        if (auto *button = m_dialog->findChild<QPushButton *>())
            button->setEnabled(false);
    }
    if (m_onCancel)
        m_onCancel();
}

} // namespace ui
