#pragma once

#include "stock/BoxFocus.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPushButton;
class ctrl_SkinableForm;
class frmCalcola;
struct SaleRow;
namespace ui { class WindowLife; }

// The sale at the counter: a scanned item is sold, its stock goes down, the
// sale is written into `scarico` and its amount adds up in the running total
// frmCalcola until the operation ends. In change mode it shows one recorded
// sale and saves or deletes it.
class frmScarico : public QWidget {
    Q_OBJECT
public:
    explicit frmScarico(QWidget *parent = nullptr);
    ~frmScarico() override;

    // Set by the opener before the window is shown.
    bool p_bln_Modifica = false;
    long p_lng_Codice_Scarico = 0;

    // The running total of the operation (created with the window).
    frmCalcola *calcola() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void showCalcola();

    void txtCodice_GotFocus();
    void txtCodice_KeyUp();
    void txtCodice_LostFocus();
    void txtData_LostFocus();

    bool ControllaCampi();
    bool ScaricaQuantita();
    void CalcolaSaldo();
    void PulisciCampi();
    void LeggiScarico(long number);
    void cmdScarica_Click();
    void cmdSalva_Click();
    void cmdCancella_Click();
    void cmdPagamento_Click();

    SaleRow currentRow() const;

    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;
    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtQuantitaDisponibile = nullptr;
    QLineEdit *txtQuantita = nullptr;
    QLineEdit *txtListino = nullptr;
    QLineEdit *txtSconto = nullptr;
    QLineEdit *txtPrezzo = nullptr;
    QLineEdit *txtSaldo = nullptr;
    QLineEdit *txtData = nullptr;
    QLineEdit *txtDescrizionePagamento = nullptr;
    QPushButton *cmdPagamento = nullptr;
    QLineEdit *txtCodicePagamento = nullptr;
    QLineEdit *txtCodiceArticolo = nullptr;
    QPushButton *cmdScarica = nullptr;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdCancella = nullptr;
    ui::WindowLife *m_life = nullptr;
    QPointer<frmCalcola> m_calcola;
    BoxFocus m_focus;

    bool m_changeMode = false;
    bool m_activated = false;
    bool m_refocus = false;
};
