#pragma once

#include "stock/BoxFocus.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class ctrl_SkinableForm;
struct LoadRow;
namespace ui { class WindowLife; }

// The stock load: goods received raise the stock of a stock item and are
// written into `carico`, one row per loaded item. In change mode it shows one
// recorded load and saves or deletes it.
class frmCarico : public QWidget {
    Q_OBJECT
public:
    explicit frmCarico(QWidget *parent = nullptr);
    ~frmCarico() override;

    // Set by the opener before the window is shown.
    bool p_bln_Modifica = false;
    long p_lng_Codice_Carico = 0;

    // Whether the window was loaded in change mode (the mode is fixed then).
    bool loadedForChange() const { return m_changeMode; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    void txtCodice_GotFocus();
    void txtCodice_KeyUp();
    void txtCodice_LostFocus();
    void chkUsato_Click();
    void txtCarico_Change();
    void txtCaricoIE_Change();
    void txtCarico_LostFocus();
    void txtData_LostFocus();

    bool ControllaCampi();
    bool CaricaQuantita();
    void PulisciCampi();
    void LeggiCarico(long number);
    void cmdCarica_Click();
    void cmdSalva_Click();
    void cmdCancella_Click();
    void cmdHelpCodice_Click();
    void cmdHelpDescrizione_Click();

    // The row the boxes describe, as a load writes it.
    LoadRow currentRow() const;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    QCheckBox *chkUsato = nullptr;
    QLineEdit *txtData = nullptr;
    QLineEdit *txtCodice = nullptr;
    QPushButton *cmdHelpCodice = nullptr;
    QPushButton *cmdHelpDescrizione = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtTaglia = nullptr;
    QLineEdit *txtColore = nullptr;
    QLineEdit *txtQuantitaDisponibile = nullptr;
    QLineEdit *txtQuantita = nullptr;
    QLineEdit *txtCarico = nullptr;
    QLineEdit *txtCaricoIE = nullptr;
    QLineEdit *txtListino = nullptr;
    QLineEdit *txtCodiceArticolo = nullptr;
    QPushButton *cmdCarica = nullptr;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdCancella = nullptr;
    ui::WindowLife *m_life = nullptr;
    BoxFocus m_focus;

    bool m_changeMode = false;
    bool m_priceLink = false;   // a price box is being written by the link
    bool m_activated = false;
    bool m_skipEnter = false;
};

// Opens the load window for new loads with the focus on the bar code (the
// article card's "Salva e Carica"). A window open on a recorded load turns
// to new loads.
void ApriCaricoNuovo();
