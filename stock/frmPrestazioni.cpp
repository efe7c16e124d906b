#include "stock/frmPrestazioni.h"

#include "base/CardKeys.h"
#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Recordset.h"
#include "lookup/frmHelp.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/CardToolbarStrip.h"
#include "skin/ImageToolbar.h"
#include "skin/ctrl_SkinableForm.h"
#include "stock/ArticleFields.h"
#include "stock/ArticleStockItems.h"
#include "stock/frmCarico.h"
#include "stock/frmCercaPrestazione.h"
#include "base/WindowKey.h"
#include "stock/frmEtichette.h"
#include "report/LabelSource.h"
#include "rules/ShopDatabase.h"
#include "ui/Messages.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kAllArticles = QStringLiteral("select * from Articoli order by art_Codice");

constexpr int kToolbarPictures = 9;

// The picture row's commands by position.
const QStringList kPictureKeys = {QStringLiteral("New"),   QStringLiteral("Open"),     QStringLiteral("Save"),
                                  QStringLiteral("Delete"), QStringLiteral("Print"),   QStringLiteral("First"),
                                  QStringLiteral("Previous"), QStringLiteral("Next"), QStringLiteral("Last")};

constexpr int kAdding = int(db::EditMode::Adding);

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

const QString frmPrestazioni::kTrapLabel = QStringLiteral("frmprestazione.toolbar_Buttonclick");

frmPrestazioni::frmPrestazioni(QWidget *parent)
    : QWidget(parent)
    , CardCommands({.one = QStringLiteral(" un articolo."),
                    .oneNew = QStringLiteral(" un nuovo articolo."),
                    .saveBeforePrint = QStringLiteral("E' necessario salvare l'articolo prima di stampare.")})
{
    setObjectName(QStringLiteral("frmPrestazioni"));
    setWindowTitle(QStringLiteral("Articoli"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Articoli"));

    datPrimaryRS = new data::DataControl(this);
    datPrimaryRS->setObjectName(QStringLiteral("datPrimaryRS"));

    m_fields = new ArticleFields(*this, *this, *datPrimaryRS);
    buildButtons();
    m_items = new ArticleStockItems(*this, *m_fields);
    TDBGrid1 = m_items->grid();
    datDettagli = m_items->source();
    buildToolbars();
    buildLayout();
    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmPrestazioni.Form_Load"),
        .load = [this] { Form_Load(); },
        .recordKey = [this] { return QVariantList{queryShown()}; },
        .mayReload = [this] { return mayShowOtherArticles(); },
        .mayClose = [this] { return mayLeave(); },
    });

    connect(datPrimaryRS, &data::DataControl::refreshed, this, &frmPrestazioni::AggiornaContatore);
    connect(datPrimaryRS, &data::DataControl::currentChanged, this, &frmPrestazioni::AggiornaContatore);
    connect(datPrimaryRS, &data::DataControl::editModeChanged, this, &frmPrestazioni::AggiornaContatore);
    connect(txtCodice, &QLineEdit::textChanged, this, &frmPrestazioni::AggiornaDettagli);
}

frmPrestazioni::~frmPrestazioni() = default;

