#include "register/frmCercaAnagrafica.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/ViewExport.h"
#include "app/ProgramWindow.h"
#include "app/errors/ErrorTrap.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/register/RegisterList.h"
#include "register/RichiamaAnagrafica.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/CardToolbarImages.h"
#include "skin/FrameGeometry.h"
#include "skin/SkinImage.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int twips(int value)
{
    return value / skin::frame::kTwipsPerPixel;
}

// The list starts 2790 twips below the window's top edge (its caption
// included) and ends 200 twips above its bottom edge; the buttons stand above
// it, from the top of the window's inside.
constexpr int kListTop = 2790;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 30;
constexpr int kButtonTops[] = {8, 44, 80, 116};

QLineEdit *filterBox(QWidget *parent, const char *name, int maxLength)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    return box;
}

} // namespace

const QString frmCercaAnagrafica::kSearchLabel = QStringLiteral("frmCercaAnagrafica.TrovaAnagrafica");

frmCercaAnagrafica::frmCercaAnagrafica(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCercaAnagrafica"));
    setWindowTitle(QStringLiteral("Ricerca Anagrafica"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Ricerca Anagrafica"));

    buildFilters();
    buildButtons();

    lvwAnagrafica = new QTreeWidget(this);
    lvwAnagrafica->setObjectName(QStringLiteral("lvwAnagrafica"));
    lvwAnagrafica->setRootIsDecorated(false);
    lvwAnagrafica->setUniformRowHeights(true);
    lvwAnagrafica->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwAnagrafica->setAllColumnsShowFocus(true);
    lvwAnagrafica->setHeaderLabels({QStringLiteral("Codice"), QStringLiteral("Denominazione"), QStringLiteral("Stato"),
                                    QStringLiteral("Partita IVA")});
    lvwAnagrafica->setColumnWidth(0, 80);
    lvwAnagrafica->setColumnWidth(1, 260);
    lvwAnagrafica->setColumnWidth(2, 110);
    connect(lvwAnagrafica, &QTreeWidget::itemDoubleClicked, this, [this] { lvwAnagrafica_DblClick(); });

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmCercaAnagrafica.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmCercaAnagrafica.Form_Activate"),
        .activate = [this] { txtCodice->setFocus(); },
    });
    life.defaultButton().setButton(cmdTrova, [this] { cmdTrova->click(); });
    resize(640, 480);
}

frmCercaAnagrafica::~frmCercaAnagrafica() = default;

void frmCercaAnagrafica::buildFilters()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    txtCodice = filterBox(Frame1, "txtCodice", 10);
    txtDenominazione = filterBox(Frame1, "txtDenominazione", 255);
    txtPartitaIva = filterBox(Frame1, "txtPartitaIva", 30);
    txtStato = filterBox(Frame1, "txtStato", 50);
    cboTipo = new QComboBox(Frame1);
    cboTipo->setObjectName(QStringLiteral("cboTipo"));
    cboTipo->addItems({QStringLiteral("Tutte"), QStringLiteral("Clienti"), QStringLiteral("Fornitori")});
    for (QLineEdit *box : {txtCodice, txtDenominazione, txtPartitaIva})
        box->installEventFilter(this);

    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(10, 4, 10, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    const auto put = [&](const QString &caption, QWidget *box, int row) {
        auto *label = new QLabel(caption, Frame1);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
    };
    put(QStringLiteral("Codice"), txtCodice, 0);
    put(QStringLiteral("Denominazione"), txtDenominazione, 1);
    put(QStringLiteral("Partita Iva"), txtPartitaIva, 2);
    put(QStringLiteral("Stato"), txtStato, 3);
    put(QStringLiteral("Tipo"), cboTipo, 4);
    txtCodice->setMaximumWidth(100);
    cboTipo->setMaximumWidth(140);
    grid->setColumnStretch(1, 1);
}

