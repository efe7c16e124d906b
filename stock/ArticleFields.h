#pragma once

#include "stock/ArticleBoxes.h"

#include <QObject>
#include <QString>

class QWidget;
namespace data { class DataControl; class FieldBinder; }
namespace db { class Recordset; }

// The article's boxes on the card, bound to the current row of Articoli:
// they show the row, typing changes it, and only write() stores it. The
// boxes are children of the card, made in the order its focus follows; the
// one a user is in stands out.
class ArticleFields : public QObject {
    Q_OBJECT
public:
    // Makes the boxes as children of `card` and fills `boxes` with them.
    ArticleFields(QWidget &card, ArticleBoxes &boxes, data::DataControl &articles);
    ~ArticleFields() override;

    // The records of the card; an error when the card has none open.
    db::Recordset &records() const;
    bool beingAdded() const;
    // The code of the article shown, as a number: what txtCodice starts
    // with, as digits (0 for none).
    qlonglong code() const;

    // Whether the row may be written; says why not when it may not.
    bool check() const;
    // Gives the hidden quantity a number when it has none.
    void settleQuantity();
    // Stores the row being changed or added; an added one stays shown.
    void write();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addBox(QWidget &card, const QString &name, const QString &field, int maxLength);

    ArticleBoxes &m_boxes;
    data::DataControl &m_articles;
    data::FieldBinder *m_binder = nullptr;
};
