#pragma once

#include "app/CardCommands.h"
#include "skin/CardToolbarStrip.h"
#include "stock/BoxFocus.h"

#include <QString>
#include <QVariantList>
#include <QWidget>
#include <array>
#include <memory>

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
namespace db { class Database; class DbError; class Recordset; }
namespace errors { class ErrorTrap; }

// The invoice editor: one invoice header of Fattura at a time, in the order
// of the numbers, with the grid of its lines below. The header is written by
// Save only; a line is written when the user leaves it. An invoice number
// comes only from New and "Cambia Numero": the number box is never typed in.
class frmFattura : public QWidget, private CardCommands {
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

    QString CercaNumeroFattura();
    bool ControllaFattura();
    void CancellaDettagli(const QString &numero);
    void Aggiornagrid();
    void AggiornaTotale();

    // Moves the editor to the invoice with this number. False (nothing
    // changed) when there is none; an unsaved new invoice is given up first.
    bool MostraFattura(const QString &numero);
    // 0 browsing, 1 editing, 2 adding (a new invoice not saved yet).
    int editState() const override;

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

    static const QString kTrapLabel;
    static const QString kLoadLabel;
    static const QString kAllInvoices;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Window (frmFattura.cpp)
    void buildHeader();
    void buildToolbar();
    void buildLayout();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void PopolaToolBar();
    void AggiornaContatore();
    void RecordCambiato();
    void MostraPagamento();
    void ScegliPagamento(int index);
    void MostraCliente();

    // Commands (FatturaCommands.cpp), of the picture row through CardCommands
    bool prepareCommand(errors::ErrorTrap &trap) override;
    void addRecord(errors::ErrorTrap &trap) override { Nuova(trap); }
    void saveRecord(errors::ErrorTrap &trap) override;
    void deleteRecord(errors::ErrorTrap &trap) override { Elimina(trap); }
    void printRecord(errors::ErrorTrap &trap) override { Stampa(trap); }
    db::Recordset *records() const override;
    void moveRecord(errors::ErrorTrap &trap, int index) override;
    void Nuova(errors::ErrorTrap &trap);
    void Cerca() override;
    void Salva();
    void Elimina(errors::ErrorTrap &trap);
    void Stampa(errors::ErrorTrap &trap);
    bool ScriviDate();
    void VaiAllaPrima();
    void requeryOn(const QString &saved);
    // Gives up a new invoice that was never saved, with the lines typed for it.
    void AbbandonaNuova();
    bool ScriviRigaInCorso();
    static QString numeroOccupato(const QString &numero);
    // The message of a new invoice saved under another number than the one shown.
    static QString numeroCambiato(const QString &proposto, const QString &assegnato);
    // The message of a new invoice whose first line finds its number in use.
    static QString numeroInUso(const QString &proposto, const QString &assegnato);

    // Lines (FatturaDettagli.cpp)
    void buildGrid();
    void CaricaIva();
    void RicalcolaRiga();
    bool ImportoNeiLimiti();
    void TDBGrid1_BeforeUpdate(bool &cancel);
    void TDBGrid1_BeforeDelete(bool &cancel);
    void TDBGrid1_Written();
    void TDBGrid1_Error(const db::DbError &error, bool &showMessage);
    void beginLineWrite();
    bool PrendiNumero();
    void rollbackLineWrite();

    db::Recordset *fatture() const;
    std::shared_ptr<db::Database> database() const;
    QString numero() const;

    std::array<QLineEdit *, 4> m_fields{};
    data::FieldBinder *m_binder = nullptr;
    BoxFocus m_focus;
    skin::CardToolbarStrip m_strip;
    QVariantList m_ivaCodes;   // the VAT codes in rate order
    bool m_built = false;
    bool m_showingPagamento = false;
    bool m_lineTransaction = false;
    QString m_gridNumber;      // the invoice whose lines the grid shows
    QString m_numeroLasciato;  // a number left to another till at the line being written
};
