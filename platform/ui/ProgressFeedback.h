#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <functional>

class QWidget;

namespace ui {

// Feedback for work that can take long: the work runs on a thread of its
// own while the calling (GUI) thread keeps every window painted. The busy
// pointer shows at once; past the delay (one second) a modal progress
// window with "Annulla" appears. Until then user input waits in the queue,
// so nothing can be started twice; after that the modal window holds it.
//
// "Annulla" (or cancel()) calls the cancel handler on the GUI thread: it
// must make the work stop soon (set its flag, interrupt its query); run()
// still waits for the work to end, so nothing is left half-done behind it.
//
// Without a GUI (command line tools) run() does the work directly.
class ProgressFeedback : public QObject {
    Q_OBJECT
public:
    explicit ProgressFeedback(QString text, QWidget *parent = nullptr);
    ~ProgressFeedback() override;

    void setDelay(int milliseconds) { m_delay = milliseconds; }
    // Asked a few times a second while the window shows; its answer goes
    // under the text ("12.000 righe lette").
    void setStatus(std::function<QString()> status) { m_status = std::move(status); }
    void setCancelHandler(std::function<void()> handler) { m_onCancel = std::move(handler); }

    // Runs `work` and returns when it has ended: true when it ran to its end,
    // false when it was cancelled. What `work` throws is thrown again here.
    bool run(const std::function<void()> &work);

    // As if "Annulla" were pressed (GUI thread).
    void cancel();
    bool cancelled() const { return m_cancelled.load(); }
    // The progress window while it shows, else null.
    QProgressDialog *dialog() const { return m_dialog; }

Q_SIGNALS:
    // The progress window has just appeared.
    void shown();

private:
    void showDialog();

    QString m_text;
    QPointer<QWidget> m_parent;
    int m_delay = 1000;
    std::function<QString()> m_status;
    std::function<void()> m_onCancel;
    std::atomic<bool> m_cancelled {false};
    QPointer<QProgressDialog> m_dialog;
};

} // namespace ui
