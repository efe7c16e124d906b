#include "data/GridDelegate.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>

namespace data {

GridDelegate::GridDelegate(Grid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QRect GridDelegate::buttonRect(const QRect &cell, const GridColumn &column)
{
    if (!column.isBound())
        return cell.adjusted(1, 1, -1, -1);
    const int side = qMin(cell.height(), 20);
    return QRect(cell.right() - side + 1, cell.top(), side, cell.height());
}

bool GridDelegate::hasButton(const QModelIndex &index) const
{
    if (!index.isValid() || !m_grid->column(index.column()).button)
        return false;
    return m_grid->column(index.column()).buttonAlways || index == m_grid->currentIndex();
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const GridColumn &column = m_grid->column(index.column());
    QWidget *editor = nullptr;
    if (column.hasValueList()) {
        auto *combo = new QComboBox(parent);
        for (const GridValueItem &item : column.valueItems)
            combo->addItem(column.translateValues ? item.displayText : item.value.toString(), item.value);
        combo->setCurrentIndex(-1);
        connect(combo, &QComboBox::currentIndexChanged, m_grid, [this, combo] { m_grid->editorChanged(combo); });
        editor = combo;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        line->setAlignment(column.effectiveAlignment(index.data(RecordsetModel::ValueRole)));
        connect(line, &QLineEdit::textChanged, m_grid, [this, line] { m_grid->editorChanged(line); });
        editor = line;
    }
    editor->setObjectName(QStringLiteral("gridEditor"));
    m_grid->editorOpened(editor, index);
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // Loading the editor is not an edit: no change signal, no pending value.
    const QSignalBlocker blocker(editor);
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(m_grid->column(index.column()).valueItemIndex(index.data(RecordsetModel::ValueRole)));
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text)
            line->setText(text);
    }
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() < 0)
            return;
        const QVariant value = combo->currentData();
        if (m_grid->column(index.column()).valueItemIndex(index.data(RecordsetModel::ValueRole)) != combo->currentIndex())
            model->setData(index, value, RecordsetModel::ValueRole);
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        if (line->text() != index.data(Qt::EditRole).toString())
            model->setData(index, line->text(), Qt::EditRole);
    }
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QRect rect = option.rect;
    if (m_grid->column(index.column()).button)
        rect.setRight(buttonRect(option.rect, m_grid->column(index.column())).left() - 1);
    editor->setGeometry(rect);
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    if (index.data(Qt::CheckStateRole).isValid()) {
        // Tick boxes stand alone in the middle of their cell.
        initStyleOption(&opt, index);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        opt.text.clear();
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        QStyleOptionButton box;
        const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, widget);
        box.rect = QRect(option.rect.center() - QPoint(indicator.width() / 2, indicator.height() / 2),
                         indicator.size());
        box.state = QStyle::State_Enabled
            | (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    } else {
        QStyledItemDelegate::paint(painter, opt, index);
    }
    if (hasButton(index)) {
        QStyleOptionButton button;
        button.rect = buttonRect(option.rect, m_grid->column(index.column()));
        button.text = QStringLiteral("…");
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
    }
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonPress && hasButton(index)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (buttonRect(option.rect, m_grid->column(index.column())).contains(mouse->position().toPoint())) {
            // The view asks before it moves: a row button acts on its own row.
            if (index != m_grid->currentIndex() && !m_grid->setCurrentCell(index.row(), index.column()))
                return true;
            m_grid->clickButton(index.column());
            return true;
        }
    }
    if (index.data(Qt::CheckStateRole).isValid()) {
        // The whole cell toggles the tick box, not only the indicator.
        if (event->type() == QEvent::MouseButtonRelease && (model->flags(index) & Qt::ItemIsUserCheckable)) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && option.rect.contains(mouse->position().toPoint())) {
                m_grid->toggleCheck(index);
                return true;
            }
        }
        return event->type() == QEvent::MouseButtonDblClick;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        if (m_grid->editorKeyPress(editor, static_cast<QKeyEvent *>(event)))
            return true;
        const int key = static_cast<QKeyEvent *>(event)->key();
        // Enter, Tab and Escape are the grid's business, never the
        // delegate's own commit-and-close.
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab
            || key == Qt::Key_Escape)
            return true;
        return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace data
