// The commands of the register card's picture row: new, search, save,
// delete, print and the four moves.
#include "register/frmAnagrafica.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/errors/ErrorTrap.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
#include "data/DataControl.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "register/ApriRicercaAnagrafica.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "ui/Messages.h"

namespace {

enum Command { New = 1, Search, Save, Delete, Print, First, Previous, Next, Last };

constexpr int kNone = int(db::EditMode::None);
constexpr int kAdding = int(db::EditMode::Adding);

void informa(const QString &text)
{
    ResetPointer();
    ui::MsgBox(text, ui::vbInformation, g_strAppName);
}

} // namespace

void frmAnagrafica::imgToolbar1_Click(int index)
{
    // The emblem at the end of the row is no command.
    if (index == 10)
        return;
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index);
}

// Every statement runs through the trap: the first error is reported and
// logged, and the command goes on with its next statement.
void frmAnagrafica::EseguiComando(errors::ErrorTrap &trap, int index)
{
    PointerReset pointer;
    trap.run([] { SetHourglass(); });
    switch (index) {
    case New:
        Nuova(trap);
        break;
    case Search:
        if (editState() != kNone)
            informa(QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare") + QStringLiteral(" un'anagrafica."));
        else
            Cerca();
        break;
    case Save:
        // One statement: a write the database refuses never reaches the
        // message that says it was saved, nor the moves after it.
        trap.run([&] { SalvaAnagrafica(); });
        break;
    case Delete:
        Elimina(trap);
        break;
    case Print:
        Stampa(trap);
        break;
    case First:
        trap.run([&] { anagrafiche()->moveFirst(); });
        break;
    case Previous:
        trap.run([&] {
            db::Recordset *rs = anagrafiche();
            if (rs->editMode() != db::EditMode::Adding && rs->absolutePosition() >= 1)
                rs->movePrevious();
        });
        break;
    case Next:
        trap.run([&] {
            db::Recordset *rs = anagrafiche();
            if (rs->editMode() != db::EditMode::Adding && rs->absolutePosition() < rs->recordCount() - 1)
                rs->moveNext();
        });
        break;
    case Last:
        trap.run([&] { anagrafiche()->moveLast(); });
        break;
    default:
        ResetPointer();
        ui::MsgBox(QStringLiteral("Errore"));
    }
}

void frmAnagrafica::Nuova(errors::ErrorTrap &trap)
{
    if (editState() != kNone) {
        informa(QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire") + QStringLiteral(" una nuova anagrafica."));
        return;
    }
    trap.run([&] { anagrafiche()->addNew(); });
    trap.run([&] { txtFields(1)->setFocus(); });
}

// The card gives way to the search, which opens in the top left corner.
void frmAnagrafica::Cerca()
{
    close();
    ApriRicercaAnagrafica();
}

bool frmAnagrafica::ControllaAnagrafica()
{
    if (fieldText(1).trimmed().isEmpty() || fieldText(12).trimmed().isEmpty() || fieldText(4).trimmed().isEmpty()) {
        informa(QStringLiteral("I campi Denominazione, Indirizzo e Località sono obbligatori.") + QStringLiteral("\r\n")
                + QStringLiteral("Impossibile salvare l'anagrafica corrente."));
        return false;
    }
    return true;
}

void frmAnagrafica::SalvaAnagrafica()
{
    if (!ControllaAnagrafica())
        return;
    db::Recordset *rs = anagrafiche();
    if (rs->editMode() != db::EditMode::Adding) {
        if (rs->editMode() == db::EditMode::None)
            rs->edit();
        rs->update();
    } else {
        rs->update();
        rs->moveFirst();
        rs->moveLast();
    }
    informa(QStringLiteral("L'anagrafica è stata salvata"));
}

// An entry that invoices name stays: deleting it would leave them without
// their customer.
bool frmAnagrafica::haFatture() const
{
    const QString contatore = QString::number(ValLong(fieldText(0)));
    auto database = db::Database::open(g_strDbPath);
    auto invoices = database->openRecordset(QStringLiteral("select top 1 fat_Numero from Fattura where fat_Codice_Cliente = ")
                                            + contatore);
    return invoices->recordCount() != 0;
}

void frmAnagrafica::Elimina(errors::ErrorTrap &trap)
{
    if (editState() != kNone) {
        informa(QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare") + QStringLiteral(" un'anagrafica."));
        return;
    }
    bool refused = false;
    if (!trap.run([&] { refused = haFatture(); }))
        return;
    if (refused) {
        informa(QStringLiteral("Impossibile cancellare l'anagrafica corrente: è intestataria di fatture."));
        return;
    }
    ResetPointer();
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente l'anagrafica corrente?"),
                                  ui::vbYesNo | ui::vbExclamation, g_strAppName);
    if (answer != ui::vbYes)
        return;
    if (!trap.run([&] { anagrafiche()->deleteRecord(); }))
        return;
    trap.run([&] { VaiAllaPrima(); });
}

// After a delete: the first entry, or a new one when the register is empty,
// as the card opens on an empty register.
void frmAnagrafica::VaiAllaPrima()
{
    db::Recordset *rs = anagrafiche();
    rs->requery();
    if (rs->recordCount() == 0) {
        rs->addNew();
        txtFields(1)->setFocus();
    } else {
        rs->moveLast();
        rs->moveFirst();
    }
}

void frmAnagrafica::Stampa(errors::ErrorTrap &trap)
{
    if (editState() == kAdding) {
        informa(QStringLiteral("E' necessario salvare l'anagrafica prima di stampare."));
        return;
    }
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("clienti.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([&] {
        MainReport().set(prop::WindowTitle, QStringLiteral("Stampa dei dati del Cliente ") + fieldText(1));
    });
    // The register number box is read-only: it names the stored entry.
    trap.run([&] {
        MainReport().set(prop::SelectionFormula,
                         QStringLiteral("{anagrafica.anag_Contatore} = ") + QString::number(ValLong(fieldText(0))));
    });
    trap.run([] { MainReport().set(prop::Action, 1); });
}
