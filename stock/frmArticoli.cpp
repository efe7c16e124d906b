#include "stock/frmArticoli.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ViewExport.h"
#include "base/ProgramWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "rules/TypedNumber.h"
#include "data/Grid.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "base/WindowKey.h"
#include "stock/frmEtichette.h"
#include "report/LabelSource.h"
#include "rules/ShopDatabase.h"
#include "ui/Messages.h"

#include <QEvent>
#include <QHeaderView>
#include <algorithm>

namespace {

constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 30;
constexpr int kMargin = 8;

bool isAmountKey(int keyAscii)
{
    return (keyAscii >= '0' && keyAscii <= '9') || keyAscii == 44 || keyAscii == 9 || keyAscii == 8 || keyAscii == 10
           || keyAscii == 13;
}

} // namespace

const QString frmArticoli::kMissingFields = QStringLiteral("I campi Codice e Descrizione sono obbligatori.")
                                            + QStringLiteral("\r\n")
                                            + QStringLiteral("Il dato inserito non può essere salvato.");
const QString frmArticoli::kArticleInUse =
    QStringLiteral("L'articolo ha codici a barre in magazzino, con i loro carichi e le vendite: non può essere eliminato.");

frmArticoli::frmArticoli(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmArticoli"));
    setWindowTitle(ArticleList::title());
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Articoli"));

    datArticoli = new data::DataControl(this);
    datArticoli->setObjectName(QStringLiteral("datArticoli"));

    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    const QString money = QStringLiteral("0.00");
    const QList<ExportColumn> listed = ArticleList::columns();
    const auto column = [&money, &listed](int field, const QString &format = QString(), int width = 90) {
        data::GridColumn c(listed.at(field).header, listed.at(field).field);
        c.numberFormat = format;
        c.width = width;
        if (format == money)
            c.limits = TypedNumber::kAmount;
        else if (field == Quantita)
            c.limits = TypedNumber::kQuantity;
        return c;
    };
    data::GridColumn codice = column(Codice, QString(), 70);
    codice.locked = true;   // the database numbers the articles
    data::GridColumn usato = column(Usato, QString(), 50);
    usato.checkBox = true;
    TDBGrid1->setColumns({codice, column(Descrizione, QString(), 240), column(PrezzoCarico, money),
                          column(Listino, money), column(Quantita, QString(), 70), column(PrezzoMedio, money),
                          column(Ricarico, money), usato, column(DataUV)});
    TDBGrid1->setAllowUpdate(true);
    TDBGrid1->setAllowAddNew(true);
    TDBGrid1->setAllowDelete(true);
    TDBGrid1->setDataSource(datArticoli);

    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    cmdChiudi = new ctrl_SkinableButton(QStringLiteral("Chiudi"), this);
    cmdChiudi->setObjectName(QStringLiteral("cmdChiudi"));
    cmdEsporta = newExportButton(this, TDBGrid1, [] { return ArticleList::list(QString()); },
                                 QStringLiteral("articoli.csv"));
    cmdEtichette = new ctrl_SkinableButton(QStringLiteral("Etichette"), this);
    cmdEtichette->setObjectName(QStringLiteral("cmdEtichette"));
    cmdEtichette->setToolTip(WindowKey::labels().hint());
    connect(cmdEtichette, &ctrl_SkinableButton::Click, this, [this] { cmdEtichette_Click(); });
    WindowKey::labels().give(*this, [this] { cmdEtichette_Click(); });
    // Several rows may be chosen for their labels (Maiusc or Ctrl with the
    // arrows or the mouse).
    TDBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (ctrl_SkinableButton *button : {cmdStampa, cmdEsporta, cmdEtichette, cmdChiudi}) {
        button->resize(kButtonWidth, kButtonHeight);
        button->installEventFilter(this);
    }
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });

    connect(TDBGrid1, &data::Grid::keyPress, this, &frmArticoli::TDBGrid1_KeyPress);
    connect(TDBGrid1, &data::Grid::beforeUpdate, this, &frmArticoli::TDBGrid1_BeforeUpdate);
    connect(TDBGrid1, &data::Grid::beforeDelete, this, &frmArticoli::TDBGrid1_BeforeDelete);
    connect(TDBGrid1, &data::Grid::dataError, this, &frmArticoli::TDBGrid1_Error);
    connect(TDBGrid1, &data::Grid::headClick, this, &frmArticoli::TDBGrid1_HeadClick);

    giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmArticoli.Load"),
        .load = [this] { Form_Load(); },
    });
    resize(1010, 520);
}