void frmPrestazioni::buildButtons()
{
    cmdHelp = new QToolButton(this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setToolTip(QStringLiteral("Elenco Prestazioni"));
    cmdHelp->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    cmdHelp->setFocusPolicy(Qt::NoFocus);
    connect(cmdHelp, &QToolButton::clicked, this, &frmPrestazioni::cmdHelp_Click);

    cmdEsporta = new QToolButton(this);
    cmdEsporta->setObjectName(QStringLiteral("cmdEsporta"));
    cmdEsporta->setToolTip(QStringLiteral("Salva e Carica"));
    cmdEsporta->setText(QStringLiteral("Salva e Carica"));
    cmdEsporta->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdEsporta->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(cmdEsporta, &QToolButton::clicked, this, [this] {
        errors::runReported(QStringLiteral("frmPrestazioni.cmdEsporta_Click"), [this] { cmdEsporta_Click(); });
    });

    cmdEtichette = new QToolButton(this);
    cmdEtichette->setObjectName(QStringLiteral("cmdEtichette"));
    cmdEtichette->setText(QStringLiteral("Etichette"));
    cmdEtichette->setToolTip(WindowKey::labels().hint());
    cmdEtichette->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    cmdEtichette->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(cmdEtichette, &QToolButton::clicked, this, &frmPrestazioni::cmdEtichette_Click);
    WindowKey::labels().give(*this, [this] { cmdEtichette_Click(); });

    // Importing an invoice from a file is not offered: the button has no action.
    cmdImporta = new QToolButton(this);
    cmdImporta->setObjectName(QStringLiteral("cmdImporta"));
    cmdImporta->setToolTip(QStringLiteral("Importa fattura da file"));
    cmdImporta->setVisible(false);
}

void frmPrestazioni::buildToolbars()
{
    // The keyed toolbar of the commands. The picture row shows the same
    // commands, so this one stays out of sight; both run the same steps.
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setVisible(false);
    const QList<QPair<QString, QString>> buttons = {
        {QStringLiteral("New"), QStringLiteral("Nuovo Articolo")},
        {QStringLiteral("Open"), QStringLiteral("Cerca Articolo")},
        {QStringLiteral("Save"), QStringLiteral("Salva")},
        {QStringLiteral("Delete"), QStringLiteral("Elimina")},
        {QString(), QString()},
        {QStringLiteral("Print"), QStringLiteral("Stampa")},
        {QString(), QString()},
        {QStringLiteral("First"), QStringLiteral("Primo")},
        {QStringLiteral("Previous"), QStringLiteral("Precedente")},
        {QStringLiteral("Next"), QStringLiteral("Successivo")},
        {QStringLiteral("Last"), QStringLiteral("Ultimo")}};
    for (const auto &[key, tip] : buttons) {
        if (key.isEmpty()) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction *action = Toolbar1->addAction(tip);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, [this, key = key] { Toolbar1_ButtonClick(key); });
    }

    m_strip = skin::CardToolbarStrip::build(*this, QStringLiteral("txtToolBar"), 170);
    Frame10 = m_strip.frame;
    imgToolbar1 = m_strip.pictures;
    txtToolBar = m_strip.counter;
    connect(imgToolbar1, &ImageToolbar::pictureClicked, this, [this](int index) { imgToolbar1_Click(index); });
    CardKeys::give(*this, *imgToolbar1, [this](int index) { imgToolbar1_Click(index); });
}

void frmPrestazioni::buildLayout()
{
    auto *form = new QGridLayout;
    form->setContentsMargins(6, 10, 6, 4);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    form->addWidget(fieldLabel(QStringLiteral("Descrizione"), this), 0, 0);
    form->addWidget(txtDescrizione, 0, 1, 1, 4);
    form->addWidget(fieldLabel(QStringLiteral("Fornitore"), this), 1, 0);
    auto *supplier = new QHBoxLayout;
    supplier->setSpacing(2);
    supplier->addWidget(txtFornitore);
    supplier->addWidget(cmdHelp);
    form->addLayout(supplier, 1, 1, 1, 4);
    form->addWidget(fieldLabel(QStringLiteral("Note"), this), 2, 0);
    form->addWidget(txtNote, 2, 1, 1, 4);
    form->addWidget(fieldLabel(QStringLiteral("Varie"), this), 3, 0);
    form->addWidget(txtVarie, 3, 1, 1, 4);
    form->addWidget(fieldLabel(QStringLiteral("Carico €"), this), 4, 0);
    form->addWidget(txtCarico, 4, 1);
    form->addWidget(fieldLabel(QStringLiteral("Listino €"), this), 4, 2);
    form->addWidget(txtPrezzo, 4, 3);
    auto *availability = fieldLabel(QStringLiteral("Disponibilità"), this);
    availability->setVisible(false);
    form->addWidget(availability, 5, 0);
    form->addWidget(txtQuantita, 5, 1);
    form->addWidget(txtCodice, 5, 2);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    form->setColumnStretch(4, 2);

    lblDettagli = new QLabel(QStringLiteral("Dettagli"), this);
    lblDettagli->setObjectName(QStringLiteral("lblDettagli"));
    QFont bold = lblDettagli->font();
    bold.setBold(true);
    lblDettagli->setFont(bold);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdImporta);
    bottom->addStretch();
    bottom->addWidget(cmdEtichette);
    bottom->addWidget(cmdEsporta);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(Toolbar1);
    layout->addWidget(Frame10);
    layout->addLayout(form);
    layout->addSpacing(6);
    auto *itemsHeading = new QHBoxLayout;
    itemsHeading->addWidget(lblDettagli);
    itemsHeading->addStretch();
    itemsHeading->addWidget(m_items->generateButton());
    layout->addLayout(itemsHeading);
    layout->addWidget(TDBGrid1, 1);
    layout->addLayout(bottom);
    resize(640, 560);
}

