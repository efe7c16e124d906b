#include "invoicing/frmCercaFattura.h"

#include "invoicing/EsportaFattureElettroniche.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ViewExport.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "base/modZandri.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "db/FieldText.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/ShopDatabase.h"
#include "rules/invoicing/InvoiceList.h"
#include "invoicing/RichiamaFattura.h"
#include "invoicing/SceltaCliente.h"
#include "lookup/DateCriterion.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/FrameGeometry.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "base/CounterLook.h"
#include "ui/DefaultButton.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHash>
#include <QSet>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

using skin::frame::twips;

// Below this inner width the layout stays as it is.
constexpr int kNarrowestLayout = 8600;
// The list starts below the filters and ends 300 twips above the bottom.
constexpr int kListTop = 2290;
constexpr int kListBottomGap = 300;
constexpr int kMargin = 8;
constexpr int kButtonTops[] = {8, 44, 80, 116};
// The search lists the newest invoices, up to this many.
constexpr int kListedAtMost = 200;

// The register number an invoice names, as the lookup by number reads it
// (the leading number of its text; 0 for none).
qlonglong customerKey(const QVariant &counter)
{
    return ValLong(db::FieldText::display(NullToEmpty(counter)));
}

// The names of the customers of the listed invoices, in one statement; a
// number no entry has is missing (an empty name).
QHash<qlonglong, QString> customerNames(const QList<QPair<QTreeWidgetItem *, qlonglong>> &customers)
{
    QStringList keys;
    QSet<qlonglong> seen;
    for (const auto &customer : customers)
        if (!seen.contains(customer.second)) {
            seen.insert(customer.second);
            keys << QString::number(customer.second);
        }
    QHash<qlonglong, QString> names;
    auto rs = ShopDatabase::open()->openRecordset(
        QStringLiteral("select anag_Contatore, anag_Denominazione from Anagrafica where anag_Contatore in (")
        + keys.join(QStringLiteral(", ")) + QLatin1Char(')'));
    for (; !rs->eof(); rs->moveNext())
        names.insert(rs->value(0).toLongLong(), db::FieldText::display(NullToEmpty(rs->value(1))));
    return names;
}

QString paidText(const QVariant &paid)
{
    return !IsNull(paid) && paid.toInt() != 0 ? QStringLiteral("Si") : QStringLiteral("No");
}

} // namespace

const QString frmCercaFattura::kSearchLabel = QStringLiteral("frmCercaDistinta.TrovaDistinte");

frmCercaFattura::frmCercaFattura(QWidget *parent)
    : SearchWindow({QStringLiteral("frmCercaFattura"), QStringLiteral("Cerca Fattura"), QSize(720, 480), "lvwFatture",
                    {QStringLiteral("Numero"), QStringLiteral("Data"), QStringLiteral("Cliente"),
                     QStringLiteral("Saldata"), QStringLiteral("Data Pagamento")},
                    {90, 90, 260, 60}},
                   parent)
{
    build();
    lvwFatture = list();
}

std::function<void()> frmCercaFattura::activation()
{
    return [this] { txtNumero->setFocus(); };
}

