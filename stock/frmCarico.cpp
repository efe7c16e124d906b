#include "stock/frmCarico.h"

#include "base/GeneralFunc6.h"
#include "base/WindowKey.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/TopLevelReporter.h"
#include "base/modZandri.h"
#include "db/Recordset.h"
#include "report/LabelSource.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/StoreBarcodes.h"
#include "rules/TypedNumber.h"
#include "rules/StockQuantity.h"
#include "skin/ctrl_SkinableForm.h"
#include "base/CounterLook.h"
#include "base/QuantityBox.h"
#include "stock/frmEtichette.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

frmCarico::frmCarico(QWidget *parent)
    : StockMovementWindow(Kind::Load, parent)
{
    buildLayout();
    wire();
    connect(chkUsato, &QCheckBox::stateChanged, this, [this] { errors::runReported("frmCarico.chkUsato_Click", [this] { chkUsato_Click(); }); });
    connect(txtCarico, &QLineEdit::textEdited, this, [this] { txtCarico_Change(); });
    connect(txtCaricoIE, &QLineEdit::textEdited, this, [this] { txtCaricoIE_Change(); });
    connect(cmdHelpCodice, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdHelpCodice_Click", [this] { cmdHelpCodice_Click(); }); });
    connect(cmdHelpDescrizione, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdHelpDescrizione_Click", [this] { cmdHelpDescrizione_Click(); }); });
    connect(cmdGeneraCodice, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdGeneraCodice_Click", [this] { cmdGeneraCodice_Click(); }); });
}

frmCarico::~frmCarico() = default;


void frmCarico::buildLayout()
{
    chkUsato = new QCheckBox(QStringLiteral("Usato"), this);
    chkUsato->setObjectName(QStringLiteral("chkUsato"));
    txtData = CounterLook::box(this, "txtData", 10);
    txtCodice = CounterLook::box(this, "txtCodice", 20);
    CounterLook::enlarge(txtCodice);
    cmdHelpCodice = CounterLook::pictureButton(this, "cmdHelpCodice", CounterLook::Picture::Search,
                                               QStringLiteral("Carica Articolo"), 30);
    cmdHelpDescrizione = CounterLook::pictureButton(this, "cmdHelpDescrizione", CounterLook::Picture::SearchText,
                                                    QStringLiteral("Carica Articolo"), 30);
    cmdGeneraCodice = new QPushButton(this);
    cmdGeneraCodice->setObjectName(QStringLiteral("cmdGeneraCodice"));
    WindowKey::generateCode().give(*this, *cmdGeneraCodice);
    txtDescrizione = CounterLook::readOnlyBox(this, "txtDescrizione", 120);
    txtTaglia = CounterLook::readOnlyBox(this, "txtTaglia", 120);
    txtColore = CounterLook::readOnlyBox(this, "txtColore", 120);
    txtQuantitaDisponibile = CounterLook::readOnlyBox(this, "txtQuantitaDisponibile", 10);
    txtQuantita = CounterLook::box(this, "txtQuantita", 10);
    txtCarico = CounterLook::box(this, "txtCarico", 10);
    txtCaricoIE = CounterLook::box(this, "txtCaricoIE", 10);
    txtListino = CounterLook::box(this, "txtListino", 10);
    txtCodiceArticolo = CounterLook::box(this, "txtCodiceArticolo", 32767);
    txtCodiceArticolo->hide();
    cmdCarica = CounterLook::pictureButton(this, "cmdCarica", CounterLook::Picture::Load, QStringLiteral("Carica Articolo"));
    cmdSalva = CounterLook::pictureButton(this, "cmdSalva", CounterLook::Picture::Save, QStringLiteral("Carica Articolo"));
    cmdCancella = CounterLook::pictureButton(this, "cmdCancella", CounterLook::Picture::Delete, QStringLiteral("Carica Articolo"));
    cmdEtichette = new QPushButton(QStringLiteral("Etichette"), this);
    cmdEtichette->setObjectName(QStringLiteral("cmdEtichette"));
    cmdEtichette->setToolTip(WindowKey::labels().hint());
    connect(cmdEtichette, &QPushButton::clicked, this, &frmCarico::cmdEtichette_Click);
    WindowKey::labels().give(*this, [this] { cmdEtichette_Click(); });
    for (QPushButton *button : {cmdHelpCodice, cmdHelpDescrizione, cmdGeneraCodice, cmdCarica, cmdSalva, cmdCancella, cmdEtichette})
        button->setFocusPolicy(Qt::ClickFocus);
    for (QLineEdit *box : {txtData, txtQuantita, txtQuantitaDisponibile, txtCarico, txtCaricoIE, txtListino})
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = newBoxGrid();
    putBox(grid, txtData, QStringLiteral("Data"), 0, 0);
    auto *codeRow = new QHBoxLayout;
    codeRow->setSpacing(4);
    codeRow->addWidget(txtCodice, 1);
    codeRow->addWidget(cmdHelpCodice);
    codeRow->addWidget(cmdHelpDescrizione);
    // The commands on goods without a code stand above, clear of the box,
    // so that the box shows a whole EAN-13.
    auto *commands = new QHBoxLayout;
    commands->setSpacing(4);
    commands->addStretch(1);
    commands->addWidget(cmdGeneraCodice);
    commands->addWidget(cmdEtichette);
    grid->addWidget(CounterLook::label(this, QStringLiteral("Codice"), txtCodice), 0, 1);
    grid->addLayout(commands, 0, 2, 1, 2);
    grid->addLayout(codeRow, 1, 1, 1, 2);
    grid->addWidget(chkUsato, 1, 3, Qt::AlignLeft | Qt::AlignVCenter);
    putBox(grid, txtDescrizione, QStringLiteral("Descrizione"), 2, 0, 4);
    putBox(grid, txtTaglia, QStringLiteral("Taglia"), 4, 0);
    putBox(grid, txtColore, QStringLiteral("Colore"), 4, 1, 2);
    putBox(grid, txtQuantitaDisponibile, QStringLiteral("Q. Disp."), 4, 3);
    putBox(grid, txtQuantita, QStringLiteral("Quantità"), 6, 0);
    putBox(grid, txtCaricoIE, QStringLiteral("Carico € I.E."), 6, 1);
    putBox(grid, txtCarico, QStringLiteral("Carico €"), 6, 2);
    putBox(grid, txtListino, QStringLiteral("Listino €"), 6, 3);
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, 1);

    layOut(grid, cmdCarica);

    setTabOrder(chkUsato, txtData);
    setTabOrder(txtData, txtCodice);
    setTabOrder(txtCodice, txtQuantita);
    setTabOrder(txtQuantita, txtCaricoIE);
    setTabOrder(txtCaricoIE, txtCarico);
    setTabOrder(txtCarico, txtListino);
    resize(560, 330);

    m_moveButton = cmdCarica;
    m_priceBox = txtCarico;
    m_watchedBoxes = {txtData, txtCodice, txtQuantita, txtCarico, txtCaricoIE, txtListino};
    m_clearedBoxes = {txtCodice, txtDescrizione, txtQuantita, txtCarico, txtCaricoIE, txtListino, txtTaglia,
                      txtColore, txtQuantitaDisponibile};
    m_typedBoxes = m_watchedBoxes;
}

void frmCarico::startAfresh()
{
    PulisciCampi();
    showModeButtons();
    // A recorded load keeps the item it moved.
    cmdGeneraCodice->setEnabled(!m_changeMode);
}

void frmCarico::Form_Activate()
{
    txtCodice->setFocus(Qt::OtherFocusReason);
    p_bln_Modifica = false;
    m_activated = true;
}

void frmCarico::boxLeft(QLineEdit *box)
{
    if (box == txtCarico)
        txtCarico_LostFocus();
    else
        NormalizzaCampo(box);
}

void frmCarico::codeLookedUp(const StockItemInfo &info)
{
    txtTaglia->setText(info.taglia);
    txtColore->setText(info.colore);
}

void frmCarico::showArticle(const StockItemInfo &info)
{
    txtDescrizione->setText(info.descrizione);
    if (StockQuantity::typed(txtQuantita->text()) == 0)
        txtQuantita->setText(QStringLiteral("1"));
    txtQuantitaDisponibile->setText(info.quantita);
}

void frmCarico::chkUsato_Click()
{
    if (!m_activated)
        return;
    const QString code = txtCodice->text();
    const bool used = chkUsato->isChecked();
    if (used && !code.endsWith(QLatin1Char('U')))
        txtCodice->setText(code + QLatin1Char('U'));
    else if (!used && code.endsWith(QLatin1Char('U')))
        txtCodice->setText(code.left(code.size() - 1));
    else
        return;
    // Through the bar-code box and back: its lookup runs for the new code.
    txtCodice->setFocus(Qt::OtherFocusReason);
    chkUsato->setFocus(Qt::OtherFocusReason);
}

void frmCarico::txtCarico_Change()
{
    if (m_priceLink)
        return;
    m_priceLink = true;
    if (MoneyText::isNumericTyping(txtCarico->text())) {
        txtCaricoIE->setText(MoneyText::format(MoneyText::value(txtCarico->text()) / 1.2));
    } else {
        txtCarico->setText(QStringLiteral("0"));
        txtCarico->selectAll();
        txtCaricoIE->setText(MoneyText::format(0));
    }
    m_priceLink = false;
}

void frmCarico::txtCaricoIE_Change()
{
    if (m_priceLink)
        return;
    m_priceLink = true;
    if (MoneyText::isNumericTyping(txtCaricoIE->text())) {
        txtCarico->setText(MoneyText::format(MoneyText::value(txtCaricoIE->text()) * 1.2));
    } else {
        txtCaricoIE->setText(QStringLiteral("0"));
        txtCaricoIE->selectAll();
        txtCarico->setText(MoneyText::format(0));
    }
    m_priceLink = false;
}

void frmCarico::txtCarico_LostFocus()
{
    NormalizzaCampo(txtCarico);
    m_priceLink = true;
    if (IsNumeric(txtCarico->text()))
        txtCaricoIE->setText(MoneyText::format(ToNumber(txtCarico->text()) / 1.2));
    else
        txtCaricoIE->setText(QStringLiteral("0"));
    m_priceLink = false;
}

LoadRow frmCarico::currentRow() const
{
    LoadRow row;
    // The date the check accepted, whatever form it was typed in.
    row.data = ControllaData(txtData->text(), 0);
    row.codice = txtCodice->text();
    row.usato = chkUsato->isChecked() ? 1 : 0;
    row.quantita = StockQuantity::typed(txtQuantita->text());
    return row;
}

// The stock change and the new row go to disk together (StockMovement).
bool frmCarico::recordMovement()
{
    qlonglong number = 0;
    const bool recorded = itemFound(StockMovement::recordLoad(currentRow(), &number),
                                    QStringLiteral("Articolo non trovato. Impossibile caricare."));
    if (recorded)
        m_recordedLoads << number;
    return recorded;
}

// The labels of the load shown (change mode), or of every load this window
// recorded: as many as the quantity loaded.
void frmCarico::cmdEtichette_Click()
{
    const QList<qlonglong> loads = m_changeMode ? QList<qlonglong>{p_lng_Codice_Carico} : m_recordedLoads;
    if (loads.isEmpty()) {
        ui::MsgBox(QStringLiteral("Nessun carico registrato in questa finestra: le etichette si stampano dopo aver "
                                  "caricato gli articoli."),
                   ui::vbInformation, g_strAppName);
        return;
    }
    frmEtichette::open(this, loads.size() == 1 ? QStringLiteral("carico") : QStringLiteral("%1 carichi").arg(loads.size()),
                       QStringLiteral("Una per pezzo caricato"), [loads](bool perPiece, int copies) {
                           std::vector<report::LabelContent> labels;
                           const report::LabelSource source(*ShopDatabase::open());
                           for (const qlonglong load : loads)
                               for (report::LabelContent label : source.ofLoad(load)) {
                                   if (!perPiece)
                                       label.copies = copies;
                                   labels.push_back(label);
                               }
                           return labels;
                       });
}

void frmCarico::cmdMuovi_Click()
{
    if (!checkedAndRecorded())
        return;
    const int answer = ui::MsgBox(QStringLiteral("L'articolo è stato caricato correttamente. ") + kLineBreak
                                      + QStringLiteral("Si desidera caricare un altro articolo?"),
                                  ui::vbYesNo | ui::vbQuestion, g_strAppName);
    if (answer == ui::vbNo) {
        close();
        return;
    }
    PulisciCampi();
    txtCodice->setFocus(Qt::OtherFocusReason);
    m_skipEnter = true;
}

void frmCarico::PulisciCampi()
{
    chkUsato->setChecked(false);
    StockMovementWindow::PulisciCampi();
}

void frmCarico::showRecorded(db::Recordset &rs)
{
    // Only the user's clicks tick "Usato" into a new bar code.
    const bool wasActivated = m_activated;
    m_activated = false;
    chkUsato->setChecked(rs.value(QStringLiteral("ca_Usato")).toBool());
    m_activated = wasActivated;
}

// The stock follows the change: the stored quantity of the stored item out,
// the shown one in.
StockMovement::Result frmCarico::changeMovement()
{
    return StockMovement::changeLoad(p_lng_Codice_Carico, currentRow());
}

// What the row says was loaded goes back out, whatever the boxes show now.
StockMovement::Result frmCarico::deleteMovement()
{
    return StockMovement::deleteLoad(p_lng_Codice_Carico);
}

void frmCarico::cmdHelpCodice_Click()
{
    const auto picked = pick(QStringLiteral("Articoli"), QStringLiteral("art_Descrizione"), QStringLiteral("art_Codice"),
                             txtCodice);
    if (!picked)
        return;
    const auto &[codice, descrizione] = *picked;
    txtCodice->setText(codice);
    txtDescrizione->setText(descrizione);
}

void frmCarico::cmdHelpDescrizione_Click()
{
    const auto picked = pick(QStringLiteral("Articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"),
                             txtDescrizione);
    if (!picked)
        return;
    const auto &[descrizione, codice] = *picked;
    txtCodice->setText(codice);
    txtDescrizione->setText(descrizione);
}

void frmCarico::cmdGeneraCodice_Click()
{
    if (m_changeMode)
        return;
    const QString typed = txtCodice->text().trimmed();
    if (!typed.isEmpty() && !StockItemLookup::item(typed).articolo.isEmpty()) {
        ui::MsgBox(QStringLiteral("Il codice %1 è già di un articolo in magazzino: si può caricare così.").arg(typed),
                   ui::vbExclamation, g_strAppName);
        return;
    }
    // The picker leaves the article's number in the bar-code box.
    const qlonglong number = TypedNumber::leadingWhole(typed);
    StockItemInfo article;
    article.articolo = typed;
    if (number > 0 && QString::number(number) == typed)
        StockItemLookup::article(article);
    if (article.descrizione.trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Scegliere prima l'articolo con i pulsanti di ricerca accanto al codice: "
                                  "il nuovo codice a barre sarà suo."),
                   ui::vbExclamation, g_strAppName);
        txtCodice->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString code = StoreBarcodes(*ShopDatabase::open()).newItem(number);
    txtCodice->setText(code);
    txtCodice_LostFocus();
    txtQuantita->setFocus(Qt::OtherFocusReason);
}

void ApriCaricoNuovo()
{
    frmCarico &load = openWindow<frmCarico>([](frmCarico &window) {
        window.p_bln_Modifica = false;
        window.p_lng_Codice_Carico = 0;
    });
    if (QWidget *codice = load.findChild<QWidget *>(QStringLiteral("txtCodice")))
        codice->setFocus(Qt::OtherFocusReason);
}
