#include "lookup/frmHelp.h"

#include "base/Globals.h"
#include "base/errors/TopLevelReporter.h"
#include "data/DataControl.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <limits>

namespace {
constexpr int CodeRole = Qt::UserRole + 1;
}

frmHelp::frmHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral(" "));
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

    auto *layout = new QVBoxLayout(this);
    const int margin = ListLeftTwips / TwipsPerPixel;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(dblHelp, 1);
    layout->addWidget(cmdNuovo, 0, Qt::AlignRight);
    connect(dblHelp, &QListWidget::itemDoubleClicked, this, [this] { Pick(); });
}

frmHelp::~frmHelp() = default;

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

int frmHelp::showModal()
{
    Form_Load();
    return ui::messageService().execModal(*this);
}

void frmHelp::showEvent(QShowEvent *event)
{
    Form_Load();
    QDialog::showEvent(event);
}

void frmHelp::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
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

    QrySelected = QString();
    dblHelp->clear();
    dtcHelp->setDatabaseName(g_strDbPath);
    dtcHelp->setRecordSource(BuildSql());
    dtcHelp->setConnect(QStringLiteral(";PWD=") + g_strDbPassword);
    try {
        dtcHelp->refresh();
        if (db::Recordset *rs = dtcHelp->recordset(); rs && rs->recordCount() > 0)
            rs->moveFirst();
        AddRows(RowsPerFill);
    } catch (const db::DbError &e) {
        QApplication::restoreOverrideCursor();
        ui::MsgBox(e.description(), ui::vbCritical);
        return;
    }
    if (dblHelp->count() > 0)
        dblHelp->setCurrentRow(0);
    dblHelp->setFocus();
    QApplication::restoreOverrideCursor();
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == dblHelp && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Pick();
            return true;
        }
        if (key == Qt::Key_End)
            AddAllRows();
    }
    return QDialog::eventFilter(watched, event);
}

void frmHelp::AddRows(int count)
{
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

// The end of a long list (End, Ctrl+End) is the end of the table.
void frmHelp::AddAllRows()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    try {
        AddRows(std::numeric_limits<int>::max());
    } catch (const db::DbError &e) {
        QApplication::restoreOverrideCursor();
        ui::MsgBox(e.description(), ui::vbCritical);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void frmHelp::Pick()
{
    const QListWidgetItem *item = dblHelp->currentItem();
    if (item) {
        QrySelected = item->data(CodeRole);
        QryText = item->text();
    } else {
        QrySelected = QString();
        QryText = QString();
    }
    QryAborted = false;
    accept();
}