void frmCercaFattura::buildCriteria()
{
    QGridLayout *grid = buildCriteriaFrame();
    txtNumero = criterionBox(Frame1, "txtNumero", 20);
    txtDataInizio = criterionBox(Frame1, "txtDataInizio", 10);
    txtDataFine = criterionBox(Frame1, "txtDataFine", 10);
    txtCodiceCliente = criterionBox(Frame1, "txtCodiceCliente", 10);
    txtCliente = criterionBox(Frame1, "txtCliente", 255);
    txtCliente->setReadOnly(true);
    txtCliente->setFocusPolicy(Qt::NoFocus);
    txtCliente->setStyleSheet(QStringLiteral("background: %1").arg(CounterLook::readOnlyColor().name()));
    cmdHelp = CounterLook::pictureButton(Frame1, "cmdHelp", CounterLook::Picture::Search,
                                         QStringLiteral("Elenco dei clienti"), 24);
    cboSaldata = new QComboBox(Frame1);
    cboSaldata->setObjectName(QStringLiteral("cboSaldata"));
    cboSaldata->addItems({QStringLiteral("Si"), QStringLiteral("No"), QStringLiteral("Tutte")});
    cboSaldata->setCurrentIndex(2);
    for (QLineEdit *box : {txtDataInizio, txtDataFine})
        box->installEventFilter(this);
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { errors::runReported(QStringLiteral("frmCercaFattura.cmdHelp_Click"), [this] { cmdHelp_Click(); }); });

    const auto label = [this](const QString &caption, QWidget *buddy) { return criterionLabel(caption, buddy); };
    grid->addWidget(label(QStringLiteral("Numero"), txtNumero), 0, 0);
    grid->addWidget(txtNumero, 0, 1);
    grid->addWidget(label(QStringLiteral("Dal"), txtDataInizio), 1, 0);
    grid->addWidget(txtDataInizio, 1, 1);
    grid->addWidget(label(QStringLiteral("Al"), txtDataFine), 1, 2);
    grid->addWidget(txtDataFine, 1, 3);
    auto *customer = new QHBoxLayout;
    customer->setSpacing(4);
    customer->addWidget(txtCodiceCliente);
    customer->addWidget(txtCliente, 1);
    customer->addWidget(cmdHelp);
    grid->addWidget(label(QStringLiteral("Cliente"), txtCodiceCliente), 2, 0);
    grid->addLayout(customer, 2, 1, 1, 4);
    grid->addWidget(label(QStringLiteral("Saldata"), cboSaldata), 3, 0);
    grid->addWidget(cboSaldata, 3, 1);
    for (QLineEdit *box : {txtNumero, txtDataInizio, txtDataFine})
        box->setMaximumWidth(110);
    txtCodiceCliente->setMaximumWidth(70);
    cboSaldata->setMaximumWidth(110);
    grid->setColumnStretch(4, 1);
}

void frmCercaFattura::buildOwnButtons()
{
    cmdFattureElettroniche = new ctrl_SkinableButton(QStringLiteral("Fatture XML"), this);
    cmdFattureElettroniche->setObjectName(QStringLiteral("cmdFattureElettroniche"));
    cmdFattureElettroniche->setToolTip(QStringLiteral("Esporta le fatture elencate come fatture elettroniche (XML)"));
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("fatture.csv"));
    addButton(cmdFattureElettroniche);
    addButton(cmdEsporta);
    connect(cmdFattureElettroniche, &ctrl_SkinableButton::Click, this, [this] {
        errors::runReported(QStringLiteral("frmCercaFattura.cmdFattureElettroniche_Click"),
                            [this] { cmdFattureElettroniche_Click(); });
    });
}

void frmCercaFattura::print()
{
    errors::runReported(QStringLiteral("frmCercaFattura.cmdStampa_Click"), [this] { cmdStampa_Click(); });
}

bool frmCercaFattura::eventFilter(QObject *watched, QEvent *event)
{
    // A date box leaves with its date completed ("0503" -> "05/03/2026");
    // a wrong date stays as typed, for Trova to say what is wrong with it.
    if (event->type() == QEvent::FocusOut && (watched == txtDataInizio || watched == txtDataFine))
        dateCriterionLeft(static_cast<QLineEdit *>(watched));
    return SearchWindow::eventFilter(watched, event);
}

// From 8600 twips of inner width on, the list takes what the window leaves
// below the filters and the buttons stand in one column at the right edge.
void frmCercaFattura::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect inside = contentsRect();
    if (inside.width() < twips(kNarrowestLayout) && isBuilt())
        return;
    const int buttonLeft = inside.right() + 1 - cmdCancella->width() - twips(200);
    for (int i = 0; i < int(std::size(kButtonTops)); ++i)
        buttons().at(i)->move(buttonLeft, inside.top() + kButtonTops[i]);
    // "Esporta" stands beside "Stampa": the column has room for four.
    const int exportLeft = buttonLeft - cmdEsporta->width() - kMargin;
    cmdEsporta->move(exportLeft, inside.top() + kButtonTops[2]);
    Frame1->setGeometry(inside.left() + kMargin, inside.top() + kMargin,
                        std::max(0, exportLeft - kMargin - inside.left() - kMargin),
                        std::max(0, twips(kListTop) - 2 * kMargin));
    setListArea(QRect(inside.left() + kMargin, inside.top() + twips(kListTop), std::max(0, inside.width() - twips(200)),
                      std::max(0, inside.height() - twips(kListTop + kListBottomGap))));
}

