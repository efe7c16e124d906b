#pragma once

#include "rules/ListExport.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLine.h"

#include <QHash>
#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class ctrl_SkinableButton;
class ctrl_SkinableForm;

// The stock take ("Inventario"): a count of the shop, or of one supplier's
// articles, or of those whose description contains a text, scanned item by
// item and posted in one go. The count is kept in the database as it is
// scanned: the window opens on the last open count and the user goes on
// another day. A posted count can be seen, not changed.
class frmInventario : public QWidget {
    Q_OBJECT
public:
    explicit frmInventario(QWidget *parent = nullptr);
    ~frmInventario() override;

    void cmdNuovo_Click();
    void cmdConta_Click();
    void cmdCorreggi_Click();
    void cmdRegistra_Click();
    void cmdStampa_Click();
    // The list shown, as "Esporta" writes it.
    ListExport listToExport() const;
    std::optional<StockTake> countShown() const { return m_take; }

    QComboBox *cboInventari = nullptr;
    QLineEdit *txtData = nullptr;
    QLineEdit *txtFornitore = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    ctrl_SkinableButton *cmdNuovo = nullptr;
    QLabel *lblInventario = nullptr;
    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtQuantita = nullptr;
    ctrl_SkinableButton *cmdConta = nullptr;
    ctrl_SkinableButton *cmdCorreggi = nullptr;
    QCheckBox *chkSoloDifferenze = nullptr;
    QCheckBox *chkAzzera = nullptr;
    QTreeWidget *lvwInventario = nullptr;
    QLabel *lblTotale = nullptr;
    ctrl_SkinableButton *cmdRegistra = nullptr;
    ctrl_SkinableButton *cmdStampa = nullptr;
    ctrl_SkinableButton *cmdEsporta = nullptr;
    ctrl_SkinableButton *cmdChiudi = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kBadDate;
    static const QString kFutureDate;
    static const QString kUnknownSupplier;
    static const QString kNoCount;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void fillCounts(qlonglong select);
    void showCount(qlonglong numero);
    void showLines();
    void showLine(const StockTakeLine &line, bool select);
    void setLine(QTreeWidgetItem *item, const StockTakeLine &line);
    void showTotals();
    void enableForCount();
    void backToCode();
    void warn(const QString &text);

    std::optional<StockTake> m_take;
    QList<StockTakeLine> m_shown;
    QHash<QString, QTreeWidgetItem *> m_items;
    bool m_built = false;
    bool m_filling = false;
};