void frmCercaAnagrafica::buildButtons()
{
    cmdTrova = new ctrl_SkinableButton(QStringLiteral("Trova"), this);
    cmdTrova->setObjectName(QStringLiteral("cmdTrova"));
    cmdCancella = new ctrl_SkinableButton(QStringLiteral("Nuova Ricerca"), this);
    cmdCancella->setObjectName(QStringLiteral("cmdCancella"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("anagrafica.csv"));
    cmdEsci = new ctrl_SkinableButton(QStringLiteral("Esci"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    for (ctrl_SkinableButton *button : buttons()) {
        button->resize(kButtonWidth, kButtonHeight);
        button->installEventFilter(this);
    }
    connect(cmdTrova, &ctrl_SkinableButton::Click, this, [this] { TrovaAnagrafica(); });
    connect(cmdCancella, &ctrl_SkinableButton::Click, this, [this] { PulisciRicerca(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdEsci, &ctrl_SkinableButton::Click, this, [this] { close(); });
}

QList<ctrl_SkinableButton *> frmCercaAnagrafica::buttons() const
{
    return {cmdTrova, cmdCancella, cmdStampa, cmdEsci, cmdEsporta};
}

void frmCercaAnagrafica::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, buttons());
    // The small picture of every item (ImageList1, key "Anagrafica"): the
    // card's emblem. A missing picture leaves the items without one.
    try {
        const QImage emblem = skin::loadSkinImage(
            skin::skinFile(ctrl_SkinableForm1->SkinPath(), skin::toolbarPictureName(10, QStringLiteral("norm"))));
        m_icon = QIcon(QPixmap::fromImage(emblem.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    } catch (...) {
        m_icon = QIcon();
    }
}

bool frmCercaAnagrafica::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && buttons().contains(static_cast<ctrl_SkinableButton *>(watched)))
        m_overButton = true;
    // The first three filters offer their whole text to be typed over, also
    // when entered by a click (after the click has placed the cursor).
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            QTimer::singleShot(0, box, [box] {
                box->home(false);
                box->end(true);
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmCercaAnagrafica::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        for (ctrl_SkinableButton *button : buttons())
            button->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}

// The list takes what the window leaves below the filters; the buttons
// stand in one column at the right edge, "Esporta" beside "Stampa" (the
// column has no room for a fifth).
void frmCercaAnagrafica::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect inside = contentsRect();
    const int buttonLeft = width() - cmdCancella->width() - twips(200);
    for (int i = 0; i < int(std::size(kButtonTops)); ++i)
        buttons().at(i)->move(buttonLeft, inside.top() + kButtonTops[i]);
    const int exportLeft = buttonLeft - cmdEsporta->width() - kMargin;
    cmdEsporta->move(exportLeft, cmdStampa->y());
    Frame1->setGeometry(inside.left() + kMargin, inside.top() + kMargin,
                        std::max(0, exportLeft - kMargin - inside.left() - kMargin),
                        std::max(0, twips(kListTop) - kMargin - inside.top() - kMargin));
    lvwAnagrafica->setGeometry(inside.left() + kMargin, twips(kListTop),
                               std::max(0, width() - twips(200) - 2 * inside.left()),
                               std::max(0, height() - twips(2990)));
}

void frmCercaAnagrafica::addItem(qlonglong contatore, const QString &denominazione, const QString &stato,
                                 const QString &partitaIva)
{
    auto *item = new QTreeWidgetItem(lvwAnagrafica);
    item->setText(0, QString::number(contatore));
    item->setData(0, Qt::UserRole, QStringLiteral("A") + QString::number(contatore));
    item->setIcon(0, m_icon);
    item->setText(1, denominazione);
    item->setText(2, stato);
    item->setText(3, partitaIva);
}

void frmCercaAnagrafica::TrovaAnagrafica()
{
    errors::ErrorTrap trap(kSearchLabel);
    lvwAnagrafica->clear();
    m_lastFilters = {txtCodice->text(), txtDenominazione->text(), txtPartitaIva->text(), txtStato->text(),
                     cboTipo->currentText()};
    m_lastStatement = registerSearchStatement(m_lastFilters);
    bool found = false;
    // One statement: a search the engine refuses ends here, with no list.
    const bool ran = trap.run([&] {
        auto database = db::Database::open(g_strDbPath);
        auto rs = database->openRecordset(m_lastStatement);
        found = rs->recordCount() != 0;
        lvwAnagrafica->setUpdatesEnabled(false);
        while (found && !rs->eof()) {
            addItem(rs->value(QStringLiteral("anag_contatore")).toLongLong(),
                    NullToEmpty(rs->value(QStringLiteral("anag_denominazione"))).toString(),
                    NullToEmpty(rs->value(QStringLiteral("anag_stato"))).toString(),
                    NullToEmpty(rs->value(QStringLiteral("anag_Partita_IVA"))).toString());
            rs->moveNext();
        }
        lvwAnagrafica->setUpdatesEnabled(true);
    });
    lvwAnagrafica->setUpdatesEnabled(true);
    m_searched = ran;
    if (ran && !found)
        ui::MsgBox(QStringLiteral("Nessuna anagrafica trovata con le caratteristiche specificate"), ui::vbInformation,
                   g_strAppName);
}

void frmCercaAnagrafica::PulisciRicerca()
{
    txtCodice->clear();
    txtDenominazione->clear();
    txtPartitaIva->clear();
    txtCodice->setFocus();
    lvwAnagrafica->clear();
    m_searched = false;
}

ListExport frmCercaAnagrafica::listToExport() const
{
    ListExport list = RegisterList::list(m_lastFilters);
    if (!m_searched)
        list.statement.clear();
    return inShownOrder(list, *lvwAnagrafica);
}

void frmCercaAnagrafica::cmdStampa_Click()
{
    QString formula;
    for (int i = 0; i < lvwAnagrafica->topLevelItemCount(); ++i)
        formula += QStringLiteral("{Anagrafica.anag_Contatore} = ") + lvwAnagrafica->topLevelItem(i)->text(0)
                   + QStringLiteral(" or ");
    formula.chop(4);
    if (formula.isEmpty())
        return;
    errors::ErrorTrap trap(QStringLiteral("frmCercaAnagrafica.cmdStampa_Click"));
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("lstclienti.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([] { MainReport().set(prop::WindowTitle, QStringLiteral("Lista Clienti")); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([&] { MainReport().set(prop::SelectionFormula, formula); });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

// The entry picked goes to the card; the search steps aside with what it
// holds, for the card's next Search.
void frmCercaAnagrafica::lvwAnagrafica_DblClick()
{
    QTreeWidgetItem *item = lvwAnagrafica->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString contatore = item->text(0);
    errors::ErrorTrap trap(QStringLiteral("frmCercaAnagrafica.lvwAnagrafica_DblClick"));
    trap.run([&] { RichiamaAnagrafica(contatore); });
    if (QMdiSubWindow *frame = ui::mdiFrameOf(*this))
        frame->hide();
    else
        hide();
}
