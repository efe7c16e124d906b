#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class ctrl_SkinableButton;
class ctrl_SkinableForm;
namespace db { class Recordset; }

// What a search window is called and how it looks on first showing.
struct SearchWindowLook {
    QString name;      // the object name, and its routines' prefix
    QString caption;
    QSize size;
    const char *listName;
    QStringList headers;
    QList<int> widths;  // of the first columns
};

// A report of the listed rows: the template, the title of its window and the
// selection formula.
struct ListReport {
    QString templateName;
    QString title;
    QString formula;
};

// The frame of the program's search windows: the criteria the window builds,
// the Trova, Nuova Ricerca and Stampa buttons (with the window's own beside
// them) in a column at the right edge, and the result list whose
// double-click opens the row found. Each search fills in its criteria, its
// statement, its rows and what a double-click opens.
class SearchWindow : public QWidget {
    Q_OBJECT
public:
    ~SearchWindow() override;

    ctrl_SkinableButton *cmdTrova = nullptr;
    ctrl_SkinableButton *cmdCancella = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    QFrame *Frame1 = nullptr;   // the criteria's frame, where the window has one
    // Above the list: what the last search found when the list alone does
    // not say it (nothing, or only the first rows of more); hidden otherwise.
    QLabel *lblEsito = nullptr;

    // "Mostrate 200 di 1.234 fatture": `listed` of `total`, the verb agreeing
    // with the noun ("Mostrate", "Mostrati").
    static QString shownOf(const QString &verb, int listed, qlonglong total, const QString &noun);

protected:
    explicit SearchWindow(const SearchWindowLook &look, QWidget *parent);

    // Builds the window, called by the search's constructor: its criteria,
    // Trova, Nuova Ricerca and Stampa followed by its own buttons, the result
    // list; then gives the window its life.
    void build();
    virtual void buildCriteria() = 0;
    virtual void buildOwnButtons() {}
    // What runs when the window is activated for the first time (later
    // activations keep the user's place); none by default.
    virtual std::function<void()> activation() { return {}; }
    void addButton(ctrl_SkinableButton *button);
    QTreeWidget *list() const { return m_list; }

    virtual void search() = 0;
    virtual void startNewSearch() = 0;
    virtual void print() = 0;
    virtual void rowChosen() = 0;
    // After the skin is laid on at the first showing.
    virtual void skinLoaded() {}

    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Escape closes the window (keys the focused box or list leaves unused).
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

    const QList<ctrl_SkinableButton *> &buttons() const { return m_buttons; }
    bool isBuilt() const { return m_built; }

    // The frame of the criteria, laid out in a grid.
    QGridLayout *buildCriteriaFrame();
    QLabel *criterionLabel(const QString &caption, QWidget *buddy);
    static QLineEdit *criterionBox(QWidget *parent, const char *name, int maxLength);
    // The skin's picture for the rows (the card's emblem); none when missing.
    QIcon rowEmblem() const;

    // Runs `statement` under `label` and adds a row for each record; says
    // `nothingFound` above the list when it ran and found none. False when
    // it failed.
    bool runSearch(const QString &label, const QString &statement,
                   const std::function<void(db::Recordset &)> &addRow, const QString &nothingFound);
    // The number the statement "Select count(*) as n ..." counts.
    static qlonglong countOf(const QString &statement);
    // The note above the list; an empty text hides it and gives its room
    // back to the list.
    void sayFound(const QString &note);
    // Where the list goes: the whole `area`, less the note's line above it
    // while a note shows.
    void setListArea(const QRect &area);
    // Empties `boxes` and the list, then puts the focus in `first`.
    void emptySearch(const QList<QLineEdit *> &boxes, QLineEdit *first);
    // The selected row of the list, if any.
    QTreeWidgetItem *chosenRow() const;
    // Hides the window (its frame in the main window) with what it holds.
    void stepAside();
    // Sends `report` to the main report; each step runs through `step`.
    static void showReport(const ListReport &report, const std::function<void(const std::function<void()> &)> &step);

    QTreeWidget *m_list = nullptr;
    bool m_searched = false;

private:
    void buildButtons();
    void buildList();
    void Form_Load();
    void Form_Activate();
    void placeList();

    const SearchWindowLook m_look;
    QList<ctrl_SkinableButton *> m_buttons;
    QRect m_listArea;
    bool m_hasListArea = false;
    bool m_overButton = false;
    bool m_built = false;
    bool m_activatedOnce = false;
    QPointer<QWidget> m_lastFocus;   // the last widget of the window that had the focus
};
