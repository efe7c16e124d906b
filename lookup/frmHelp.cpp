#include "lookup/frmHelp.h"

#include "base/Globals.h"
#include "base/errors/TopLevelReporter.h"
#include "data/DataControl.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace {
constexpr int CodeRole = Qt::UserRole + 1;

QVariant columnValue(const db::Statement &statement, int column)
{
    switch (statement.columnType(column)) {
    case db::IntegerValue: return qlonglong(statement.columnInteger(column));
    case db::FloatValue: return statement.columnReal(column);
    case db::NullValue: return QVariant();
    default: return statement.columnString(column);
    }
}
} // namespace

frmHelp::frmHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral(" "));
    txtFiltro = new QLineEdit(this);
    txtFiltro->setObjectName(QStringLiteral("txtFiltro"));
    txtFiltro->setPlaceholderText(QStringLiteral("Scrivere una parte del nome per restringere l'elenco"));
    txtFiltro->setClearButtonEnabled(true);
    txtFiltro->installEventFilter(this);
    dblHelp = new QListWidget(this);
    dblHelp->setObjectName(QStringLiteral("dblHelp"));
    dblHelp->setSelectionMode(QAbstractItemView::SingleSelection);
    dblHelp->setUniformItemSizes(true);
    dblHelp->setAlternatingRowColors(true);
    dblHelp->installEventFilter(this);
    // Scrolling near the end reads the next rows.
    connect(dblHelp->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        QScrollBar *bar = dblHelp->verticalScrollBar();
        if (value >= bar->maximum() - bar->pageStep())
            errors::runReported(QStringLiteral("frmHelp.dblHelp_Scroll"), [this] { AddRows(RowsPerFill); });
    });
    dtcHelp = new data::DataControl(this);
    dtcHelp->setObjectName(QStringLiteral("dtcHelp"));
    cmdNuovo = new QPushButton(QStringLiteral("Nuovo"), this);
    cmdNuovo->setObjectName(QStringLiteral("cmdNuovo"));
    cmdNuovo->setAutoDefault(false);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    cmdAnnulla->setAutoDefault(false);
    connect(cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);

    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(FilterDelayMs);
    connect(m_filterTimer, &QTimer::timeout, this, &frmHelp::ApplyFilter);
    connect(txtFiltro, &QLineEdit::textEdited, m_filterTimer, qOverload<>(&QTimer::start));
    // The clear button empties the box without a key.
    connect(txtFiltro, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty() && m_loaded)
            m_filterTimer->start();
    });

    auto *layout = new QVBoxLayout(this);
    const int margin = ListLeftTwips / TwipsPerPixel;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(txtFiltro);
    layout->addWidget(dblHelp, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdNuovo);
    buttons->addWidget(cmdAnnulla);
    layout->addLayout(buttons);
    setTabOrder(txtFiltro, dblHelp);
    setTabOrder(dblHelp, cmdAnnulla);
    connect(dblHelp, &QListWidget::itemDoubleClicked, this, [this] { Pick(); });
}

frmHelp::~frmHelp() = default;

QString frmHelp::CaptionFor(const QString &table)
{
    static const QList<std::pair<QString, QString>> names = {
        {QStringLiteral("anagrafica"), QStringLiteral("cliente")},
        {QStringLiteral("articoli"), QStringLiteral("articolo")},
        {QStringLiteral("fornitore"), QStringLiteral("fornitore")},
        {QStringLiteral("pagamenti"), QStringLiteral("pagamento")},
        {QStringLiteral("prestazione"), QStringLiteral("prestazione")},
        {QStringLiteral("iva"), QStringLiteral("aliquota IVA")},
    };
    QString key = table.trimmed().toLower();
    key.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    for (const auto &[name, what] : names)
        if (key == name)
            return QStringLiteral("Scelta ") + what;
    return QStringLiteral("Scelta da ") + table.trimmed();
}

QString frmHelp::BuildSql() const
{
    QString sql = QStringLiteral("SELECT ") + QryBoundColumn + QStringLiteral(" as CODICE, ") + QryListField
                + QStringLiteral(" as DESCRIZIONE") + QStringLiteral(" FROM ") + QryTable + QStringLiteral(" ");
    if (!QryWhere.isEmpty())
        sql += QStringLiteral("WHERE ") + QryWhere + QStringLiteral(" ");
    if (!QryOrder.isEmpty())
        sql += QStringLiteral("ORDER BY ") + QryOrder + QStringLiteral(" ");
    return sql;
}

