#include "stock/frmValoreMagazzino.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/ViewExport.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "report/RowsReportSource.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/stock/StockValueList.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"
#include "ui/WindowLife.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 7;   // Fornitore / Codice, Descrizione, Taglia, Colore, Quantità, Prezzo medio, Valore
constexpr int kColQuantita = 4;
constexpr int kColPrezzo = 5;
constexpr int kColValore = 6;

QString euro(qint64 cents)
{
    return MoneyText::format(double(cents) / 100.0);
}

} // namespace

frmValoreMagazzino::frmValoreMagazzino(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmValoreMagazzino"));
    setWindowTitle(StockValueList::title());
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(StockValueList::title());

    txtData = new QLineEdit(this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setMaximumWidth(100);
    txtData->installEventFilter(this);
    cmdAggiorna = new ctrl_SkinableButton(QStringLiteral("Aggiorna"), this);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    connect(cmdAggiorna, &ctrl_SkinableButton::Click, this, [this] { cmdAggiorna_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    lvwValore = new QTreeWidget(this);
    lvwValore->setObjectName(QStringLiteral("lvwValore"));
    lvwValore->setUniformRowHeights(true);
    lvwValore->setHeaderLabels({QStringLiteral("Fornitore / Codice"), QStringLiteral("Descrizione"),
                                QStringLiteral("Taglia"), QStringLiteral("Colore"), QStringLiteral("Quantità"),
                                QStringLiteral("Prezzo medio"), QStringLiteral("Valore")});
    lvwValore->header()->setSectionsMovable(false);
    lvwValore->header()->setStretchLastSection(false);
    lvwValore->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lvwValore->setColumnWidth(0, 170);
    for (int c : {2, 3})
        lvwValore->setColumnWidth(c, 80);
    for (int c : {kColQuantita, kColPrezzo, kColValore})
        lvwValore->setColumnWidth(c, 100);
    connect(lvwValore, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { apriFornitore(item); });

    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("valore_magazzino.csv"));
    for (ctrl_SkinableButton *button : {cmdAggiorna, cmdStampa, cmdEsporta, cmdChiudi})
        button->setFixedSize(112, 30);
    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));
    QFont big = lblTotale->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    lblTotale->setFont(big);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Al"), this));
    top->addWidget(txtData);
    top->addSpacing(12);
    top->addWidget(cmdAggiorna);
    top->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdChiudi);
    bottom->addStretch(1);
    bottom->addWidget(cmdEsporta);
    bottom->addWidget(cmdStampa);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addWidget(lvwValore, 1);
    layout->addWidget(lblTotale);
    layout->addLayout(bottom);
    setTabOrder(txtData, cmdAggiorna);
    setTabOrder(cmdAggiorna, lvwValore);
    setTabOrder(lvwValore, cmdStampa);
    setTabOrder(cmdStampa, cmdEsporta);
    setTabOrder(cmdEsporta, cmdChiudi);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmValoreMagazzino.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmValoreMagazzino.Form_Activate"),
        .activate = [this] { txtData->setFocus(); },
    });
    life.defaultButton().setButton(cmdAggiorna, [this] { cmdAggiorna->click(); });
    resize(820, 480);
}

frmValoreMagazzino::~frmValoreMagazzino() = default;

// The day starts at the end of last year; the value is read on Aggiorna (a
// large shop takes seconds), not on opening.
void frmValoreMagazzino::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdAggiorna, cmdStampa, cmdEsporta, cmdChiudi});
    txtData->setText(StockValueList::defaultDay(today()).toString(QStringLiteral("dd/MM/yyyy")));
}

bool frmValoreMagazzino::giorno(QDate &day)
{
    if (!StockValueList::day(txtData->text(), day)) {
        ui::MsgBox(StockValueList::badDay(), ui::vbExclamation, g_strAppName);
        txtData->setFocus();
        txtData->selectAll();
        return false;
    }
    txtData->setText(day.toString(QStringLiteral("dd/MM/yyyy")));
    return true;
}

