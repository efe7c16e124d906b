#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QTableWidget;

// "Tasti": the keys of the program, opened with F1 from any window. Each
// row says a key and what it does; the cards' keys come from their one map.
class frmTasti : public QDialog {
    Q_OBJECT
public:
    struct Row {
        QString keys;
        QString command;
    };

    // `general` are the keys of the main window (its menu and its windows).
    explicit frmTasti(const QList<Row> &general, QWidget *parent = nullptr);

    // Every row shown, the cards' first.
    static QList<Row> rows(const QList<Row> &general);

    QTableWidget *grdTasti = nullptr;
};
