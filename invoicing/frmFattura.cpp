#include "invoicing/frmFattura.h"

#include "base/CardKeys.h"
#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "invoicing/FatturaComandi.h"
#include "invoicing/FatturaRighe.h"
#include "rules/InvoiceArchive.h"
#include "rules/ShopDatabase.h"
#include "skin/CardToolbarStrip.h"
#include "skin/ImageToolbar.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/MdiChild.h"
#include "ui/WindowPlaces.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kToolbarPictures = 9;

QLabel *label(const QString &text, QWidget *parent)
{
    auto *shown = new QLabel(text, parent);
    shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return shown;
}

} // namespace

const QString frmFattura::kLoadLabel = QStringLiteral("frmFattura.Load");
const QString frmFattura::kAllInvoices = QStringLiteral("select * from Fattura order by fat_Numero");

frmFattura::frmFattura(QWidget *parent)
    : QWidget(parent)
    , m_focus(*this)
{
    setObjectName(QStringLiteral("frmFattura"));
    setWindowTitle(QStringLiteral("Fatture"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Fatture"));

    datPrimaryRs = new data::DataControl(this);
    datPrimaryRs->setObjectName(QStringLiteral("datPrimaryRs"));
    datPagamenti = new data::DataControl(this);
    datPagamenti->setObjectName(QStringLiteral("datPagamenti"));
    m_binder = new data::FieldBinder(*datPrimaryRs, this);

    buildHeader();
    buildToolbar();
    m_righe = new FatturaRighe(*this, *datPrimaryRs, *txtFields(0), *txtTotale);
    TDBGrid1 = m_righe->grid();
    datDettagli = m_righe->dettagli();
    m_comandi = std::make_unique<FatturaComandi>(FatturaComandi::Controlli{
        .window = *this,
        .testata = *datPrimaryRs,
        .binder = *m_binder,
        .campi = m_fields,
        .cliente = *txtCliente,
        .pagata = *chkPagata,
        .totale = *txtTotale,
        .anteprima = *chkAnteprima,
        .copie = *txtCopie,
        .contatore = *txtToolbar,
        .righe = *m_righe,
    });
    buildLayout();
    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = kLoadLabel,
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmFattura.Form_Activate"),
        .activate = [this] { Form_Activate(); },
        .unload = [this] { Form_Unload(); },
        .mayClose = [this] { return mayLeave(); },
    });

    for (auto signal : {&data::DataControl::refreshed, &data::DataControl::currentChanged})
        connect(datPrimaryRs, signal, this, &frmFattura::RecordCambiato);
    connect(datPrimaryRs, &data::DataControl::editModeChanged, this, [this] {
        m_comandi->AggiornaContatore();
        MostraPagamento();
    });
}

frmFattura::~frmFattura() = default;

