#include "stock/StockMovementWindow.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/TopLevelReporter.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "ui/WindowLife.h"
#include "lookup/frmHelp.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/StockQuantity.h"
#include "skin/ctrl_SkinableForm.h"
#include "base/CounterLook.h"
#include "base/QuantityBox.h"
#include "ui/Messages.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

StockMovementWindow::Words StockMovementWindow::wordsOf(Kind kind)
{
    const bool load = kind == Kind::Load;
    return {
        .windowName = load ? QStringLiteral("frmCarico") : QStringLiteral("frmScarico"),
        .caption = load ? QStringLiteral("Carico") : QStringLiteral("Scarico Articoli"),
        .moveRoutine = load ? QStringLiteral("cmdCarica_Click") : QStringLiteral("cmdScarica_Click"),
        .readStatement = load ? QStringLiteral("select * from carico where ca_Codice = ")
                              : QStringLiteral("select * from scarico where sc_Codice = "),
        .columnPrefix = load ? QStringLiteral("ca_") : QStringLiteral("sc_"),
        .refusal = load ? QStringLiteral("Impossibile effettuare il carico.")
                        : QStringLiteral("Impossibile effettuare lo scarico."),
        .deleteQuestion = load ? QStringLiteral("Eliminare definitivamente il carico corrente?")
                               : QStringLiteral("Eliminare definiticamente lo scarico corrente?"),
    };
}

StockMovementWindow::StockMovementWindow(Kind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_words(wordsOf(kind))
    , m_focus(*this)
{
    setObjectName(m_words.windowName);
    setWindowTitle(m_words.caption);
    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setCaption(m_words.caption);
    ctrl_SkinableForm1->setMaximizeBtn(false);
}

StockMovementWindow::~StockMovementWindow() = default;

void StockMovementWindow::wire()
{
    const QString &name = m_words.windowName;
    m_life = &giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = name + QStringLiteral(".Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = name + QStringLiteral(".Form_Activate"),
        .activate = [this] { Form_Activate(); },
        .unloadLabel = name + QStringLiteral(".Form_Unload"),
        .unload = [this] { Form_Unload(); },
        .recordKey = [this] { return QVariantList{p_bln_Modifica, qlonglong(movementNumber())}; },
        .mayReload = [this] { return mayLoadAnother(); },
        .mayClose = [this] { return mayLeave(); },
    });
    for (QLineEdit *box : m_watchedBoxes)
        box->installEventFilter(this);
    connect(m_moveButton, &QPushButton::clicked, this,
            [this, name] { errors::runReported(name + QLatin1Char('.') + m_words.moveRoutine, [this] { cmdMuovi_Click(); }); });
    connect(cmdSalva, &QPushButton::clicked, this,
            [this, name] { errors::runReported(name + QStringLiteral(".cmdSalva_Click"), [this] { cmdSalva_Click(); }); });
    connect(cmdCancella, &QPushButton::clicked, this,
            [this, name] { errors::runReported(name + QStringLiteral(".cmdCancella_Click"), [this] { cmdCancella_Click(); }); });
}

// Also runs again when an opener shows the window on another movement or mode.
QGridLayout *StockMovementWindow::newBoxGrid()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    return grid;
}

void StockMovementWindow::putBox(QGridLayout *grid, QWidget *box, const QString &caption, int row, int column, int span)
{
    grid->addWidget(CounterLook::label(this, caption, box), row, column, 1, span);
    grid->addWidget(box, row + 1, column, 1, span);
}

void StockMovementWindow::layOut(QGridLayout *grid, QPushButton *action)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(action);
    buttons->addWidget(cmdSalva);
    buttons->addWidget(cmdCancella);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
}

QStringList StockMovementWindow::typed() const
{
    QStringList texts;
    for (const QLineEdit *box : findChildren<QLineEdit *>())
        if (!box->isReadOnly())
            texts << box->text();
    for (const QCheckBox *box : findChildren<QCheckBox *>())
        texts << QString::number(box->isChecked());
    return texts;
}

void StockMovementWindow::markStored()
{
    m_stored = typed();
}

bool StockMovementWindow::holdsWork() const
{
    return m_life && m_life->isLoaded() && typed() != m_stored;
}

