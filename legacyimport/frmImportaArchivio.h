#pragma once

#include <QMutex>
#include <QWidget>
#include <atomic>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class ctrl_SkinableButton;
class ctrl_SkinableForm;
namespace legacy { struct ImportProgress; struct ImportResult; }

// File / "Importa archivio precedente…": brings the old program's tarvo.mdb
// into the shop's database. Asks before replacing data already there, shows
// the table being read on a progress bar, and at the end the rows per table
// and every row that needs a word.
class frmImportaArchivio : public QWidget {
    Q_OBJECT
public:
    explicit frmImportaArchivio(QWidget *parent = nullptr);
    ~frmImportaArchivio() override;

    void cmdSfoglia_Click();
    void cmdImporta_Click();

    QLineEdit *txtArchivio = nullptr;
    ctrl_SkinableButton *cmdSfoglia = nullptr;
    ctrl_SkinableButton *cmdImporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    QLabel *lblTabella = nullptr;
    QProgressBar *prgImportazione = nullptr;
    QPlainTextEdit *txtRiepilogo = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kNoFile;
    static const QString kCloseOthers;
    static QString replaceQuestion(qint64 rows);

private:
    void Form_Load();
    bool closeOtherWindows();
    void runImport(bool replace);
    void showProgress();
    void showResult(const legacy::ImportResult &result);

    QTimer *m_progressTimer = nullptr;
    QMutex m_progressLock;
    QString m_progressTable;
    int m_progressStep = 0;     // tables done × 1000 + thousandths of the current one
    int m_progressOf = 0;
    std::atomic<bool> m_cancel {false};
    bool m_built = false;
};
