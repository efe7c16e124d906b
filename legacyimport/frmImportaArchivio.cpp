#include "legacyimport/frmImportaArchivio.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "db/Database.h"
#include "legacy/LegacyImport.h"
#include "rules/ShopDatabase.h"
#include "base/ImportButtons.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"
#include "ui/WindowLife.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

const QString frmImportaArchivio::kNoFile = QStringLiteral("Indicare il file dell'archivio precedente (tarvo.mdb).");
const QString frmImportaArchivio::kCloseOthers =
    QStringLiteral("Chiudere le altre finestre prima di importare l'archivio precedente.");

QString frmImportaArchivio::replaceQuestion(qint64 rows)
{
    return QStringLiteral("Il database contiene già dati (%1 righe).\n"
                          "Sostituirli con quelli dell'archivio precedente? Una copia del database attuale sarà "
                          "salvata prima.\nRispondendo No l'importazione è rifiutata e nulla cambia.").arg(rows);
}

frmImportaArchivio::frmImportaArchivio(QWidget *parent)
    : QWidget(parent)
    , m_progressTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmImportaArchivio"));
    setWindowTitle(QStringLiteral("Importa archivio precedente"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(windowTitle());

    txtArchivio = new QLineEdit(this);
    txtArchivio->setObjectName(QStringLiteral("txtArchivio"));
    const ImportButtons buttons(this, [this] { cmdSfoglia_Click(); }, [this] { cmdImporta_Click(); });
    cmdSfoglia = buttons.cmdSfoglia;
    cmdImporta = buttons.cmdImporta;
    cmdChiudi = buttons.cmdChiudi;

    lblTabella = new QLabel(this);
    lblTabella->setObjectName(QStringLiteral("lblTabella"));
    prgImportazione = new QProgressBar(this);
    prgImportazione->setObjectName(QStringLiteral("prgImportazione"));
    prgImportazione->setRange(0, 1);
    prgImportazione->setValue(0);
    prgImportazione->setTextVisible(false);
    txtRiepilogo = new QPlainTextEdit(this);
    txtRiepilogo->setObjectName(QStringLiteral("txtRiepilogo"));
    txtRiepilogo->setReadOnly(true);
    txtRiepilogo->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(buttons.fileRow(QStringLiteral("Archivio"), txtArchivio));
    layout->addWidget(lblTabella);
    layout->addWidget(prgImportazione);
    layout->addWidget(txtRiepilogo, 1);
    layout->addLayout(buttons.bottomRow());

    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &frmImportaArchivio::showProgress);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmImportaArchivio.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmImportaArchivio.Form_Activate"),
        .activate = [this] { txtArchivio->setFocus(); },
    });
    life.defaultButton().setButton(cmdImporta, [this] { cmdImporta->click(); });
    resize(640, 460);
}

frmImportaArchivio::~frmImportaArchivio() = default;

void frmImportaArchivio::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdSfoglia, cmdImporta, cmdChiudi});
}

void frmImportaArchivio::cmdSfoglia_Click()
{
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Archivio precedente"), programFolder(),
                                                        QStringLiteral("Archivi di Access (*.mdb);;Tutti i file (*)"));
    if (!chosen.isEmpty())
        txtArchivio->setText(chosen);
}

void frmImportaArchivio::cmdImporta_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmImportaArchivio.cmdImporta_Click"));
    trap.run([this] {
        if (txtArchivio->text().trimmed().isEmpty()) {
            ui::MsgBox(kNoFile, ui::vbExclamation, g_strAppName);
            txtArchivio->setFocus();
            return;
        }
        // Never merged: data already there is replaced on the user's word, or kept.
        const qint64 present = legacy::shopDataRows(*ShopDatabase::open());
        bool replace = false;
        if (present > 0) {
            replace = ui::MsgBox(replaceQuestion(present), ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2,
                                 g_strAppName) == ui::vbYes;
        }
        // Refused (kept data) it changes nothing: the other windows may stay.
        if ((present == 0 || replace) && !closeOtherWindows()) {
            ui::MsgBox(kCloseOthers, ui::vbExclamation, g_strAppName);
            return;
        }
        runImport(replace);
    });
}

// The windows open on the data that is about to be replaced close first,
// each through its own close code (a card with unsaved changes may refuse).
bool frmImportaArchivio::closeOtherWindows()
{
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    QMdiArea *area = frame ? frame->mdiArea() : nullptr;
    if (!area)
        return true;
    for (QMdiSubWindow *other : area->subWindowList()) {
        if (other != frame && other->isVisible())
            other->close();
    }
    for (QMdiSubWindow *other : area->subWindowList())
        if (other != frame && other->isVisible())
            return false;
    return true;
}

void frmImportaArchivio::runImport(bool replace)
{
    auto database = ShopDatabase::open();
    legacy::ImportOptions options;
    options.whenDataPresent = replace ? legacy::WhenDataPresent::Replace : legacy::WhenDataPresent::Refuse;
    options.now = QDateTime::currentDateTime();
    options.progress = [this](const legacy::ImportProgress &p) {
        const QMutexLocker lock(&m_progressLock);
        m_progressTable = p.table;
        m_progressOf = p.tableCount * 1000;
        const qint64 part = p.rowsInTable > 0 ? qMin<qint64>(999, p.rows * 1000 / p.rowsInTable) : 0;
        m_progressStep = p.tableIndex * 1000 + int(part);
    };
    m_cancel = false;
    options.cancelRequested = [this] { return m_cancel.load(); };

    txtRiepilogo->clear();
    lblTabella->setText(QStringLiteral("Controllo dell'archivio..."));
    prgImportazione->setRange(0, 1);
    prgImportazione->setValue(0);
    cmdImporta->setEnabled(false);
    m_progressTimer->start();

    const QString path = txtArchivio->text().trimmed();
    legacy::ImportResult result;
    ui::ProgressFeedback feedback(QStringLiteral("Importazione dell'archivio precedente..."), this);
    feedback.setStatus([this] {
        const QMutexLocker lock(&m_progressLock);
        return m_progressTable.isEmpty() ? QString() : QStringLiteral("Tabella %1").arg(m_progressTable);
    });
    feedback.setCancelHandler([this] { m_cancel = true; });
    feedback.run([&] { result = legacy::importLegacyFile(path, *database, options); });

    m_progressTimer->stop();
    showProgress();
    cmdImporta->setEnabled(true);
    showResult(result);
}

void frmImportaArchivio::showProgress()
{
    const QMutexLocker lock(&m_progressLock);
    if (m_progressTable.isEmpty())
        return;
    prgImportazione->setRange(0, m_progressOf);
    prgImportazione->setValue(m_progressStep);
    lblTabella->setText(QStringLiteral("Lettura della tabella %1 (%2 di %3)")
                            .arg(m_progressTable).arg(m_progressStep / 1000 + 1).arg(m_progressOf / 1000));
}

void frmImportaArchivio::showResult(const legacy::ImportResult &result)
{
    txtRiepilogo->setPlainText(result.summary());
    if (result.imported()) {
        prgImportazione->setValue(prgImportazione->maximum());
        lblTabella->setText(QStringLiteral("Importazione completata: %1 tabelle lette.").arg(result.tables.size()));
        ui::MsgBox(result.message, ui::vbInformation, g_strAppName);
    } else {
        lblTabella->setText(QStringLiteral("Importazione non eseguita."));
        ui::MsgBox(result.message, ui::vbExclamation, g_strAppName);
    }
}
