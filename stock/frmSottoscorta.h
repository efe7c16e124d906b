#pragma once

#include "rules/ListExport.h"
#include "rules/stock/ReorderItems.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QTreeWidget;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// What to reorder ("Sottoscorta"): the items at or under their minimum
// stock, by supplier, with last month's sales and the quantity to order;
// every supplier's, or the one chosen in the box. Shown at once on
// opening; printed and exported as shown.
class frmSottoscorta : public QWidget {
    Q_OBJECT
public:
    explicit frmSottoscorta(QWidget *parent = nullptr);
    ~frmSottoscorta() override;

    void cmdAggiorna_Click();
    void cmdStampa_Click();
    ListExport listToExport() const;

    QComboBox *cboFornitore = nullptr;
    ctrl_SkinableButton *cmdAggiorna = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    QTreeWidget *lvwSottoscorta = nullptr;
    QLabel *lblTotale = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kTutti;   // "(tutti i fornitori)"

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    // The supplier chosen; empty for all.
    QString fornitore() const;
    void mostra(const QList<ReorderLine> &lines);

    QList<ReorderLine> m_lines;
    bool m_built = false;
};
