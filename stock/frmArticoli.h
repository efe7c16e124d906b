#pragma once

#include "rules/stock/ArticleList.h"

#include <QWidget>

class ctrl_SkinableButton;
class ctrl_SkinableForm;
namespace data { class DataControl; class Grid; }
namespace db { class DbError; }

// The article grid: every article of Articoli in one editable grid, for
// quick changes of prices; a price left at 0 is filled from the other one
// through the lire/euro conversion when the row is written. Sorts by any
// column heading and prints the article list.
class frmArticoli : public QWidget {
    Q_OBJECT
public:
    explicit frmArticoli(QWidget *parent = nullptr);
    ~frmArticoli() override;

    // The grid's columns are the list's (ArticleList), in its order.
    using Column = ArticleList::Column;
    using enum ArticleList::Column;

    void TDBGrid1_HeadClick(int column);
    void cmdStampa_Click();
    void cmdEtichette_Click();
    // The articles of the rows with a selected cell; the current one when none.
    QList<qint64> selectedArticles() const;

    data::Grid *TDBGrid1 = nullptr;
    data::DataControl *datArticoli = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableButton *cmdEtichette = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kMissingFields;
    static const QString kArticleInUse;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void TDBGrid1_KeyPress(int column, int &keyAscii);
    void TDBGrid1_BeforeUpdate(bool &cancel);
    void TDBGrid1_BeforeDelete(bool &cancel);
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);
    void CompletaPrezzi();
    double columnAmount(int column) const;

    bool m_overButton = false;
    bool m_built = false;
};
