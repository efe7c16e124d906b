#include "lookup/SearchWindow.h"

#include "lookup/OutcomeLabel.h"

#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/CardToolbarImages.h"
#include "skin/SkinImage.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTreeWidget>

namespace {

constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 30;

} // namespace

SearchWindow::SearchWindow(const SearchWindowLook &look, QWidget *parent)
    : QWidget(parent)
    , m_look(look)
{
    setObjectName(look.name);
    setWindowTitle(look.caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(look.caption);
    // Where the user was, for coming back to it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && isAncestorOf(now))
            m_lastFocus = now;
    });
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::build()
{
    buildCriteria();
    buildButtons();
    buildOwnButtons();
    buildList();
    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = m_look.name + QStringLiteral(".Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = m_look.name + QStringLiteral(".Form_Activate"),
        .activate = [this] { Form_Activate(); },
    });
    life.defaultButton().setButton(cmdTrova, [this] { cmdTrova->click(); });
    resize(m_look.size);
}

// The first activation puts the focus in the first criterion; later ones
// leave it where the user left it (a row of the list, a box), also after
// the window stepped aside.
void SearchWindow::Form_Activate()
{
    if (m_activatedOnce) {
        QWidget *focused = QApplication::focusWidget();
        if (m_lastFocus && !(focused && isAncestorOf(focused)))
            m_lastFocus->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    m_activatedOnce = true;
    if (const std::function<void()> first = activation())
        first();
}

void SearchWindow::buildButtons()
{
    cmdTrova = new ctrl_SkinableButton(QStringLiteral("Trova"), this);
    cmdTrova->setObjectName(QStringLiteral("cmdTrova"));
    cmdCancella = new ctrl_SkinableButton(QStringLiteral("Nuova Ricerca"), this);
    cmdCancella->setObjectName(QStringLiteral("cmdCancella"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    for (ctrl_SkinableButton *button : {cmdTrova, cmdCancella, cmdStampa})
        addButton(button);
    connect(cmdTrova, &ctrl_SkinableButton::Click, this, [this] { search(); });
    connect(cmdCancella, &ctrl_SkinableButton::Click, this, [this] { startNewSearch(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { print(); });
}

void SearchWindow::addButton(ctrl_SkinableButton *button)
{
    button->resize(kButtonWidth, kButtonHeight);
    button->installEventFilter(this);
    m_buttons << button;
}

void SearchWindow::buildList()
{
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QLatin1String(m_look.listName));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(m_look.headers);
    for (int column = 0; column < m_look.widths.size(); ++column)
        m_list->setColumnWidth(column, m_look.widths.at(column));
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { rowChosen(); });
    // Enter on a row opens it, as a double-click does (eventFilter).
    m_list->installEventFilter(this);
    lblEsito = newOutcomeLabel(this);
    // The list comes before the buttons in the Tab order.
    QWidget *last = m_list;
    for (QWidget *button : std::as_const(m_buttons)) {
        if (button->focusPolicy() != Qt::NoFocus) {
            setTabOrder(last, button);
            last = button;
        }
    }
}

void SearchWindow::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, m_buttons);
    skinLoaded();
}

QIcon SearchWindow::rowEmblem() const
{
    try {
        const QImage emblem = skin::loadSkinImage(
            skin::skinFile(ctrl_SkinableForm1->SkinPath(), skin::toolbarPictureName(10, QStringLiteral("norm"))));
        return QIcon(QPixmap::fromImage(emblem.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    } catch (...) {
        return QIcon();
    }
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && m_buttons.contains(static_cast<ctrl_SkinableButton *>(watched)))
        m_overButton = true;
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && chosenRow()) {
            rowChosen();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        for (ctrl_SkinableButton *button : std::as_const(m_buttons))
            button->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}

QGridLayout *SearchWindow::buildCriteriaFrame()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(10, 4, 10, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    return grid;
}

QLabel *SearchWindow::criterionLabel(const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption, Frame1);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

QLineEdit *SearchWindow::criterionBox(QWidget *parent, const char *name, int maxLength)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    return box;
}

bool SearchWindow::runSearch(const QString &label, const QString &statement,
                             const std::function<void(db::Recordset &)> &addRow, const QString &nothingFound)
{
    errors::ErrorTrap trap(label);
    m_list->clear();
    bool found = false;
    // One statement: a search the engine refuses ends here, with no list.
    const bool ran = trap.run([&] {
        auto database = db::Database::open(g_strDbPath);
        auto rs = database->openRecordset(statement);
        found = rs->recordCount() != 0;
        m_list->setUpdatesEnabled(false);
        while (found && !rs->eof()) {
            addRow(*rs);
            rs->moveNext();
        }
    });
    m_list->setUpdatesEnabled(true);
    m_searched = ran;
    sayFound(ran && !found ? nothingFound : QString());
    return ran;
}

qlonglong SearchWindow::countOf(const QString &statement)
{
    auto database = db::Database::open(g_strDbPath);
    auto rs = database->openRecordset(statement);
    return rs->eof() ? 0 : rs->value(0).toLongLong();
}

QString SearchWindow::shownOf(const QString &verb, int listed, qlonglong total, const QString &noun)
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    return verb + QLatin1Char(' ') + italian.toString(listed) + QStringLiteral(" di ") + italian.toString(total)
           + QLatin1Char(' ') + noun;
}

void SearchWindow::sayFound(const QString &note)
{
    lblEsito->setText(note);
    lblEsito->setVisible(!note.isEmpty());
    placeList();
}

void SearchWindow::setListArea(const QRect &area)
{
    m_listArea = area;
    m_hasListArea = true;
    placeList();
}

void SearchWindow::placeList()
{
    if (!m_hasListArea)
        return;
    QRect list = m_listArea;
    if (!lblEsito->isHidden()) {
        const int line = lblEsito->sizeHint().height() + 4;
        lblEsito->setGeometry(list.left(), list.top(), list.width(), line);
        list.setTop(std::min(list.bottom() + 1, list.top() + line));
    }
    m_list->setGeometry(list.left(), list.top(), std::max(0, list.width()), std::max(0, list.height()));
}

// Shown again after stepping aside: the focus goes back where it was.
void SearchWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_activatedOnce && m_lastFocus)
        m_lastFocus->setFocus(Qt::OtherFocusReason);
}

void SearchWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SearchWindow::emptySearch(const QList<QLineEdit *> &boxes, QLineEdit *first)
{
    for (QLineEdit *box : boxes)
        box->clear();
    m_list->clear();
    m_searched = false;
    sayFound(QString());
    first->setFocus();
}

QTreeWidgetItem *SearchWindow::chosenRow() const
{
    QTreeWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void SearchWindow::stepAside()
{
    if (QMdiSubWindow *frame = ui::mdiFrameOf(*this))
        frame->hide();
    else
        hide();
}

void SearchWindow::showReport(const ListReport &list,
                              const std::function<void(const std::function<void()> &)> &step)
{
    namespace prop = report::prop;
    step([] { ResetReport(); });
    step([&] { MainReport().set(prop::ReportFileName, ReportTemplatePath(list.templateName)); });
    step([] { MainReport().set(prop::ReportSource, 2); });
    step([] { MainReport().set(prop::WindowLeft, 0); });
    step([] { MainReport().set(prop::WindowTop, 0); });
    step([&] { MainReport().set(prop::WindowTitle, list.title); });
    step([] { MainReport().set(prop::Destination, 0); });
    step([&] { MainReport().set(prop::SelectionFormula, list.formula); });
    step([] { MainReport().set(prop::Action, 1); });
}
