#include "frmDeb.h"

#include "DebErrors.h"
#include "LogFormat.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace lodder {

namespace {

// The title of the library's own messages.
const QString kTitle = QStringLiteral("Lodder");

QString boxText(const std::optional<QString> &value)
{
    return value.value_or(QString());
}

std::optional<QString> optionalBox(const QLineEdit *box)
{
    return box->text().isEmpty() ? std::nullopt : std::optional<QString>(box->text());
}

} // namespace

frmDeb::frmDeb(Messages messages, QWidget *parent)
    : QDialog(parent)
    , m_messages(std::move(messages))
    , m_tbrLog(new QToolBar(this))
{
    setObjectName(QStringLiteral("frmDeb"));
    setWindowTitle(QStringLiteral("Lettura file Log"));
    setModal(true);

    m_tbrLog->setObjectName(QStringLiteral("tbrLog"));
    m_tbrLog->setIconSize(QSize(20, 20));
    const struct {
        const char *key;
        const char *tip;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {"New", "Nuovo", QStyle::SP_FileIcon},
        {"Open", "Apri", QStyle::SP_DialogOpenButton},
        {"Save", "Salva", QStyle::SP_DialogSaveButton},
        {"Delete", "Cancella", QStyle::SP_TrashIcon},
        {"Print", "Stampa", QStyle::SP_FileDialogDetailedView},
        {"MoveFirst", "Primo", QStyle::SP_MediaSkipBackward},
        {"MovePrevious", "Precedente", QStyle::SP_MediaSeekBackward},
        {"MoveNext", "Successivo", QStyle::SP_MediaSeekForward},
        {"MoveLast", "Ultimo", QStyle::SP_MediaSkipForward},
    };
    for (const auto &b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction *action = m_tbrLog->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.tip));
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { tbrLog_ButtonClick(key); });
        m_buttons.insert(key, action);
        if (key == QLatin1String("Print"))
            m_tbrLog->addSeparator();
    }

    auto *fields = new QGridLayout;
    m_txtID = addBox(QStringLiteral("txtID"), QStringLiteral("ID Log"), 0);
    m_txtNumeroErrore = addBox(QStringLiteral("txtNumeroErrore"), QStringLiteral("Numero Errore"), 1);
    m_txtDescrizioneErrore = addBox(QStringLiteral("txtDescrizioneErrore"), QStringLiteral("Descrizione Errore"), 2);
    m_txtDataOra = addBox(QStringLiteral("txtDataOra"), QStringLiteral("Data - Ora"), 3);
    m_txtClasse = addBox(QStringLiteral("txtClasse"), QStringLiteral("Classe"), 4);
    m_txtRoutine = addBox(QStringLiteral("txtRoutine"), QStringLiteral("Routine Chiamante"), 5);
    m_txtNota = addBox(QStringLiteral("txtNota"), QStringLiteral("Nota"), 6);
    for (QLineEdit *box : findChildren<QLineEdit *>()) {
        auto *label = findChild<QLabel *>(QStringLiteral("lbl") + box->objectName().mid(3));
        const int row = box->property("row").toInt();
        fields->addWidget(label, row, 0);
        fields->addWidget(box, row, 1);
    }
    // The record number is the counter of the database: shown, never typed.
    m_txtID->setReadOnly(true);
    m_txtID->setMaximumWidth(120);
    m_txtNumeroErrore->setMaximumWidth(120);
    m_txtNota->setMinimumWidth(360);

    m_txtRecords = new QLineEdit(this);
    m_txtRecords->setObjectName(QStringLiteral("txtRecords"));
    m_txtRecords->setReadOnly(true);
    m_txtRecords->setFrame(false);
    m_txtRecords->setAlignment(Qt::AlignRight);
    m_txtRecords->setFocusPolicy(Qt::NoFocus);
    m_txtRecords->setStyleSheet(QStringLiteral("background: transparent"));
    m_txtID->setFocusPolicy(Qt::ClickFocus);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tbrLog);
    layout->addLayout(fields);
    layout->addWidget(m_txtRecords);
    resize(560, 330);
}

QLineEdit *frmDeb::addBox(const QString &name, const QString &label, int row)
{
    auto *caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("lbl") + name.mid(3));
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    box->setProperty("row", row);
    caption->setBuddy(box);
    connect(box, &QLineEdit::textEdited, this, &frmDeb::boxEdited);
    return box;
}

DebStatus frmDeb::Form_Load(const QString &password)
{
    const DebStatus status = m_datLog.open(p_Nome_Database, password);
    if (!status.ok())
        return status;
    showRecord();
    if (m_datLog.recordCount() == 0) {
        information(QStringLiteral("Nessun dato disponibile."));
        m_tbrLog->setEnabled(false);
    }
    return {};
}

