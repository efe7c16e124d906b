// The commands of the invoice editor: the picture row, "Cambia Numero" and
// the customer buttons.
#include "invoicing/frmFattura.h"

#include "rules/general/DateText.h"
#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/OpenWindow.h"
#include "rules/general/Today.h"
#include "app/errors/ErrorTrap.h"
#include "app/modZandri.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "invoicing/ApriRicercaFattura.h"
#include "invoicing/EsportaFattureElettroniche.h"
#include "invoicing/StampaFattura.h"
#include "lookup/frmHelp.h"
#include "register/frmAnagrafica.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceDrafts.h"
#include "rules/InvoiceNumber.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr int kNone = int(db::EditMode::None);
constexpr int kAdding = int(db::EditMode::Adding);

} // namespace

QString frmFattura::numeroOccupato(const QString &numero)
{
    return QStringLiteral("La fattura inserita risulta già esistente. ") + QStringLiteral("Impossibile assegnare il numero ")
        + numero + QStringLiteral(" alla fattura corrente");
}

QString frmFattura::numeroCambiato(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero ") + proposto + QStringLiteral(" è stato assegnato nel frattempo a un'altra fattura. ")
        + QStringLiteral("La fattura corrente è stata salvata con il numero ") + assegnato + QStringLiteral(".");
}

QString frmFattura::numeroInUso(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero ") + proposto + QStringLiteral(" è già in uso per un'altra fattura in corso. ")
        + QStringLiteral("La fattura corrente prende il numero ") + assegnato + QStringLiteral(".");
}

void frmFattura::imgToolbar1_Click(int index)
{
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index);
}

// A line being typed is written first; one the database refuses ends the
// command.
bool frmFattura::prepareCommand(errors::ErrorTrap &trap)
{
    Q_UNUSED(trap)
    return ScriviRigaInCorso();
}

// One statement: a write the database refuses never reaches the message that
// says it was saved.
void frmFattura::saveRecord(errors::ErrorTrap &trap)
{
    trap.run([&] { Salva(); });
}

db::Recordset *frmFattura::records() const
{
    return fatture();
}

QString frmFattura::CercaNumeroFattura()
{
    QString numero;
    errors::ErrorTrap trap(QStringLiteral("frmFattura.CercaNumeroFattura"));
    trap.run([&] { numero = InvoiceArchive(*database()).nextFreeNumber(today()); });
    return numero;
}

bool frmFattura::ControllaFattura()
{
    if (txtFields(0)->text().trimmed().isEmpty() || txtFields(1)->text().trimmed().isEmpty()
        || txtCliente->text().trimmed().isEmpty()) {
        informa(QStringLiteral("I campi Numero Fattura, Data e Cliente sono obbligatori.") + QStringLiteral("\r\n")
                + QStringLiteral("Impossibile salvare la fattura corrente."));
        return false;
    }
    return true;
}

void frmFattura::CancellaDettagli(const QString &numero)
{
    database()->execute(QStringLiteral("delete from [Dettaglio Fattura] where df_Numero_Fattura = ")
                        + db::quoted(numero, QLatin1Char('"')));
}

void frmFattura::Nuova(errors::ErrorTrap &trap)
{
    if (!trap.run([&] { fatture()->addNew(); }))
        return;
    trap.run([&] { chkPagata->setChecked(false); });
    trap.run([&] {
        const QString proposto = CercaNumeroFattura();
        // A new invoice starts without lines, whatever an earlier one left.
        InvoiceArchive(*database()).discardUnsaved(proposto);
        txtFields(0)->setText(proposto);
    });
    trap.run([&] { txtFields(1)->setText(today().toString(QStringLiteral("dd/MM/yy"))); });
    trap.run([&] { txtTotale->setText(QStringLiteral("0")); });
}

void frmFattura::Cerca()
{
    close();
    ApriRicercaFattura();
}

