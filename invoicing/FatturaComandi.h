#pragma once

#include "base/CardCommands.h"

#include <QString>
#include <array>

class FatturaRighe;
class QCheckBox;
class QLineEdit;
class QWidget;
namespace data { class DataControl; class FieldBinder; }
namespace db { class Recordset; }

// The commands of the invoice editor: the picture row (New, Search, Save,
// Delete, Print and the moves, with the counter beside it), "Cambia
// Numero", the customer buttons and the electronic invoice. The header is
// written by Save only, with the total of its lines (InvoiceArchive).
class FatturaComandi : public CardCommands {
public:
    // The editor's controls the commands read and fill.
    struct Controlli {
        QWidget &window;
        data::DataControl &testata;          // the headers of Fattura
        data::FieldBinder &binder;
        std::array<QLineEdit *, 4> campi;    // number, date, customer, payment date
        QLineEdit &cliente;
        QCheckBox &pagata;
        QLineEdit &totale;
        QCheckBox &anteprima;
        QLineEdit &copie;
        QLineEdit &contatore;                // "Fattura: 3 di 12"
        FatturaRighe &righe;
    };

    explicit FatturaComandi(const Controlli &controlli);

    // The commands of the picture row by position: 1 New, 2 Search, 3 Save,
    // 4 Delete, 5 Print, 6 First, 7 Previous, 8 Next, 9 Last.
    void imgToolbar1_Click(int index);
    void cmdCambiaNumero_Click();
    void cmdCercaAnagrafica_Click();
    void cmdNuovaAnagrafica_Click();
    // The current invoice as a FatturaPA file, into a folder the user picks.
    void cmdFatturaElettronica_Click();

    // The number New proposes; empty when it cannot be found.
    QString CercaNumeroFattura();
    // Moves to the invoice with this number. False (nothing changed) when
    // there is none; an unsaved new invoice is given up first.
    bool MostraFattura(const QString &numero);
    // Gives up a new invoice that was never saved, with the lines typed for it.
    void AbbandonaNuova();
    void AggiornaContatore();
    // The header record set; an error when the window has none.
    db::Recordset *fatture() const;

    // 0 browsing, 1 editing, 2 adding (a new invoice not saved yet).
    int editState() const override;
    // An edited header or a line being typed.
    bool holdsWork() const override;

    static const QString kTrapLabel;

private:
    bool prepareCommand(errors::ErrorTrap &trap) override;
    void addRecord(errors::ErrorTrap &trap) override { Nuova(trap); }
    void saveRecord(errors::ErrorTrap &trap) override;
    void deleteRecord(errors::ErrorTrap &trap) override { Elimina(trap); }
    void printRecord(errors::ErrorTrap &trap) override { Stampa(trap); }
    db::Recordset *records() const override;
    void moveRecord(errors::ErrorTrap &trap, int index) override;
    void Cerca() override;
    void runCommand(int index) override { imgToolbar1_Click(index); }
    // Every move leaves a new invoice.
    bool leavesRecord(int index) const override;
    // A new invoice goes with its lines; an edited one shows what is stored.
    void discardWork() override;

    bool ControllaFattura();
    void Nuova(errors::ErrorTrap &trap);
    void Salva();
    void Elimina(errors::ErrorTrap &trap);
    void Stampa(errors::ErrorTrap &trap);
    bool ScriviDate();
    void VaiAllaPrima();
    void requeryOn(const QString &saved);
    QString numero() const;
    QLineEdit *campo(int index) const { return m_c.campi.at(std::size_t(index)); }
    // The message of a new invoice saved under another number than the one shown.
    static QString numeroCambiato(const QString &proposto, const QString &assegnato);

    Controlli m_c;
};
