#include "stock/frmScarico.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/TopLevelReporter.h"
#include "base/modZandri.h"
#include "db/Recordset.h"
#include "lookup/frmCalcola.h"
#include "rules/MoneyText.h"
#include "rules/SaleAmount.h"
#include "rules/ShopDatabase.h"
#include "rules/StockQuantity.h"
#include "rules/TypedNumber.h"
#include "skin/ctrl_SkinableForm.h"
#include "base/CounterLook.h"
#include "base/QuantityBox.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

void letPendingEventsRun()
{
    // Keys already typed wait for the focus to settle in the bar-code box.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

frmScarico::frmScarico(QWidget *parent)
    : StockMovementWindow(Kind::Sale, parent)
{
    buildLayout();
    wire();
    connect(cmdPagamento, &QPushButton::clicked, this, [this] { errors::runReported("frmScarico.cmdPagamento_Click", [this] { cmdPagamento_Click(); }); });
}

frmScarico::~frmScarico() = default;

frmCalcola *frmScarico::calcola() const
{
    return m_calcola.data();
}


void frmScarico::buildLayout()
{
    txtCodice = CounterLook::box(this, "txtCodice", 20);
    txtCodice->setFocusPolicy(Qt::ClickFocus);
    txtDescrizione = CounterLook::readOnlyBox(this, "txtDescrizione", 120);
    txtQuantitaDisponibile = CounterLook::readOnlyBox(this, "txtQuantitaDisponibile", 10);
    txtQuantita = CounterLook::box(this, "txtQuantita", 10);
    txtListino = CounterLook::box(this, "txtListino", 10);
    txtListino->setFocusPolicy(Qt::ClickFocus);
    txtSconto = CounterLook::box(this, "txtSconto", 10);
    txtPrezzo = CounterLook::box(this, "txtPrezzo", 10);
    txtSaldo = CounterLook::readOnlyBox(this, "txtSaldo", 10);
    QPalette green = txtSaldo->palette();
    green.setColor(QPalette::Base, QColor(0x80, 0xFF, 0x80)); // &H0080FF80
    txtSaldo->setPalette(green);
    QFont bold = txtSaldo->font();
    bold.setBold(true);
    txtSaldo->setFont(bold);
    CounterLook::enlarge(txtSaldo, 1.35);
    CounterLook::enlarge(txtCodice);
    txtData = CounterLook::box(this, "txtData", 10);
    txtDescrizionePagamento = CounterLook::box(this, "txtDescrizionePagamento", 20);
    txtDescrizionePagamento->setFocusPolicy(Qt::ClickFocus);
    txtDescrizionePagamento->setReadOnly(true); // filled by the picker only
    QPalette grey = txtDescrizionePagamento->palette();
    grey.setColor(QPalette::Base, CounterLook::readOnlyColor());
    txtDescrizionePagamento->setPalette(grey);
    cmdPagamento = CounterLook::pictureButton(this, "cmdPagamento", CounterLook::Picture::Payment,
                                              QStringLiteral("Modalità di pagamento"), 30);
    txtCodicePagamento = CounterLook::box(this, "txtCodicePagamento", 20);
    txtCodicePagamento->hide();
    txtCodiceArticolo = CounterLook::box(this, "txtCodiceArticolo", 32767);
    txtCodiceArticolo->hide();
    cmdScarica = CounterLook::pictureButton(this, "cmdScarica", CounterLook::Picture::Unload, QStringLiteral("Scarica Articolo"));
    cmdSalva = CounterLook::pictureButton(this, "cmdSalva", CounterLook::Picture::Save, QStringLiteral("Salva Scarico"));
    cmdCancella = CounterLook::pictureButton(this, "cmdCancella", CounterLook::Picture::Delete, QStringLiteral("Cancella Scarico"));
    for (QPushButton *button : {cmdScarica, cmdSalva, cmdCancella})
        button->setFocusPolicy(Qt::ClickFocus);
    // The payment is chosen from the keyboard too: Alt+P anywhere in the
    // window, or Tab onto the button and Enter or Space.
    cmdPagamento->setFocusPolicy(Qt::StrongFocus);
    cmdPagamento->setAutoDefault(true);
    auto *paymentKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_P), this);
    paymentKey->setObjectName(QStringLiteral("keyPagamento"));
    paymentKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paymentKey, &QShortcut::activated, cmdPagamento, &QPushButton::click);
    for (QLineEdit *box : {txtData, txtQuantitaDisponibile, txtQuantita, txtListino, txtSconto, txtPrezzo, txtSaldo})
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = newBoxGrid();
    putBox(grid, txtCodice, QStringLiteral("Codice"), 0, 0, 2);
    putBox(grid, txtData, QStringLiteral("Data"), 0, 5);
    putBox(grid, txtDescrizione, QStringLiteral("Descrizione"), 2, 0, 6);
    putBox(grid, txtQuantitaDisponibile, QStringLiteral("Quantità Disp."), 4, 0);
    putBox(grid, txtQuantita, QStringLiteral("Quantità"), 4, 1);
    putBox(grid, txtListino, QStringLiteral("Listino €"), 4, 2);
    putBox(grid, txtSconto, QStringLiteral("Sconto €"), 4, 3);
    putBox(grid, txtPrezzo, QStringLiteral("Prezzo €"), 4, 4);
    putBox(grid, txtSaldo, QStringLiteral("Saldo €"), 4, 5);
    auto *payment = new QHBoxLayout;
    payment->setSpacing(4);
    payment->addWidget(txtDescrizionePagamento, 1);
    payment->addWidget(cmdPagamento);
    grid->addWidget(CounterLook::label(this, QStringLiteral("Pagamento"), txtDescrizionePagamento), 6, 0, 1, 3);
    grid->addLayout(payment, 7, 0, 1, 3);
    for (int column = 0; column < 6; ++column)
        grid->setColumnStretch(column, 1);

    layOut(grid, cmdScarica);

    setTabOrder(txtQuantita, txtSconto);
    setTabOrder(txtSconto, txtPrezzo);
    setTabOrder(txtPrezzo, txtData);
    setTabOrder(txtData, cmdPagamento);
    resize(640, 330);

    m_moveButton = cmdScarica;
    m_priceBox = txtPrezzo;
    m_watchedBoxes = {txtCodice, txtData, txtQuantita, txtPrezzo, txtSconto, txtListino};
    m_clearedBoxes = {txtCodice, txtDescrizione, txtQuantita, txtPrezzo, txtListino, txtQuantitaDisponibile,
                      txtSaldo, txtSconto, txtCodicePagamento, txtDescrizionePagamento};
    m_typedBoxes = {txtCodice, txtData, txtQuantita, txtPrezzo, txtSconto};
}

