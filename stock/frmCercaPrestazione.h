#pragma once

#include "lookup/SearchWindow.h"

#include <QTimer>

#include <memory>

class QCheckBox;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class ctrl_SkinableButton;
class ArticleSearchPages;
namespace db { class Database; }

// The article search: articles by the bar code of one of their stock items,
// by description (at its start, or anywhere with "Ricerca Generica") and by
// supplier. The list follows the typing of the description and fills as the
// user scrolls; a double-click shows the article on the card.
class frmCercaPrestazione : public SearchWindow {
    Q_OBJECT
public:
    explicit frmCercaPrestazione(QWidget *parent = nullptr);
    ~frmCercaPrestazione() override;

    void TrovaDistinte();
    void cmdCancella_Click();
    void cmdStampa_Click();
    void cmdHelp_Click(int index);
    void lvwFatture_DblClick();
    // Adds the next rows of the last search; false when every match is listed.
    bool fillMore(int rows);
    void fillAll();
    bool allListed() const;

    // The conditions of the last search, in the engine's dialect.
    QString lastFilter() const { return m_lastFilter; }

    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtFornitore = nullptr;
    QCheckBox *chkGenerica = nullptr;
    QToolButton *cmdHelp0 = nullptr;   // supplier picker
    QToolButton *cmdHelp1 = nullptr;   // description picker
    QTreeWidget *lvwFatture = nullptr;

    static const QString kSearchLabel;
    static constexpr int kRowsPerPage = 100;
    // The pause in the typing after which the matches are counted, in ms.
    static constexpr int kCountPause = 300;

protected:
    void buildCriteria() override;
    void search() override { TrovaDistinte(); }
    void startNewSearch() override { cmdCancella_Click(); }
    void print() override { cmdStampa_Click(); }
    void rowChosen() override { lvwFatture_DblClick(); }
    void skinLoaded() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void lvwFatture_ColumnClick(int column);
    void fillWhileScrolledToEnd();
    void addRow(const QString &codice, const QString &descrizione, const QString &fornitore, qlonglong quantita);
    void countMatches();
    void sayShown();

    std::unique_ptr<ArticleSearchPages> m_pages;   // the rows not listed yet
    QString m_lastFilter;
    QTimer m_counting;        // counts the matches when the typing pauses
    qlonglong m_total = -1;   // how many the last search matches; -1: not counted yet
    QIcon m_icon;
};
