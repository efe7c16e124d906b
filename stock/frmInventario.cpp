#include "stock/frmInventario.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/ProgramWindow.h"
#include "base/ViewExport.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/TextKeys.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "rules/RuleError.h"
#include "report/RowsReportSource.h"
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakeList.h"
#include "rules/stock/StockTakePosting.h"
#include "rules/stock/StockTakeScope.h"
#include "skin/ctrl_SkinableButton.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/DefaultButton.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString frmInventario::kBadDate = QStringLiteral("Scrivere la data dell'inventario come gg/mm/aaaa.");
const QString frmInventario::kFutureDate = QStringLiteral("La data dell'inventario non può seguire quella di oggi.");
const QString frmInventario::kUnknownSupplier =
    QStringLiteral("Il fornitore %1 non è nell'elenco dei fornitori e nessun articolo lo indica.");
const QString frmInventario::kNoCount =
    QStringLiteral("Nessun inventario aperto: indicare data, fornitore o descrizione e premere \"Nuovo\".");

namespace {

enum Column { Codice, Descrizione, Taglia, Colore, Contato, Giacenza, Differenza, Columns };

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

frmInventario::frmInventario(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmInventario"));
    setWindowTitle(QStringLiteral("Inventario"));
    setAttribute(Qt::WA_DeleteOnClose);

    ctrl_SkinableForm1 = new ctrl_SkinableForm(this);
    ctrl_SkinableForm1->setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    ctrl_SkinableForm1->setCaption(QStringLiteral("Inventario"));

    const auto box = [this](const char *name, int width) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        if (width > 0)
            edit->setMaximumWidth(width);
        edit->installEventFilter(this);
        return edit;
    };
    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new ctrl_SkinableButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(112, 30);
        return b;
    };
    cboInventari = new QComboBox(this);
    cboInventari->setObjectName(QStringLiteral("cboInventari"));
    cboInventari->setMinimumWidth(360);
    txtData = box("txtData", 100);
    txtFornitore = box("txtFornitore", 0);
    txtDescrizione = box("txtDescrizione", 0);
    cmdNuovo = button(QStringLiteral("Nuovo"), "cmdNuovo");
    lblInventario = new QLabel(this);
    lblInventario->setObjectName(QStringLiteral("lblInventario"));
    QFont bold = lblInventario->font();
    bold.setBold(true);
    lblInventario->setFont(bold);
    txtCodice = box("txtCodice", 200);
    txtQuantita = box("txtQuantita", 80);
    txtQuantita->setPlaceholderText(QStringLiteral("1"));
    cmdConta = button(QStringLiteral("Conta"), "cmdConta");
    cmdCorreggi = button(QStringLiteral("Correggi"), "cmdCorreggi");
    chkSoloDifferenze = new QCheckBox(QStringLiteral("Solo differenze"), this);
    chkSoloDifferenze->setObjectName(QStringLiteral("chkSoloDifferenze"));
    chkAzzera = new QCheckBox(QStringLiteral("Azzera gli articoli non contati"), this);
    chkAzzera->setObjectName(QStringLiteral("chkAzzera"));

    lvwInventario = new QTreeWidget(this);
    lvwInventario->setObjectName(QStringLiteral("lvwInventario"));
    lvwInventario->setRootIsDecorated(false);
    lvwInventario->setUniformRowHeights(true);
    lvwInventario->setHeaderLabels({QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Taglia"),
                                    QStringLiteral("Colore"), QStringLiteral("Contato"), QStringLiteral("Giacenza"),
                                    QStringLiteral("Differenza")});
    lvwInventario->header()->setStretchLastSection(false);
    lvwInventario->header()->setSectionResizeMode(Descrizione, QHeaderView::Stretch);
    for (int c : {Contato, Giacenza, Differenza})
        lvwInventario->setColumnWidth(c, 80);
    lvwInventario->setColumnWidth(0, 120);   // a whole EAN-13
    lvwInventario->setColumnWidth(2, 70);
    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));

    cmdRegistra = button(QStringLiteral("Registra"), "cmdRegistra");
    cmdStampa = button(QStringLiteral("Stampa"), "cmdStampa");
    cmdEsporta = newExportButton(this, [this] { return listToExport(); }, QStringLiteral("inventario.csv"));
    cmdEsporta->setFixedSize(112, 30);
    cmdChiudi = button(QStringLiteral("Chiudi"), "cmdChiudi");
    connect(cmdNuovo, &ctrl_SkinableButton::Click, this, [this] { cmdNuovo_Click(); });
    connect(cmdConta, &ctrl_SkinableButton::Click, this, [this] { cmdConta_Click(); });
    connect(cmdCorreggi, &ctrl_SkinableButton::Click, this, [this] { cmdCorreggi_Click(); });
    connect(cmdRegistra, &ctrl_SkinableButton::Click, this, [this] { cmdRegistra_Click(); });
    connect(cmdStampa, &ctrl_SkinableButton::Click, this, [this] { cmdStampa_Click(); });
    connect(cmdChiudi, &ctrl_SkinableButton::Click, this, [this] { close(); });
    connect(cboInventari, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling && index >= 0)
            showCount(cboInventari->itemData(index).toLongLong());
    });
    connect(chkSoloDifferenze, &QCheckBox::toggled, this, [this] { showLines(); });
    connect(chkAzzera, &QCheckBox::toggled, this, [this](bool on) {
        if (m_filling || !m_take)
            return;
        errors::ErrorTrap trap(QStringLiteral("frmInventario.chkAzzera_Click"));
        trap.run([&] {
            if (StockTake::setAzzeraNonContati(*ShopDatabase::open(), m_take->numero, on))
                m_take->azzeraNonContati = on;
            if (chkSoloDifferenze->isChecked())
                showLines();
        });
    });
    // A line picked in the list is the one "Correggi" corrects.
    connect(lvwInventario, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && !m_filling)
            txtCodice->setText(item->text(Codice));
    });

    auto *count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("Inventario"), this));
    count->addWidget(cboInventari, 1);
    auto *fresh = new QHBoxLayout;
    const auto labelled = [this](QHBoxLayout *row, const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        row->addWidget(label);
        row->addWidget(buddy);
    };
    labelled(fresh, QStringLiteral("&Data"), txtData);
    labelled(fresh, QStringLiteral("&Fornitore"), txtFornitore);
    labelled(fresh, QStringLiteral("D&escrizione"), txtDescrizione);
    fresh->addWidget(cmdNuovo);
    auto *scan = new QHBoxLayout;
    labelled(scan, QStringLiteral("C&odice"), txtCodice);
    labelled(scan, QStringLiteral("&Quantità"), txtQuantita);
    scan->addWidget(cmdConta);
    scan->addWidget(cmdCorreggi);
    scan->addStretch(1);
    scan->addWidget(chkSoloDifferenze);
    scan->addWidget(chkAzzera);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdChiudi);
    bottom->addStretch(1);
    bottom->addWidget(cmdEsporta);
    bottom->addWidget(cmdStampa);
    bottom->addWidget(cmdRegistra);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(count);
    layout->addLayout(fresh);
    layout->addWidget(lblInventario);
    layout->addLayout(scan);
    layout->addWidget(lvwInventario, 1);
    layout->addWidget(lblTotale);
    layout->addLayout(bottom);

    // The scan first: the count is what the window is opened for.
    setTabOrder(txtCodice, txtQuantita);
    setTabOrder(txtQuantita, cmdConta);
    setTabOrder(cmdConta, cmdCorreggi);
    setTabOrder(cmdCorreggi, chkSoloDifferenze);
    setTabOrder(chkSoloDifferenze, chkAzzera);
    setTabOrder(chkAzzera, lvwInventario);
    setTabOrder(lvwInventario, cmdRegistra);
    setTabOrder(cmdRegistra, cmdStampa);
    setTabOrder(cmdStampa, cmdEsporta);
    setTabOrder(cmdEsporta, cmdChiudi);
    setTabOrder(cmdChiudi, cboInventari);
    setTabOrder(cboInventari, txtData);
    setTabOrder(txtData, txtFornitore);
    setTabOrder(txtFornitore, txtDescrizione);
    setTabOrder(txtDescrizione, cmdNuovo);

    ui::WindowLife &life = giveWindowLife(*this, ctrl_SkinableForm1, {
        .loadLabel = QStringLiteral("frmInventario.Form_Load"),
        .load = [this] { Form_Load(); },
        .activateLabel = QStringLiteral("frmInventario.Form_Activate"),
        .activate = [this] { backToCode(); },
    });
    life.defaultButton().setButton(cmdConta, [this] { cmdConta->click(); });
    resize(860, 560);
}

