#include "stock/frmPrestazioni.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "data/Grid.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "rules/TypedNumber.h"
#include "skin/CardToolbarStrip.h"
#include "skin/ImageToolbar.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kAllArticles = QStringLiteral("select * from Articoli order by art_Codice");

constexpr int kToolbarPictures = 9;

// Stock item grid columns.
constexpr int kColArticolo = 0;
constexpr int kColBarcode = 1;
constexpr int kColQuantita = 4;

// The stock items count whole pieces in a long integer, the range every
// load and sale moves them in.
bool isStockQuantity(const QVariant &value)
{
    if (IsNull(value) || value.toString().trimmed().isEmpty())
        return true;
    const std::optional<double> quantity = TypedNumber::quantity(value.toString());
    return quantity && *quantity == std::floor(*quantity);
}

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

const QString frmPrestazioni::kTrapLabel = QStringLiteral("frmprestazione.toolbar_Buttonclick");
const QString frmPrestazioni::kGridTrapLabel = QStringLiteral("frmFattura.Aggiornagrid");

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
    datDettagli = new data::DataControl(this);
    datDettagli->setObjectName(QStringLiteral("datDettagli"));
    datDettagli->setProperty("Caption", QStringLiteral("Dettagli"));
    m_binder = new data::FieldBinder(*datPrimaryRS, this);

    buildFields();
    buildToolbars();
    buildLayout();
    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmPrestazioni.Form_Load"),
        .load = [this] { Form_Load(); },
        .recordKey = [this] { return QVariantList{queryShown()}; },
        .mayReload = [this] { return mayShowOtherArticles(); },
    });

    connect(datPrimaryRS, &data::DataControl::refreshed, this, &frmPrestazioni::AggiornaContatore);
    connect(datPrimaryRS, &data::DataControl::currentChanged, this, &frmPrestazioni::AggiornaContatore);
    connect(datPrimaryRS, &data::DataControl::editModeChanged, this, &frmPrestazioni::AggiornaContatore);
    connect(txtCodice, &QLineEdit::textChanged, this, &frmPrestazioni::AggiornaDettagli);
}

frmPrestazioni::~frmPrestazioni() = default;

QLineEdit *frmPrestazioni::addBox(const QString &name, const QString &field, int maxLength)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    const bool price = field == QLatin1String("art_Prezzo_Carico") || field == QLatin1String("art_Prezzo_Listino");
    const bool number = price || field == QLatin1String("art_Quantita") || field == QLatin1String("art_Codice");
    if (number)
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const db::NumberLimits limits = price ? TypedNumber::kAmount
        : field == QLatin1String("art_Quantita") ? TypedNumber::kQuantity : db::NumberLimits{};
    m_binder->bind(box, field, number ? data::FieldKind::Number : data::FieldKind::Text, limits);
    return box;
}

void frmPrestazioni::buildFields()
{
    txtCodice = addBox(QStringLiteral("txtCodice"), QStringLiteral("art_Codice"), 20);
    txtCodice->setReadOnly(true);
    txtCodice->setVisible(false);
    txtDescrizione = addBox(QStringLiteral("txtDescrizione"), QStringLiteral("art_Descrizione"), 255);
    txtFornitore = addBox(QStringLiteral("txtFornitore"), QStringLiteral("art_Fornitore"), 255);
    txtNote = addBox(QStringLiteral("txtNote"), QStringLiteral("art_Note"), 255);
    txtVarie = addBox(QStringLiteral("txtVarie"), QStringLiteral("art_Varie"), 255);
    txtCarico = addBox(QStringLiteral("txtCarico"), QStringLiteral("art_Prezzo_Carico"), 10);
    txtPrezzo = addBox(QStringLiteral("txtPrezzo"), QStringLiteral("art_Prezzo_Listino"), 10);
    txtQuantita = addBox(QStringLiteral("txtQuantita"), QStringLiteral("art_Quantita"), 10);
    txtQuantita->setVisible(false);

    for (QLineEdit *box : {txtCodice, txtDescrizione, txtNote, txtVarie, txtCarico, txtPrezzo, txtQuantita})
        box->installEventFilter(this);

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

    // Importing an invoice from a file is not offered: the button has no action.
    cmdImporta = new QToolButton(this);
    cmdImporta->setObjectName(QStringLiteral("cmdImporta"));
    cmdImporta->setToolTip(QStringLiteral("Importa fattura da file"));
    cmdImporta->setVisible(false);

    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    data::GridColumn articolo(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice_Articolo"));
    articolo.visible = false;   // always the card's own article
    data::GridColumn barcode(QStringLiteral("Codice articolo"), QStringLiteral("ca_Codice"));
    barcode.scannerInput = true;
    barcode.width = 170;
    data::GridColumn taglia(QStringLiteral("Taglia"), QStringLiteral("ca_Taglia"));
    taglia.width = 90;
    data::GridColumn colore(QStringLiteral("Colore"), QStringLiteral("ca_Colore"));
    colore.width = 130;
    data::GridColumn quantita(QStringLiteral("Quantità"), QStringLiteral("ca_Quantita"));
    quantita.kind = data::GridColumn::Kind::Number;
    TDBGrid1->setColumns({articolo, barcode, taglia, colore, quantita});
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->horizontalHeader()->setStretchLastSection(true);
    connect(TDBGrid1, &data::Grid::keyPress, this, &frmPrestazioni::TDBGrid1_KeyPress);
    connect(TDBGrid1, &data::Grid::beforeUpdate, this, &frmPrestazioni::TDBGrid1_BeforeUpdate);
    connect(TDBGrid1, &data::Grid::beforeDelete, this, &frmPrestazioni::TDBGrid1_BeforeDelete);
    connect(TDBGrid1, &data::Grid::dataError, this, &frmPrestazioni::TDBGrid1_Error);
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
    bottom->addWidget(cmdEsporta);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(Toolbar1);
    layout->addWidget(Frame10);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(lblDettagli);
    layout->addWidget(TDBGrid1, 1);
    layout->addLayout(bottom);
    resize(640, 560);
}

QString frmPrestazioni::queryShown() const
{
    return p_strQuery.isEmpty() ? kAllArticles : p_strQuery;
}

// Another select while an article is being changed or added: the card keeps
// it, as the article search would, and its member names what it shows.
bool frmPrestazioni::mayShowOtherArticles()
{
    if (editState() == int(db::EditMode::None))
        return true;
    ui::MsgBox(QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare") + QStringLiteral(" un articolo."),
               ui::vbInformation, g_strAppName);
    p_strQuery = datPrimaryRS->recordSource();
    return false;
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
            setDettagliAvailable(false);
        } else {
            rs->moveLast();
            rs->moveFirst();
            setDettagliAvailable(true);
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
    db::Recordset *rs = datPrimaryRS->recordset();
    if (!rs)
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 91, QStringLiteral("Variabile oggetto o variabile del blocco With non impostata."));
    return rs;
}