QString frmPrestazioni::queryShown() const
{
    return p_strQuery.isEmpty() ? kAllArticles : p_strQuery;
}

// Told to show other articles, the card first asks about what is typed into
// it; kept, it goes on showing the articles it showed.
bool frmPrestazioni::mayShowOtherArticles()
{
    const QString asked = p_strQuery;
    p_strQuery = datPrimaryRS->recordSource();
    if (!mayLeave())
        return false;
    p_strQuery = asked;
    return true;
}

// Runs on the first show, after the opener has set p_strQuery, and again
// when an opener shows the card with another select. An error on the way is
// reported and the remaining steps still run, so the card never stays half
// built.
void frmPrestazioni::Form_Load()
{
    const auto step = [](auto &&statement) {
        errors::runReported(QStringLiteral("frmPrestazioni.Form_Load"), statement);
    };
    if (!m_built) {
        m_built = true;
        step([&] { ctrl_SkinableForm1->LoadSkin(this); });
        step([&] { PopolaToolBar(); });
        m_strip.paintGrey();
    }
    p_strQuery = queryShown();
    step([&] {
        datPrimaryRS->setDatabaseName(g_strDbPath);
        datPrimaryRS->setRecordSource(p_strQuery);
        datPrimaryRS->refresh();
        db::Recordset *rs = articoli();
        if (rs->recordCount() == 0) {
            rs->addNew();
            m_items->setAvailable(false);
        } else {
            rs->moveLast();
            rs->moveFirst();
            m_items->setAvailable(true);
        }
    });
    AggiornaContatore();
    // Ready for typing: the description is what the user fills or reads first.
    txtDescrizione->setFocus();
    ResetPointer();
}

void frmPrestazioni::PopolaToolBar()
{
    m_strip.populate(skin::ToolbarCard::Articolo, ctrl_SkinableForm1->SkinPath(), kToolbarPictures, *this);
}

db::Recordset *frmPrestazioni::articoli() const
{
    return &m_fields->records();
}

int frmPrestazioni::editState() const
{
    return int(datPrimaryRS->editMode());
}

// The code of the card as a number: what txtCodice starts with, as digits.
QString frmPrestazioni::codiceNumerico() const
{
    return QString::number(m_fields->code());
}

void frmPrestazioni::AggiornaContatore()
{
    try {
        db::Recordset *rs = datPrimaryRS->recordset();
        if (!rs || !rs->isOpen())
            return;
        const int position = rs->editMode() == db::EditMode::Adding ? 0 : rs->absolutePosition() + 1;
        txtToolBar->setText(QStringLiteral("Articolo: ") + QString::number(position) + QStringLiteral(" di ")
                            + QString::number(rs->recordCount()));
    } catch (...) {
        // The counter is a courtesy: it never stops the card.
    }
}

void frmPrestazioni::AggiornaDettagli()
{
    m_items->reload();
}

// ------------------------------------------- the commands of both toolbars

void frmPrestazioni::Toolbar1_ButtonClick(const QString &key)
{
    errors::ErrorTrap trap(kTrapLabel);
    // A key of no command runs as no position, which says "Errore".
    EseguiComando(trap, int(kPictureKeys.indexOf(key)) + 1);
}

void frmPrestazioni::imgToolbar1_Click(int index)
{
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index >= 1 && index <= kPictureKeys.size() ? index : 0);
}

bool frmPrestazioni::prepareCommand(errors::ErrorTrap &trap)
{
    trap.run([&] { ControllaQuantita(); });
    return true;
}

void frmPrestazioni::saveRecord(errors::ErrorTrap &trap)
{
    trap.run([&] { SalvaArticolo(false); });
    trap.run([&] { m_items->setAvailable(editState() != kAdding); });
}

