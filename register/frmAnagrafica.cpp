#include "register/frmAnagrafica.h"

#include "base/CardKeys.h"
#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/TopLevelReporter.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "skin/CardToolbarStrip.h"
#include "skin/ImageToolbar.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kToolbarPictures = 10;

constexpr int kPartitaIva = 7;
constexpr int kCodiceFiscale = 10;

// The boxes in tab order, with what they show.
struct BoundBox {
    int index;
    const char *label;
    const char *field;
    int maxLength;   // 0: no limit of its own
    bool multiLine;
};
const BoundBox kFields[] = {
    {0, "Codice:", "anag_Contatore", 0, false},
    {1, "Denominazione:", "anag_Denominazione", 0, true},
    {12, "Indirizzo:", "anag_Indirizzo", 120, false},
    {3, "Cap:", "anag_Cap", 12, false},
    {4, "Località:", "anag_Località", 50, false},
    {9, "Stato:", "anag_Stato", 50, false},
    {5, "Telefono:", "anag_Telefono", 30, false},
    {6, "Fax:", "anag_Fax", 30, false},
    {11, "E-Mail:", "anag_Email", 120, false},
    {kPartitaIva, "Partita Iva:", "anag_Partita_Iva", 30, false},
    {kCodiceFiscale, "Cod. Fis.", "anag_Codice_Fiscale", 20, false},
    {8, "Nota:", "anag_Nota", 255, true},
    // For the electronic invoices.
    {15, "Provincia:", "anag_Provincia", 2, false},
    {13, "Cod. Destinatario:", "anag_Codice_Destinatario", 7, false},
    {14, "PEC:", "anag_PEC", 120, false},
};

} // namespace

const QString frmAnagrafica::kTrapLabel = QStringLiteral("frmAnagrafica.Toolbar_Buttonclick");
const QString frmAnagrafica::kLoadLabel = QStringLiteral("frmAnagrafica.Load");
const QString frmAnagrafica::kAllEntries = QStringLiteral("select * from Anagrafica order by anag_Contatore");

frmAnagrafica::frmAnagrafica(QWidget *parent)
    : QWidget(parent)
    , CardCommands({.one = QStringLiteral(" un'anagrafica."),
                    .oneNew = QStringLiteral(" una nuova anagrafica."),
                    .saveBeforePrint = QStringLiteral("E' necessario salvare l'anagrafica prima di stampare.")})
    , m_focus(*this)
{
    setObjectName(QStringLiteral("frmAnagrafica"));
    setWindowTitle(QStringLiteral("Anagrafica"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Anagrafica"));

    datPrimaryRs = new data::DataControl(this);
    datPrimaryRs->setObjectName(QStringLiteral("datPrimaryRs"));
    m_binder = new data::FieldBinder(*datPrimaryRs, this);

    buildFields();
    buildToolbar();
    buildLayout();
    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = kLoadLabel,
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmAnagrafica.Form_Activate"),
        .activate = [this] { Form_Activate(); },
        .unload = [this] { m_focus.stop(); ResetPointer(); },
        .mayClose = [this] { return mayLeave(); },
    });

    connect(datPrimaryRs, &data::DataControl::refreshed, this, &frmAnagrafica::AggiornaContatore);
    connect(datPrimaryRs, &data::DataControl::currentChanged, this, &frmAnagrafica::AggiornaContatore);
    connect(datPrimaryRs, &data::DataControl::editModeChanged, this, &frmAnagrafica::AggiornaContatore);
}

frmAnagrafica::~frmAnagrafica() = default;

QWidget *frmAnagrafica::addLine(int index, const QString &field, int maxLength)
{
    auto *box = new QLineEdit(this);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    m_binder->bind(box, field, index == 0 ? data::FieldKind::Number : data::FieldKind::Text);
    return box;
}