frmInventario::~frmInventario() = default;

void frmInventario::Form_Load()
{
    if (m_built)
        return;
    m_built = true;
    ctrl_SkinableForm1->LoadSkin(this, {cmdNuovo, cmdConta, cmdCorreggi, cmdRegistra, cmdStampa, cmdEsporta, cmdChiudi});
    txtData->setText(dayText(today()));
    const std::optional<StockTake> open = StockTake::lastOpen(*ShopDatabase::open());
    fillCounts(open ? open->numero : 0);
    if (open)
        showCount(open->numero);
    else
        enableForCount();
}

// The list to pick a count from: the newest first.
void frmInventario::fillCounts(qlonglong select)
{
    m_filling = true;
    cboInventari->clear();
    for (const StockTake &take : StockTake::all(*ShopDatabase::open())) {
        cboInventari->addItem(take.caption(), take.numero);
        if (take.numero == select)
            cboInventari->setCurrentIndex(cboInventari->count() - 1);
    }
    if (select == 0)
        cboInventari->setCurrentIndex(-1);
    m_filling = false;
}

void frmInventario::showCount(qlonglong numero)
{
    errors::ErrorTrap trap(QStringLiteral("frmInventario.showCount"));
    trap.run([&] {
        m_take = StockTake::read(*ShopDatabase::open(), numero);
        m_filling = true;
        chkAzzera->setChecked(m_take && m_take->azzeraNonContati);
        m_filling = false;
        lblInventario->setText(m_take ? m_take->caption() : QString());
        showLines();
        enableForCount();
    });
}