QString frmHelp::FilterSql() const
{
    QString sql = QStringLiteral("SELECT ") + QryBoundColumn + QStringLiteral(" as CODICE, ") + QryListField
                + QStringLiteral(" as DESCRIZIONE FROM ") + QryTable + QStringLiteral(" WHERE ");
    if (!QryWhere.isEmpty())
        sql += QStringLiteral("(") + QryWhere + QStringLiteral(") AND ");
    sql += QStringLiteral("CAST(") + QryListField + QStringLiteral(" AS text) like ?1 ");
    if (!QryOrder.isEmpty())
        sql += QStringLiteral("ORDER BY ") + QryOrder + QStringLiteral(" ");
    return sql + QStringLiteral("LIMIT ?2 OFFSET ?3");
}

int frmHelp::showModal()
{
    Form_Load();
    return ui::messageService().execModal(*this);
}

void frmHelp::showEvent(QShowEvent *event)
{
    Form_Load();
    QDialog::showEvent(event);
    PlaceBesideField();
}

void frmHelp::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    setWindowTitle(QryCaption.trimmed().isEmpty() ? CaptionFor(QryTable) : QryCaption);
    cmdNuovo->setVisible(ButtonNew);
    QryAborted = true;
    if (QrySize < 1)
        QrySize = 1;
    QApplication::setOverrideCursor(Qt::BusyCursor);

    m_listWidth = int(BaseListWidthTwips * QrySize);
    m_windowWidth = 2 * ListLeftTwips + m_listWidth + 120;
    dblHelp->setMinimumWidth(m_listWidth / TwipsPerPixel);
    resize(m_windowWidth / TwipsPerPixel, 380);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + area.width() / 2, area.top() + qMax(0, (area.height() - height()) / 2));
    }
    PlaceBesideField();

    QrySelected = QString();
    dtcHelp->setDatabaseName(g_strDbPath);
    dtcHelp->setRecordSource(BuildSql());
    dtcHelp->setConnect(QStringLiteral(";PWD=") + g_strDbPassword);
    FillList();
    // The user types the filter first; the list has no current row until
    // the user moves into it.
    dblHelp->setCurrentRow(-1);
    txtFiltro->setFocus();
    QApplication::restoreOverrideCursor();
}

// Just below the box the pick fills, its left edges aligned; above it when
// the screen has no room below; always whole on the screen.
void frmHelp::PlaceBesideField()
{
    if (!QryField)
        return;
    const QRect local = QryFieldArea.isValid() ? QryFieldArea : QryField->rect();
    const QRect field(QryField->mapToGlobal(local.topLeft()), local.size());
    const QScreen *screen = QryField->screen() ? QryField->screen() : QGuiApplication::primaryScreen();
    const QSize outer = frameGeometry().size().expandedTo(size());
    QPoint at(field.left(), field.bottom() + 1);
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (at.y() + outer.height() > area.bottom() + 1 && field.top() - outer.height() >= area.top())
            at.setY(field.top() - outer.height());
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() + 1 - outer.width())));
        at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() + 1 - outer.height())));
    }
    move(at);
}

