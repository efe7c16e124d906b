#include "stock/frmCercaPrestazione.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/OpenWindow.h"
#include "app/ProgramWindow.h"
#include "app/errors/ErrorTrap.h"
#include "app/modZandri.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
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

constexpr int twips(int value)
{
    return value / skin::frame::kTwipsPerPixel;
}

constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 30;
constexpr int kListTop = 2290;     // twips from the window's top edge
constexpr int kListBottom = 500;

} // namespace

const QString frmCercaPrestazione::kSearchLabel = QStringLiteral("frmCercaDistinta.TrovaDistinte");

frmCercaPrestazione::frmCercaPrestazione(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCercaPrestazione"));
    setWindowTitle(QStringLiteral("Ricerca Articoli"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Ricerca Articoli"));

    buildCriteria();
    buildButtons();

    lvwFatture = new QTreeWidget(this);
    lvwFatture->setObjectName(QStringLiteral("lvwFatture"));
    lvwFatture->setRootIsDecorated(false);
    lvwFatture->setUniformRowHeights(true);
    lvwFatture->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwFatture->setAllColumnsShowFocus(true);
    lvwFatture->setHeaderLabels({QString(), QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                                 QStringLiteral("Fornitore"), QStringLiteral("Quantità")});
    lvwFatture->setColumnWidth(0, 28);
    lvwFatture->setColumnWidth(1, 80);
    lvwFatture->setColumnWidth(2, 300);
    lvwFatture->setColumnWidth(3, 160);
    lvwFatture->header()->setSectionsClickable(true);
    lvwFatture->header()->setSortIndicatorShown(false);
    connect(lvwFatture->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        lvwFatture_ColumnClick(column);
    });
    connect(lvwFatture, &QTreeWidget::itemDoubleClicked, this, [this] { lvwFatture_DblClick(); });
    connect(lvwFatture->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fillWhileScrolledToEnd(); });
    connect(lvwFatture->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { fillWhileScrolledToEnd(); });

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmCercaPrestazione.Form_Load"),
        .load = [this] { Form_Load(); },
    });
    life.defaultButton().setButton(cmdTrova, [this] { cmdTrova->click(); });
    resize(720, 520);
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

void frmCercaPrestazione::buildButtons()
{
    cmdTrova = new ctrl_SkinableButton(QStringLiteral("Trova"), this);
    cmdTrova->setObjectName(QStringLiteral("cmdTrova"));
    cmdCancella = new ctrl_SkinableButton(QStringLiteral("Nuova Ricerca"), this);
    cmdCancella->setObjectName(QStringLiteral("cmdCancella"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    for (ctrl_SkinableButton *button : buttons()) {
        button->resize(kButtonWidth, kButtonHeight);
        button->installEventFilter(this);
    }
    connect(cmdTrova, &ctrl_SkinableButton::Click, this, [this] { TrovaDistinte(); });
    connect(cmdCancella, &ctrl_SkinableButton::Click, this, [this] { cmdCancella_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
}

QList<ctrl_SkinableButton *> frmCercaPrestazione::buttons() const
{
    return {cmdTrova, cmdCancella, cmdStampa};
}

void frmCercaPrestazione::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, buttons());
    // The small picture of every row (key "Anagrafica"); a missing picture
    // leaves the rows without one.
    try {
        const QImage emblem = skin::loadSkinImage(
            skin::skinFile(ctrl_SkinableForm1->SkinPath(), skin::toolbarPictureName(10, QStringLiteral("norm"))));
        m_icon = QIcon(QPixmap::fromImage(emblem.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    } catch (...) {
        m_icon = QIcon();
    }
}

void frmCercaPrestazione::TrovaDistinte()
{
    errors::ErrorTrap trap(kSearchLabel);
    lvwFatture->clear();
    m_pages.reset();
    m_lastFilter.clear();
    ArticleSearchCriteria criteria{QString(), txtDescrizione->text(), chkGenerica->isChecked(), txtFornitore->text()};
    bool ran = true;
    if (!txtCodice->text().trimmed().isEmpty()) {
        ran = trap.run([&] {
            criteria.articolo = CercaValore(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                                            QStringLiteral("ca_Codice_Articolo"), txtCodice->text(), 0);
        });
        // A bar code of no stock item finds nothing: an expected condition,
        // met at every keystroke, not an error.
        if (!ran || criteria.articolo.isEmpty())
            return;
    }
    m_lastFilter = articleSearchFilter(criteria);
    trap.run([&] {
        m_pages = ArticleSearchPages::prepare(ShopDatabase::open(), criteria);
        fillMore(kRowsPerPage);
        fillWhileScrolledToEnd();
    });
}

bool frmCercaPrestazione::allListed() const
{
    return !m_pages;
}

void frmCercaPrestazione::addRow(const QString &codice, const QString &descrizione, const QString &fornitore)
{
    auto *item = new QTreeWidgetItem(lvwFatture);
    item->setIcon(0, m_icon);
    item->setText(1, codice);
    item->setText(2, descrizione);
    item->setText(3, fornitore);
}

bool frmCercaPrestazione::fillMore(int rows)
{
    if (allListed())
        return false;
    lvwFatture->setUpdatesEnabled(false);
    const auto enableUpdates = qScopeGuard([this] { lvwFatture->setUpdatesEnabled(true); });
    for (const FoundArticle &article : m_pages->next(rows))
        addRow(QString::number(article.codice), article.descrizione, article.fornitore);
    if (m_pages->atEnd())
        m_pages.reset();
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
    txtCodice->clear();
    txtDescrizione->clear();
    txtFornitore->clear();
    lvwFatture->clear();
    m_pages.reset();
    txtCodice->setFocus();
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
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("articoli.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([] { MainReport().set(prop::WindowTitle, QStringLiteral("Lista Articoli")); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([&] { MainReport().set(prop::SelectionFormula, formula); });
    trap.run([] { MainReport().set(prop::Action, 1); });
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
    picker.showModal();
    (index == 0 ? txtFornitore : txtDescrizione)->setText(picker.QryText);
}

// The card shows the article picked; a card holding unsaved changes keeps
// them, with its own message.
void frmCercaPrestazione::lvwFatture_DblClick()
{
    errors::ErrorTrap trap(QStringLiteral("frmCercaFattura.lvwFatture_dblClick"));
    QTreeWidgetItem *item = lvwFatture->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString query = QStringLiteral("select * from Articoli where art_Codice = ") + item->text(1);
    trap.run([&] { openWindow<frmPrestazioni>([&](frmPrestazioni &card) { card.p_strQuery = query; }); });
}

bool frmCercaPrestazione::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && buttons().contains(static_cast<ctrl_SkinableButton *>(watched)))
        m_overButton = true;
    if (watched == txtCodice || watched == txtDescrizione) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::FocusIn)
            EvidenziaCampo(box);
        else if (event->type() == QEvent::FocusOut)
            NormalizzaCampo(box);
    }
    return QWidget::eventFilter(watched, event);
}

void frmCercaPrestazione::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        for (ctrl_SkinableButton *button : buttons())
            button->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
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
    lvwFatture->setGeometry(twips(250), listTop, std::max(0, width() - twips(500)),
                            std::max(0, height() - listTop - twips(kListBottom)));
}