// The grid follows the card: off while a new article is not saved.
void frmPrestazioni::afterCommand(int index)
{
    if (editState() == kAdding)
        m_items->setAvailable(false);
    else if (index != New)
        m_items->setAvailable(true);
    ResetPointer();
}

void frmPrestazioni::Nuovo(errors::ErrorTrap &trap)
{
    trap.run([&] { articoli()->addNew(); });
    trap.run([&] { txtDescrizione->setFocus(); });
    trap.run([&] { m_items->setAvailable(false); });
}

void frmPrestazioni::Elimina(errors::ErrorTrap &trap)
{
    if (!confermaCancellazione(QStringLiteral("Cancellare definitivamente l'articolo corrente?")))
        return;
    trap.run([&] { articoli()->deleteRecord(); });
    trap.run([&] { articoli()->moveFirst(); });
}

void frmPrestazioni::Stampa(errors::ErrorTrap &trap)
{
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("articoli.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([] { MainReport().set(prop::WindowTitle, QStringLiteral("Lista Articoli")); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    // The stored article is printed: the formula names its code only.
    trap.run([&] {
        MainReport().set(prop::SelectionFormula, QStringLiteral("{articoli.art_Codice} = ") + codiceNumerico());
    });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

bool frmPrestazioni::ControllaDati()
{
    return m_fields->check();
}

void frmPrestazioni::ControllaQuantita()
{
    m_fields->settleQuantity();
}

bool frmPrestazioni::SalvaArticolo(bool Silenzioso)
{
    if (!ControllaDati()) {
        ResetPointer();
        return false;
    }
    m_fields->write();
    if (!Silenzioso) {
        ResetPointer();
        ui::MsgBox(QStringLiteral("L'articolo è stato salvato"), ui::vbInformation, g_strAppName);
    }
    return true;
}

void frmPrestazioni::cmdHelp_Click()
{
    frmHelp picker(this);
    picker.QryTable = QStringLiteral("Fornitore");
    picker.QryBoundColumn = QStringLiteral("fo_Descrizione");
    picker.QryListField = QStringLiteral("fo_Descrizione");
    picker.QryOrder = QStringLiteral("fo_Descrizione");
    picker.QryField = txtFornitore;
    picker.ButtonNew = false;
    // A list of 7980 twips, the picker widening its window to match.
    picker.QrySize = 7980.0f / float(frmHelp::BaseListWidthTwips);
    picker.showModal();
    // Closing the picker without a choice keeps the supplier the article has.
    if (!picker.QryAborted)
        txtFornitore->setText(NullToEmpty(picker.QryText).toString());
}

// A stock item typed in the grid belongs to the article shown now: it is
// written before a command can show another article or close the card.
void frmPrestazioni::ScriviDettaglio()
{
    m_items->writePendingRow();
}

// The stock load opens only on a saved article: a save the check or the
// database refused keeps the card open with what the user typed.
void frmPrestazioni::cmdEsporta_Click()
{
    ScriviDettaglio();
    ControllaQuantita();
    if (!SalvaArticolo(true))
        return;
    ApriCaricoNuovo();
    close();
}

// The labels of the article's items, as the database holds them: the
// item row being typed is written first.
void frmPrestazioni::cmdEtichette_Click()
{
    if (editState() == kAdding || m_fields->code() <= 0) {
        informa(QStringLiteral("E' necessario salvare l'articolo prima di stampare le etichette."));
        return;
    }
    m_items->writePendingRow();
    const qint64 article = m_fields->code();
    frmEtichette::open(this, QStringLiteral("articolo %1").arg(article), QStringLiteral("Una per pezzo in giacenza"),
                       [article](bool perPiece, int copies) {
                           return report::LabelSource(*ShopDatabase::open())
                               .ofArticles({article}, perPiece ? report::LabelSource::Copies::Stock
                                                               : report::LabelSource::Copies::Fixed,
                                           copies);
                       });
}

// The card gives way to the article search. The search opens once the
// events pending now have run, the card's own closing among them (the
// command that asked for it is still running on the card).
void frmPrestazioni::ApriRicerca()
{
    close();
    QMetaObject::invokeMethod(qApp, [] { openWindow<frmCercaPrestazione>(); }, Qt::QueuedConnection);
}
