#pragma once

#include "stock/StockMovementWindow.h"

#include <QPointer>

class frmCalcola;
struct SaleRow;

// The sale at the counter: a scanned item is sold, its stock goes down, the
// sale is written into `scarico` and its amount adds up in the running total
// frmCalcola until the operation ends. In change mode it shows one recorded
// sale and saves or deletes it.
class frmScarico : public StockMovementWindow {
    Q_OBJECT
public:
    explicit frmScarico(QWidget *parent = nullptr);
    ~frmScarico() override;

    // Set by the opener before the window is shown.
    long p_lng_Codice_Scarico = 0;

    // The running total of the operation (created with the window).
    frmCalcola *calcola() const;

protected:
    long movementNumber() const override { return p_lng_Codice_Scarico; }
    void setMovementNumber(long number) override { p_lng_Codice_Scarico = number; }
    bool recordTyped() override;
    void Form_Activate() override;
    void Form_Unload() override;
    void startAfresh() override;
    void beforeSkin() override { showCalcola(); }
    void boxEntered(QLineEdit *box) override;
    void boxLeft(QLineEdit *box) override;
    void showArticle(const StockItemInfo &info) override;
    void listWrongBoxes(QString &list) override;
    void showRecorded(db::Recordset &rs) override;
    bool recordMovement() override;
    StockMovement::Result changeMovement() override;
    StockMovement::Result deleteMovement() override;
    void cmdMuovi_Click() override;

private:
    void buildLayout();
    void showCalcola();

    void CalcolaSaldo();
    void cmdPagamento_Click();

    SaleRow currentRow() const;

    QLineEdit *txtSconto = nullptr;
    QLineEdit *txtPrezzo = nullptr;
    QLineEdit *txtSaldo = nullptr;
    QLineEdit *txtDescrizionePagamento = nullptr;
    QPushButton *cmdPagamento = nullptr;
    QLineEdit *txtCodicePagamento = nullptr;
    QPushButton *cmdScarica = nullptr;
    QPointer<frmCalcola> m_calcola;
};
