#pragma once

#include "rules/register/JournalList.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class ctrl_SkinableButton;
class ctrl_SkinableForm;
namespace data { class DataControl; class Grid; }
namespace db { class DbError; }

// What tells the supplier journal from the cash journal.
struct JournalKind {
    QString name;           // "frmPrimaNota"
    JournalList list;       // caption, table, columns, the statement of a period
    QString formulaTable;   // "prima nota"
    int gridMarginTwips;    // the grid is this much narrower than the window
};

// A journal kept in an editable grid: the rows of a period, in date order,
// are loaded by "Aggiorna" (the current month at opening), entered and
// corrected in the grid, totalled under it and printed by "Stampa".
class JournalWindow : public QWidget {
    Q_OBJECT
public:
    ~JournalWindow() override;

    void cmdAggiorna_Click();
    void cmdStampa_Click();

    // The statement of the last "Aggiorna" (the opening one before it).
    QString lastStatement() const { return m_lastStatement; }

    QLineEdit *txtDataInizio = nullptr;
    QLineEdit *txtDataFine = nullptr;
    QPushButton *cmdAggiorna = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    data::Grid *TDBGrid1 = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    // Under the grid, the period's totals: "Entrate: 0,00", "Uscite: 12,50",
    // "Saldo: -12,50".
    QLabel *lblEntrate = nullptr;
    QLabel *lblUscite = nullptr;
    QLabel *lblSaldo = nullptr;

protected:
    JournalWindow(JournalKind kind, QWidget *parent);
    data::DataControl *dataControl() const { return m_data; }
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Escape closes the journal (the grid uses it to undo its typing).
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The period boxes and "Aggiorna", in one row below the caption.
    QWidget *m_periodRow = nullptr;
    void buildGrid();
    void buildTotals();
    void Form_Load();
    // Loads the period of the boxes, with its totals.
    void showPeriod();
    void showTotals();
    void placeTotals();
    void openOn(const QString &sql);
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);

    JournalKind m_kind;
    data::DataControl *m_data = nullptr;
    QString m_lastStatement;
    QString m_shownFrom;   // the period shown, as typed day first
    QString m_shownTo;
    bool m_overButton = false;
    bool m_built = false;
};
