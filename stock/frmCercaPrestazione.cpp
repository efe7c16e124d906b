#include "stock/frmCercaPrestazione.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "db/Database.h"
#include "lookup/frmHelp.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "rules/ShopDatabase.h"
#include "skin/CardToolbarImages.h"
#include "skin/FrameGeometry.h"
#include "skin/SkinImage.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "rules/stock/ArticleSearchFilter.h"
#include "rules/stock/ArticleSearchPages.h"
#include "stock/frmPrestazioni.h"
#include "ui/WindowLife.h"

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

namespace {

using skin::frame::twips;

constexpr int kListTop = 2290;     // twips from the window's top edge
constexpr int kListBottom = 500;
const QString kNothingFound = QStringLiteral("Nessun articolo trovato");

} // namespace

const QString frmCercaPrestazione::kSearchLabel = QStringLiteral("frmCercaDistinta.TrovaDistinte");

frmCercaPrestazione::frmCercaPrestazione(QWidget *parent)
    : SearchWindow({QStringLiteral("frmCercaPrestazione"), QStringLiteral("Ricerca Articoli"), QSize(720, 520),
                    "lvwFatture",
                    {QString(), QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Fornitore"),
                     QStringLiteral("Quantità")},
                    {28, 80, 300, 160}},
                   parent)
{
    build();
    lvwFatture = list();
    lvwFatture->header()->setSectionsClickable(true);
    lvwFatture->header()->setSortIndicatorShown(false);
    connect(lvwFatture->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        lvwFatture_ColumnClick(column);
    });
    connect(lvwFatture->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fillWhileScrolledToEnd(); });
    connect(lvwFatture->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { fillWhileScrolledToEnd(); });
    m_counting.setSingleShot(true);
    m_counting.setInterval(kCountPause);
    connect(&m_counting, &QTimer::timeout, this, [this] { countMatches(); });
}

frmCercaPrestazione::~frmCercaPrestazione() = default;

void frmCercaPrestazione::buildCriteria()
{
    const auto label = [this](const QString &caption, QWidget *buddy, int left, int top) {
        auto *text = new QLabel(caption, this);
        text->setBuddy(buddy);
        text->move(left, top);
        text->resize(90, 24);
    };
    const auto box = [this](const char *name, int left, int top, int width) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(left, top, width, 24);
        edit->installEventFilter(this);
        return edit;
    };
    const auto pickerButton = [this](const char *name, int left, int top) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(QStringLiteral("Elenco Prestazioni"));
        button->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
        button->setGeometry(left, top, 26, 24);
        return button;
    };
    txtCodice = box("txtCodice", 110, 40, 160);
    txtDescrizione = box("txtDescrizione", 110, 70, 300);
    txtFornitore = box("txtFornitore", 110, 100, 300);
    label(QStringLiteral("Codice"), txtCodice, 16, 40);
    label(QStringLiteral("Descrizione"), txtDescrizione, 16, 70);
    label(QStringLiteral("Fornitore"), txtFornitore, 16, 100);
    cmdHelp1 = pickerButton("cmdHelp1", 414, 70);
    cmdHelp0 = pickerButton("cmdHelp0", 414, 100);
    chkGenerica = new QCheckBox(QStringLiteral("Ricerca Generica"), this);
    chkGenerica->setObjectName(QStringLiteral("chkGenerica"));
    chkGenerica->move(448, 72);
    connect(txtDescrizione, &QLineEdit::textChanged, this, [this] { TrovaDistinte(); });
    connect(cmdHelp0, &QToolButton::clicked, this, [this] { cmdHelp_Click(0); });
    connect(cmdHelp1, &QToolButton::clicked, this, [this] { cmdHelp_Click(1); });
}

// The small picture of every row (key "Anagrafica"); a missing picture
// leaves the rows without one.
void frmCercaPrestazione::skinLoaded()
{
    m_icon = rowEmblem();
}

