#include "stock/frmStatistiche.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/ViewExport.h"
#include "base/errors/ErrorTrap.h"
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/stock/TakingsList.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "stock/StatisticsCharts.h"
#include "stock/StatisticsPage.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSaveFile>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

const QStringList frmStatistiche::kPeriodi = {QStringLiteral("Giorno"), QStringLiteral("Mese"),
                                              QStringLiteral("Anno"), QStringLiteral("Dal ... al")};
const QStringList frmStatistiche::kClassifiche = {QStringLiteral("Per pezzi"), QStringLiteral("Per incasso")};

namespace {

const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

QString euroText(qint64 cents)
{
    return StatisticsPeriod::locale().toString(double(cents) / 100.0, 'f', 2) + QStringLiteral(" €");
}

void showTable(QTableWidget *grid, const ListExport &list)
{
    grid->clear();
    grid->setColumnCount(int(list.columns.size()));
    grid->setRowCount(int(list.rows.size()));
    QStringList headers;
    for (const ExportColumn &column : list.columns)
        headers << column.header;
    grid->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < list.rows.size(); ++r) {
        const QVariantList &cells = list.rows.at(r);
        for (int c = 0; c < cells.size() && c < list.columns.size(); ++c) {
            const ExportColumn &column = list.columns.at(c);
            auto *item = new QTableWidgetItem(StatisticsPage::cellText(column, cells.at(c)));
            if (column.kind == ExportColumn::Kind::Number || column.kind == ExportColumn::Kind::Amount)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(r, c, item);
        }
    }
    grid->resizeColumnsToContents();
    if (grid->rowCount() > 0)
        grid->setCurrentCell(0, 0);
}

// " (+12,5%)": the change from `before`; nothing without a base.
QString change(qint64 now, qint64 before)
{
    if (before <= 0)
        return QString();
    const double percent = double(now - before) * 100.0 / double(before);
    return QStringLiteral(" (%1%2%)")
        .arg(now >= before ? QStringLiteral("+") : QString(), StatisticsPeriod::locale().toString(percent, 'f', 1));
}

void showChart(QChartView *view, QChart *chart)
{
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}

} // namespace