// The date boxes hold what the user typed ("08/12/26"); the header gets the
// dates they stand for, with a four-digit year, and Null for an empty
// payment date. False (with the date message) when a date is not one.
bool frmFattura::ScriviDate()
{
    db::Recordset *rs = fatture();
    const char *fields[] = {nullptr, "fat_Data", nullptr, "fat_Data_Pagamento"};
    for (int index : {1, 3}) {
        const QString text = txtFields(index)->text().trimmed();
        const QDate date = DateText::parse(text);
        if (!text.isEmpty() && !date.isValid()) {
            ResetPointer();
            ControllaData(text, 1);
            return false;
        }
        if (rs->editMode() == db::EditMode::None)
            rs->edit();
        rs->setValue(QString::fromLatin1(fields[index]), date.isValid() ? QVariant(date) : QVariant());
    }
    return true;
}

void frmFattura::Salva()
{
    if (!ControllaFattura())
        return;
    if (!ScriviDate())
        return;
    db::Recordset *rs = fatture();
    InvoiceArchive archive(*database());
    const QString saved = numero();
    if (rs->editMode() == db::EditMode::Adding) {
        // Another till may have saved the number shown meanwhile: the invoice
        // then takes the next free one, and the user is told which.
        const QString assigned = archive.saveNewOnFreeNumber(saved, today(), [rs](const QString &numero) {
            rs->setValue(QStringLiteral("fat_Numero"), numero);
            rs->update();
        });
        InvoiceDrafts::release(database()->path(), saved);
        InvoiceDrafts::release(database()->path(), assigned);
        requeryOn(assigned);
        if (assigned != saved)
            informa(numeroCambiato(saved, assigned), ui::vbExclamation);
        if (rs->recordCount() < 2) {
            informa(QStringLiteral("La fattura è stata salvata"));
            close();
            return;
        }
    } else {
        archive.saveChanged(saved, [rs] {
            if (rs->editMode() == db::EditMode::None)
                rs->edit();
            rs->update();
        });
    }
    informa(QStringLiteral("La fattura è stata salvata"));
}

// After a save the editor shows the invoice just saved.
void frmFattura::requeryOn(const QString &saved)
{
    db::Recordset *rs = fatture();
    rs->requery();
    rs->findFirst(QStringLiteral("fat_Numero = ") + db::quoted(saved, QLatin1Char('"')));
    AggiornaContatore();
}

void frmFattura::Elimina(errors::ErrorTrap &trap)
{
    // With no invoice left there is nothing to ask about.
    bool none = true;
    trap.run([&] { none = fatture()->absolutePosition() < 0; });
    if (none)
        return;
    if (!confermaCancellazione(QStringLiteral("Cancellare definitivamente la fattura corrente?")))
        return;
    bool deleted = false;
    trap.run([&] {
        db::Recordset *rs = fatture();
        InvoiceArchive(*database()).deleteInvoice(numero(), [rs] { rs->deleteRecord(); });
        deleted = true;
    });
    if (deleted)
        trap.run([&] { VaiAllaPrima(); });
}

// After a delete: the first invoice; with none left the editor stands on
// no invoice, its lines grid empty, until New.
void frmFattura::VaiAllaPrima()
{
    db::Recordset *rs = fatture();
    rs->requery();
    if (rs->recordCount() != 0) {
        rs->moveLast();
        rs->moveFirst();
    } else {
        m_binder->showCurrent();
        Aggiornagrid();
        AggiornaTotale();
    }
    AggiornaContatore();
}

void frmFattura::cmdFatturaElettronica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdFatturaElettronica_Click"));
    if (!ScriviRigaInCorso())
        return;
    if (editState() != kNone) {
        informa(QStringLiteral("E' necessario salvare la fattura prima di esportarla."));
        return;
    }
    const QString esportata = numero();
    trap.run([&] { EsportaFattureElettroniche(this, {esportata}); });
}