void frmInventario::enableForCount()
{
    const bool open = m_take && !m_take->registrato;
    for (QWidget *w : {static_cast<QWidget *>(txtCodice), static_cast<QWidget *>(txtQuantita),
                       static_cast<QWidget *>(cmdConta), static_cast<QWidget *>(cmdCorreggi),
                       static_cast<QWidget *>(chkAzzera), static_cast<QWidget *>(cmdRegistra)})
        w->setEnabled(open);
    cmdStampa->setEnabled(m_take.has_value());
    if (!m_take)
        lblInventario->setText(kNoCount);
}

void frmInventario::showLines()
{
    m_filling = true;
    lvwInventario->clear();
    m_items.clear();
    m_shown.clear();
    m_filling = false;
    if (!m_take) {
        showTotals();
        return;
    }
    SetHourglass();
    PointerReset reset;
    StockTakeLines lines(*ShopDatabase::open(), *m_take);
    const QList<StockTakeLine> counted = lines.lines();
    m_shown = chkSoloDifferenze->isChecked() ? lines.differences(counted) : counted;
    m_filling = true;
    QList<QTreeWidgetItem *> items;
    items.reserve(m_shown.size());
    for (const StockTakeLine &line : m_shown) {
        auto *item = new QTreeWidgetItem;
        setLine(item, line);
        m_items.insert(db::foldedText(line.codice), item);
        items << item;
    }
    lvwInventario->addTopLevelItems(items);
    m_filling = false;
    showTotals();
}

