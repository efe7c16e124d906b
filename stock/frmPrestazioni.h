#pragma once

#include "base/CardCommands.h"
#include "skin/CardToolbarStrip.h"
#include "stock/ArticleBoxes.h"

#include <QString>
#include <QWidget>
#include <functional>

class ArticleFields;
class ArticleStockItems;
class ImageToolbar;
class QFrame;
class QLabel;
class QLineEdit;
class QToolBar;
class QToolButton;
class ctrl_SkinableForm;
namespace data { class DataControl; class Grid; }
namespace db { class Recordset; }
namespace errors { class ErrorTrap; }

// The article card: one article of Articoli at a time, with its stock items
// (one bar code per size and colour) in the grid below. Only Save writes the
// article; moving to another article drops what was not saved. The grid
// writes a stock item when the user leaves its row. The card holds the
// toolbars, the buttons and the layout; the article's boxes and the stock
// items are its collaborators.
class frmPrestazioni : public QWidget, public ArticleBoxes, private CardCommands {
    Q_OBJECT
public:
    explicit frmPrestazioni(QWidget *parent = nullptr);
    ~frmPrestazioni() override;

    // The select the card opens; empty means every article by code. Read
    // when the card is first shown, and again when an opener shows it with
    // another select.
    QString p_strQuery;

    // Writes the current article; Silenzioso skips the confirmation. False
    // when the check refused it.
    bool SalvaArticolo(bool Silenzioso);
    bool ControllaDati();
    void ControllaQuantita();
    void AggiornaDettagli();
    // Asks "Salvare le modifiche?" when the article holds unsaved work.
    using CardCommands::mayLeave;
    using CardCommands::holdsWork;

    // The nine commands by key ("New", "Open", "Save", "Delete", "Print",
    // "First", "Previous", "Next", "Last"), as Toolbar1 runs them, and by
    // position 1..9, as imgToolbar1 runs them.
    void Toolbar1_ButtonClick(const QString &key);
    void imgToolbar1_Click(int index);
    void cmdEsporta_Click();
    void cmdEtichette_Click();
    void cmdHelp_Click();

    // Controls, by the names the program has always used (the article's
    // boxes come with ArticleBoxes).
    QLineEdit *txtToolBar = nullptr;
    QToolBar *Toolbar1 = nullptr;
    ImageToolbar *imgToolbar1 = nullptr;
    QFrame *Frame10 = nullptr;
    QToolButton *cmdHelp = nullptr;
    QToolButton *cmdEsporta = nullptr;
    QToolButton *cmdEtichette = nullptr;
    QToolButton *cmdImporta = nullptr;
    data::Grid *TDBGrid1 = nullptr;
    data::DataControl *datPrimaryRS = nullptr;
    data::DataControl *datDettagli = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kTrapLabel;   // both toolbars

private:
    void buildButtons();
    void buildToolbars();
    void buildLayout();
    void Form_Load();
    bool mayShowOtherArticles();
    QString queryShown() const;
    void PopolaToolBar();

    // The picture row's commands (CardCommands).
    void beforeCommand() override { ScriviDettaglio(); }
    bool prepareCommand(errors::ErrorTrap &trap) override;
    void addRecord(errors::ErrorTrap &trap) override { Nuovo(trap); }
    void Cerca() override { ApriRicerca(); }
    void saveRecord(errors::ErrorTrap &trap) override;
    void deleteRecord(errors::ErrorTrap &trap) override { Elimina(trap); }
    void printRecord(errors::ErrorTrap &trap) override { Stampa(trap); }
    db::Recordset *records() const override { return articoli(); }
    void runCommand(int index) override { imgToolbar1_Click(index); }
    void afterCommand(int index) override;
    bool titlesError() const override { return true; }
    void Nuovo(errors::ErrorTrap &trap);
    void Elimina(errors::ErrorTrap &trap);
    void Stampa(errors::ErrorTrap &trap);
    db::Recordset *articoli() const;
    int editState() const override;
    QString codiceNumerico() const;
    void AggiornaContatore();
    void ScriviDettaglio();
    void ApriRicerca();

    ArticleFields *m_fields = nullptr;
    ArticleStockItems *m_items = nullptr;
    QLabel *lblDettagli = nullptr;
    skin::CardToolbarStrip m_strip;
    bool m_built = false;   // skin and toolbar, made by the first load only
};
