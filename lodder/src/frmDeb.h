#pragma once

#include "LogBrowser.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QAction;
class QLineEdit;
class QToolBar;

namespace lodder {

// The log database viewer "Lettura file Log": one record of debby at a time,
// edited in its boxes and written on "Save" or when it moves to another
// record, with the toolbar tbrLog (keys "New", "Open", "Save", "Delete",
// "Print", "MoveFirst", "MovePrevious", "MoveNext", "MoveLast").
class frmDeb : public QDialog {
    Q_OBJECT
public:
    // Shows a message (style: buttons | icon) and returns the answer.
    using Messages = std::function<int(const QString &title, const QString &text, int style)>;

    explicit frmDeb(Messages messages, QWidget *parent = nullptr);

    // Full path of the log database to show.
    QString p_Nome_Database;

    // Opens p_Nome_Database with the log database's password; a failure
    // (wrong password, damaged file) is returned and the window is not fit
    // to show.
    DebStatus Form_Load(const QString &password);

    void tbrLog_ButtonClick(const QString &key);

private:
    QLineEdit *addBox(const QString &name, const QString &label, int row);
    void showRecord();
    void boxEdited();
    // Writes the boxes when a record is being changed or added; false (the
    // failure reported) when the database refuses them.
    bool writePending();
    bool move(int position);
    void save();
    void remove();
    void information(const QString &text);
    void reportFailure(const DebStatus &status);
    bool recordFromBoxes(LogRecord &record);

    Messages m_messages;
    LogBrowser m_datLog;
    bool m_showing = false;
    QToolBar *m_tbrLog;
    QHash<QString, QAction *> m_buttons;
    QLineEdit *m_txtID;
    QLineEdit *m_txtNumeroErrore;
    QLineEdit *m_txtDescrizioneErrore;
    QLineEdit *m_txtDataOra;
    QLineEdit *m_txtClasse;
    QLineEdit *m_txtRoutine;
    QLineEdit *m_txtNota;
    QLineEdit *m_txtRecords;
};

} // namespace lodder