void frmValoreMagazzino::cmdAggiorna_Click()
{
    QDate day;
    if (!giorno(day))
        return;
    errors::ErrorTrap trap(QStringLiteral("frmValoreMagazzino.cmdAggiorna_Click"));
    lvwValore->clear();
    lblTotale->clear();
    m_shown.reset();
    std::atomic<bool> stop{false};
    std::shared_ptr<const StockValuation> read;
    trap.run([&] {
        const QString path = ShopDatabase::path();
        ui::ProgressFeedback feedback(QStringLiteral("Calcolo del valore del magazzino..."), this);
        feedback.setCancelHandler([&stop] { stop = true; });
        feedback.run([&] { read = StockValuation::readAside(path, day, &stop); });
    });
    if (read)
        mostra(read);
}

void frmValoreMagazzino::mostra(std::shared_ptr<const StockValuation> valuation)
{
    m_shown = std::move(valuation);
    QFont bold = lvwValore->font();
    bold.setBold(true);
    for (const StockValueGroup &group : m_shown->groups()) {
        auto *item = new QTreeWidgetItem(lvwValore);
        item->setText(0, group.fornitore);
        item->setText(1, group.lines == 1 ? QStringLiteral("1 articolo") : QStringLiteral("%1 articoli").arg(group.lines));
        item->setText(kColQuantita, QString::number(group.quantita));
        item->setText(kColValore, euro(group.valoreCents));
        item->setData(0, Qt::UserRole, qlonglong(&group - m_shown->groups().data()));
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        for (int c = 0; c < kColumns; ++c)
            item->setFont(c, bold);
        for (int c : {kColQuantita, kColValore})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_shown->lineCount() == 0) {
        lblTotale->setText(StockValueList::noLines());
        return;
    }
    if (lvwValore->topLevelItemCount() > 0)
        lvwValore->setCurrentItem(lvwValore->topLevelItem(0));
    lblTotale->setText(StockValueList::heading(m_shown->day()) + QStringLiteral(": € ") + euro(m_shown->totalCents()));
}

// A supplier's lines are made when it is first opened.
void frmValoreMagazzino::apriFornitore(QTreeWidgetItem *supplier)
{
    if (!m_shown || supplier->parent() || supplier->childCount() > 0)
        return;
    const StockValueGroup &group = m_shown->groups().at(std::size_t(supplier->data(0, Qt::UserRole).toLongLong()));
    QList<QTreeWidgetItem *> children;
    children.reserve(group.lines);
    for (qint64 i = group.firstLine; i < group.firstLine + group.lines; ++i) {
        const StockValueLine line = m_shown->line(i);
        auto *item = new QTreeWidgetItem;
        item->setText(0, line.codice);
        item->setText(1, line.descrizione);
        item->setText(2, line.taglia);
        item->setText(3, line.colore);
        item->setText(kColQuantita, QString::number(line.quantita));
        item->setText(kColPrezzo, euro(line.prezzoCents));
        item->setText(kColValore, euro(line.valoreCents));
        for (int c : {kColQuantita, kColPrezzo, kColValore})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        children << item;
    }
    supplier->addChildren(children);
}

ListExport frmValoreMagazzino::listToExport() const
{
    return StockValueList::list(m_shown);
}

void frmValoreMagazzino::cmdStampa_Click()
{
    QDate day;
    if (!giorno(day))
        return;
    if (!m_shown || m_shown->day() != day) {
        cmdAggiorna_Click();
        if (!m_shown)
            return;
    }
    const ListExport list = StockValueList::list(m_shown);
    report::RowsReportSource source(QStringLiteral("valore"), StockValueList::reportFields(),
                                    report::RowsReportSource::fromLists(list.rowSource), ShopDatabase::path());
    const QString title = StockValueList::heading(day);
    errors::ErrorTrap trap(QStringLiteral("frmValoreMagazzino.cmdStampa_Click"));
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([&] { MainReport().setDataSource(&source); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("valore.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([&] { MainReport().set(prop::WindowTitle, title); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([] { MainReport().set(prop::Action, 1); });
    MainReport().setDataSource(nullptr);
}

bool frmValoreMagazzino::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && watched == txtData) {
        const QString checked = ControllaData(txtData->text(), 0);
        if (!checked.isEmpty())
            txtData->setText(checked);
    }
    return QWidget::eventFilter(watched, event);
}

void frmValoreMagazzino::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
