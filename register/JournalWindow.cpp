#include "register/JournalWindow.h"

#include "rules/general/FormulaDate.h"
#include "base/GeneralFunc6.h"
#include "base/ProgramWindow.h"
#include "base/Globals.h"
#include "base/ViewExport.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "lookup/DateCriterion.h"
#include "rules/MoneyText.h"
#include "rules/general/Today.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/FrameGeometry.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using skin::frame::twips;

JournalWindow::JournalWindow(JournalKind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(std::move(kind))
{
    setObjectName(m_kind.name);
    setWindowTitle(m_kind.list.title());
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(m_kind.list.title());

    // The labels take the room their text needs: none runs into its box.
    m_periodRow = new QWidget(this);
    m_periodRow->resize(560, 40);
    auto *period = new QHBoxLayout(m_periodRow);
    period->setContentsMargins(16, 6, 8, 6);
    period->setSpacing(8);
    const auto dateBox = [this, period](const char *name, const QString &caption) {
        auto *label = new QLabel(caption, m_periodRow);
        auto *box = new QLineEdit(m_periodRow);
        box->setObjectName(QLatin1String(name));
        box->setFixedWidth(96);
        box->installEventFilter(this);
        label->setBuddy(box);
        period->addWidget(label);
        period->addWidget(box);
        return box;
    };
    txtDataInizio = dateBox("txtDataInizio", QStringLiteral("Nota tra il"));
    period->addSpacing(8);
    txtDataFine = dateBox("txtDataFine", QStringLiteral("e il"));
    period->addSpacing(16);
    cmdAggiorna = new QPushButton(QStringLiteral("Aggiorna"), m_periodRow);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    cmdAggiorna->setFixedWidth(100);
    period->addWidget(cmdAggiorna);
    period->addStretch(1);
    connect(cmdAggiorna, &QPushButton::clicked, this, [this] { cmdAggiorna_Click(); });

    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    for (ctrl_SkinableButton *button : {cmdStampa, cmdChiudi}) {
        button->resize(112, 30);
        button->installEventFilter(this);
    }
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    m_data = new data::DataControl(this);
    m_data->setObjectName(QStringLiteral("dat") + m_kind.name.mid(3));
    buildGrid();
    cmdEsporta = newExportButton(this, TDBGrid1, [this] { return m_kind.list.list(QString()); },
                                 m_kind.name.mid(3).toLower() + QStringLiteral(".csv"));
    cmdEsporta->resize(112, 30);
    cmdEsporta->installEventFilter(this);
    buildTotals();

    // Tab goes through the period, Aggiorna, the grid, then the buttons.
    QWidget *last = txtDataInizio;
    for (QWidget *next : {static_cast<QWidget *>(txtDataFine), static_cast<QWidget *>(cmdAggiorna),
                          static_cast<QWidget *>(TDBGrid1), static_cast<QWidget *>(cmdStampa),
                          static_cast<QWidget *>(cmdEsporta), static_cast<QWidget *>(cmdChiudi)}) {
        if (next->focusPolicy() == Qt::NoFocus)
            continue;
        setTabOrder(last, next);
        last = next;
    }

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = m_kind.name + QStringLiteral(".Form_Load"),
        .load = [this] { Form_Load(); },
    });
    // Enter in a date box loads the period.
    life.defaultButton().setButton(cmdAggiorna);
    resize(760, 480);
}

JournalWindow::~JournalWindow() = default;

void JournalWindow::buildGrid()
{
    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    QList<data::GridColumn> columns;
    for (const ExportColumn &listed : JournalList::columns())
        columns << data::GridColumn(listed.header, listed.field);
    columns[0].kind = data::GridColumn::Kind::Date;
    columns[0].width = 90;
    columns[1].width = 220;
    columns[3].numberFormat = QStringLiteral("#,##0");
    columns[4].numberFormat = QStringLiteral("Standard");
    TDBGrid1->setColumns(columns);
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->setDataSource(m_data);
    connect(TDBGrid1, &data::Grid::dataError, this, &JournalWindow::TDBGrid1_Error);
    // The totals follow every row written or deleted.
    connect(TDBGrid1, &data::Grid::afterUpdate, this, [this] { showTotals(); });
    connect(TDBGrid1, &data::Grid::afterDelete, this, [this] { showTotals(); });
    // A journal entry goes only when the user says so.
    connect(TDBGrid1, &data::Grid::beforeDelete, this, [](bool &cancel) {
        cancel = ui::MsgBox(QStringLiteral("Cancellare definitivamente la riga selezionata?"),
                            ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName)
                 != ui::vbYes;
    });
}

void JournalWindow::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdStampa, cmdEsporta, cmdChiudi});
    // The journal opens on the current month.
    const QDate now = today();
    const QDate first(now.year(), now.month(), 1);
    txtDataInizio->setText(first.toString(QStringLiteral("dd/MM/yyyy")));
    txtDataFine->setText(first.addMonths(1).addDays(-1).toString(QStringLiteral("dd/MM/yyyy")));
    SetHourglass();
    PointerReset pointer;
    showPeriod();
}