void frmScarico::startAfresh()
{
    showModeButtons();
    PulisciCampi();
}

// The running total floats at the top right of the screen.
void frmScarico::showCalcola()
{
    if (m_calcola)
        return;
    m_calcola = new frmCalcola(this);
    m_calcola->adjustSize();
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        m_calcola->move(area.right() + 1 - m_calcola->width(), area.top());
    }
    // It shows the total; the keyboard stays with the sale.
    m_calcola->setAttribute(Qt::WA_ShowWithoutActivating);
    m_calcola->show();
}

void frmScarico::Form_Activate()
{
    letPendingEventsRun();
    letPendingEventsRun();
    txtCodice->setFocus(Qt::OtherFocusReason);
    letPendingEventsRun();
    letPendingEventsRun();
    if (m_changeMode)
        txtQuantita->setFocus(Qt::OtherFocusReason);
    m_activated = true;
    if (QMdiSubWindow *frame = ui::mdiFrameOf(*this))
        frame->move(0, 0);
    else
        move(0, 0);
}

void frmScarico::Form_Unload()
{
    StockMovementWindow::Form_Unload();
    if (m_calcola) {
        m_calcola->close();
        m_calcola->deleteLater();
    }
}

void frmScarico::boxEntered(QLineEdit *box)
{
    if (box != txtListino)
        EvidenziaCampo(box);
}

void frmScarico::boxLeft(QLineEdit *box)
{
    if (box == txtQuantita || box == txtPrezzo || box == txtSconto) {
        NormalizzaCampo(box);
        errors::runReported("frmScarico.CalcolaSaldo", [this] { CalcolaSaldo(); });
    }
}

void frmScarico::showArticle(const StockItemInfo &info)
{
    txtDescrizione->setText(info.descrizione + QStringLiteral(" - ") + info.taglia + QStringLiteral(" - ") + info.colore);
    txtPrezzo->setText(info.listino);
    if (StockQuantity::typed(txtQuantita->text()) == 0)
        txtQuantita->setText(QStringLiteral("1"));
    txtListino->setText(info.listino);
    txtQuantitaDisponibile->setText(info.quantita);
    CalcolaSaldo();
}

void frmScarico::CalcolaSaldo()
{
    for (QLineEdit *box : {txtSconto, txtPrezzo, txtListino})
        if (!IsNumeric(box->text()))
            box->setText(QStringLiteral("0"));
    // A quantity is a number up to what the stock holds, beyond an amount's limits.
    if (!TypedNumber::quantity(txtQuantita->text()))
        txtQuantita->setText(QStringLiteral("0"));
    const SaleAmount amount =
        SaleAmount::compute(MoneyText::value(txtListino->text()), MoneyText::value(txtPrezzo->text()),
                            MoneyText::value(txtSconto->text()), StockQuantity::typed(txtQuantita->text()));
    txtSaldo->setText(MoneyText::format(amount.amountDue));
    // The list price is an amount as the price beside it: "12,50", not "12,5".
    txtListino->setText(MoneyText::format(MoneyText::value(txtListino->text())));
    if (amount.unitPrice)
        txtPrezzo->setText(MoneyText::format(*amount.unitPrice));
}

