#include "stock/frmCarico.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/OpenWindow.h"
#include "app/ProgramWindow.h"
#include "rules/general/Today.h"
#include "app/errors/TopLevelReporter.h"
#include "app/modZandri.h"
#include "db/Database.h"
#include "lookup/frmHelp.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/StockItemLookup.h"
#include "rules/StockMovement.h"
#include "rules/StockQuantity.h"
#include "skin/ctrl_SkinableForm.h"
#include "stock/BoxFocus.h"
#include "stock/CounterLook.h"
#include "stock/QuantityBox.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

frmCarico::frmCarico(QWidget *parent)
    : QWidget(parent)
    , m_focus(*this)
{
    setObjectName(QStringLiteral("frmCarico"));
    setWindowTitle(QStringLiteral("Carico"));
    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setCaption(QStringLiteral("Carico"));
    ctrl_SkinableForm1->setMaximizeBtn(false);
    buildLayout();
    m_life = &giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmCarico.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmCarico.Form_Activate"),
        .activate = [this] { Form_Activate(); },
        .unloadLabel = QStringLiteral("frmCarico.Form_Unload"),
        .unload = [this] { Form_Unload(); },
        .recordKey = [this] { return QVariantList{p_bln_Modifica, qlonglong(p_lng_Codice_Carico)}; },
    });

    for (QLineEdit *box : {txtData, txtCodice, txtQuantita, txtCarico, txtCaricoIE, txtListino})
        box->installEventFilter(this);
    connect(chkUsato, &QCheckBox::stateChanged, this, [this] { errors::runReported("frmCarico.chkUsato_Click", [this] { chkUsato_Click(); }); });
    connect(txtCarico, &QLineEdit::textEdited, this, [this] { txtCarico_Change(); });
    connect(txtCaricoIE, &QLineEdit::textEdited, this, [this] { txtCaricoIE_Change(); });
    connect(cmdCarica, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdCarica_Click", [this] { cmdCarica_Click(); }); });
    connect(cmdSalva, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdSalva_Click", [this] { cmdSalva_Click(); }); });
    connect(cmdCancella, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdCancella_Click", [this] { cmdCancella_Click(); }); });
    connect(cmdHelpCodice, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdHelpCodice_Click", [this] { cmdHelpCodice_Click(); }); });
    connect(cmdHelpDescrizione, &QPushButton::clicked, this, [this] { errors::runReported("frmCarico.cmdHelpDescrizione_Click", [this] { cmdHelpDescrizione_Click(); }); });
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
    for (QPushButton *button : {cmdHelpCodice, cmdHelpDescrizione, cmdCarica, cmdSalva, cmdCancella})
        button->setFocusPolicy(Qt::ClickFocus);
    for (QLineEdit *box : {txtData, txtQuantita, txtQuantitaDisponibile, txtCarico, txtCaricoIE, txtListino})
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    auto put = [&](QWidget *box, const QString &caption, int row, int column, int span = 1) {
        grid->addWidget(CounterLook::label(this, caption, box), row, column, 1, span);
        grid->addWidget(box, row + 1, column, 1, span);
    };
    put(txtData, QStringLiteral("Data"), 0, 0);
    auto *codeRow = new QHBoxLayout;
    codeRow->setSpacing(4);
    codeRow->addWidget(txtCodice, 1);
    codeRow->addWidget(cmdHelpCodice);
    codeRow->addWidget(cmdHelpDescrizione);
    grid->addWidget(CounterLook::label(this, QStringLiteral("Codice"), txtCodice), 0, 1, 1, 2);
    grid->addLayout(codeRow, 1, 1, 1, 2);
    grid->addWidget(chkUsato, 1, 3, Qt::AlignLeft | Qt::AlignVCenter);
    put(txtDescrizione, QStringLiteral("Descrizione"), 2, 0, 4);
    put(txtTaglia, QStringLiteral("Taglia"), 4, 0);
    put(txtColore, QStringLiteral("Colore"), 4, 1, 2);
    put(txtQuantitaDisponibile, QStringLiteral("Q. Disp."), 4, 3);
    put(txtQuantita, QStringLiteral("Quantità"), 6, 0);
    put(txtCaricoIE, QStringLiteral("Carico € I.E."), 6, 1);
    put(txtCarico, QStringLiteral("Carico €"), 6, 2);
    put(txtListino, QStringLiteral("Listino €"), 6, 3);
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCarica);
    buttons->addWidget(cmdSalva);
    buttons->addWidget(cmdCancella);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    setTabOrder(chkUsato, txtData);
    setTabOrder(txtData, txtCodice);
    setTabOrder(txtCodice, txtQuantita);
    setTabOrder(txtQuantita, txtCaricoIE);
    setTabOrder(txtCaricoIE, txtCarico);
    setTabOrder(txtCarico, txtListino);
    resize(560, 330);
}

// Also runs again when an opener shows the window on another load or mode.
void frmCarico::Form_Load()
{
    m_activated = false;
    m_skipEnter = false;
    m_changeMode = p_bln_Modifica;
    PulisciCampi();
    cmdCarica->setVisible(!m_changeMode);
    cmdSalva->setVisible(m_changeMode);
    cmdCancella->setVisible(m_changeMode);
    if (m_changeMode) {
        txtData->clear();
        LeggiCarico(p_lng_Codice_Carico);
    }
    m_life->defaultButton().clear();
    // The skin last: a missing picture is reported, the window works all the same.
    ctrl_SkinableForm1->LoadSkin(this);
}

void frmCarico::Form_Activate()
{
    txtCodice->setFocus(Qt::OtherFocusReason);
    p_bln_Modifica = false;
    m_activated = true;
}

void frmCarico::Form_Unload()
{
    m_focus.stop();
}

bool frmCarico::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::FocusIn || type == QEvent::FocusOut)
        && !m_focus.counts(static_cast<QWidget *>(watched), event))
        return QWidget::eventFilter(watched, event);
    if (watched == txtCodice) {
        if (type == QEvent::FocusIn) {
            txtCodice_GotFocus();
        } else if (type == QEvent::FocusOut) {
            errors::runReported("frmCarico.txtCodice_LostFocus", [this] { txtCodice_LostFocus(); });
        } else if (type == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
                txtCodice_KeyUp();
        } else if (type == QEvent::KeyPress) {
            // The skip is for the Enter that answered "another article?";
            // a scan that starts with a digit shows the answer came otherwise.
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter && !static_cast<QKeyEvent *>(event)->text().isEmpty())
                m_skipEnter = false;
        }
    } else if (auto *box = qobject_cast<QLineEdit *>(watched)) {
        if (type == QEvent::FocusIn) {
            EvidenziaCampo(box);
        } else if (type == QEvent::FocusOut) {
            if (box == txtCarico)
                txtCarico_LostFocus();
            else if (box == txtData)
                txtData_LostFocus();
            else
                NormalizzaCampo(box);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmCarico::txtCodice_GotFocus()
{
    m_life->defaultButton().clear();
    EvidenziaCampo(txtCodice);
}

void frmCarico::txtCodice_KeyUp()
{
    if (m_skipEnter) {
        m_skipEnter = false;
        return;
    }
    txtQuantita->setFocus(Qt::OtherFocusReason);
}

void frmCarico::txtCodice_LostFocus()
{
    if (txtCodice->text().trimmed().isEmpty()) {
        NormalizzaCampo(txtCodice);
        return;
    }
    StockItemInfo info = StockItemLookup::item(txtCodice->text());
    txtCodiceArticolo->setText(info.articolo);
    txtTaglia->setText(info.taglia);
    txtColore->setText(info.colore);
    if (info.articolo.trimmed().isEmpty()) {
        txtCodice->setFocus(Qt::OtherFocusReason);
        return;
    }
    StockItemLookup::article(info);
    if (info.descrizione.trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("L'articolo con codice ") + info.articolo + QStringLiteral(" non è presente in archivio.")
                       + kLineBreak + QStringLiteral("Impossibile completare l'operazione"),
                   ui::vbCritical, g_strAppName);
        txtCodice->setFocus(Qt::OtherFocusReason);
        return;
    }
    txtDescrizione->setText(info.descrizione);
    if (StockQuantity::typed(txtQuantita->text()) == 0)
        txtQuantita->setText(QStringLiteral("1"));
    txtQuantitaDisponibile->setText(info.quantita);
    NormalizzaCampo(txtCodice);
    m_life->defaultButton().setButton(cmdCarica);
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

void frmCarico::txtData_LostFocus()
{
    txtData->setText(ControllaData(txtData->text(), 0));
    NormalizzaCampo(txtData);
}

bool frmCarico::ControllaCampi()
{
    QString list;
    if (ControllaData(txtData->text(), 0).isEmpty())
        list = QStringLiteral("Data") + kLineBreak;
    if (txtCodice->text().trimmed().isEmpty())
        list += QStringLiteral("Codice Articolo") + kLineBreak;
    // The stock counts whole pieces: a fraction is as wrong as none.
    const bool quantityAccepted = QuantityBox::accepted(*txtQuantita);
    if (!quantityAccepted)
        list += QStringLiteral("Quantità") + kLineBreak;
    if (!list.isEmpty()) {
        ui::MsgBox(QStringLiteral("Alcuni campi non sono stati inseriti correttamente: ") + kLineBreak + list
                       + QStringLiteral("Impossibile effettuare il carico."),
                   ui::vbExclamation, g_strAppName);
        if (!quantityAccepted)
            QuantityBox::reselect(*txtQuantita);
        return false;
    }
    return true;
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
bool frmCarico::CaricaQuantita()
{
    if (StockMovement::recordLoad(currentRow()) == StockMovement::Result::ItemNotFound) {
        ui::MsgBox(QStringLiteral("Articolo non trovato. Impossibile caricare."), ui::vbExclamation, g_strAppName);
        return false;
    }
    return true;
}

void frmCarico::cmdCarica_Click()
{
    if (!ControllaCampi() || !QuantityBox::confirmed(*txtQuantita))
        return;
    if (!CaricaQuantita())
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
    txtData->setText(today().toString(QStringLiteral("dd/MM/yyyy")));
    for (QLineEdit *box : {txtCodice, txtDescrizione, txtQuantita, txtCarico, txtCaricoIE, txtListino, txtTaglia,
                           txtColore, txtQuantitaDisponibile})
        box->clear();
    // A box left while a question was open never lost its highlight.
    for (QLineEdit *box : {txtData, txtCodice, txtQuantita, txtCarico, txtCaricoIE, txtListino})
        if (!box->hasFocus())
            NormalizzaCampo(box);
}

void frmCarico::LeggiCarico(long number)
{
    auto database = ShopDatabase::open();
    auto rs = database->openRecordset(QStringLiteral("select * from carico where ca_Codice = ") + QString::number(number));
    if (rs->recordCount() != 0) {
        txtData->setText(ControllaData(rs->value(QStringLiteral("ca_Data")), 0));
        txtCodice->setText(NullToEmpty(rs->value(QStringLiteral("ca_Codice_Articolo"))).toString());
        // Only the user's clicks tick "Usato" into a new bar code.
        const bool wasActivated = m_activated;
        m_activated = false;
        chkUsato->setChecked(rs->value(QStringLiteral("ca_Usato")).toBool());
        m_activated = wasActivated;
        const QVariant quantity = rs->value(QStringLiteral("ca_Quantita"));
        txtQuantita->setText(IsNull(quantity) ? QString() : StockQuantity::text(quantity.toDouble()));
        txtCarico->setText(MoneyText::display(rs->value(QStringLiteral("ca_Prezzo"))));
    }
    rs->close();
}

void frmCarico::cmdSalva_Click()
{
    // The stock follows the change: the stored quantity of the stored item
    // out, the shown one in.
    if (StockMovement::changeLoad(p_lng_Codice_Carico, currentRow()) == StockMovement::Result::ItemNotFound)
        ui::MsgBox(QStringLiteral("Articolo non trovato. Impossibile modificare la quantità."), ui::vbExclamation,
                   g_strAppName);
}

void frmCarico::cmdCancella_Click()
{
    if (ui::MsgBox(QStringLiteral("Eliminare definitivamente il carico corrente?"), ui::vbYesNo | ui::vbQuestion,
                   g_strAppName)
        == ui::vbNo)
        return;
    // What the row says was loaded goes back out, whatever the boxes show now.
    if (StockMovement::deleteLoad(p_lng_Codice_Carico) == StockMovement::Result::ItemNotFound)
        ui::MsgBox(QStringLiteral("Articolo non trovato. Impossibile modificare la quantità."), ui::vbExclamation,
                   g_strAppName);
    ui::MsgBox(QStringLiteral("Il dato è stato cancellato."), ui::vbInformation, g_strAppName);
    close();
}

void frmCarico::cmdHelpCodice_Click()
{
    frmHelp picker(this);
    picker.QryTable = QStringLiteral("Articoli");
    picker.QryBoundColumn = QStringLiteral("art_Descrizione");
    picker.QryListField = QStringLiteral("art_Codice");
    picker.QryOrder = QStringLiteral("art_Codice");
    picker.ButtonNew = false;
    picker.showModal();
    txtCodice->setText(NullToEmpty(picker.QryText).toString());
    txtDescrizione->setText(NullToEmpty(picker.QrySelected).toString());
}

void frmCarico::cmdHelpDescrizione_Click()
{
    frmHelp picker(this);
    picker.QryTable = QStringLiteral("Articoli");
    picker.QryBoundColumn = QStringLiteral("art_Codice");
    picker.QryListField = QStringLiteral("art_Descrizione");
    picker.QryOrder = QStringLiteral("art_Descrizione");
    picker.ButtonNew = false;
    picker.showModal();
    txtCodice->setText(NullToEmpty(picker.QrySelected).toString());
    txtDescrizione->setText(NullToEmpty(picker.QryText).toString());
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