frmStatistiche::frmStatistiche(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStatistiche"));
    setWindowTitle(QStringLiteral("Statistiche"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Statistiche"));

    cboPeriodo = new QComboBox(this);
    cboPeriodo->setObjectName(QStringLiteral("cboPeriodo"));
    cboPeriodo->addItems(kPeriodi);
    txtDal = new QLineEdit(this);
    txtDal->setObjectName(QStringLiteral("txtDal"));
    txtAl = new QLineEdit(this);
    txtAl->setObjectName(QStringLiteral("txtAl"));
    for (QLineEdit *box : {txtDal, txtAl}) {
        box->setMaximumWidth(100);
        box->installEventFilter(this);
    }
    cmdAggiorna = new ctrl_SkinableButton(QStringLiteral("Aggiorna"), this);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    lblRiepilogo = new QLabel(this);
    lblRiepilogo->setObjectName(QStringLiteral("lblRiepilogo"));

    cboClassifica = new QComboBox(this);
    cboClassifica->setObjectName(QStringLiteral("cboClassifica"));
    cboClassifica->addItems(kClassifiche);
    auto *ranking = new QWidget(this);
    auto *rankingRow = new QHBoxLayout(ranking);
    rankingRow->setContentsMargins(0, 0, 0, 0);
    rankingRow->addWidget(new QLabel(QStringLiteral("Classifica"), ranking));
    rankingRow->addWidget(cboClassifica);
    rankingRow->addStretch(1);

    tabStatistiche = new QTabWidget(this);
    tabStatistiche->setObjectName(QStringLiteral("tabStatistiche"));
    tabStatistiche->addTab(newPage(chtIncassi, grdIncassi), QStringLiteral("&Incassi"));
    tabStatistiche->addTab(newPage(chtArticoli, grdArticoli, ranking), QStringLiteral("A&rticoli più venduti"));
    tabStatistiche->addTab(newPage(chtFornitori, grdFornitori), QStringLiteral("&Margine per fornitore"));
    tabStatistiche->addTab(newPage(chtPagamenti, grdPagamenti), QStringLiteral("Pa&gamenti"));
    chtIncassi->setObjectName(QStringLiteral("chtIncassi"));
    chtArticoli->setObjectName(QStringLiteral("chtArticoli"));
    chtFornitori->setObjectName(QStringLiteral("chtFornitori"));
    chtPagamenti->setObjectName(QStringLiteral("chtPagamenti"));
    grdIncassi->setObjectName(QStringLiteral("grdIncassi"));
    grdArticoli->setObjectName(QStringLiteral("grdArticoli"));
    grdFornitori->setObjectName(QStringLiteral("grdFornitori"));
    grdPagamenti->setObjectName(QStringLiteral("grdPagamenti"));

    cmdImmagine = new ctrl_SkinableButton(QStringLiteral("Immagine"), this);
    cmdImmagine->setObjectName(QStringLiteral("cmdImmagine"));
    cmdPdf = new ctrl_SkinableButton(QStringLiteral("PDF"), this);
    cmdPdf->setObjectName(QStringLiteral("cmdPdf"));
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("statistiche.csv"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    for (ctrl_SkinableButton *button : {cmdAggiorna, cmdImmagine, cmdPdf, cmdEsporta, cmdStampa, cmdChiudi})
        button->setFixedSize(112, 30);
    connect(cmdAggiorna, &ctrl_SkinableButton::Click, this, [this] { cmdAggiorna_Click(); });
    connect(cmdImmagine, &ctrl_SkinableButton::Click, this, [this] { cmdImmagine_Click(); });
    connect(cmdPdf, &ctrl_SkinableButton::Click, this, [this] { cmdPdf_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });
    connect(cboPeriodo, &QComboBox::currentIndexChanged, this, [this] { periodoCambiato(); });
    // A day, a month or a year is read as soon as it is chosen; any days
    // wait for their dates.
    connect(cboPeriodo, &QComboBox::activated, this, [this](int index) {
        if (index == 3)
            txtDal->setFocus();
        else
            cmdAggiorna_Click();
    });
    connect(cboClassifica, &QComboBox::currentIndexChanged, this, [this] { mostraArticoli(); });

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Periodo"), this));
    top->addWidget(cboPeriodo);
    top->addWidget(new QLabel(QStringLiteral("dal"), this));
    top->addWidget(txtDal);
    top->addWidget(new QLabel(QStringLiteral("al"), this));
    top->addWidget(txtAl);
    top->addSpacing(12);
    top->addWidget(cmdAggiorna);
    top->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdChiudi);
    bottom->addStretch(1);
    bottom->addWidget(cmdImmagine);
    bottom->addWidget(cmdPdf);
    bottom->addWidget(cmdEsporta);
    bottom->addWidget(cmdStampa);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addWidget(lblRiepilogo);
    layout->addWidget(tabStatistiche, 1);
    layout->addLayout(bottom);
    setTabOrder(cboPeriodo, txtDal);
    setTabOrder(txtDal, txtAl);
    setTabOrder(txtAl, cmdAggiorna);
    setTabOrder(cmdAggiorna, tabStatistiche);

    // Before the boxes and lists get the keys: a combo box would take
    // PagUp for its own items.
    for (const auto &[key, direction] : {std::pair{Qt::Key_PageUp, -1}, std::pair{Qt::Key_PageDown, 1}}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, direction = direction] { sposta(direction); });
    }

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmStatistiche.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmStatistiche.Form_Activate"),
        .activate = [this] { cboPeriodo->setFocus(); },
    });
    life.defaultButton().setButton(cmdAggiorna, [this] { cmdAggiorna->click(); });
    resize(1100, 640);
}

frmStatistiche::~frmStatistiche() = default;

QWidget *frmStatistiche::newPage(QChartView *&view, QTableWidget *&table, QWidget *above)
{
    auto *page = new QWidget(this);
    view = new QChartView(page);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 300);
    view->setFocusPolicy(Qt::NoFocus);
    table = new QTableWidget(page);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    auto *right = new QVBoxLayout;
    if (above)
        right->addWidget(above);
    right->addWidget(table, 1);
    auto *row = new QHBoxLayout(page);
    row->addWidget(view, 3);
    row->addLayout(right, 2);
    return page;
}