void frmCercaFattura::TrovaFatture()
{
    // A date the date check refuses is said, and nothing is searched.
    if (!dateCriterionAccepted(txtDataInizio) || !dateCriterionAccepted(txtDataFine))
        return;
    m_lastFilters = {txtNumero->text(), txtDataInizio->text(), txtDataFine->text(), txtCodiceCliente->text(),
                     cboSaldata->currentText()};
    m_lastStatement = invoiceSearchStatement(m_lastFilters);
    // The customers' names are read together once the invoices are listed.
    QList<QPair<QTreeWidgetItem *, qlonglong>> customers;
    const bool ran = runSearch(kSearchLabel, m_lastStatement, [&](db::Recordset &rs) {
        auto *item = new QTreeWidgetItem(lvwFatture);
        item->setText(0, NullToEmpty(rs.value(QStringLiteral("fat_Numero"))).toString());
        item->setText(1, db::FieldText::display(rs.value(QStringLiteral("fat_data"))));
        customers.append({item, customerKey(rs.value(QStringLiteral("fat_codice_Cliente")))});
        item->setText(3, paidText(rs.value(QStringLiteral("fat_Pagato"))));
        item->setText(4, db::FieldText::display(rs.value(QStringLiteral("fat_Data_Pagamento"))));
    }, QStringLiteral("Nessuna fattura trovata con le caratteristiche specificate"));
    if (!customers.isEmpty()) {
        errors::ErrorTrap names(kSearchLabel);
        names.run([&] {
            const QHash<qlonglong, QString> named = customerNames(customers);
            for (const auto &[item, key] : std::as_const(customers))
                item->setText(2, named.value(key));
        });
    }
    // A full list may be the newest 200 of more: it says so.
    const int listed = lvwFatture->topLevelItemCount();
    if (!ran || listed < kListedAtMost)
        return;
    errors::ErrorTrap trap(kSearchLabel);
    trap.run([&] {
        const QString outside = invoiceOutsideDatesCountStatement(m_lastFilters);
        const qlonglong total = outside.isEmpty() ? countOf(invoiceCountStatement(m_lastFilters))
                                                  : countOf(invoiceUndatedCountStatement(m_lastFilters)) - countOf(outside);
        if (total > listed)
            sayFound(shownOf(QStringLiteral("Mostrate"), listed, total, QStringLiteral("fatture")));
    });
}

void frmCercaFattura::PulisciRicerca()
{
    txtCliente->clear();
    emptySearch({txtCodiceCliente, txtDataFine, txtDataInizio, txtNumero}, txtNumero);
}

ListExport frmCercaFattura::listToExport() const
{
    ListExport list = InvoiceList::list(m_lastFilters);
    if (!m_searched)
        list.statement.clear();
    return inShownOrder(list, *lvwFatture);
}

void frmCercaFattura::cmdHelp_Click()
{
    if (!SceltaCliente::scegli(*txtCodiceCliente))
        return;
    const QString counter = txtCodiceCliente->text();
    txtCliente->setText(CercaValore(QStringLiteral("Anagrafica"), QStringLiteral("anag_Contatore"),
                                    QStringLiteral("anag_Denominazione"), counter, 1));
}

QStringList frmCercaFattura::numeriElencati() const
{
    QStringList numbers;
    for (int i = 0; i < lvwFatture->topLevelItemCount(); ++i)
        numbers << lvwFatture->topLevelItem(i)->text(0);
    return numbers;
}

void frmCercaFattura::cmdFattureElettroniche_Click()
{
    EsportaFattureElettroniche(this, numeriElencati());
}

void frmCercaFattura::cmdStampa_Click()
{
    const QStringList numbers = numeriElencati();
    if (numbers.isEmpty())
        return;
    showReport({QStringLiteral("listafat.rpt"), QStringLiteral("Lista Fatture"), invoiceListFormula(numbers)},
               [](const std::function<void()> &step) { step(); });
}

// The invoice picked goes to the editor; the search steps aside with what
// it holds, for the editor's next Search. An editor that refuses (it holds
// an unsaved new invoice) or cannot find the invoice keeps the search open.
void frmCercaFattura::lvwFatture_DblClick()
{
    QTreeWidgetItem *item = chosenRow();
    if (item && RichiamaFattura(item->text(0)))
        stepAside();
}