void frmFattura::Stampa(errors::ErrorTrap &trap)
{
    const QString stampato = numero();
    const bool anteprima = chkAnteprima->isChecked();
    const short copie = short(std::clamp<qlonglong>(ValLong(txtCopie->text()), 0, 32767));
    trap.run([&] { StampaFattura(stampato, anteprima, copie); });
}

// A move gives up an unsaved new invoice first.
void frmFattura::moveRecord(errors::ErrorTrap &trap, int index)
{
    trap.run([&] { AbbandonaNuova(); });
    trap.run([&] {
        db::Recordset *rs = fatture();
        if (rs->recordCount() != 0)
            step(*rs, index);
    });
}

void frmFattura::AbbandonaNuova()
{
    db::Recordset *rs = datPrimaryRs->recordset();
    if (!rs || rs->editMode() != db::EditMode::Adding)
        return;
    const QString abbandonato = numero();
    TDBGrid1->cancelRow();
    rs->cancelUpdate();
    InvoiceArchive(*database()).discardUnsaved(abbandonato);
    if (rs->recordCount() != 0 && rs->absolutePosition() < 0)
        rs->moveFirst();
    m_binder->showCurrent();
}

bool frmFattura::MostraFattura(const QString &cercato)
{
    db::Recordset *rs = fatture();
    AbbandonaNuova();
    rs->findFirst(QStringLiteral("fat_Numero = ") + db::quoted(cercato, QLatin1Char('"')));
    AggiornaContatore();
    return !rs->noMatch();
}

// A line still being typed is written first, under the invoice it was typed
// for; when the grid refuses it (its cell says why) the command waits.
bool frmFattura::ScriviRigaInCorso()
{
    return !TDBGrid1->isRowDirty() || TDBGrid1->updateRow();
}

void frmFattura::cmdCambiaNumero_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdCambiaNumer_Click"));
    if (!ScriviRigaInCorso())
        return;
    if (editState() != kAdding) {
        ui::MsgBox(QStringLiteral("La fattura è già stata salvata. Impossibile cambiare il numero."), ui::vbExclamation,
                   g_strAppName);
        return;
    }
    const QString answer = ui::InputBox(QStringLiteral("Specificare il numero di fattura che si desidera inserire"),
                                        QStringLiteral("Cambia Numero"));
    // Only a whole number from 1 to 99999 makes an invoice number.
    const std::optional<QString> built = InvoiceNumber::fromTyped(answer, today());
    if (!built || *built == numero())
        return;
    trap.run([&] {
        const QString found = CercaValore(QStringLiteral("Fattura"), QStringLiteral("fat_Numero"), QStringLiteral("fat_Numero"),
                                          *built, 0);
        if (!found.isEmpty()
            || InvoiceArchive(*database()).renumberLines(numero(), *built) == InvoiceArchive::Result::NumberTaken) {
            ui::MsgBox(numeroOccupato(*built), ui::vbExclamation, g_strAppName);
            return;
        }
        txtFields(0)->setText(*built);
    });
}

void frmFattura::cmdCercaAnagrafica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdCercaAnagrafica_Click"));
    trap.run([&] {
        frmHelp picker(this);
        picker.QryTable = QStringLiteral("Anagrafica");
        picker.QryBoundColumn = QStringLiteral("anag_Contatore");
        picker.QryListField = QStringLiteral("anag_Denominazione");
        picker.QryOrder = QStringLiteral("anag_Denominazione");
        picker.ButtonNew = false;
        picker.showModal();
        txtFields(2)->setText(QString::number(ValLong(NullToEmpty(picker.QrySelected).toString())));
    });
}

// The card's own New: a card holding unsaved changes keeps them and says so.
void frmFattura::cmdNuovaAnagrafica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdNuovaAnagrafica_Click"));
    trap.run([&] {
        frmAnagrafica &card = openWindow<frmAnagrafica>();
        card.imgToolbar1_Click(1);
    });
}
