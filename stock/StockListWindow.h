#pragma once

#include "base/BoxFocus.h"
#include "rules/stock/StockList.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ctrl_SkinableButton;
class ctrl_SkinableForm;
namespace data { class DataControl; class Grid; }

// What tells the load list from the unload list.
struct StockListKind {
    QString name;                    // "frmListaCarico"
    StockList list;                  // caption, search, columns 0..5, key column 7, "nothing found"
    QStringList sortFields;          // sort field of columns 0..5
    QString reportTemplate;
    QString reportTitle;
    QString printLabel;
    // The rows are loads: "Etichette" prints their labels.
    bool labels = false;
};

// The screen and mechanics shared by the stock load list and the stock
// unload list: filters, the read-only result grid, sorting by a header
// click, printing the last search, "Rich." on a row.
class StockListWindow : public QWidget {
    Q_OBJECT
public:
    ~StockListWindow() override;

    // The search; an empty sort field leaves the rows in the engine's order.
    void Trova(const QString &sortField);
    void cmdStampa_Click();
    void cmdHelp_Click(int index);
    void cmdEtichette_Click();

    // The statement and the selection formula of the last search.
    QString lastStatement() const { return m_lastStatement; }
    QString selectionFormula() const { return m_formula; }

    QLineEdit *txtCodiceArticolo = nullptr;
    QLineEdit *txtDescrizioneArticolo = nullptr;
    QLineEdit *txtFornitore = nullptr;
    QComboBox *cboUsato = nullptr;
    QLineEdit *txtDataInizio = nullptr;
    QLineEdit *txtDataFine = nullptr;
    QPushButton *cmdHelp[2] = {nullptr, nullptr};
    ctrl_SkinableButton *cmdTrova = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdEtichette = nullptr;   // the load list's only
    data::Grid *TDBGrid1 = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    // Above the grid: "Nessun carico trovato ..." when the search found none.
    QLabel *lblEsito = nullptr;
    // The article picked for the load list's filter, while its box shows
    // the article's code; empty when the box holds a typed bar code.
    QString pickedArticle() const { return m_pickedArticle; }

    static constexpr int kRichColumn = 6;
    static constexpr int kKeyColumn = 7;

protected:
    StockListWindow(StockListKind kind, QWidget *parent);
    data::DataControl *dataControl() const { return m_data; }
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Escape closes the list.
    void keyPressEvent(QKeyEvent *event) override;

    // The description shown for the typed code.
    virtual QString descriptionOf(const QString &code) const = 0;
    // Opens the row's load or sale in its window, in change mode.
    virtual void richiama(long key) = 0;

private:
    void buildFilters();
    void buildGrid();
    void Form_Load();
    void Form_Activate();
    void headClick(int column);
    void rowButtonClick();
    void codeChanged();
    void dateLeft(QLineEdit *box);

    StockListKind m_kind;
    data::DataControl *m_data = nullptr;
    BoxFocus m_focus;
    QString m_formula;
    QString m_lastStatement;
    QString m_pickedArticle;
    bool m_searched = false;
    bool m_activatedOnce = false;
    bool m_backFromRow = false;   // "Rich." opened a row's window
    bool m_overButton = false;
    bool m_built = false;
};