bool StockMovementWindow::saveWork()
{
    const QString routine = m_changeMode ? QStringLiteral("cmdSalva_Click") : m_words.moveRoutine;
    errors::runReported(m_words.windowName + QLatin1Char('.') + routine, [this] {
        if (m_changeMode)
            cmdSalva_Click();
        else
            recordTyped();
    });
    return !holdsWork();
}

void StockMovementWindow::discardWork()
{
    markStored();
}

// The opener has already named the other movement: the question and a save
// are about the one shown, and the window keeps it when the user stays.
bool StockMovementWindow::mayLoadAnother()
{
    const bool askedMode = p_bln_Modifica;
    const long askedNumber = movementNumber();
    p_bln_Modifica = m_changeMode;
    setMovementNumber(m_loadedNumber);
    if (!mayLeave())
        return false;
    p_bln_Modifica = askedMode;
    setMovementNumber(askedNumber);
    return true;
}

void StockMovementWindow::Form_Load()
{
    m_activated = false;
    m_skipEnter = false;
    m_codeHeld = false;
    m_changeMode = p_bln_Modifica;
    m_loadedNumber = movementNumber();
    startAfresh();
    if (m_changeMode) {
        txtData->clear();
        LeggiMovimento(movementNumber());
    }
    markStored();
    m_life->defaultButton().clear();
    beforeSkin();
    // The skin last: a missing picture is reported, the window works all the same.
    ctrl_SkinableForm1->LoadSkin(this);
}

void StockMovementWindow::showModeButtons()
{
    m_moveButton->setVisible(!m_changeMode);
    cmdSalva->setVisible(m_changeMode);
    cmdCancella->setVisible(m_changeMode);
}

void StockMovementWindow::Form_Unload()
{
    m_focus.stop();
}

bool StockMovementWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::FocusIn || type == QEvent::FocusOut)
        && !m_focus.counts(static_cast<QWidget *>(watched), event))
        return QWidget::eventFilter(watched, event);
    if (watched == txtCodice) {
        if (type == QEvent::FocusIn) {
            txtCodice_GotFocus();
        } else if (type == QEvent::FocusOut) {
            errors::runReported(m_words.windowName + QStringLiteral(".txtCodice_LostFocus"),
                                [this] { txtCodice_LostFocus(); });
        } else if (type == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (isEnter(key->key()) && !key->isAutoRepeat())
                txtCodice_KeyUp();
        } else if (type == QEvent::KeyPress) {
            // The skip is for the Enter that answered "another article?";
            // a scan that starts with a digit shows the answer came otherwise.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!isEnter(key->key()) && !key->text().isEmpty())
                m_skipEnter = false;
        }
    } else if (auto *box = qobject_cast<QLineEdit *>(watched)) {
        if (type == QEvent::FocusIn)
            boxEntered(box);
        else if (type == QEvent::FocusOut && box == txtData)
            txtData_LostFocus();
        else if (type == QEvent::FocusOut)
            boxLeft(box);
    }
    return QWidget::eventFilter(watched, event);
}

void StockMovementWindow::boxEntered(QLineEdit *box)
{
    EvidenziaCampo(box);
}

void StockMovementWindow::txtCodice_GotFocus()
{
    EvidenziaCampo(txtCodice);
    m_life->defaultButton().clear();
}

void StockMovementWindow::txtCodice_KeyUp()
{
    if (m_skipEnter) {
        m_skipEnter = false;
        return;
    }
    txtQuantita->setFocus(Qt::OtherFocusReason);
}

void StockMovementWindow::txtCodice_LostFocus()
{
    // The load passes over an empty bar code.
    if (m_kind == Kind::Load && txtCodice->text().trimmed().isEmpty()) {
        NormalizzaCampo(txtCodice);
        return;
    }
    StockItemInfo info = StockItemLookup::item(txtCodice->text());
    txtCodiceArticolo->setText(info.articolo);
    codeLookedUp(info);
    if (info.articolo.trimmed().isEmpty() || m_codeHeld) {
        txtCodice->setFocus(Qt::OtherFocusReason);
        m_codeHeld = false;
        return;
    }
    StockItemLookup::article(info);
    if (info.descrizione.trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("L'articolo con codice ") + info.articolo + QStringLiteral(" non è presente in archivio.")
                       + kLineBreak + QStringLiteral("Impossibile completare l'operazione"),
                   ui::vbCritical, g_strAppName);
        m_codeHeld = m_kind == Kind::Sale;
        txtCodice->setFocus(Qt::OtherFocusReason);
        return;
    }
    showArticle(info);
    NormalizzaCampo(txtCodice);
    m_life->defaultButton().setButton(m_moveButton);
}

