#pragma once

#include <QDialog>
#include <QString>
#include <QVariant>

class QListWidget;
class QPushButton;
namespace data { class DataControl; }

// The code and description picker: lists CODICE/DESCRIZIONE pairs of any
// table and lets the user pick one. The caller sets the Qry... members,
// calls showModal() and reads QrySelected and QryText afterwards.
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
    QString QryCaption;
    float QrySize = 1;
    bool ButtonNew = false;

    // Loads the list and runs the window modally through the message service.
    int showModal();
    // The statement the list is read with.
    QString BuildSql() const;

    // Twips of the list and window, after loading.
    int ListWidthTwips() const { return m_listWidth; }
    int WindowWidthTwips() const { return m_windowWidth; }

    // Rows read into the list at a time: the first screen at once, the rest
    // as the user scrolls towards the end (a catalogue may hold 200,000
    // articles; the picker opens as fast on it as on ten).
    static constexpr int RowsPerFill = 300;

    static constexpr int ListLeftTwips = 120;
    static constexpr int BaseListWidthTwips = 4200;
    static constexpr int TwipsPerPixel = 15;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Pick();
    // Appends up to `count` more rows of the record set to the list.
    void AddRows(int count);
    void AddAllRows();

    QListWidget *dblHelp = nullptr;
    data::DataControl *dtcHelp = nullptr;
    QPushButton *cmdNuovo = nullptr;
    bool m_loaded = false;
    int m_listWidth = BaseListWidthTwips;
    int m_windowWidth = 0;
};