void frmCercaPrestazione::TrovaDistinte()
{
    errors::ErrorTrap trap(kSearchLabel);
    lvwFatture->clear();
    m_pages.reset();
    m_lastFilter.clear();
    m_counting.stop();
    m_total = -1;
    sayFound(QString());
    ArticleSearchCriteria criteria{QString(), txtDescrizione->text(), chkGenerica->isChecked(), txtFornitore->text()};
    bool ran = true;
    if (!txtCodice->text().trimmed().isEmpty()) {
        ran = trap.run([&] {
            criteria.articolo = CercaValore(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                                            QStringLiteral("ca_Codice_Articolo"), txtCodice->text(), 0);
        });
        // A bar code of no stock item finds nothing: an expected condition,
        // met at every keystroke, not an error.
        if (!ran)
            return;
        if (criteria.articolo.isEmpty()) {
            sayFound(kNothingFound);
            return;
        }
    }
    m_lastFilter = articleSearchFilter(criteria);
    trap.run([&] {
        m_pages = ArticleSearchPages::prepare(ShopDatabase::open(), criteria);
        fillMore(kRowsPerPage);
        fillWhileScrolledToEnd();
    });
    if (lvwFatture->topLevelItemCount() == 0)
        sayFound(kNothingFound);
    else if (!allListed())
        m_counting.start();   // how many there are, once the typing pauses
}

// The matches beyond the rows listed are counted once the user stops
// typing: the list follows every keystroke, the count reads every match.
void frmCercaPrestazione::countMatches()
{
    if (allListed())
        return;
    errors::ErrorTrap trap(kSearchLabel);
    trap.run([&] {
        const QString filter = m_lastFilter.isEmpty() ? QString() : QStringLiteral(" where ") + m_lastFilter;
        m_total = countOf(QStringLiteral("Select count(*) as n from articoli") + filter);
        sayShown();
    });
}

void frmCercaPrestazione::sayShown()
{
    const int listed = lvwFatture->topLevelItemCount();
    if (m_total > listed)
        sayFound(shownOf(QStringLiteral("Mostrati"), listed, m_total, QStringLiteral("articoli")));
    else
        sayFound(QString());
}

bool frmCercaPrestazione::allListed() const
{
    return !m_pages;
}

void frmCercaPrestazione::addRow(const QString &codice, const QString &descrizione, const QString &fornitore,
                                 qlonglong quantita)
{
    auto *item = new QTreeWidgetItem(lvwFatture);
    item->setIcon(0, m_icon);
    item->setText(1, codice);
    item->setText(2, descrizione);
    item->setText(3, fornitore);
    item->setText(4, QString::number(quantita));
    item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
}

bool frmCercaPrestazione::fillMore(int rows)
{
    if (allListed())
        return false;
    lvwFatture->setUpdatesEnabled(false);
    const auto enableUpdates = qScopeGuard([this] { lvwFatture->setUpdatesEnabled(true); });
    for (const FoundArticle &article : m_pages->next(rows))
        addRow(QString::number(article.codice), article.descrizione, article.fornitore, article.quantita);
    if (m_pages->atEnd())
        m_pages.reset();
    if (m_total >= 0)
        sayShown();
    return !allListed();
}

void frmCercaPrestazione::fillAll()
{
    errors::ErrorTrap trap(kSearchLabel);
    trap.run([&] {
        while (fillMore(4096)) {
        }
    });
}

// The list shows its first screen at once and the next rows as the user
// scrolls to its end, never every match first.
void frmCercaPrestazione::fillWhileScrolledToEnd()
{
    QScrollBar *bar = lvwFatture->verticalScrollBar();
    if (!allListed() && bar->value() >= bar->maximum() - 2) {
        errors::ErrorTrap trap(kSearchLabel);
        trap.run([&] { fillMore(kRowsPerPage); });
    }
}

