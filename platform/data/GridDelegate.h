#pragma once

#include "data/GridColumn.h"

#include <QStyledItemDelegate>

namespace data {

class Grid;

// Editors and painting of the grid's cells: a line editor, a combo box for
// columns with a value list, and the cell button of button columns.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(Grid *grid);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the cell button of a cell is drawn: at its right edge, or the
    // whole cell for a column bound to no field (a column of row buttons).
    static QRect buttonRect(const QRect &cell, const GridColumn &column);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    bool hasButton(const QModelIndex &index) const;
    Grid *m_grid;
};

} // namespace data
