#pragma once

#include "stock/StockMovementWindow.h"

class QCheckBox;
struct LoadRow;

// The stock load: goods received raise the stock of a stock item and are
// written into `carico`, one row per loaded item. In change mode it shows one
// recorded load and saves or deletes it.
class frmCarico : public StockMovementWindow {
    Q_OBJECT
public:
    explicit frmCarico(QWidget *parent = nullptr);
    ~frmCarico() override;

    // Set by the opener before the window is shown.
    long p_lng_Codice_Carico = 0;

    // Whether the window was loaded in change mode (the mode is fixed then).
    bool loadedForChange() const { return m_changeMode; }

protected:
    long movementNumber() const override { return p_lng_Codice_Carico; }
    void setMovementNumber(long number) override { p_lng_Codice_Carico = number; }
    void Form_Activate() override;
    void startAfresh() override;
    void boxLeft(QLineEdit *box) override;
    void codeLookedUp(const StockItemInfo &info) override;
    void showArticle(const StockItemInfo &info) override;
    void showRecorded(db::Recordset &rs) override;
    bool recordMovement() override;
    StockMovement::Result changeMovement() override;
    StockMovement::Result deleteMovement() override;
    void cmdMuovi_Click() override;
    void PulisciCampi() override;

private:
    void buildLayout();

    void chkUsato_Click();
    void txtCarico_Change();
    void txtCaricoIE_Change();
    void txtCarico_LostFocus();
    void cmdHelpCodice_Click();
    void cmdHelpDescrizione_Click();
    void cmdEtichette_Click();
    // "Genera codice": the article the picker put in the bar-code box gets
    // a new stock item under a code the shop makes, shown ready to load.
    void cmdGeneraCodice_Click();

    // The row the boxes describe, as a load writes it.
    LoadRow currentRow() const;

    QCheckBox *chkUsato = nullptr;
    QPushButton *cmdHelpCodice = nullptr;
    QPushButton *cmdHelpDescrizione = nullptr;
    QPushButton *cmdGeneraCodice = nullptr;
    QLineEdit *txtTaglia = nullptr;
    QLineEdit *txtColore = nullptr;
    QLineEdit *txtCarico = nullptr;
    QLineEdit *txtCaricoIE = nullptr;
    QPushButton *cmdCarica = nullptr;
    QPushButton *cmdEtichette = nullptr;

    // The loads this window recorded since it opened: their labels.
    QList<qlonglong> m_recordedLoads;
    bool m_priceLink = false;   // a price box is being written by the link
};

// Opens the load window for new loads with the focus on the bar code (the
// article card's "Salva e Carica"). A window open on a recorded load turns
// to new loads.
void ApriCaricoNuovo();