void frmFattura::buildHeader()
{
    const char *fields[] = {"fat_Numero", "fat_Data", "fat_Codice_Cliente", "fat_Data_Pagamento"};
    const data::FieldKind kinds[] = {data::FieldKind::Text, data::FieldKind::Date, data::FieldKind::Number,
                                     data::FieldKind::Date};
    for (int index = 0; index < 4; ++index) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtFields(%1)").arg(index));
        box->installEventFilter(this);
        m_binder->bind(box, QString::fromLatin1(fields[index]), kinds[index]);
        m_fields.at(std::size_t(index)) = box;
    }
    // Numbers come from New and "Cambia Numero" only: a number typed here
    // would rename a stored header away from its lines.
    txtFields(0)->setReadOnly(true);
    txtFields(2)->setFixedWidth(60);
    txtFields(2)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(txtFields(0), &QLineEdit::textChanged, this, [this] { m_righe->Aggiornagrid(); });
    connect(txtFields(2), &QLineEdit::textChanged, this, [this] { MostraCliente(); });

    txtCliente = new QLineEdit(this);
    txtCliente->setObjectName(QStringLiteral("txtCliente"));
    txtCliente->setReadOnly(true);
    txtCliente->setFocusPolicy(Qt::NoFocus);

    const auto button = [this](const char *name, const QString &caption, auto handler) {
        auto *shown = new QPushButton(caption, this);
        shown->setObjectName(QLatin1String(name));
        connect(shown, &QPushButton::clicked, this, handler);
        return shown;
    };
    cmdCercaAnagrafica = button("cmdCercaAnagrafica", QStringLiteral("Cerca Anagrafica"),
                                [this] { cmdCercaAnagrafica_Click(); });
    cmdNuovaAnagrafica = button("cmdNuovaAnagrafica", QStringLiteral("Nuova Anagrafica"),
                                [this] { cmdNuovaAnagrafica_Click(); });
    cmdCambiaNumero = button("cmdCambiaNumero", QStringLiteral("Cambia Numero di fattura"),
                             [this] { cmdCambiaNumero_Click(); });
    cmdFatturaElettronica = button("cmdFatturaElettronica", QStringLiteral("Fattura elettronica"),
                                   [this] { cmdFatturaElettronica_Click(); });

    dbcboPagamenti = new QComboBox(this);
    dbcboPagamenti->setObjectName(QStringLiteral("dbcboPagamenti"));
    dbcboPagamenti->setMinimumWidth(180);
    connect(dbcboPagamenti, &QComboBox::activated, this, &frmFattura::ScegliPagamento);

    Frame2 = new QGroupBox(QStringLiteral("Pagamento"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    chkPagata = new QCheckBox(QStringLiteral("Pagata"), Frame2);
    chkPagata->setObjectName(QStringLiteral("chkPagata"));
    m_binder->bind(chkPagata, QStringLiteral("fat_Pagato"));
    txtFields(3)->setParent(Frame2);
    auto *paid = new QHBoxLayout(Frame2);
    paid->addWidget(chkPagata);
    paid->addWidget(txtFields(3));

    // The total of the lines: shown here, stored with the header by Save.
    txtTotale = new QLineEdit(QStringLiteral("0"), this);
    txtTotale->setObjectName(QStringLiteral("txtTotale"));
    txtTotale->setReadOnly(true);
    txtTotale->setFocusPolicy(Qt::NoFocus);
    txtTotale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    txtNota = new QTextEdit(this);
    txtNota->setObjectName(QStringLiteral("txtNota"));
    txtNota->setAcceptRichText(false);
    txtNota->setTabChangesFocus(true);
    txtNota->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNota->installEventFilter(this);
    m_binder->bind(txtNota, QStringLiteral("fat_Nota"));

    Frame1 = new QGroupBox(QStringLiteral("Stampa"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    chkAnteprima = new QCheckBox(QStringLiteral("Anteprima"), Frame1);
    chkAnteprima->setObjectName(QStringLiteral("chkAnteprima"));
    txtCopie = new QLineEdit(QStringLiteral("2"), Frame1);
    txtCopie->setObjectName(QStringLiteral("txtCopie"));
    txtCopie->setFixedWidth(40);
    txtCopie->installEventFilter(this);
    auto *lblCopie = new QLabel(QStringLiteral("Copie"), Frame1);
    lblCopie->setObjectName(QStringLiteral("lblCopie"));
    auto *print = new QHBoxLayout(Frame1);
    print->addWidget(chkAnteprima);
    print->addWidget(lblCopie);
    print->addWidget(txtCopie);
}

void frmFattura::buildToolbar()
{
    m_strip = skin::CardToolbarStrip::build(*this, QStringLiteral("txtToolbar"), 190);
    Frame10 = m_strip.frame;
    imgToolbar1 = m_strip.pictures;
    txtToolbar = m_strip.counter;
    connect(imgToolbar1, &ImageToolbar::pictureClicked, this, [this](int index) { imgToolbar1_Click(index); });
    CardKeys::give(*this, *imgToolbar1, [this](int index) { imgToolbar1_Click(index); });
}

void frmFattura::buildLayout()
{
    auto *form = new QGridLayout;
    form->setContentsMargins(6, 8, 6, 4);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    form->addWidget(label(QStringLiteral("Fattura Numero"), this), 0, 0);
    form->addWidget(txtFields(0), 0, 1);
    form->addWidget(cmdCambiaNumero, 0, 2);
    form->addWidget(label(QStringLiteral("Data"), this), 0, 3);
    form->addWidget(txtFields(1), 0, 4);
    form->addWidget(label(QStringLiteral("Cliente"), this), 1, 0);
    auto *customer = new QHBoxLayout;
    customer->addWidget(txtFields(2));
    customer->addWidget(txtCliente, 1);
    form->addLayout(customer, 1, 1, 1, 2);
    auto *customerButtons = new QHBoxLayout;
    customerButtons->addWidget(cmdCercaAnagrafica);
    customerButtons->addWidget(cmdNuovaAnagrafica);
    form->addLayout(customerButtons, 1, 3, 1, 2);
    form->addWidget(label(QStringLiteral("Tipo Pagamento"), this), 2, 0);
    form->addWidget(dbcboPagamenti, 2, 1, 1, 2);
    form->addWidget(Frame2, 2, 3, 1, 2);
    form->addWidget(label(QStringLiteral("Nota"), this), 3, 0, Qt::AlignTop | Qt::AlignRight);
    form->addWidget(txtNota, 3, 1, 1, 2);
    txtNota->setFixedHeight(54);
    auto *right = new QVBoxLayout;
    auto *total = new QHBoxLayout;
    total->addWidget(label(QStringLiteral("Totale"), this));
    total->addWidget(txtTotale);
    right->addLayout(total);
    right->addWidget(Frame1);
    right->addWidget(cmdFatturaElettronica);
    form->addLayout(right, 3, 3, 1, 2);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(4, 1);

    auto *caption = new QLabel(QStringLiteral("Dettagli Fattura"), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(Frame10);
    layout->addLayout(form);
    layout->addWidget(caption);
    layout->addWidget(TDBGrid1, 1);
    resize(840, 580);
}

// Runs on the first show. An error on the way is reported under the load's
// label and the remaining steps still run, so the window never stays half
// built.
void frmFattura::Form_Load()
{
    const auto step = [](auto &&statement) { errors::runReported(kLoadLabel, statement); };
    if (!m_built) {
        m_built = true;
        step([&] { ctrl_SkinableForm1->LoadSkin(this); });
        step([&] { PopolaToolBar(); });
        m_strip.paintGrey();
    }
    // Lines that no header owns were typed for an invoice the program never
    // saved (it stopped meanwhile): they would turn up in the next New.
    step([&] {
        datPrimaryRs->setDatabaseName(g_strDbPath);
        InvoiceArchive(*ShopDatabase::open()).removeStrayLines();
    });
    step([&] {
        datPrimaryRs->setRecordSource(kAllInvoices);
        datPrimaryRs->refresh();
        db::Recordset *rs = m_comandi->fatture();
        if (rs->recordCount() == 0) {
            rs->addNew();
            ui::MsgBox(QStringLiteral("In questo momento non sono presenti fatture in archivio. ")
                           + QStringLiteral("La prima fattura è pronta per essere inserita. ") + QStringLiteral("\r\n")
                           + QStringLiteral("Completare i dati, quindi premere il tasto salva per salvare la prima fattura."),
                       ui::vbInformation, g_strAppName);
            txtFields(0)->setText(m_comandi->CercaNumeroFattura());
            txtFields(1)->setText(today().toString(QStringLiteral("dd/MM/yyyy")));
        } else {
            rs->moveLast();
            rs->moveFirst();
        }
    });
    step([&] {
        datPagamenti->setDatabaseName(g_strDbPath);
        datPagamenti->setRecordSource(QStringLiteral("select * from pagamenti"));
        datPagamenti->refresh();
        db::Recordset *rs = datPagamenti->recordset();
        dbcboPagamenti->clear();
        dbcboPagamenti->addItem(QString());
        for (int row = 0; rs->recordCount() != 0 && !rs->eof(); ++row) {
            dbcboPagamenti->addItem(NullToEmpty(rs->value(QStringLiteral("pag_Descrizione"))).toString());
            rs->moveNext();
        }
        MostraPagamento();
    });
    step([&] { m_righe->CaricaIva(); });
    m_comandi->AggiornaContatore();
    ResetPointer();
}

// The editor stays where the user put it; it opens in the top left corner
// the first time.
void frmFattura::Form_Activate()
{
    if (m_placed)
        return;
    m_placed = true;
    if (QMdiSubWindow *frame = ui::mdiFrameOf(*this); frame && ui::WindowPlaces::file().isEmpty())
        frame->move(0, 0);
}

// A new invoice never saved goes with the window, and so do its lines.
void frmFattura::Form_Unload()
{
    m_focus.stop();
    errors::runReported(QStringLiteral("frmFattura.Form_Unload"), [this] { m_comandi->AbbandonaNuova(); });
    ResetPointer();
}

void frmFattura::PopolaToolBar()
{
    m_strip.populate(skin::ToolbarCard::Fattura, ctrl_SkinableForm1->SkinPath(), kToolbarPictures, *this);
}

bool frmFattura::mayLeave()
{
    return m_comandi->mayLeave();
}

bool frmFattura::holdsWork() const
{
    return m_comandi->holdsWork();
}

int frmFattura::editState() const
{
    return m_comandi->editState();
}

void frmFattura::imgToolbar1_Click(int index)
{
    m_comandi->imgToolbar1_Click(index);
}

void frmFattura::cmdCambiaNumero_Click()
{
    m_comandi->cmdCambiaNumero_Click();
}

void frmFattura::cmdCercaAnagrafica_Click()
{
    m_comandi->cmdCercaAnagrafica_Click();
}

void frmFattura::cmdNuovaAnagrafica_Click()
{
    m_comandi->cmdNuovaAnagrafica_Click();
}

void frmFattura::cmdFatturaElettronica_Click()
{
    m_comandi->cmdFatturaElettronica_Click();
}

void frmFattura::TDBGrid1_ButtonClick(int column)
{
    m_righe->TDBGrid1_ButtonClick(column);
}

bool frmFattura::MostraFattura(const QString &numero)
{
    return m_comandi->MostraFattura(numero);
}

void frmFattura::RecordCambiato()
{
    m_comandi->AggiornaContatore();
    MostraPagamento();
    try {
        db::Recordset *rs = datPrimaryRs->recordset();
        if (rs && rs->recordCount() != 0)
            m_righe->AggiornaTotale();
    } catch (...) {
        // Errors of the record change are ignored, as they always were.
    }
}

void frmFattura::MostraCliente()
{
    errors::runReported(QStringLiteral("frmFattura.txtFields_Change"), [this] {
        txtCliente->setText(CercaValore(QStringLiteral("Anagrafica"), QStringLiteral("anag_contatore"),
                                        QStringLiteral("anag_denominazione"), txtFields(2)->text(), 1));
    });
}

// The payment combo shows the stored text; a choice is stored as its text.
void frmFattura::MostraPagamento()
{
    db::Recordset *rs = datPrimaryRs->recordset();
    QString stored;
    try {
        if (rs && rs->isOpen() && (rs->editMode() == db::EditMode::Adding || rs->absolutePosition() >= 0))
            stored = NullToEmpty(rs->value(QStringLiteral("fat_Descrizione_Pagamento"))).toString();
    } catch (const db::DbError &) {
        stored.clear();
    }
    m_showingPagamento = true;
    int index = dbcboPagamenti->findText(stored);
    if (index < 0) {
        dbcboPagamenti->addItem(stored);
        index = dbcboPagamenti->count() - 1;
    }
    dbcboPagamenti->setCurrentIndex(index);
    m_showingPagamento = false;
}

void frmFattura::ScegliPagamento(int index)
{
    if (m_showingPagamento)
        return;
    errors::runReported(QStringLiteral("frmFattura.dbcboPagamenti_Click"), [&] {
        db::Recordset *rs = m_comandi->fatture();
        if (rs->editMode() == db::EditMode::None) {
            if (rs->absolutePosition() < 0)
                return;
            rs->edit();
        }
        const QString text = dbcboPagamenti->itemText(index);
        rs->setValue(QStringLiteral("fat_Descrizione_Pagamento"), text.isEmpty() ? QVariant() : QVariant(text));
    });
}

bool frmFattura::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QWidget *>(watched);
    const bool isField = std::find(m_fields.begin(), m_fields.end(), watched) != m_fields.end();
    if (box && (isField || box == txtNota || box == txtCopie)
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && m_focus.counts(box, event)) {
        if (event->type() == QEvent::FocusIn) {
            EvidenziaCampo(box);
        } else {
            if (box == txtFields(1) || box == txtFields(3)) {
                const QString checked = ControllaData(txtFields(box == txtFields(1) ? 1 : 3)->text(), 1);
                if (checked != static_cast<QLineEdit *>(box)->text())
                    static_cast<QLineEdit *>(box)->setText(checked);
            }
            NormalizzaCampo(box);
        }
    }
    return QWidget::eventFilter(watched, event);
}