// The whole table through the data control; a filter reads its rows in
// the database, with the text typed as a parameter.
void frmHelp::FillList()
{
    dblHelp->clear();
    m_filteredRead = 0;
    m_filteredEnd = false;
    try {
        if (m_pattern.isEmpty()) {
            dtcHelp->refresh();
            if (db::Recordset *rs = dtcHelp->recordset(); rs && rs->recordCount() > 0)
                rs->moveFirst();
        }
        AddRows(RowsPerFill);
    } catch (const db::DbError &) {
        // The user reads what failed; the statement and the engine's words
        // go to the log.
        QApplication::restoreOverrideCursor();
        errors::TopLevelReporter::report(std::current_exception(), QStringLiteral("frmHelp.Form_Load"));
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
}

void frmHelp::ApplyFilter()
{
    m_filterTimer->stop();
    const QString typed = txtFiltro->text().trimmed();
    const QString pattern =
        typed.isEmpty() ? QString() : QStringLiteral("*") + db::typedLikePattern(typed) + QStringLiteral("*");
    if (pattern == m_pattern && dblHelp->count() > 0)
        return;
    m_pattern = pattern;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    FillList();
    QApplication::restoreOverrideCursor();
    // What the user typed chooses the first row it finds.
    if (!m_pattern.isEmpty() && dblHelp->count() > 0)
        dblHelp->setCurrentRow(0);
    else
        dblHelp->setCurrentRow(-1);
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const int key = keyEvent->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == txtFiltro) {
        if (enter) {
            if (m_filterTimer->isActive())
                ApplyFilter();
            Pick();
            return true;
        }
        if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
            if (m_filterTimer->isActive())
                ApplyFilter();
            dblHelp->setFocus(Qt::TabFocusReason);
            if (!dblHelp->currentItem() && dblHelp->count() > 0)
                dblHelp->setCurrentRow(0);
            return true;
        }
    } else if (watched == dblHelp) {
        if (enter) {
            Pick();
            return true;
        }
        // The first move into a list with no current row starts at its top.
        if (!dblHelp->currentItem() && dblHelp->count() > 0
            && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Home)) {
            dblHelp->setCurrentRow(0);
            return true;
        }
        if (!dblHelp->currentItem() && dblHelp->count() > 0 && (key == Qt::Key_End || key == Qt::Key_PageDown))
            dblHelp->setCurrentRow(0);
        if (key == Qt::Key_End)
            AddAllRows();
        // Letters typed in the list go on into the filter: it finds them in
        // the whole table, not just in the rows read so far.
        const QString text = keyEvent->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            txtFiltro->setFocus(Qt::OtherFocusReason);
            txtFiltro->insert(text);
            m_filterTimer->start();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmHelp::AddRows(int count)
{
    if (!m_pattern.isEmpty()) {
        AddFilteredRows(count);
        return;
    }
    db::Recordset *rs = dtcHelp->recordset();
    if (!rs || !rs->isOpen())
        return;
    for (int added = 0; added < count && !rs->eof(); ++added) {
        const QVariant code = rs->value(QStringLiteral("CODICE"));
        const QVariant text = rs->value(QStringLiteral("DESCRIZIONE"));
        auto *item = new QListWidgetItem(text.isNull() ? QString() : text.toString(), dblHelp);
        item->setData(CodeRole, code);
        rs->moveNext();
    }
}

void frmHelp::AddFilteredRows(int count)
{
    if (m_filteredEnd || count <= 0)
        return;
    const auto database = db::Database::open(g_strDbPath, QStringLiteral(";PWD=") + g_strDbPassword);
    const QString sql = FilterSql();
    db::Statement *statement = database->statement(sql);
    db::StatementUse use(statement);
    statement->bindText(1, m_pattern);
    statement->bindInteger(2, count);
    statement->bindInteger(3, m_filteredRead);
    int added = 0;
    while (statement->step(sql)) {
        const QVariant text = columnValue(*statement, 1);
        auto *item = new QListWidgetItem(text.isNull() ? QString() : text.toString(), dblHelp);
        item->setData(CodeRole, columnValue(*statement, 0));
        ++added;
    }
    m_filteredRead += added;
    m_filteredEnd = added < count;
}

// The end of a long list (End, Ctrl+End) is the end of the table.
void frmHelp::AddAllRows()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    try {
        AddRows(std::numeric_limits<int>::max());
    } catch (const db::DbError &) {
        QApplication::restoreOverrideCursor();
        errors::TopLevelReporter::report(std::current_exception(), QStringLiteral("frmHelp.dblHelp_Scroll"));
        return;
    }
    QApplication::restoreOverrideCursor();
}

// Only a row the user chose is picked: Enter with no current row (nothing
// typed, no move yet) does nothing.
void frmHelp::Pick()
{
    const QListWidgetItem *item = dblHelp->currentItem();
    if (!item)
        return;
    QrySelected = item->data(CodeRole);
    QryText = item->text();
    QryAborted = false;
    accept();
}
