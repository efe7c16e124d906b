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
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/FrameGeometry.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QEvent>
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

    m_periodRow = new QWidget(this);
    m_periodRow->resize(480, 40);
    const auto dateBox = [this](const char *name, const QString &caption, int left) {
        auto *label = new QLabel(caption, m_periodRow);
        label->move(left, 14);
        auto *box = new QLineEdit(m_periodRow);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(left + 60, 10, 96, 24);
        box->installEventFilter(this);
        label->setBuddy(box);
        return box;
    };
    txtDataInizio = dateBox("txtDataInizio", QStringLiteral("Nota tra il"), 16);
    txtDataFine = dateBox("txtDataFine", QStringLiteral("e il"), 190);
    cmdAggiorna = new QPushButton(QStringLiteral("Aggiorna"), m_periodRow);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    cmdAggiorna->setGeometry(370, 8, 100, 28);
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

    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = m_kind.name + QStringLiteral(".Form_Load"),
        .load = [this] { Form_Load(); },
    });
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
    columns[5].numberFormat = QStringLiteral("Standard");
    TDBGrid1->setColumns(columns);
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->setDataSource(m_data);
    connect(TDBGrid1, &data::Grid::dataError, this, &JournalWindow::TDBGrid1_Error);
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
    SetHourglass();
    // An empty set, ready for new rows.
    try {
        openOn(m_kind.list.emptyStatement());
    } catch (...) {
        ResetPointer();
        throw;
    }
    ResetPointer();
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
    const QString sql = m_kind.list.periodStatement(txtDataInizio->text(), txtDataFine->text());
    errors::ErrorTrap trap(m_kind.name + QStringLiteral(".cmdAggiorna_Click"));
    trap.run([&] { openOn(sql); });
}

void JournalWindow::cmdStampa_Click()
{
    const QString field = QStringLiteral("{") + m_kind.formulaTable + QStringLiteral(".pn_data}");
    const QString formula = field + QStringLiteral(" >= ") + FormulaDate(txtDataInizio->text(), QStringLiteral("01/01/2000"))
                            + QStringLiteral(" and ") + field + QStringLiteral(" <= ") + QStringLiteral(" ")
                            + FormulaDate(txtDataFine->text(), QStringLiteral("01/01/2200"));
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
    if (event->type() == QEvent::FocusOut && (watched == txtDataInizio || watched == txtDataFine)) {
        auto *box = static_cast<QLineEdit *>(watched);
        box->setText(ControllaData(box->text(), 0));
    }
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
    m_periodRow->move(contentsRect().left(), top);
    if (gridWidth <= 0 || gridHeight <= 0)
        return;
    TDBGrid1->setGeometry((w - gridWidth) / 2, top + 44, gridWidth, gridHeight);
    cmdChiudi->move(twips(200), h - twips(800));
    cmdStampa->move(w - twips(2000), h - twips(800));
    cmdEsporta->move(cmdStampa->x() - cmdEsporta->width() - 8, h - twips(800));
}
