#include "register/frmCercaAnagrafica.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ViewExport.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
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

using skin::frame::twips;

// The list starts 2790 twips below the window's top edge (its caption
// included) and ends 200 twips above its bottom edge; the buttons stand above
// it, from the top of the window's inside.
constexpr int kListTop = 2790;
constexpr int kMargin = 8;
constexpr int kButtonTops[] = {8, 44, 80, 116};
// The search lists the first entries by name, up to this many.
constexpr int kListedAtMost = 100;

} // namespace

const QString frmCercaAnagrafica::kSearchLabel = QStringLiteral("frmCercaAnagrafica.TrovaAnagrafica");

frmCercaAnagrafica::frmCercaAnagrafica(QWidget *parent)
    : SearchWindow({QStringLiteral("frmCercaAnagrafica"), QStringLiteral("Ricerca Anagrafica"), QSize(640, 480),
                    "lvwAnagrafica",
                    {QStringLiteral("Codice"), QStringLiteral("Denominazione"), QStringLiteral("Stato"),
                     QStringLiteral("Partita IVA")},
                    {80, 260, 110}},
                   parent)
{
    build();
    lvwAnagrafica = list();
}

std::function<void()> frmCercaAnagrafica::activation()
{
    return [this] { txtCodice->setFocus(); };
}

void frmCercaAnagrafica::buildCriteria()
{
    QGridLayout *grid = buildCriteriaFrame();
    const auto put = [&](const QString &caption, auto *box, int row) {
        grid->addWidget(criterionLabel(caption, box), row, 0);
        grid->addWidget(box, row, 1);
        return box;
    };
    txtCodice = put(QStringLiteral("Codice"), criterionBox(Frame1, "txtCodice", 10), 0);
    txtDenominazione = put(QStringLiteral("Denominazione"), criterionBox(Frame1, "txtDenominazione", 255), 1);
    txtPartitaIva = put(QStringLiteral("Partita Iva"), criterionBox(Frame1, "txtPartitaIva", 30), 2);
    txtStato = put(QStringLiteral("Stato"), criterionBox(Frame1, "txtStato", 50), 3);
    cboTipo = new QComboBox(Frame1);
    cboTipo->setObjectName(QStringLiteral("cboTipo"));
    cboTipo->addItems({QStringLiteral("Tutte"), QStringLiteral("Clienti"), QStringLiteral("Fornitori")});
    put(QStringLiteral("Tipo"), cboTipo, 4);
    for (QLineEdit *box : {txtCodice, txtDenominazione, txtPartitaIva})
        box->installEventFilter(this);
    txtCodice->setMaximumWidth(100);
    cboTipo->setMaximumWidth(140);
    grid->setColumnStretch(1, 1);
}

void frmCercaAnagrafica::buildOwnButtons()
{
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("anagrafica.csv"));
    cmdEsci = new ctrl_SkinableButton(QStringLiteral("Esci"), this);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    addButton(cmdEsci);
    addButton(cmdEsporta);
    connect(cmdEsci, &ctrl_SkinableButton::Click, this, [this] { close(); });
}

// The small picture of every item (ImageList1, key "Anagrafica"): the card's
// emblem. A missing picture leaves the items without one.
void frmCercaAnagrafica::skinLoaded()
{
    m_icon = rowEmblem();
}

bool frmCercaAnagrafica::eventFilter(QObject *watched, QEvent *event)
{
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
    return SearchWindow::eventFilter(watched, event);
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
    setListArea(QRect(inside.left() + kMargin, twips(kListTop), std::max(0, width() - twips(200) - 2 * inside.left()),
                      std::max(0, height() - twips(2990))));
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
    m_lastFilters = {txtCodice->text(), txtDenominazione->text(), txtPartitaIva->text(), txtStato->text(),
                     cboTipo->currentText()};
    m_lastStatement = registerSearchStatement(m_lastFilters);
    const bool ran = runSearch(kSearchLabel, m_lastStatement, [this](db::Recordset &rs) {
        addItem(rs.value(QStringLiteral("anag_contatore")).toLongLong(),
                NullToEmpty(rs.value(QStringLiteral("anag_denominazione"))).toString(),
                NullToEmpty(rs.value(QStringLiteral("anag_stato"))).toString(),
                NullToEmpty(rs.value(QStringLiteral("anag_Partita_IVA"))).toString());
    }, RegisterList::noMatch());
    // A full list may be the first 100 of more: it says so.
    const int listed = lvwAnagrafica->topLevelItemCount();
    if (!ran || listed < kListedAtMost)
        return;
    errors::ErrorTrap trap(kSearchLabel);
    trap.run([&] {
        const qlonglong total = countOf(registerCountStatement(m_lastFilters));
        if (total > listed)
            sayFound(shownOf(QStringLiteral("Mostrate"), listed, total, QStringLiteral("anagrafiche")));
    });
}

void frmCercaAnagrafica::PulisciRicerca()
{
    emptySearch({txtCodice, txtDenominazione, txtPartitaIva}, txtCodice);
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
    showReport({QStringLiteral("lstclienti.rpt"), QStringLiteral("Lista Clienti"), formula},
               [&trap](const std::function<void()> &step) { trap.run(step); });
}

// The entry picked goes to the card; the search steps aside with what it
// holds, for the card's next Search.
void frmCercaAnagrafica::lvwAnagrafica_DblClick()
{
    QTreeWidgetItem *item = chosenRow();
    if (!item)
        return;
    const QString contatore = item->text(0);
    errors::ErrorTrap trap(QStringLiteral("frmCercaAnagrafica.lvwAnagrafica_DblClick"));
    trap.run([&] { RichiamaAnagrafica(contatore); });
    stepAside();
}
