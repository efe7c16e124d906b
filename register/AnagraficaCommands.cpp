// The commands of the register card's picture row: new, search, save,
// delete, print and the four moves.
#include "register/frmAnagrafica.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "register/ApriRicercaAnagrafica.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "ui/Messages.h"

void frmAnagrafica::imgToolbar1_Click(int index)
{
    // The emblem at the end of the row is no command.
    if (index == 10)
        return;
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index);
}

// One statement: a write the database refuses never reaches the message that
// says it was saved, nor the moves after it.
void frmAnagrafica::saveRecord(errors::ErrorTrap &trap)
{
    trap.run([&] { SalvaAnagrafica(); });
}

void frmAnagrafica::Nuova(errors::ErrorTrap &trap)
{
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
    bool refused = false;
    if (!trap.run([&] { refused = haFatture(); }))
        return;
    if (refused) {
        informa(QStringLiteral("Impossibile cancellare l'anagrafica corrente: è intestataria di fatture."));
        return;
    }
    if (!confermaCancellazione(QStringLiteral("Cancellare definitivamente l'anagrafica corrente?")))
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
