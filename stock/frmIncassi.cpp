#include "stock/frmIncassi.h"

#include "rules/general/FormulaDate.h"
#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ViewExport.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "rules/DailyTakings.h"
#include "rules/MoneyText.h"
#include "rules/stock/TakingsList.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QDate>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString frmIncassi::kBadPeriod = TakingsList::badPeriod();

frmIncassi::frmIncassi(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmIncassi"));
    setWindowTitle(QStringLiteral("Incassi"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Incassi"));

    txtDataInizio = new QLineEdit(this);
    txtDataInizio->setObjectName(QStringLiteral("txtDataInizio"));
    txtDataFine = new QLineEdit(this);
    txtDataFine->setObjectName(QStringLiteral("txtDataFine"));
    for (QLineEdit *box : {txtDataInizio, txtDataFine}) {
        box->setMaximumWidth(100);
        box->installEventFilter(this);
    }
    cmdAggiorna = new ctrl_SkinableButton(QStringLiteral("Aggiorna"), this);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    for (ctrl_SkinableButton *button : {cmdAggiorna, cmdStampa, cmdChiudi})
        button->setFixedSize(112, 30);
    connect(cmdAggiorna, &ctrl_SkinableButton::Click, this, [this] { cmdAggiorna_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    lvwIncassi = new QTreeWidget(this);
    lvwIncassi->setObjectName(QStringLiteral("lvwIncassi"));
    lvwIncassi->setRootIsDecorated(false);
    lvwIncassi->setUniformRowHeights(true);
    lvwIncassi->setHeaderLabels({QStringLiteral("Pagamento"), QStringLiteral("Vendite"), QStringLiteral("Sconti"),
                                 QStringLiteral("Incasso")});
    lvwIncassi->header()->setDefaultAlignment(Qt::AlignCenter);
    lvwIncassi->header()->setStretchLastSection(false);
    lvwIncassi->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 4; ++c) {
        lvwIncassi->header()->setSectionResizeMode(c, QHeaderView::Fixed);
        lvwIncassi->setColumnWidth(c, 110);
    }
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("incassi.csv"));
    cmdEsporta->setFixedSize(112, 30);
    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));
    QFont big = lblTotale->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    lblTotale->setFont(big);

    auto *period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("Dal"), this));
    period->addWidget(txtDataInizio);
    period->addWidget(new QLabel(QStringLiteral("al"), this));
    period->addWidget(txtDataFine);
    period->addSpacing(12);
    period->addWidget(cmdAggiorna);
    period->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdChiudi);
    bottom->addStretch(1);
    bottom->addWidget(cmdEsporta);
    bottom->addWidget(cmdStampa);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(period);
    layout->addWidget(lvwIncassi, 1);
    layout->addWidget(lblTotale);
    layout->addLayout(bottom);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmIncassi.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmIncassi.Form_Activate"),
        .activate = [this] { txtDataInizio->setFocus(); },
    });
    life.defaultButton().setButton(cmdAggiorna, [this] { cmdAggiorna->click(); });
    resize(640, 400);
}

frmIncassi::~frmIncassi() = default;

// Today's takings at once: that is what the window is opened for.
void frmIncassi::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdAggiorna, cmdStampa, cmdEsporta, cmdChiudi});
    const QString now = today().toString(QStringLiteral("dd/MM/yyyy"));
    txtDataInizio->setText(now);
    txtDataFine->setText(now);
    cmdAggiorna_Click();
}

bool frmIncassi::periodo(QDate &from, QDate &to)
{
    // An empty box is today; the end defaults to the start (one day).
    const bool valid = TakingsList::period(txtDataInizio->text(), txtDataFine->text(), from, to);
    txtDataInizio->setText(from.toString(QStringLiteral("dd/MM/yyyy")));
    txtDataFine->setText(to.toString(QStringLiteral("dd/MM/yyyy")));
    if (!valid) {
        ui::MsgBox(kBadPeriod, ui::vbExclamation, g_strAppName);
        return false;
    }
    return true;
}

void frmIncassi::cmdAggiorna_Click()
{
    QDate from, to;
    if (!periodo(from, to))
        return;
    errors::ErrorTrap trap(QStringLiteral("frmIncassi.cmdAggiorna_Click"));
    lvwIncassi->clear();
    lblTotale->clear();
    m_shown = DailyTakings();
    SetHourglass();
    trap.run([&] { mostra(DailyTakings::read(from, to)); });
    ResetPointer();
}

void frmIncassi::mostra(const DailyTakings &takings)
{
    const auto add = [this](const TakingsLine &line) {
        auto *item = new QTreeWidgetItem(lvwIncassi);
        item->setText(0, line.descrizione);
        item->setText(1, QString::number(line.vendite));
        item->setText(2, MoneyText::format(line.sconti));
        item->setText(3, MoneyText::format(line.incasso));
        for (int c = 1; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        return item;
    };
    m_shown = takings;
    for (const TakingsLine &line : takings.lines)
        add(line);
    QTreeWidgetItem *total = add(takings.totale);
    QFont bold = lvwIncassi->font();
    bold.setBold(true);
    for (int c = 0; c < 4; ++c)
        total->setFont(c, bold);
    lblTotale->setText(QStringLiteral("Totale incassato: € ") + MoneyText::format(takings.totale.incasso));
}

ListExport frmIncassi::listToExport() const
{
    return inShownOrder(TakingsList::list(lvwIncassi->topLevelItemCount() > 0 ? &m_shown : nullptr), *lvwIncassi);
}

void frmIncassi::cmdStampa_Click()
{
    QDate from, to;
    if (!periodo(from, to))
        return;
    const QString start = from.toString(QStringLiteral("dd/MM/yyyy"));
    const QString end = to.toString(QStringLiteral("dd/MM/yyyy"));
    const QString formula = QStringLiteral("{scarico.sc_Data} >= ") + FormulaDate(start, start)
                            + QStringLiteral(" and {scarico.sc_Data} <= ") + FormulaDate(end, end);
    const QString title = from == to ? QStringLiteral("Incassi del ") + start
                                     : QStringLiteral("Incassi dal ") + start + QStringLiteral(" al ") + end;
    errors::ErrorTrap trap(QStringLiteral("frmIncassi.cmdStampa_Click"));
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("incassi.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([&] { MainReport().set(prop::WindowTitle, title); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([&] { MainReport().set(prop::SelectionFormula, formula); });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

bool frmIncassi::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtDataInizio || watched == txtDataFine)) {
        auto *box = static_cast<QLineEdit *>(watched);
        box->setText(ControllaData(box->text(), 0));
    }
    return QWidget::eventFilter(watched, event);
}