int frmPrestazioni::editState() const
{
    return int(datPrimaryRS->editMode());
}

// The code of the card as a number: what txtCodice starts with, as digits.
QString frmPrestazioni::codiceNumerico() const
{
    return QString::number(ValLong(txtCodice->text()));
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
    const qlonglong code = ValLong(txtCodice->text());
    if (code == 0)
        return;
    errors::ErrorTrap trap(kGridTrapLabel);
    trap.run([&] { datDettagli->setDatabaseName(g_strDbPath); });
    trap.run([&] {
        datDettagli->setRecordSource(QStringLiteral("select * from [Codice Articolo] where ca_Codice_Articolo = ")
                                     + QString::number(code));
    });
    trap.run([&] { datDettagli->refresh(); });
    trap.run([&] {
        if (TDBGrid1->dataSource() != datDettagli)
            TDBGrid1->setDataSource(datDettagli);
        TDBGrid1->rebind();
    });
}

// Stock items belong to a stored article: without one shown the grid stays
// off whatever the command asked.
void frmPrestazioni::setDettagliAvailable(bool available)
{
    TDBGrid1->setEnabled(available && ValLong(txtCodice->text()) != 0);
}

bool frmPrestazioni::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *box = qobject_cast<QLineEdit *>(watched)) {
        if (event->type() == QEvent::FocusIn)
            EvidenziaCampo(box);
        else if (event->type() == QEvent::FocusOut)
            NormalizzaCampo(box);
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------ stock items

void frmPrestazioni::TDBGrid1_KeyPress(int column, int &keyAscii)
{
    if (column != kColBarcode)
        return;
    // A scanner ends each code with CR, LF or both: the carriage return is
    // dropped, the line feed (the bar-code column's end of code) writes the
    // row and moves down, ready for the next scan.
    if (keyAscii == 13)
        keyAscii = 0;
}

void frmPrestazioni::TDBGrid1_BeforeUpdate(bool &cancel)
{
    const qlonglong code = ValLong(txtCodice->text());
    try {
        if (code == 0 || datPrimaryRS->editMode() == db::EditMode::Adding)
            throw db::DbError(db::ErrorKind::NoCurrentRecord, 3021,
                              QStringLiteral("Salvare l'articolo prima di inserirne i codici."));
        if (!isStockQuantity(TDBGrid1->columnValue(kColQuantita))) {
            ui::MsgBox(QStringLiteral("La quantità deve essere un numero intero compreso tra -2147483648 e 2147483647."),
                       ui::vbExclamation, g_strAppName);
            cancel = true;
            return;
        }
        TDBGrid1->setColumnValue(kColArticolo, code);
    } catch (const db::DbError &error) {
        // A stock item that belongs to no stored article is never written.
        ui::MsgBox(QStringLiteral("Si è verificato un errore durante l'esecuzione del programma: ") + QStringLiteral("\r\n")
                   + error.description());
        cancel = true;
    }
}

void frmPrestazioni::TDBGrid1_BeforeDelete(bool &cancel)
{
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente il codice a barre selezionato?"),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    cancel = answer != ui::vbYes;
}

// A bar code missing or already there is said in words, never as a bare
// error number; the row keeps what was typed.
void frmPrestazioni::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}