// Several lines with a vertical scroll bar; Tab moves on as in the other
// boxes. A limit is kept by cutting what goes beyond it, typed or pasted.
QWidget *frmAnagrafica::addText(const QString &field, int maxLength)
{
    auto *box = new QTextEdit(this);
    box->setAcceptRichText(false);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (maxLength > 0) {
        connect(box, &QTextEdit::textChanged, this, [box, maxLength] {
            const QString text = box->toPlainText();
            if (text.size() <= maxLength)
                return;
            QTextCursor cursor = box->textCursor();
            const int position = std::min(cursor.position(), maxLength);
            box->setPlainText(text.left(maxLength));
            cursor = box->textCursor();
            cursor.setPosition(position);
            box->setTextCursor(cursor);
        });
    }
    m_binder->bind(box, field);
    return box;
}

void frmAnagrafica::buildFields()
{
    QWidget *previous = nullptr;
    for (const BoundBox &entry : kFields) {
        const QString field = QString::fromUtf8(entry.field);
        QWidget *box = entry.multiLine ? addText(field, entry.maxLength)
                                      : addLine(entry.index, field, entry.maxLength);
        box->setObjectName(QStringLiteral("txtFields(%1)").arg(entry.index));
        box->installEventFilter(this);
        m_fields.at(std::size_t(entry.index)) = box;
        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }
    // The register number is the database's: shown, never typed, so that
    // Print and the search name the entry the card really shows.
    auto *codice = static_cast<QLineEdit *>(txtFields(0));
    codice->setReadOnly(true);
    codice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    codice->setFixedWidth(90);

    chkFornitore = new QCheckBox(QStringLiteral("Fornitore"), this);
    chkFornitore->setObjectName(QStringLiteral("chkFornitore"));
    m_binder->bind(chkFornitore, QStringLiteral("anag_Fornitore"));
    setTabOrder(previous, chkFornitore);
}

void frmAnagrafica::buildToolbar()
{
    m_strip = skin::CardToolbarStrip::build(*this, QStringLiteral("txtToolbar"), 110);
    Frame10 = m_strip.frame;
    imgToolbar1 = m_strip.pictures;
    txtToolbar = m_strip.counter;
    connect(imgToolbar1, &ImageToolbar::pictureClicked, this, [this](int index) { imgToolbar1_Click(index); });
    CardKeys::give(*this, *imgToolbar1, [this](int index) { imgToolbar1_Click(index); });
}

void frmAnagrafica::buildLayout()
{
    auto *form = new QGridLayout;
    form->setContentsMargins(6, 10, 6, 4);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    // Label and box, placed in two columns of pairs where the boxes are short.
    const auto put = [&](int index, int row, int column, int span) {
        for (const BoundBox &entry : kFields) {
            if (entry.index != index)
                continue;
            auto *label = new QLabel(QString::fromUtf8(entry.label), this);
            label->setObjectName(QStringLiteral("lblLabels(%1)").arg(index));
            label->setAlignment(Qt::AlignRight | (entry.multiLine ? Qt::AlignTop : Qt::AlignVCenter));
            label->setBuddy(txtFields(index));
            form->addWidget(label, row, column);
            form->addWidget(txtFields(index), row, column + 1, 1, span);
        }
    };
    put(0, 0, 0, 1);
    form->addWidget(chkFornitore, 0, 3, Qt::AlignLeft);
    put(1, 1, 0, 3);
    put(12, 2, 0, 3);
    put(3, 3, 0, 1);
    put(4, 3, 2, 1);
    put(9, 4, 0, 3);
    put(5, 5, 0, 1);
    put(6, 5, 2, 1);
    put(11, 6, 0, 3);
    put(7, 7, 0, 1);
    put(10, 7, 2, 1);
    put(8, 8, 0, 3);
    put(15, 9, 0, 1);
    put(13, 9, 2, 1);
    put(14, 10, 0, 3);
    txtFields(1)->setFixedHeight(52);
    txtFields(8)->setMinimumHeight(70);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    form->setRowStretch(8, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(Frame10);
    layout->addLayout(form, 1);
    resize(600, 480);
}

// Runs on the first show. An error on the way is reported under the load's
// label and the remaining steps still run, so the card never stays half built.
void frmAnagrafica::Form_Load()
{
    const auto step = [](auto &&statement) { errors::runReported(kLoadLabel, statement); };
    if (!m_built) {
        m_built = true;
        step([&] { ctrl_SkinableForm1->LoadSkin(this); });
        step([&] { PopolaToolBar(); });
        m_strip.paintGrey();
    }
    step([&] {
        datPrimaryRs->setDatabaseName(g_strDbPath);
        datPrimaryRs->setRecordSource(kAllEntries);
        datPrimaryRs->refresh();
        db::Recordset *rs = anagrafiche();
        if (rs->recordCount() == 0) {
            rs->addNew();
        } else {
            rs->moveLast();
            rs->moveFirst();
        }
    });
    AggiornaContatore();
    ResetPointer();
}

void frmAnagrafica::Form_Activate()
{
    txtFields(1)->setFocus();
}

void frmAnagrafica::PopolaToolBar()
{
    m_strip.populate(skin::ToolbarCard::Anagrafica, ctrl_SkinableForm1->SkinPath(), kToolbarPictures, *this);
}

db::Recordset *frmAnagrafica::anagrafiche() const
{
    db::Recordset *rs = datPrimaryRs->recordset();
    if (!rs)
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 91,
                          QStringLiteral("Variabile oggetto o variabile del blocco With non impostata."));
    return rs;
}