// This month against the same month of last year, at once.
void frmStatistiche::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdAggiorna, cmdImmagine, cmdPdf, cmdEsporta, cmdStampa, cmdChiudi});
    cboPeriodo->setCurrentIndex(1);
    txtDal->setText(today().toString(kDateFormat));
    periodoCambiato();
    cmdAggiorna_Click();
}

void frmStatistiche::periodoCambiato()
{
    const bool range = cboPeriodo->currentIndex() == 3;
    txtAl->setEnabled(range);
    if (!range)
        txtAl->clear();
}

bool frmStatistiche::periodo(StatisticsPeriod &period)
{
    QDate from, to;
    const bool range = cboPeriodo->currentIndex() == 3;
    const bool valid = TakingsList::period(txtDal->text(), range ? txtAl->text() : QString(), from, to);
    txtDal->setText(from.toString(kDateFormat));
    if (!valid) {
        txtAl->setText(to.toString(kDateFormat));
        ui::MsgBox(TakingsList::badPeriod(), ui::vbExclamation, g_strAppName);
        return false;
    }
    const auto kind = static_cast<StatisticsPeriod::Kind>(std::max(0, cboPeriodo->currentIndex()));
    period = StatisticsPeriod::of(kind, from, to);
    txtAl->setText(range ? to.toString(kDateFormat) : QString());
    return true;
}

void frmStatistiche::cmdAggiorna_Click()
{
    StatisticsPeriod period;
    if (!periodo(period))
        return;
    errors::ErrorTrap trap(QStringLiteral("frmStatistiche.cmdAggiorna_Click"));
    SetHourglass();
    trap.run([&] {
        m_statistics = SalesStatistics::read(*ShopDatabase::open(), period, today());
        mostra();
    });
    ResetPointer();
}

void frmStatistiche::sposta(int direction)
{
    StatisticsPeriod period;
    if (!periodo(period))
        return;
    QDate from;
    switch (period.kind()) {
    case StatisticsPeriod::Kind::Day:
        from = period.from().addDays(direction);
        break;
    case StatisticsPeriod::Kind::Month:
        from = period.from().addMonths(direction);
        break;
    case StatisticsPeriod::Kind::Year:
        from = period.from().addYears(direction);
        break;
    case StatisticsPeriod::Kind::Range:
        from = period.from().addDays(direction * period.days());
        txtAl->setText(period.to().addDays(direction * period.days()).toString(kDateFormat));
        break;
    }
    txtDal->setText(from.toString(kDateFormat));
    cmdAggiorna_Click();
}

void frmStatistiche::mostra()
{
    const SalesStatistics &s = m_statistics;
    lblRiepilogo->setText(summaryText(s));
    showChart(chtIncassi, newChart(Incassi));
    showChart(chtFornitori, newChart(Fornitori));
    showChart(chtPagamenti, newChart(Pagamenti));
    showTable(grdIncassi, table(Incassi));
    showTable(grdFornitori, table(Fornitori));
    showTable(grdPagamenti, table(Pagamenti));
    mostraArticoli();
}

void frmStatistiche::mostraArticoli()
{
    if (!m_statistics.period.isValid())
        return;
    showChart(chtArticoli, newChart(Articoli));
    showTable(grdArticoli, table(Articoli));
}

StatisticsTables::Ranking frmStatistiche::classifica() const
{
    return cboClassifica->currentIndex() == 1 ? StatisticsTables::Ranking::Takings : StatisticsTables::Ranking::Pieces;
}

QChart *frmStatistiche::newChart(Page page) const
{
    switch (page) {
    case Incassi:
        return StatisticsCharts::takings(m_statistics);
    case Articoli:
        return StatisticsCharts::articles(m_statistics, classifica());
    case Fornitori:
        return StatisticsCharts::suppliers(m_statistics);
    case Pagamenti:
        break;
    }
    return StatisticsCharts::payments(m_statistics);
}