frmArticoli::~frmArticoli() = default;

void frmArticoli::Form_Load()
{
    if (!m_built) {
        m_built = true;
        ctrl_SkinableForm1->LoadSkin(this, {cmdStampa, cmdEsporta, cmdEtichette, cmdChiudi});
    }
    m_overButton = false;
    errors::ErrorTrap trap(QStringLiteral("frmArticoli.Load"));
    trap.run([&] { datArticoli->setDatabaseName(g_strDbPath); });
    trap.run([&] { datArticoli->setRecordSource(ArticleList::statement()); });
    trap.run([&] { datArticoli->setConnect(QStringLiteral(";PWD=") + g_strDbPassword); });
    trap.run([&] { datArticoli->refresh(); });   // the grid follows
    ResetPointer();
}

// Always ascending: a second click on the same heading gives the same order.
void frmArticoli::TDBGrid1_HeadClick(int column)
{
    if (column < Codice || column > DataUV)
        return;
    errors::ErrorTrap trap(QStringLiteral("frmArticoli.TDBG1_Headclick"));
    // The grid counts every row before it shows (its add-new row comes
    // last). It is given the rows once they are all keyed in one read: read
    // page by page, an order no index gives would sort the table per page.
    trap.run([&] { TDBGrid1->setDataSource(nullptr); });
    trap.run([&] {
        datArticoli->setRecordSource(QStringLiteral("select * from articoli order by ")
                                     + ArticleList::columns().at(column).field);
    });
    trap.run([&] { datArticoli->refresh(); });
    trap.run([&] {
        db::Recordset *rs = datArticoli->recordset();
        if (rs && rs->recordCount() > 0) {
            rs->moveLast();
            rs->moveFirst();
        }
    });
    trap.run([&] { TDBGrid1->setDataSource(datArticoli); });
}

void frmArticoli::TDBGrid1_KeyPress(int column, int &keyAscii)
{
    if (column == Codice) {
        if (keyAscii >= 32)
            keyAscii = QChar(keyAscii).toUpper().unicode();
    } else if (column == PrezzoCarico || column == Listino || column == Quantita) {
        if (!isAmountKey(keyAscii))
            keyAscii = 0;
    }
}

// The amount a cell shows, read in the user's number format (the test of a
// missing price and the conversion read the same value); empty is 0.
double frmArticoli::columnAmount(int column) const
{
    return ToNumber(TDBGrid1->columnText(column).trimmed());
}

void frmArticoli::TDBGrid1_BeforeUpdate(bool &cancel)
{
    errors::ErrorTrap trap(QStringLiteral("frmArticoli.tdbg_BeforeUpdate"));
    trap.run([&] {
        // A new row has no code yet: the database gives it when it is written.
        const bool codeMissing = !TDBGrid1->isAddNewRow() && TDBGrid1->columnText(Codice).trimmed().isEmpty();
        if (codeMissing || TDBGrid1->columnText(Descrizione).trimmed().isEmpty()) {
            ui::MsgBox(kMissingFields, ui::vbExclamation, g_strAppName);
            cancel = true;
            return;
        }
        CompletaPrezzi();
    });
}

void frmArticoli::CompletaPrezzi()
{
    const double carico = columnAmount(PrezzoCarico);
    const double listino = columnAmount(Listino);
    if (carico > 0 && listino == 0)
        TDBGrid1->setColumnValue(Listino, ConvertiValuta(carico, 2));
    else if (listino > 0 && carico == 0)
        TDBGrid1->setColumnValue(PrezzoCarico, ConvertiValuta(listino, 1));
}

