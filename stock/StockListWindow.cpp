#include "stock/StockListWindow.h"

#include "base/WindowKey.h"
#include "stock/frmEtichette.h"
#include "report/LabelSource.h"
#include "rules/ShopDatabase.h"

#include "lookup/OutcomeLabel.h"

#include "base/GeneralFunc6.h"
#include "base/ViewExport.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "rules/general/Today.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/TopLevelReporter.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "lookup/DateCriterion.h"
#include "lookup/frmHelp.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSearchFailed = QStringLiteral("Si è verificato un errore. Riprovare la ricerca con nuovi dati. ");
const QString kPickerTips[2] = {QStringLiteral("Fai click qui per l'elenco degli Articoli"),
                                QStringLiteral("Fai click qui per l'elenco dei Fornitori")};

} // namespace

StockListWindow::StockListWindow(StockListKind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(std::move(kind))
    , m_focus(*this)
{
    setObjectName(m_kind.name);
    setWindowTitle(m_kind.list.title());
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(m_kind.list.title());

    m_data = new data::DataControl(this);
    buildFilters();
    buildGrid();

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = objectName() + QStringLiteral(".Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = objectName() + QStringLiteral(".Form_Activate"),
        .activate = [this] { Form_Activate(); },
    });
    life.defaultButton().setButton(cmdTrova, [this] { cmdTrova->click(); });
    resize(860, 540);
}

StockListWindow::~StockListWindow() = default;