ListExport frmStatistiche::table(Page page) const
{
    switch (page) {
    case Incassi:
        return StatisticsTables::takings(m_statistics);
    case Articoli:
        return StatisticsTables::articles(m_statistics, classifica());
    case Fornitori:
        return StatisticsTables::suppliers(m_statistics);
    case Pagamenti:
        break;
    }
    return StatisticsTables::payments(m_statistics);
}

QString frmStatistiche::summaryText(const SalesStatistics &s)
{
    // A period under way is set against the same days of the year before,
    // its whole last year's figure given apart.
    if (s.toDate.isValid())
        return QStringLiteral("%1 fino al %2: incasso %3 in %4 vendite; stessi giorni dell'anno precedente: %5%6; "
                              "%7: %8 in tutto")
            .arg(s.period.text(), s.toDate.toString(QStringLiteral("dd/MM")), euroText(s.centsToDate),
                 QString::number(s.sales), euroText(s.centsBeforeToDate), change(s.centsToDate, s.centsBeforeToDate),
                 s.before.text(), euroText(s.centsBefore));
    return QStringLiteral("%1: incasso %2 in %3 vendite; %4: %5%6")
        .arg(s.period.text(), euroText(s.cents), QString::number(s.sales), s.before.text(), euroText(s.centsBefore),
             change(s.cents, s.centsBefore));
}

ListExport frmStatistiche::listToExport() const
{
    return table(static_cast<Page>(tabStatistiche->currentIndex()));
}

QString frmStatistiche::chartTitle() const
{
    return listToExport().title;
}

QImage frmStatistiche::chartImage() const
{
    const std::unique_ptr<QChart> chart(newChart(static_cast<Page>(tabStatistiche->currentIndex())));
    return StatisticsCharts::image(*chart, QSize(kImageWidth, kImageHeight));
}

void frmStatistiche::cmdImmagine_Click()
{
    if (!m_statistics.period.isValid())
        return;
    const QString path = chooseSaveFile(this, QStringLiteral("Salva il grafico"), QStringLiteral("statistiche.png"),
                                        QStringLiteral("Immagini PNG (*.png)"));
    if (path.isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(path);
    QSaveFile out(path);
    const bool written = out.open(QIODevice::WriteOnly) && chartImage().save(&out, "PNG") && out.commit();
    if (!written) {
        ui::MsgBox(QStringLiteral("Impossibile scrivere il file %1: %2.\nNessun file è stato scritto.")
                       .arg(file, out.errorString()),
                   ui::vbCritical, g_strAppName);
        return;
    }
    ui::MsgBox(QStringLiteral("Grafico salvato nel file %1.").arg(file), ui::vbInformation, g_strAppName);
}

void frmStatistiche::cmdPdf_Click()
{
    if (!m_statistics.period.isValid())
        return;
    const QString path = chooseSaveFile(this, QStringLiteral("Salva in PDF"), QStringLiteral("statistiche.pdf"),
                                        QStringLiteral("Documenti PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    SetHourglass();
    const QString problem = StatisticsPage::writePdf(path, chartTitle(), chartImage(), listToExport());
    ResetPointer();
    if (!problem.isEmpty()) {
        ui::MsgBox(problem + QStringLiteral("\nNessun file è stato scritto."), ui::vbCritical, g_strAppName);
        return;
    }
    ui::MsgBox(QStringLiteral("Grafico e tabella salvati nel file %1.").arg(QDir::toNativeSeparators(path)),
               ui::vbInformation, g_strAppName);
}

void frmStatistiche::cmdStampa_Click()
{
    if (!m_statistics.period.isValid())
        return;
    SetHourglass();
    const QString problem = StatisticsPage::print(chartTitle(), chartImage(), listToExport());
    ResetPointer();
    if (!problem.isEmpty())
        ui::MsgBox(problem, ui::vbExclamation, g_strAppName);
}

void frmStatistiche::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Escape:
            close();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

bool frmStatistiche::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtDal || watched == txtAl)) {
        auto *box = static_cast<QLineEdit *>(watched);
        box->setText(ControllaData(box->text(), 0));
    }
    return QWidget::eventFilter(watched, event);
}