void JournalWindow::showPeriod()
{
    const QString from = txtDataInizio->text();
    const QString to = txtDataFine->text();
    openOn(m_kind.list.periodStatement(from, to));
    m_shownFrom = from;
    m_shownTo = to;
    showTotals();
}

void JournalWindow::buildTotals()
{
    const auto total = [this](const char *name) {
        auto *label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        return label;
    };
    lblEntrate = total("lblEntrate");
    lblUscite = total("lblUscite");
    lblSaldo = total("lblSaldo");
}

// The totals of the period shown: entries (the amounts below zero, as
// positive), exits (those above zero), and the balance, entries less exits.
void JournalWindow::showTotals()
{
    double entries = 0;
    double exits = 0;
    errors::ErrorTrap trap(m_kind.name + QStringLiteral(".Totali"));
    const bool read = trap.run([&] {
        auto database = db::Database::open(g_strDbPath);
        const auto sum = [&](JournalList::Amounts amounts) {
            auto rs = database->openRecordset(m_kind.list.amountsStatement(m_shownFrom, m_shownTo, amounts));
            return rs->eof() || IsNull(rs->value(0)) ? 0.0 : rs->value(0).toDouble();
        };
        entries = -sum(JournalList::Amounts::Entries);
        exits = sum(JournalList::Amounts::Exits);
    });
    if (!read) {
        for (QLabel *label : {lblEntrate, lblUscite, lblSaldo})
            label->clear();
        return;
    }
    lblEntrate->setText(QStringLiteral("Entrate: ") + MoneyText::format(entries));
    lblUscite->setText(QStringLiteral("Uscite: ") + MoneyText::format(exits));
    lblSaldo->setText(QStringLiteral("Saldo: ") + MoneyText::format(entries - exits));
    for (QLabel *label : {lblEntrate, lblUscite, lblSaldo})
        label->adjustSize();
    placeTotals();
}

void JournalWindow::placeTotals()
{
    const int top = TDBGrid1->geometry().bottom() + 6;
    int left = TDBGrid1->x();
    for (QLabel *label : {lblEntrate, lblUscite, lblSaldo}) {
        label->move(left, top);
        left += std::max(label->width(), 140) + 24;
    }
}

void JournalWindow::openOn(const QString &sql)
{
    m_lastStatement = sql;
    m_data->setDatabaseName(g_strDbPath);
    m_data->setRecordSource(sql);
    m_data->refresh();
    TDBGrid1->rebind();
}

void JournalWindow::cmdAggiorna_Click()
{
    // A row the database refused stays for correction: the period is not
    // loaded over it.
    if (!TDBGrid1->updateRow())
        return;
    // A date the date check refuses is said, and the period stays.
    if (!dateCriterionAccepted(txtDataInizio) || !dateCriterionAccepted(txtDataFine))
        return;
    errors::ErrorTrap trap(m_kind.name + QStringLiteral(".cmdAggiorna_Click"));
    trap.run([&] { showPeriod(); });
}

void JournalWindow::cmdStampa_Click()
{
    const QString field = QStringLiteral("{") + m_kind.formulaTable + QStringLiteral(".pn_data}");
    // The period the grid shows, whatever the boxes hold since.
    const QString formula = field + QStringLiteral(" >= ") + FormulaDate(m_shownFrom, QStringLiteral("01/01/1900"))
                            + QStringLiteral(" and ") + field + QStringLiteral(" <= ") + QStringLiteral(" ")
                            + FormulaDate(m_shownTo, QStringLiteral("01/01/2100"));
    errors::ErrorTrap trap(m_kind.name + QStringLiteral(".cmdStampa_Click"));
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("prinota.rpt"))); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([&] { MainReport().set(prop::SelectionFormula, formula); });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

void JournalWindow::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}

bool JournalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == cmdStampa || watched == cmdEsporta || watched == cmdChiudi))
        m_overButton = true;
    // A date is completed on leaving its box; a wrong one stays, for
    // Aggiorna to say what is wrong with it.
    if (event->type() == QEvent::FocusOut && (watched == txtDataInizio || watched == txtDataFine))
        dateCriterionLeft(static_cast<QLineEdit *>(watched));
    return QWidget::eventFilter(watched, event);
}

void JournalWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        cmdStampa->Refresh();
        cmdEsporta->Refresh();
        cmdChiudi->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}

// Sizes in twips of the window, as the journal has always been laid out; a
// window too small for them keeps what fits.
void JournalWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int gridWidth = w - twips(m_kind.gridMarginTwips);
    const int gridHeight = h - twips(2500);
    const int top = contentsRect().top();
    m_periodRow->setGeometry(contentsRect().left(), top, std::max(m_periodRow->sizeHint().width(), 560), 40);
    if (gridWidth <= 0 || gridHeight <= 0)
        return;
    TDBGrid1->setGeometry((w - gridWidth) / 2, top + 44, gridWidth, gridHeight);
    cmdChiudi->move(twips(200), h - twips(800));
    cmdStampa->move(w - twips(2000), h - twips(800));
    cmdEsporta->move(cmdStampa->x() - cmdEsporta->width() - 8, h - twips(800));
    placeTotals();
}

void JournalWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