void StockListWindow::buildFilters()
{
    const auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->installEventFilter(this);
        return edit;
    };
    txtCodiceArticolo = box("txtCodiceArticolo");
    txtDescrizioneArticolo = box("txtDescrizioneArticolo");
    txtDescrizioneArticolo->setReadOnly(true);
    txtFornitore = box("txtFornitore");
    txtDataInizio = box("txtDataInizio");
    txtDataFine = box("txtDataFine");
    for (QLineEdit *date : {txtDataInizio, txtDataFine})
        date->setMaximumWidth(100);
    cboUsato = new QComboBox(this);
    cboUsato->setObjectName(QStringLiteral("cboUsato"));
    cboUsato->addItems({QStringLiteral("Nuovo e usato"), QStringLiteral("Solo nuovo"), QStringLiteral("Solo usato")});
    for (int i = 0; i < 2; ++i) {
        cmdHelp[i] = new QPushButton(QStringLiteral("..."), this);
        cmdHelp[i]->setObjectName(QStringLiteral("cmdHelp_%1").arg(i));
        cmdHelp[i]->setToolTip(kPickerTips[i]);
        cmdHelp[i]->setFixedWidth(28);
        cmdHelp[i]->setFocusPolicy(Qt::NoFocus);
        connect(cmdHelp[i], &QPushButton::clicked, this, [this, i] { cmdHelp_Click(i); });
    }
    connect(txtCodiceArticolo, &QLineEdit::textChanged, this, [this] { codeChanged(); });

    cmdTrova = new ctrl_SkinableButton(QStringLiteral("Trova"), this);
    cmdTrova->setObjectName(QStringLiteral("cmdTrova"));
    cmdStampa = new ctrl_SkinableButton(QStringLiteral("Stampa"), this);
    cmdStampa->setObjectName(QStringLiteral("cmdStampa"));
    for (ctrl_SkinableButton *button : {cmdTrova, cmdStampa}) {
        button->setFixedSize(112, 30);
        button->installEventFilter(this);
    }
    connect(cmdTrova, &ctrl_SkinableButton::Click, this, [this] { Trova(QString()); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    if (m_kind.labels) {
        cmdEtichette = new ctrl_SkinableButton(QStringLiteral("Etichette"), this);
        cmdEtichette->setObjectName(QStringLiteral("cmdEtichette"));
        cmdEtichette->setFixedSize(112, 30);
        cmdEtichette->setToolTip(WindowKey::labels().hint());
        cmdEtichette->installEventFilter(this);
        connect(cmdEtichette, &ctrl_SkinableButton::Click, this, [this] { cmdEtichette_Click(); });
        WindowKey::labels().give(*this, [this] { cmdEtichette_Click(); });
    }
}

void StockListWindow::buildGrid()
{
    TDBGrid1 = new data::Grid(this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    QList<data::GridColumn> columns;
    for (const ExportColumn &shown : m_kind.list.columns()) {
        data::GridColumn column(shown.header, shown.field);
        column.locked = true;
        columns << column;
    }
    columns[0].numberFormat = QStringLiteral("dd/mm/yyyy");
    columns[0].width = 90;
    columns[1].width = 120;
    columns[2].width = 240;
    columns[3].checkBox = true;
    columns[3].width = 50;
    columns[4].kind = data::GridColumn::Kind::Number;
    columns[4].width = 70;
    columns[5].numberFormat = QStringLiteral("#,##0.00");
    columns[5].width = 80;
    data::GridColumn rich(QStringLiteral("Rich."), QString());
    rich.button = true;
    rich.buttonAlways = true;
    rich.width = 50;
    data::GridColumn key(QString(), m_kind.list.keyField());
    key.visible = false;
    columns << rich << key;
    TDBGrid1->setColumns(columns);
    // Changes to recorded loads and sales go through their window, which
    // corrects the stock with them.
    TDBGrid1->setAllowAddNew(false);
    TDBGrid1->setAllowUpdate(false);
    TDBGrid1->setAllowDelete(false);
    TDBGrid1->setDataSource(m_data);
    connect(TDBGrid1, &data::Grid::headClick, this, &StockListWindow::headClick);
    connect(TDBGrid1, &data::Grid::buttonClick, this, [this](int column) {
        if (column == kRichColumn)
            rowButtonClick();
    });

    auto *filters = new QGridLayout;
    filters->setHorizontalSpacing(6);
    const auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setBuddy(buddy);
        return l;
    };
    filters->addWidget(label(QStringLiteral("Articolo"), txtCodiceArticolo), 0, 0);
    filters->addWidget(txtCodiceArticolo, 0, 1);
    filters->addWidget(cmdHelp[0], 0, 2);
    filters->addWidget(txtDescrizioneArticolo, 0, 3, 1, 3);
    filters->addWidget(label(QStringLiteral("Fornitore"), txtFornitore), 1, 0);
    filters->addWidget(txtFornitore, 1, 1);
    filters->addWidget(cmdHelp[1], 1, 2);
    filters->addWidget(cboUsato, 1, 3);
    filters->addWidget(label(QStringLiteral("Data tra il"), txtDataInizio), 2, 0);
    filters->addWidget(txtDataInizio, 2, 1);
    filters->addWidget(label(QStringLiteral("e il"), txtDataFine), 2, 2);
    filters->addWidget(txtDataFine, 2, 3);
    filters->setColumnStretch(5, 1);
    txtCodiceArticolo->setMaximumWidth(160);
    txtFornitore->setMinimumWidth(160);

    cmdEsporta = newExportButton(this, TDBGrid1, [this] { return m_kind.list.list(QString()); },
                                 m_kind.name.mid(3).toLower() + QStringLiteral(".csv"));
    cmdEsporta->setFixedSize(112, 30);
    cmdEsporta->installEventFilter(this);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdTrova);
    buttons->addWidget(cmdStampa);
    buttons->addWidget(cmdEsporta);
    if (cmdEtichette)
        buttons->addWidget(cmdEtichette);
    buttons->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(filters, 1);
    top->addSpacing(12);
    top->addLayout(buttons);

    lblEsito = newOutcomeLabel(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addWidget(lblEsito);
    layout->addWidget(TDBGrid1, 1);

    // Tab goes through the filters, Trova, the grid, then Stampa and Esporta.
    QWidget *last = nullptr;
    for (QWidget *next : {static_cast<QWidget *>(txtCodiceArticolo), static_cast<QWidget *>(txtFornitore),
                          static_cast<QWidget *>(cboUsato), static_cast<QWidget *>(txtDataInizio),
                          static_cast<QWidget *>(txtDataFine), static_cast<QWidget *>(cmdTrova),
                          static_cast<QWidget *>(TDBGrid1), static_cast<QWidget *>(cmdStampa),
                          static_cast<QWidget *>(cmdEsporta), static_cast<QWidget *>(cmdEtichette)}) {
        if (!next || next->focusPolicy() == Qt::NoFocus)
            continue;
        if (last)
            setTabOrder(last, next);
        last = next;
    }
}

void StockListWindow::Form_Load()
{
    if (!m_built) {
        m_built = true;
        QList<ctrl_SkinableButton *> buttons = {cmdTrova, cmdStampa, cmdEsporta};
        if (cmdEtichette)
            buttons << cmdEtichette;
        ctrl_SkinableForm1->LoadSkin(this, buttons);
        const QString now = today().toString(QStringLiteral("dd/MM/yyyy"));
        txtDataInizio->setText(now);
        txtDataFine->setText(now);
    }
}

// The first activation puts the focus in the first filter; later ones keep
// the user's place. Back from a load or sale opened by "Rich.", a row
// changed or deleted there shows as it is now, the list where it was.
void StockListWindow::Form_Activate()
{
    if (!m_activatedOnce) {
        m_activatedOnce = true;
        txtCodiceArticolo->setFocus();
    }
    if (!m_backFromRow)
        return;
    m_backFromRow = false;
    if (m_searched && m_data->recordset()) {
        const int row = TDBGrid1->currentRow();
        const int column = TDBGrid1->currentColumn();
        const int scrolled = TDBGrid1->verticalScrollBar()->value();
        m_data->refresh();
        TDBGrid1->rebind();
        const int rows = TDBGrid1->recordsetModel()->recordCount();
        if (row >= 0 && rows > 0)
            TDBGrid1->setCurrentCell(std::min(row, rows - 1), std::max(column, 0));
        TDBGrid1->verticalScrollBar()->setValue(scrolled);
    }
}

void StockListWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StockListWindow::codeChanged()
{
    // The article picked stays the criterion while the box shows its code.
    if (!m_pickedArticle.isEmpty()) {
        if (txtCodiceArticolo->text() == m_pickedArticle)
            return;
        m_pickedArticle.clear();
    }
    errors::runReported(objectName() + QStringLiteral(".txtCodiceArticolo_Change"),
                        [this] { txtDescrizioneArticolo->setText(descriptionOf(txtCodiceArticolo->text())); });
}

void StockListWindow::Trova(const QString &sortField)
{
    // A date the date check refuses is said, and nothing is searched.
    if (!dateCriterionAccepted(txtDataInizio) || !dateCriterionAccepted(txtDataFine))
        return;
    StockListFilters filters{txtCodiceArticolo->text(), txtFornitore->text(), cboUsato->currentText(),
                             txtDataInizio->text(), txtDataFine->text()};
    if (!m_pickedArticle.isEmpty()) {
        filters.codice.clear();
        filters.articolo = m_pickedArticle;
    }
    const StockListSearch search = m_kind.list.search(filters, sortField);
    if (search.refused) {
        ui::MsgBox(kSearchFailed, ui::vbCritical, g_strAppName);
        return;
    }
    m_formula = search.formula;
    m_lastStatement = search.sql;
    bool found = false;
    try {
        SetHourglass();
        m_data->setDatabaseName(g_strDbPath);
        m_data->setRecordSource(search.sql);
        m_data->refresh();
        m_searched = true;
        found = m_data->recordset()->recordCount() != 0;
        ResetPointer();
    } catch (...) {
        ResetPointer();
        ui::MsgBox(kSearchFailed, ui::vbCritical, g_strAppName);
        return;
    }
    // What was found is in the grid; finding nothing is said above it.
    lblEsito->setText(found ? QString() : m_kind.list.noMatch());
    lblEsito->setVisible(!found);
    if (found)
        TDBGrid1->rebind();
}

void StockListWindow::headClick(int column)
{
    db::Recordset *rs = m_data->recordset();
    if (!m_searched || !rs || !rs->isOpen() || rs->recordCount() == 0)
        return;
    Trova(column < m_kind.sortFields.size() ? m_kind.sortFields.at(column) : QString());
}

void StockListWindow::rowButtonClick()
{
    const QVariant key = TDBGrid1->columnValue(kKeyColumn);
    if (!key.isValid() || key.isNull())
        return;
    m_backFromRow = true;
    richiama(long(key.toLongLong()));
}

// The labels of every load the last search found, as many as each loaded.
void StockListWindow::cmdEtichette_Click()
{
    if (!m_searched || m_lastStatement.isEmpty()) {
        ui::MsgBox(QStringLiteral("Cercare prima i carichi (Trova): le etichette sono quelle dei carichi trovati."),
                   ui::vbInformation, g_strAppName);
        return;
    }
    const QString statement = m_lastStatement;
    frmEtichette::open(this, QStringLiteral("carichi trovati"), QStringLiteral("Una per pezzo caricato"),
                       [statement](bool perPiece, int copies) {
                           std::vector<report::LabelContent> labels =
                               report::LabelSource(*ShopDatabase::open()).ofLoadList(statement);
                           if (!perPiece)
                               for (report::LabelContent &label : labels)
                                   label.copies = copies;
                           return labels;
                       });
}

void StockListWindow::cmdStampa_Click()
{
    errors::ErrorTrap trap(m_kind.printLabel);
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([this] { MainReport().set(prop::ReportFileName, ReportTemplatePath(m_kind.reportTemplate)); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([this] { MainReport().set(prop::WindowTitle, m_kind.reportTitle); });
    trap.run([this] { MainReport().set(prop::SelectionFormula, m_formula); });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

void StockListWindow::cmdHelp_Click(int index)
{
    frmHelp picker(this);
    picker.ButtonNew = false;
    if (index == 0) {
        picker.QryTable = QStringLiteral("Articoli");
        picker.QryBoundColumn = QStringLiteral("art_Codice");
        picker.QryListField = QStringLiteral("art_Descrizione");
        picker.QryOrder = QStringLiteral("art_Descrizione");
        picker.QryField = txtCodiceArticolo;
        picker.showModal();
        const QString article = NullToEmpty(picker.QrySelected).toString();
        if (picker.QryAborted || article.isEmpty())
            return;   // nothing picked: the filter stays as it was
        // The load list's box holds an item's bar code: the article picked
        // is kept as the criterion while the box shows its code.
        if (m_kind.list.kind() == StockList::Kind::Loads)
            m_pickedArticle = article;
        txtCodiceArticolo->setText(article);
        txtDescrizioneArticolo->setText(picker.QryText);
    } else {
        picker.QryTable = QStringLiteral("Fornitore");
        picker.QryBoundColumn = QStringLiteral("fo_Descrizione");
        picker.QryListField = QStringLiteral("fo_Descrizione");
        picker.QryOrder = QStringLiteral("fo_Descrizione");
        picker.QryField = txtFornitore;
        picker.showModal();
        if (!picker.QryAborted)
            txtFornitore->setText(picker.QryText);
    }
}

// A date is completed on leaving its box; a wrong one stays, for Trova to
// say what is wrong with it.
void StockListWindow::dateLeft(QLineEdit *box)
{
    dateCriterionLeft(box);
}

bool StockListWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove
        && (watched == cmdTrova || watched == cmdStampa || watched == cmdEsporta || (cmdEtichette && watched == cmdEtichette)))
        m_overButton = true;
    if (watched == txtCodiceArticolo && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            txtDescrizioneArticolo->setFocus();
            return true;
        }
    }
    auto *box = qobject_cast<QLineEdit *>(watched);
    const bool highlighted = box == txtCodiceArticolo || box == txtDataInizio || box == txtDataFine;
    if (highlighted && (type == QEvent::FocusIn || type == QEvent::FocusOut) && m_focus.counts(box, event)) {
        if (type == QEvent::FocusIn) {
            EvidenziaCampo(box);
        } else {
            NormalizzaCampo(box);
            if (box != txtCodiceArticolo)
                dateLeft(box);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void StockListWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_overButton) {
        cmdTrova->Refresh();
        cmdStampa->Refresh();
        cmdEsporta->Refresh();
        if (cmdEtichette)
            cmdEtichette->Refresh();
        m_overButton = false;
    }
    QWidget::mouseMoveEvent(event);
}
