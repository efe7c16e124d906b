#pragma once

#include "skin/CardToolbarStrip.h"
#include "base/BoxFocus.h"

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class FatturaComandi;
class FatturaRighe;
class ImageToolbar;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTextEdit;
class ctrl_SkinableForm;
namespace data { class DataControl; class FieldBinder; class Grid; }

// The invoice editor: one invoice header of Fattura at a time, in the order
// of the numbers, with the grid of its lines below. The header is written by
// Save only; a line is written when the user leaves it. An invoice number
// comes only from New and "Cambia Numero": the number box is never typed in.
// The window holds the header's controls; its lines (FatturaRighe) and its
// commands (FatturaComandi) are collaborators of their own.
class frmFattura : public QWidget {
    Q_OBJECT
public:
    explicit frmFattura(QWidget *parent = nullptr);
    ~frmFattura() override;

    // The commands of the picture row by position: 1 New, 2 Search, 3 Save,
    // 4 Delete, 5 Print, 6 First, 7 Previous, 8 Next, 9 Last.
    void imgToolbar1_Click(int index);
    void cmdCambiaNumero_Click();
    void cmdCercaAnagrafica_Click();
    void cmdNuovaAnagrafica_Click();
    // The current invoice as a FatturaPA file, into a folder the user picks.
    void cmdFatturaElettronica_Click();
    // The cell button of the lines grid: the article pick.
    void TDBGrid1_ButtonClick(int column);

    // Moves the editor to the invoice with this number. False (nothing
    // changed) when there is none; an unsaved new invoice is given up first.
    bool MostraFattura(const QString &numero);
    // 0 browsing, 1 editing, 2 adding (a new invoice not saved yet).
    int editState() const;
    // Asks "Salvare le modifiche?" when the invoice holds unsaved work; true
    // when the user may leave it.
    bool mayLeave();
    bool holdsWork() const;

    // Controls, by the names the program has always used.
    QLineEdit *txtFields(int index) const { return m_fields.at(std::size_t(index)); }
    QLineEdit *txtCliente = nullptr;
    QPushButton *cmdCercaAnagrafica = nullptr;
    QPushButton *cmdNuovaAnagrafica = nullptr;
    QPushButton *cmdCambiaNumero = nullptr;
    QPushButton *cmdFatturaElettronica = nullptr;
    QComboBox *dbcboPagamenti = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *chkPagata = nullptr;
    QLineEdit *txtTotale = nullptr;
    QTextEdit *txtNota = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *chkAnteprima = nullptr;
    QLineEdit *txtCopie = nullptr;
    data::Grid *TDBGrid1 = nullptr;
    QLineEdit *txtToolbar = nullptr;
    ImageToolbar *imgToolbar1 = nullptr;
    QFrame *Frame10 = nullptr;
    data::DataControl *datPrimaryRs = nullptr;
    data::DataControl *datDettagli = nullptr;
    data::DataControl *datPagamenti = nullptr;
    ctrl_SkinableForm *ctrl_SkinableForm1 = nullptr;

    static const QString kLoadLabel;
    static const QString kAllInvoices;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildHeader();
    void buildToolbar();
    void buildLayout();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void PopolaToolBar();
    void RecordCambiato();
    void MostraPagamento();
    void ScegliPagamento(int index);
    void MostraCliente();

    std::array<QLineEdit *, 4> m_fields{};
    data::FieldBinder *m_binder = nullptr;
    FatturaRighe *m_righe = nullptr;
    std::unique_ptr<FatturaComandi> m_comandi;
    bool m_placed = false;
    BoxFocus m_focus;
    skin::CardToolbarStrip m_strip;
    bool m_built = false;
    bool m_showingPagamento = false;
};