void StockMovementWindow::txtData_LostFocus()
{
    txtData->setText(ControllaData(txtData->text(), 0));
    NormalizzaCampo(txtData);
}

bool StockMovementWindow::ControllaCampi()
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
    listWrongBoxes(list);
    if (!list.isEmpty()) {
        ui::MsgBox(QStringLiteral("Alcuni campi non sono stati inseriti correttamente: ") + kLineBreak + list
                       + m_words.refusal,
                   ui::vbExclamation, g_strAppName);
        if (!quantityAccepted)
            QuantityBox::reselect(*txtQuantita);
        return false;
    }
    return true;
}

bool StockMovementWindow::checkedAndRecorded()
{
    if (!(ControllaCampi() && QuantityBox::confirmed(*txtQuantita) && recordMovement()))
        return false;
    markStored();
    return true;
}

bool StockMovementWindow::itemFound(StockMovement::Result result, const QString &refusal)
{
    if (result != StockMovement::Result::ItemNotFound)
        return true;
    ui::MsgBox(refusal, ui::vbExclamation, g_strAppName);
    return false;
}

void StockMovementWindow::PulisciCampi()
{
    txtData->setText(today().toString(QStringLiteral("dd/MM/yyyy")));
    for (QLineEdit *box : std::as_const(m_clearedBoxes))
        box->clear();
    // A box left while a question was open never lost its highlight.
    for (QLineEdit *box : std::as_const(m_typedBoxes))
        if (!box->hasFocus())
            NormalizzaCampo(box);
    markStored();
}

void StockMovementWindow::LeggiMovimento(long number)
{
    const QString &prefix = m_words.columnPrefix;
    auto database = ShopDatabase::open();
    auto rs = database->openRecordset(m_words.readStatement + QString::number(number));
    if (rs->recordCount() != 0) {
        txtData->setText(ControllaData(rs->value(prefix + QStringLiteral("Data")), 0));
        txtCodice->setText(NullToEmpty(rs->value(prefix + QStringLiteral("Codice_Articolo"))).toString());
        showRecorded(*rs);
        const QVariant quantity = rs->value(prefix + QStringLiteral("Quantita"));
        txtQuantita->setText(IsNull(quantity) ? QString() : StockQuantity::text(quantity.toDouble()));
        m_priceBox->setText(MoneyText::display(rs->value(prefix + QStringLiteral("Prezzo"))));
    }
    rs->close();
}

void StockMovementWindow::cmdSalva_Click()
{
    if (itemFound(changeMovement(), QStringLiteral("Articolo non trovato. Impossibile modificare la quantità.")))
        markStored();
}

void StockMovementWindow::cmdCancella_Click()
{
    if (ui::MsgBox(m_words.deleteQuestion, ui::vbYesNo | ui::vbQuestion, g_strAppName) == ui::vbNo)
        return;
    itemFound(deleteMovement(), QStringLiteral("Articolo non trovato. Impossibile modificare la quantità."));
    ui::MsgBox(QStringLiteral("Il dato è stato cancellato."), ui::vbInformation, g_strAppName);
    markStored();
    close();
}

std::optional<std::pair<QString, QString>> StockMovementWindow::pick(const QString &table, const QString &bound,
                                                                     const QString &listed, QWidget *field)
{
    frmHelp picker(this);
    picker.QryTable = table;
    picker.QryBoundColumn = bound;
    picker.QryListField = listed;
    picker.QryOrder = listed;
    picker.QryField = field;
    picker.ButtonNew = false;
    picker.showModal();
    if (picker.QryAborted)
        return std::nullopt;
    return std::make_pair(NullToEmpty(picker.QryText).toString(), NullToEmpty(picker.QrySelected).toString());
}