void frmInventario::setLine(QTreeWidgetItem *item, const StockTakeLine &line)
{
    item->setText(Codice, line.codice);
    item->setText(Descrizione, line.descrizione);
    item->setText(Taglia, line.taglia);
    item->setText(Colore, line.colore);
    item->setText(Contato, line.contato ? QString::number(line.quantitaContata) : QStringLiteral("non contato"));
    item->setText(Giacenza, QString::number(line.giacenza));
    item->setText(Differenza, QString::number(line.differenza()));
    for (int c : {Contato, Giacenza, Differenza})
        item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

// The scanned item's line, changed where it is or added at the end, and
// made the current one.
void frmInventario::showLine(const StockTakeLine &line, bool select)
{
    const QString key = db::foldedText(line.codice);
    if (chkSoloDifferenze->isChecked()) {
        showLines();
    } else {
        QTreeWidgetItem *item = m_items.value(key);
        m_filling = true;
        if (!item) {
            item = new QTreeWidgetItem(lvwInventario);
            m_items.insert(key, item);
            m_shown << line;
        } else {
            for (StockTakeLine &shown : m_shown)
                if (shown.codice == line.codice)
                    shown = line;
        }
        setLine(item, line);
        m_filling = false;
        showTotals();
    }
    if (QTreeWidgetItem *item = m_items.value(key); item && select) {
        m_filling = true;
        lvwInventario->setCurrentItem(item);
        m_filling = false;
        lvwInventario->scrollToItem(item);
    }
}

void frmInventario::showTotals()
{
    long pieces = 0;
    int differing = 0;
    int counted = 0;
    for (const StockTakeLine &line : m_shown) {
        if (line.contato)
            ++counted;
        pieces += line.quantitaContata;
        if (line.differenza() != 0)
            ++differing;
    }
    lblTotale->setText(QStringLiteral("Articoli contati: %1 - Pezzi: %2 - Con differenza: %3")
                           .arg(counted)
                           .arg(pieces)
                           .arg(differing));
}

void frmInventario::backToCode()
{
    if (txtCodice->isEnabled()) {
        txtCodice->setFocus();
        txtCodice->selectAll();
    } else if (!m_take) {
        txtData->setFocus();
    }
}

void frmInventario::warn(const QString &text)
{
    ui::MsgBox(text, ui::vbExclamation, g_strAppName);
}

void frmInventario::cmdNuovo_Click()
{
    const QString checked = ControllaData(txtData->text(), 0);
    const QDate day = QDate::fromString(checked, QStringLiteral("dd/MM/yyyy"));
    if (!day.isValid()) {
        warn(kBadDate);
        txtData->setFocus();
        return;
    }
    if (day > today()) {
        warn(kFutureDate);
        txtData->setFocus();
        return;
    }
    txtData->setText(checked);
    errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdNuovo_Click"));
    trap.run([&] {
        auto database = ShopDatabase::open();
        const QString supplier = txtFornitore->text().trimmed();
        if (!supplier.isEmpty() && !StockTakeScope::knownSupplier(*database, supplier)) {
            warn(kUnknownSupplier.arg(supplier));
            txtFornitore->setFocus();
            return;
        }
        const StockTake take = StockTake::create(*database, day, supplier, txtDescrizione->text().trimmed());
        txtFornitore->clear();
        txtDescrizione->clear();
        fillCounts(take.numero);
        showCount(take.numero);
        backToCode();
    });
}

void frmInventario::cmdConta_Click()
{
    if (!m_take || m_take->registrato) {
        warn(m_take ? StockTakeLines::message(StockTakeLines::Outcome::Posted, StockTakeLines::Mode::Add, QString())
                    : kNoCount);
        return;
    }
    // A quantity typed, then Enter: the scan comes next.
    if (txtCodice->text().trimmed().isEmpty() && QApplication::focusWidget() == txtQuantita) {
        backToCode();
        return;
    }
    errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdConta_Click"));
    bool toQuantity = false;
    trap.run([&] {
        StockTakeLines lines(*ShopDatabase::open(), *m_take);
        const QString code = txtCodice->text();
        const StockTakeLines::Result result = lines.add(code, txtQuantita->text());
        if (result.outcome != StockTakeLines::Outcome::Done) {
            warn(StockTakeLines::message(result.outcome, StockTakeLines::Mode::Add, code));
            if (result.outcome == StockTakeLines::Outcome::Posted)
                showCount(m_take->numero);
            toQuantity = result.outcome == StockTakeLines::Outcome::BadQuantity;
        } else {
            showLine(result.line, true);
            // The list shows what was scanned; the boxes wait for the next scan.
            txtCodice->clear();
            txtQuantita->clear();
        }
    });
    if (toQuantity) {
        txtQuantita->setFocus();
        txtQuantita->selectAll();
    } else {
        backToCode();
    }
}

void frmInventario::cmdCorreggi_Click()
{
    if (!m_take || m_take->registrato) {
        warn(m_take ? StockTakeLines::message(StockTakeLines::Outcome::Posted, StockTakeLines::Mode::Set, QString())
                    : kNoCount);
        return;
    }
    errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdCorreggi_Click"));
    trap.run([&] {
        StockTakeLines lines(*ShopDatabase::open(), *m_take);
        const QString code = txtCodice->text();
        const StockTakeLines::Result result = lines.set(code, txtQuantita->text());
        if (result.outcome != StockTakeLines::Outcome::Done) {
            warn(StockTakeLines::message(result.outcome, StockTakeLines::Mode::Set, code));
            if (result.outcome == StockTakeLines::Outcome::BadQuantity) {
                txtQuantita->setFocus();
                txtQuantita->selectAll();
                return;
            }
        } else {
            showLine(result.line, true);
            txtCodice->clear();
            txtQuantita->clear();
        }
        backToCode();
    });
}

void frmInventario::cmdRegistra_Click()
{
    if (!m_take)
        return warn(kNoCount);
    if (m_take->registrato)
        return warn(StockTakePosting::alreadyPosted());
    auto database = ShopDatabase::open();
    int changes = 0;
    {
        errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdRegistra_Click"));
        SetHourglass();
        const bool read = trap.run([&] { changes = StockTakePosting::itemsToChange(*database, *m_take); });
        ResetPointer();
        if (!read)
            return;
    }
    if (ui::MsgBox(StockTakePosting::question(*m_take, changes), ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2,
                   g_strAppName)
        != ui::vbYes) {
        backToCode();
        return;
    }
    const qlonglong numero = m_take->numero;
    QString failure;
    StockTakePosting::Result result;
    SetHourglass();
    try {
        result = StockTakePosting::post(*database, numero, today());
    } catch (const db::DbError &error) {
        failure = error.description();
    } catch (const rules::RuleError &error) {
        failure = error.description();
    }
    ResetPointer();
    if (!failure.isEmpty()) {
        ui::MsgBox(StockTakePosting::failed(failure), ui::vbCritical, g_strAppName);
        backToCode();
        return;
    }
    if (result.outcome == StockTakePosting::Outcome::Done)
        ui::MsgBox(StockTakePosting::done(result.changed), ui::vbInformation, g_strAppName);
    else
        warn(StockTakePosting::alreadyPosted());
    errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdRegistra_Click"));
    trap.run([&] {
        fillCounts(numero);
        showCount(numero);
    });
}

ListExport frmInventario::listToExport() const
{
    return inShownOrder(StockTakeList::list(chkSoloDifferenze->isChecked() ? StockTakeList::Kind::Differences
                                                                           : StockTakeList::Kind::Counted,
                                            m_shown),
                        *lvwInventario);
}

void frmInventario::cmdStampa_Click()
{
    if (!m_take)
        return warn(kNoCount);
    const bool differences = chkSoloDifferenze->isChecked();
    const QString title = (differences ? QStringLiteral("Differenze - ") : QString()) + m_take->caption();
    // The rows as the list shows them now, read again: another till may
    // have counted meanwhile.
    errors::ErrorTrap trap(QStringLiteral("frmInventario.cmdStampa_Click"));
    trap.run([&] { showLines(); });
    // The stock on the count's day is no column of the database: the
    // report reads the lines as the window computed them.
    const QList<StockTakeLine> lines = m_shown;
    report::RowsReportSource source(
        QStringLiteral("inventario"),
        {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Taglia"), QStringLiteral("Colore"),
         QStringLiteral("Contato"), QStringLiteral("Giacenza"), QStringLiteral("Differenza")},
        [lines](const std::function<bool(report::ReportRow &&)> &row) {
            for (const StockTakeLine &line : lines)
                if (!row({line.codice, line.descrizione, line.taglia, line.colore,
                          line.contato ? QVariant(qlonglong(line.quantitaContata)) : QVariant(),
                          qlonglong(line.giacenza), qlonglong(line.differenza())}))
                    return;
        },
        ShopDatabase::path());
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("inventario.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([&] { MainReport().set(prop::WindowTitle, title); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    trap.run([&] { MainReport().setDataSource(&source); });
    trap.run([] { MainReport().set(prop::Action, 1); });
    // The next print reads the database again, whatever happened here.
    MainReport().setDataSource(nullptr);
}

bool frmInventario::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && watched == txtData)
        txtData->setText(ControllaData(txtData->text(), 0));
    // Enter in the boxes of a new count starts it; in the scan boxes it counts.
    if (event->type() == QEvent::FocusIn) {
        ui::DefaultButton &defaultButton = ui::DefaultButton::of(*this);
        if (watched == txtData || watched == txtFornitore || watched == txtDescrizione)
            defaultButton.setButton(cmdNuovo, [this] { cmdNuovo->click(); });
        else if (watched == txtCodice || watched == txtQuantita)
            defaultButton.setButton(cmdConta, [this] { cmdConta->click(); });
    }
    return QWidget::eventFilter(watched, event);
}

// Esc closes, as "Chiudi": the count is in the database already.
void frmInventario::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