void frmScarico::listWrongBoxes(QString &list)
{
    if (!IsNumeric(txtPrezzo->text()))
        list += QStringLiteral("Prezzo") + kLineBreak;
}

SaleRow frmScarico::currentRow() const
{
    SaleRow row;
    // The date the check accepted, whatever form it was typed in.
    row.data = ControllaData(txtData->text(), 0);
    row.codice = txtCodice->text();
    row.quantita = StockQuantity::typed(txtQuantita->text());
    row.prezzo = MoneyText::value(txtPrezzo->text());
    row.sconto = MoneyText::value(txtSconto->text());
    row.saldo = MoneyText::value(txtSaldo->text());
    row.pagamento = txtCodicePagamento->text();
    // Second-hand goods carry the new goods' bar code followed by "U".
    row.usato = row.codice.trimmed().endsWith(QLatin1Char('U'), Qt::CaseInsensitive) ? -1 : 0;
    return row;
}

// The stock change and the new row go to disk together (StockMovement).
bool frmScarico::recordMovement()
{
    return itemFound(StockMovement::recordSale(currentRow()),
                     QStringLiteral("Articolo non trovato. Impossibile effettuare lo scarico."));
}

// The sale of the boxes, added to the operation's running total.
bool frmScarico::recordTyped()
{
    // Enter presses the button without leaving the box: the amount is worked
    // out again as leaving a number box would, so the row agrees with itself.
    QWidget *focused = QApplication::focusWidget();
    if (focused == txtQuantita || focused == txtPrezzo || focused == txtSconto)
        CalcolaSaldo();
    if (!checkedAndRecorded())
        return false;
    if (!IsNumeric(txtSaldo->text()))
        txtSaldo->setText(QStringLiteral("0"));
    if (m_calcola)
        m_calcola->Aggiungi(MoneyText::value(txtSaldo->text()));
    return true;
}

void frmScarico::cmdMuovi_Click()
{
    if (!recordTyped())
        return;
    const int answer = ui::MsgBox(QStringLiteral("L'articolo è stato scaricato correttamente. ") + kLineBreak
                                      + QStringLiteral("Si desidera scaricare un altro articolo nella stessa operazione?"),
                                  ui::vbYesNoCancel | ui::vbQuestion, g_strAppName);
    // The focus goes back to the bar code before the boxes are emptied, so
    // that leaving the number box does not fill them again with zeros.
    if (answer == ui::vbYes) {
        txtCodice->setFocus(Qt::OtherFocusReason);
        PulisciCampi();
    } else if (answer == ui::vbNo) {
        txtCodice->setFocus(Qt::OtherFocusReason);
        PulisciCampi();
        if (m_calcola)
            m_calcola->txtTotale->setText(QStringLiteral("0"));
    } else {
        close();
    }
}

void frmScarico::cmdPagamento_Click()
{
    const auto picked = pick(QStringLiteral("Pagamenti"), QStringLiteral("pag_Codice"), QStringLiteral("pag_Descrizione"),
                             txtDescrizionePagamento);
    // A pick given up keeps the payment chosen before.
    if (picked) {
        const auto &[descrizione, codice] = *picked;
        txtCodicePagamento->setText(codice);
        txtDescrizionePagamento->setText(descrizione);
    }
    // The keyboard goes on from the payment to the quantity, where Enter
    // records the sale; it does not stay on the button to open it again.
    txtQuantita->setFocus(Qt::TabFocusReason);
}

void frmScarico::showRecorded(db::Recordset &rs)
{
    txtSconto->setText(MoneyText::display(rs.value(QStringLiteral("sc_Sconto"))));
    txtCodicePagamento->setText(MoneyText::display(NullToDefault(rs.value(QStringLiteral("sc_Pagamento")), 0)));
    txtDescrizionePagamento->setText(CercaValore(QStringLiteral("Pagamenti"), QStringLiteral("pag_Codice"),
                                                 QStringLiteral("pag_Descrizione"), txtCodicePagamento->text(), 0));
}

// The stock follows the change: the stored quantity of the stored item back
// in, the shown one out.
StockMovement::Result frmScarico::changeMovement()
{
    return StockMovement::changeSale(p_lng_Codice_Scarico, currentRow());
}

// What the row says was sold goes back into stock, whatever the boxes show.
StockMovement::Result frmScarico::deleteMovement()
{
    return StockMovement::deleteSale(p_lng_Codice_Scarico);
}