// An article whose bar codes are in stock (and so in loads and sales) stays.
void frmArticoli::TDBGrid1_BeforeDelete(bool &cancel)
{
    const QString codice = TDBGrid1->columnText(Codice);
    const QString item = CercaValore(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice_Articolo"),
                                     QStringLiteral("ca_Codice"), codice, 1);
    if (!item.isEmpty()) {
        ui::MsgBox(kArticleInUse, ui::vbExclamation, g_strAppName);
        cancel = true;
        return;
    }
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente la riga selezionata?"),
                                  ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName);
    cancel = answer != ui::vbYes;
}

// A duplicate code gets the program's own message, any other refusal the
// standard one; the row stays in editing either way.
void frmArticoli::TDBGrid1_Error(const db::DbError &error, bool &showMessage)
{
    showMessage = false;
    ErroreDati(error);
}

void frmArticoli::cmdStampa_Click()
{
    namespace prop = report::prop;
    errors::ErrorTrap trap(QStringLiteral("frmArticoli.cmdStampa_Click"));
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("articoli.rpt"))); });
    trap.run([] { MainReport().set(prop::WindowTitle, QStringLiteral("Lista Articoli")); });
    trap.run([] { MainReport().set(prop::Connect, QStringLiteral(";PWD=") + g_strDbPassword); });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

QList<qint64> frmArticoli::selectedArticles() const
{
    QList<int> rows;
    for (const QModelIndex &index : TDBGrid1->selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()))
            rows << index.row();
    if (rows.isEmpty() && TDBGrid1->currentIndex().isValid())
        rows << TDBGrid1->currentIndex().row();
    std::sort(rows.begin(), rows.end());
    QList<qint64> articles;
    for (const int row : rows) {
        bool ok = false;
        const qint64 article = TDBGrid1->model()->index(row, Codice).data(Qt::EditRole).toLongLong(&ok);
        if (ok && article > 0)
            articles << article;
    }
    return articles;
}

// The labels of the chosen articles' items.
void frmArticoli::cmdEtichette_Click()
{
    const QList<qint64> articles = selectedArticles();
    if (articles.isEmpty()) {
        ui::MsgBox(QStringLiteral("Scegliere nella griglia gli articoli di cui stampare le etichette."), ui::vbInformation,
                   g_strAppName);
        return;
    }
    frmEtichette::open(this, articles.size() == 1 ? QStringLiteral("articolo %1").arg(articles.first())
                                                  : QStringLiteral("%1 articoli").arg(articles.size()),
                       QStringLiteral("Una per pezzo in giacenza"), [articles](bool perPiece, int copies) {
                           return report::LabelSource(*ShopDatabase::open())
                               .ofArticles(articles, perPiece ? report::LabelSource::Copies::Stock
                                                              : report::LabelSource::Copies::Fixed,
                                           copies);
                       });
}

bool frmArticoli::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == cmdStampa || watched == cmdEsporta || watched == cmdEtichette
                                                    || watched == cmdChiudi))
        m_overButton = true;
    return QWidget::eventFilter(watched, event);
}

void frmArticoli::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        cmdStampa->Refresh();
        cmdEsporta->Refresh();
        cmdEtichette->Refresh();
        cmdChiudi->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}

void frmArticoli::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect inside = contentsRect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int buttonsTop = inside.bottom() - kButtonHeight;
    cmdChiudi->move(inside.right() - kButtonWidth, buttonsTop);
    cmdStampa->move(inside.right() - 2 * kButtonWidth - kMargin, buttonsTop);
    cmdEsporta->move(inside.right() - 3 * kButtonWidth - 2 * kMargin, buttonsTop);
    cmdEtichette->move(inside.right() - 4 * kButtonWidth - 3 * kMargin, buttonsTop);
    TDBGrid1->setGeometry(inside.left(), inside.top(), inside.width(), std::max(0, buttonsTop - kMargin - inside.top()));
}