// The texts sort as texts, ascending; the list is completed first so that
// the order covers every match.
void frmCercaPrestazione::lvwFatture_ColumnClick(int column)
{
    if (column < 1)
        return;
    fillAll();
    lvwFatture->sortItems(column, Qt::AscendingOrder);
}

void frmCercaPrestazione::cmdCancella_Click()
{
    // Emptying the description searches again: what that lists goes too.
    emptySearch({txtCodice, txtDescrizione, txtFornitore}, txtCodice);
    m_pages.reset();
    m_counting.stop();
}

void frmCercaPrestazione::cmdStampa_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmCercaDistinta.cmdStampa_Click"));
    // The list prints as a whole, the rows not scrolled to yet included.
    trap.run([&] {
        while (fillMore(4096)) {
        }
    });
    QStringList codes;
    for (int i = 0; i < lvwFatture->topLevelItemCount(); ++i)
        codes << lvwFatture->topLevelItem(i)->text(1);
    const QString formula = articleListFormula(codes);
    if (formula.isEmpty())
        return;
    showReport({QStringLiteral("articoli.rpt"), QStringLiteral("Lista Articoli"), formula},
               [&trap](const std::function<void()> &step) { trap.run(step); });
}

void frmCercaPrestazione::cmdHelp_Click(int index)
{
    frmHelp picker(this);
    if (index == 0) {
        picker.QryTable = QStringLiteral("Fornitore");
        picker.QryBoundColumn = QStringLiteral("fo_Descrizione");
        picker.QryListField = QStringLiteral("fo_Descrizione");
        picker.QryOrder = QStringLiteral("fo_Descrizione");
    } else {
        picker.QryTable = QStringLiteral("Prestazione");
        picker.QryBoundColumn = QStringLiteral("pre_Codice");
        picker.QryListField = QStringLiteral("pre_Descrizione");
        picker.QryOrder = QStringLiteral("pre_Descrizione");
    }
    picker.ButtonNew = false;
    // A window of 8000 twips with a list of 7980.
    picker.QrySize = 7980.0f / float(frmHelp::BaseListWidthTwips);
    QLineEdit *field = index == 0 ? txtFornitore : txtDescrizione;
    picker.QryField = field;
    picker.showModal();
    // A pick given up leaves the criterion typed.
    if (!picker.QryAborted)
        field->setText(picker.QryText);
}

// The card shows the article picked; a card holding unsaved changes keeps
// them, with its own message.
void frmCercaPrestazione::lvwFatture_DblClick()
{
    errors::ErrorTrap trap(QStringLiteral("frmCercaFattura.lvwFatture_dblClick"));
    QTreeWidgetItem *item = chosenRow();
    if (!item)
        return;
    const QString query = QStringLiteral("select * from Articoli where art_Codice = ") + item->text(1);
    trap.run([&] { openWindow<frmPrestazioni>([&](frmPrestazioni &card) { card.p_strQuery = query; }); });
}

bool frmCercaPrestazione::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtCodice || watched == txtDescrizione) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::FocusIn)
            EvidenziaCampo(box);
        else if (event->type() == QEvent::FocusOut)
            NormalizzaCampo(box);
    }
    return SearchWindow::eventFilter(watched, event);
}

// From 8600 twips wide the list takes the window below the criteria and the
// buttons stand at its right edge; narrower windows keep their layout.
void frmCercaPrestazione::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() < twips(8600) && lvwFatture->width() > 0)
        return;
    const QRect inside = contentsRect();
    const int buttonLeft = width() - cmdCancella->width() - twips(200);
    const int tops[] = {8, 44, 80};
    for (int i = 0; i < 3; ++i)
        buttons().at(i)->move(buttonLeft, inside.top() + tops[i]);
    const int listTop = std::max(twips(kListTop), inside.top() + 124);
    setListArea(QRect(twips(250), listTop, std::max(0, width() - twips(500)),
                      std::max(0, height() - listTop - twips(kListBottom))));
}
