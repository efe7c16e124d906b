#include "stock/frmSottoscorta.h"

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
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/stock/ReorderList.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/WindowLife.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString frmSottoscorta::kTutti = QStringLiteral("(tutti i fornitori)");

frmSottoscorta::frmSottoscorta(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSottoscorta"));
    setWindowTitle(ReorderList::title());
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(ReorderList::title());

    cboFornitore = new QComboBox(this);
    cboFornitore->setObjectName(QStringLiteral("cboFornitore"));
    cboFornitore->setMinimumWidth(220);
    cmdAggiorna = new ctrl_SkinableButton(QStringLiteral("Aggiorna"), this);
    cmdAggiorna->setObjectName(QStringLiteral("cmdAggiorna"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    connect(cmdAggiorna, &ctrl_SkinableButton::Click, this, [this] { cmdAggiorna_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    lvwSottoscorta = new QTreeWidget(this);
    lvwSottoscorta->setObjectName(QStringLiteral("lvwSottoscorta"));
    lvwSottoscorta->setRootIsDecorated(false);
    lvwSottoscorta->setUniformRowHeights(true);
    QStringList headers;
    for (const ExportColumn &column : ReorderList::columns())
        headers << column.header;
    lvwSottoscorta->setHeaderLabels(headers);
    lvwSottoscorta->header()->setSectionsMovable(false);
    lvwSottoscorta->header()->setStretchLastSection(false);
    lvwSottoscorta->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    lvwSottoscorta->setColumnWidth(0, 130);
    lvwSottoscorta->setColumnWidth(1, 120);
    lvwSottoscorta->setColumnWidth(3, 60);
    lvwSottoscorta->setColumnWidth(4, 80);
    for (int c = 5; c < headers.size(); ++c)
        lvwSottoscorta->setColumnWidth(c, 90);
    lvwSottoscorta->setColumnWidth(7, 140);   // "Venduti ultimo mese" whole

    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("sottoscorta.csv"));
    for (ctrl_SkinableButton *button : {cmdAggiorna, cmdStampa, cmdEsporta, cmdChiudi})
        button->setFixedSize(112, 30);
    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Fornitore"), this));
    top->addWidget(cboFornitore);
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
    layout->addWidget(lvwSottoscorta, 1);
    layout->addWidget(lblTotale);
    layout->addLayout(bottom);
    setTabOrder(cboFornitore, cmdAggiorna);
    setTabOrder(cmdAggiorna, lvwSottoscorta);
    setTabOrder(lvwSottoscorta, cmdStampa);
    setTabOrder(cmdStampa, cmdEsporta);
    setTabOrder(cmdEsporta, cmdChiudi);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmSottoscorta.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmSottoscorta.Form_Activate"),
        .activate = [this] { cboFornitore->setFocus(); },
    });
    life.defaultButton().setButton(cmdAggiorna, [this] { cmdAggiorna->click(); });
    resize(1000, 480);
}

frmSottoscorta::~frmSottoscorta() = default;

// Every supplier's items at once; the box then offers the suppliers listed.
void frmSottoscorta::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdAggiorna, cmdStampa, cmdEsporta, cmdChiudi});
    cboFornitore->addItem(kTutti);
    cmdAggiorna_Click();
    QStringList names;
    for (const QString &name : ReorderItems::suppliers(m_lines))
        names << (name.isEmpty() ? ReorderList::noSupplier() : name);
    cboFornitore->addItems(names);
}

QString frmSottoscorta::fornitore() const
{
    const QString chosen = cboFornitore->currentText().trimmed();
    return chosen == kTutti ? QString() : chosen;
}

void frmSottoscorta::cmdAggiorna_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmSottoscorta.cmdAggiorna_Click"));
    lvwSottoscorta->clear();
    lblTotale->clear();
    m_lines.clear();
    const QString chosen = fornitore();
    SetHourglass();
    trap.run([&] {
        QList<ReorderLine> lines;
        if (chosen == ReorderList::noSupplier()) {
            for (const ReorderLine &line : ReorderItems::read(*ShopDatabase::open(), today()))
                if (line.fornitore.isEmpty())
                    lines << line;
        } else {
            lines = ReorderItems::read(*ShopDatabase::open(), today(), chosen);
        }
        mostra(lines);
    });
    ResetPointer();
}

void frmSottoscorta::mostra(const QList<ReorderLine> &lines)
{
    m_lines = lines;
    const ListExport list = ReorderList::list(lines);
    for (const QVariantList &row : list.rows) {
        auto *item = new QTreeWidgetItem(lvwSottoscorta);
        for (int c = 0; c < row.size(); ++c) {
            item->setText(c, row.at(c).toString());
            if (c >= 5)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    if (lines.isEmpty()) {
        lblTotale->setText(ReorderList::noLines());
        return;
    }
    lvwSottoscorta->setCurrentItem(lvwSottoscorta->topLevelItem(0));
    qint64 pieces = 0;
    for (const ReorderLine &line : lines)
        pieces += line.daOrdinare;
    lblTotale->setText(QStringLiteral("Articoli sotto scorta: %1 - pezzi da ordinare: %2").arg(lines.size()).arg(pieces));
}

ListExport frmSottoscorta::listToExport() const
{
    return ReorderList::list(m_lines);
}

void frmSottoscorta::cmdStampa_Click()
{
    const ListExport list = listToExport();
    report::RowsReportSource source(QStringLiteral("sottoscorta"), ReorderList::reportFields(),
                                    report::RowsReportSource::fromLists([&list](const auto &row) {
                                        for (const QVariantList &cells : list.rows)
                                            if (!row(cells))
                                                return;
                                    }),
                                    ShopDatabase::path());
    const QString chosen = fornitore();
    const QString title = chosen.isEmpty() ? ReorderList::title() : ReorderList::title() + QStringLiteral(" - ") + chosen;
    errors::ErrorTrap trap(QStringLiteral("frmSottoscorta.cmdStampa_Click"));
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([&] { MainReport().setDataSource(&source); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("sottoscorta.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([&] { MainReport().set(prop::WindowTitle, title); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([] { MainReport().set(prop::Action, 1); });
    MainReport().setDataSource(nullptr);
}

void frmSottoscorta::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