void frmDeb::showRecord()
{
    m_showing = true;
    const LogRecord &r = m_datLog.record();
    const bool onRecord = m_datLog.absolutePosition() >= 0 && m_datLog.editMode() != LogBrowser::EditMode::Adding;
    m_txtID->setText(onRecord ? QString::number(m_datLog.currentId()) : QString());
    m_txtNumeroErrore->setText(r.errNumero ? QString::number(*r.errNumero) : QString());
    m_txtDescrizioneErrore->setText(boxText(r.errDescrizione));
    m_txtDataOra->setText(r.dataOra);
    m_txtClasse->setText(r.classe);
    m_txtRoutine->setText(boxText(r.errRoutine));
    m_txtNota->setText(r.nota);
    if (onRecord)
        m_txtRecords->setText(QStringLiteral("Log Record N°") + QString::number(m_datLog.absolutePosition() + 1)
                              + QStringLiteral(" di ") + QString::number(m_datLog.recordCount()));
    else if (m_datLog.editMode() != LogBrowser::EditMode::Adding)
        m_txtRecords->clear();
    m_showing = false;
}

void frmDeb::boxEdited()
{
    if (!m_showing && m_datLog.editMode() == LogBrowser::EditMode::None)
        m_datLog.edit();
}

bool frmDeb::recordFromBoxes(LogRecord &record)
{
    record.classe = m_txtClasse->text();
    record.dataOra = m_txtDataOra->text();
    record.errDescrizione = optionalBox(m_txtDescrizioneErrore);
    record.errRoutine = optionalBox(m_txtRoutine);
    record.nota = m_txtNota->text();
    record.errNumero.reset();
    const QString number = m_txtNumeroErrore->text().trimmed();
    if (!number.isEmpty()) {
        bool ok = false;
        const long value = number.toLong(&ok);
        if (!ok) {
            reportFailure(DebErrors::typeMismatch());
            m_txtNumeroErrore->setFocus();
            return false;
        }
        record.errNumero = value;
    }
    return true;
}

bool frmDeb::writePending()
{
    if (m_datLog.editMode() == LogBrowser::EditMode::None)
        return true;
    LogRecord record;
    if (!recordFromBoxes(record))
        return false;
    const DebStatus status = m_datLog.update(record);
    if (!status.ok()) {
        reportFailure(status);
        return false;
    }
    return true;
}

bool frmDeb::move(int position)
{
    if (!writePending())
        return false;
    const DebStatus status = m_datLog.moveTo(position);
    if (!status.ok()) {
        reportFailure(status);
        return false;
    }
    showRecord();
    return true;
}

void frmDeb::save()
{
    const LogBrowser::EditMode mode = m_datLog.editMode();
    if (mode == LogBrowser::EditMode::None) {
        if (m_datLog.absolutePosition() < 0)
            return;
        m_datLog.edit();
    }
    if (!writePending())
        return;
    if (mode == LogBrowser::EditMode::Adding) {
        move(m_datLog.recordCount() - 1);
        information(QStringLiteral("Inserimento eseguito"));
    } else {
        showRecord();
        information(QStringLiteral("Il Log è stato salvato"));
    }
}

void frmDeb::remove()
{
    if (m_datLog.absolutePosition() < 0)
        return;
    const int answer = m_messages(kTitle, QStringLiteral("Cancellare definitivamente dato Log corrente?"),
                                  int(DebButtonsYesNo) | int(DebIconExclamation));
    if (answer != DebAnswerYes)
        return;
    const DebStatus status = m_datLog.deleteCurrent();
    if (!status.ok()) {
        reportFailure(status);
        return;
    }
    showRecord();
    move(0);
}

void frmDeb::tbrLog_ButtonClick(const QString &key)
{
    const bool pending = m_datLog.editMode() != LogBrowser::EditMode::None;
    if (key == QLatin1String("New")) {
        if (pending) {
            information(QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire")
                        + QStringLiteral(" un nuovo Log."));
            return;
        }
        m_datLog.addNew();
        showRecord();
        m_txtNumeroErrore->setFocus();
    } else if (key == QLatin1String("Open")) {
        if (pending)
            information(QStringLiteral("I dati non sono stati salvati. Salvare prima di cercare")
                        + QStringLiteral(" un Log."));
    } else if (key == QLatin1String("Save")) {
        save();
    } else if (key == QLatin1String("Delete")) {
        if (pending) {
            information(QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare")
                        + QStringLiteral(" un dato log."));
            return;
        }
        remove();
    } else if (key == QLatin1String("MoveFirst")) {
        move(0);
    } else if (key == QLatin1String("MovePrevious")) {
        if (m_datLog.absolutePosition() > 0)
            move(m_datLog.absolutePosition() - 1);
    } else if (key == QLatin1String("MoveNext")) {
        const int position = m_datLog.absolutePosition();
        if (position >= 0 && position < m_datLog.recordCount() - 1)
            move(position + 1);
    } else if (key == QLatin1String("MoveLast")) {
        move(m_datLog.recordCount() - 1);
    }
}

void frmDeb::information(const QString &text)
{
    m_messages(kTitle, text, DebIconInformation);
}

// A write the database refused is said, never dropped: the typed values
// stay in the boxes and the record stays in change.
void frmDeb::reportFailure(const DebStatus &status)
{
    m_messages(QStringLiteral("Errore"), LogFormat::standardMessage(status.number, status.description),
               DebIconCritical);
}

} // namespace lodder
