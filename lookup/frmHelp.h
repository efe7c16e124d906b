#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <QVariant>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
namespace data { class DataControl; }

// The code and description picker: lists CODICE/DESCRIZIONE pairs of any
// table and lets the user pick one. The caller sets the Qry... members,
// calls showModal() and reads QrySelected and QryText afterwards; a pick
// given up (Escape, Annulla, the close box) leaves QryAborted true and the
// caller's box as it was.
//
// The box at the top filters the whole table as the user types, in the
// database. The list selects nothing until the user moves in it or types a
// filter, so a stray Enter picks nothing.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);
    ~frmHelp() override;

    QString QryTable;
    QString QryBoundColumn;
    QString QryText;          // out: text of the picked row
    QString QryListField;
    QString QryWhere;
    QString QryOrder;
    bool QryAborted = true;   // out: true unless a row was picked
    QVariant QrySelected;     // out: bound value of the picked row
    QString QryCaption;       // the window's caption; empty: named after QryTable
    float QrySize = 1;
    bool ButtonNew = false;
    // The box the pick fills: the picker opens just below it (above it when
    // there is no room below), on screen. `QryFieldArea` narrows it to a part
    // of the widget (a grid's cell), in the widget's coordinates.
    QWidget *QryField = nullptr;
    QRect QryFieldArea;

    // Loads the list and runs the window modally through the message service.
    int showModal();
    // The statement the list is read with.
    QString BuildSql() const;
    // The statement of a filtered list: the filter is its parameter ?1 (a
    // like pattern), ?2 and ?3 the rows to read and the rows to skip.
    QString FilterSql() const;
    // The caption of a picker of `table`: "Scelta articolo" for "Articoli".
    static QString CaptionFor(const QString &table);

    // Twips of the list and window, after loading.
    int ListWidthTwips() const { return m_listWidth; }
    int WindowWidthTwips() const { return m_windowWidth; }

    // Rows read into the list at a time: the first screen at once, the rest
    // as the user scrolls towards the end (a catalogue may hold 200,000
    // articles; the picker opens as fast on it as on ten).
    static constexpr int RowsPerFill = 300;
    // The pause after a key typed in the filter before the list follows it.
    static constexpr int FilterDelayMs = 150;

    static constexpr int ListLeftTwips = 120;
    static constexpr int BaseListWidthTwips = 4200;
    static constexpr int TwipsPerPixel = 15;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void PlaceBesideField();
    void Pick();
    // Reads the list again for the text of the filter box.
    void ApplyFilter();
    void FillList();
    // Appends up to `count` more rows to the list.
    void AddRows(int count);
    void AddFilteredRows(int count);
    void AddAllRows();

    QLineEdit *txtFiltro = nullptr;
    QListWidget *dblHelp = nullptr;
    data::DataControl *dtcHelp = nullptr;
    QPushButton *cmdNuovo = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QTimer *m_filterTimer = nullptr;
    QString m_pattern;          // the like pattern of the filter; empty: the whole table
    int m_filteredRead = 0;     // rows of the filtered list read so far
    bool m_filteredEnd = false; // the filtered list is complete
    bool m_loaded = false;
    int m_listWidth = BaseListWidthTwips;
    int m_windowWidth = 0;
};