int frmAnagrafica::editState() const
{
    return int(datPrimaryRs->editMode());
}

QString frmAnagrafica::fieldText(int index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(txtFields(index)))
        return line->text();
    if (auto *text = qobject_cast<QTextEdit *>(txtFields(index)))
        return text->toPlainText();
    return {};
}

void frmAnagrafica::AggiornaContatore()
{
    try {
        db::Recordset *rs = datPrimaryRs->recordset();
        if (!rs || !rs->isOpen())
            return;
        const int position = rs->editMode() == db::EditMode::Adding ? 0 : rs->absolutePosition() + 1;
        txtToolbar->setText(QString::number(position) + QStringLiteral(" di ") + QString::number(rs->recordCount()));
    } catch (...) {
        // The counter is a courtesy: it never stops the card.
    }
}

bool frmAnagrafica::MostraAnagrafica(qlonglong contatore)
{
    db::Recordset *rs = anagrafiche();
    rs->findFirst(QStringLiteral("anag_Contatore = ") + QString::number(contatore));
    AggiornaContatore();
    return !rs->noMatch();
}

bool frmAnagrafica::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QWidget *>(watched);
    const auto at = std::find(m_fields.begin(), m_fields.end(), box);
    if (box && at != m_fields.end() && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        && m_focus.counts(box, event)) {
        if (event->type() == QEvent::FocusIn) {
            EvidenziaCampo(box);
        } else {
            ControllaLunghezza(int(at - m_fields.begin()));
            NormalizzaCampo(box);
            // A box of several lines would keep showing its selection.
            if (auto *text = qobject_cast<QTextEdit *>(box)) {
                QTextCursor cursor = text->textCursor();
                cursor.clearSelection();
                text->setTextCursor(cursor);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The VAT number and the tax code have fixed lengths: another length is
// told, the text stays as typed.
void frmAnagrafica::ControllaLunghezza(int index)
{
    const int length = int(fieldText(index).trimmed().size());
    if (index == kPartitaIva && length != 0 && length != 11)
        ui::MsgBox(QStringLiteral("La partita IVA inserita contiene ") + QString::number(length) + QStringLiteral(" caratteri."),
                   ui::vbInformation, g_strAppName);
    else if (index == kCodiceFiscale && length != 0 && length != 16)
        ui::MsgBox(QStringLiteral("Il codice fiscale inserito contiene ") + QString::number(length) + QStringLiteral(" caratteri."),
                   ui::vbInformation, g_strAppName);
}
