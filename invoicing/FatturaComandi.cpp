#include "invoicing/FatturaComandi.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "invoicing/ApriRicercaFattura.h"
#include "invoicing/EsportaFattureElettroniche.h"
#include "invoicing/FatturaRighe.h"
#include "invoicing/SceltaCliente.h"
#include "invoicing/StampaFattura.h"
#include "register/frmAnagrafica.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceDrafts.h"
#include "rules/InvoiceNumber.h"
#include "rules/ShopDatabase.h"
#include "rules/general/DateText.h"
#include "rules/general/Today.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kNone = int(db::EditMode::None);
constexpr int kAdding = int(db::EditMode::Adding);

} // namespace

const QString FatturaComandi::kTrapLabel = QStringLiteral("frmFattura.toolbar_Buttonclick");

FatturaComandi::FatturaComandi(const Controlli &controlli)
    : CardCommands({.one = QStringLiteral(" una fattura."),
                    .oneNew = QStringLiteral(" una nuova fattura."),
                    .saveBeforePrint = QStringLiteral("E' necessario salvare la fattura prima di stampare.")})
    , m_c(controlli)
{
}

int FatturaComandi::editState() const
{
    return int(m_c.testata.editMode());
}

bool FatturaComandi::holdsWork() const
{
    return editState() != kNone || m_c.righe.rigaInCorso();
}

bool FatturaComandi::leavesRecord(int index) const
{
    return editState() == kAdding || CardCommands::leavesRecord(index);
}

void FatturaComandi::discardWork()
{
    m_c.righe.AnnullaRigaInCorso();
    if (editState() == kAdding) {
        AbbandonaNuova();
        return;
    }
    CardCommands::discardWork();
    m_c.binder.showCurrent();
}

db::Recordset *FatturaComandi::fatture() const
{
    db::Recordset *rs = m_c.testata.recordset();
    if (!rs)
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 91,
                          QStringLiteral("Variabile oggetto o variabile del blocco With non impostata."));
    return rs;
}

QString FatturaComandi::numero() const
{
    return campo(0)->text();
}

void FatturaComandi::AggiornaContatore()
{
    try {
        db::Recordset *rs = m_c.testata.recordset();
        if (!rs || !rs->isOpen())
            return;
        // A new invoice not saved yet stands at position 0.
        const int position = rs->editMode() == db::EditMode::Adding ? 0 : rs->absolutePosition() + 1;
        m_c.contatore.setText(QStringLiteral("Fattura: ") + QString::number(position)
                              + QStringLiteral(" di ") + QString::number(rs->recordCount()));
    } catch (...) {
        // The counter is a courtesy: it never stops the window.
    }
}

QString FatturaComandi::numeroCambiato(const QString &proposto, const QString &assegnato)
{
    return QStringLiteral("Il numero ") + proposto + QStringLiteral(" è stato assegnato nel frattempo a un'altra fattura. ")
        + QStringLiteral("La fattura corrente è stata salvata con il numero ") + assegnato + QStringLiteral(".");
}

void FatturaComandi::imgToolbar1_Click(int index)
{
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index);
}

// A line being typed is written first; one the database refuses ends the
// command.
bool FatturaComandi::prepareCommand(errors::ErrorTrap &trap)
{
    Q_UNUSED(trap)
    return m_c.righe.ScriviRigaInCorso();
}

// One statement: a write the database refuses never reaches the message that
// says it was saved.
void FatturaComandi::saveRecord(errors::ErrorTrap &trap)
{
    trap.run([&] { Salva(); });
}

db::Recordset *FatturaComandi::records() const
{
    return fatture();
}

QString FatturaComandi::CercaNumeroFattura()
{
    QString numero;
    errors::ErrorTrap trap(QStringLiteral("frmFattura.CercaNumeroFattura"));
    trap.run([&] { numero = InvoiceArchive(*ShopDatabase::open()).nextFreeNumber(today()); });
    return numero;
}

bool FatturaComandi::ControllaFattura()
{
    if (campo(0)->text().trimmed().isEmpty() || campo(1)->text().trimmed().isEmpty()
        || m_c.cliente.text().trimmed().isEmpty()) {
        informa(QStringLiteral("I campi Numero Fattura, Data e Cliente sono obbligatori.") + QStringLiteral("\r\n")
                + QStringLiteral("Impossibile salvare la fattura corrente."));
        return false;
    }
    return true;
}

void FatturaComandi::Nuova(errors::ErrorTrap &trap)
{
    if (!trap.run([&] { fatture()->addNew(); }))
        return;
    trap.run([&] { m_c.pagata.setChecked(false); });
    trap.run([&] {
        const QString proposto = CercaNumeroFattura();
        // A new invoice starts without lines, whatever an earlier one left.
        InvoiceArchive(*ShopDatabase::open()).discardUnsaved(proposto);
        campo(0)->setText(proposto);
    });
    trap.run([&] { campo(1)->setText(today().toString(QStringLiteral("dd/MM/yy"))); });
    trap.run([&] { m_c.totale.setText(QStringLiteral("0")); });
}

void FatturaComandi::Cerca()
{
    m_c.window.close();
    ApriRicercaFattura();
}

// The date boxes hold what the user typed ("08/12/26"); the header gets the
// dates they stand for, with a four-digit year, and Null for an empty
// payment date. False (with the date message) when a date is not one.
bool FatturaComandi::ScriviDate()
{
    db::Recordset *rs = fatture();
    const char *fields[] = {nullptr, "fat_Data", nullptr, "fat_Data_Pagamento"};
    for (int index : {1, 3}) {
        const QString text = campo(index)->text().trimmed();
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

void FatturaComandi::Salva()
{
    if (!ControllaFattura())
        return;
    if (!ScriviDate())
        return;
    db::Recordset *rs = fatture();
    InvoiceArchive archive(*ShopDatabase::open());
    const QString saved = numero();
    if (rs->editMode() == db::EditMode::Adding) {
        // Another till may have saved the number shown meanwhile: the invoice
        // then takes the next free one, and the user is told which.
        const QString assigned = archive.saveNewOnFreeNumber(saved, today(), [rs](const QString &numero) {
            rs->setValue(QStringLiteral("fat_Numero"), numero);
            rs->update();
        });
        InvoiceDrafts::release(ShopDatabase::open()->path(), saved);
        InvoiceDrafts::release(ShopDatabase::open()->path(), assigned);
        requeryOn(assigned);
        if (assigned != saved)
            informa(numeroCambiato(saved, assigned), ui::vbExclamation);
        if (rs->recordCount() < 2) {
            informa(QStringLiteral("La fattura è stata salvata"));
            m_c.window.close();
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
void FatturaComandi::requeryOn(const QString &saved)
{
    db::Recordset *rs = fatture();
    rs->requery();
    rs->findFirst(QStringLiteral("fat_Numero = ") + db::quoted(saved, QLatin1Char('"')));
    AggiornaContatore();
}

void FatturaComandi::Elimina(errors::ErrorTrap &trap)
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
        InvoiceArchive(*ShopDatabase::open()).deleteInvoice(numero(), [rs] { rs->deleteRecord(); });
        deleted = true;
    });
    if (deleted)
        trap.run([&] { VaiAllaPrima(); });
}

// After a delete: the first invoice; with none left the editor stands on
// no invoice, its lines grid empty, until New.
void FatturaComandi::VaiAllaPrima()
{
    db::Recordset *rs = fatture();
    rs->requery();
    if (rs->recordCount() != 0) {
        rs->moveLast();
        rs->moveFirst();
    } else {
        m_c.binder.showCurrent();
        m_c.righe.Aggiornagrid();
        m_c.righe.AggiornaTotale();
    }
    AggiornaContatore();
}

void FatturaComandi::cmdFatturaElettronica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdFatturaElettronica_Click"));
    if (!m_c.righe.ScriviRigaInCorso())
        return;
    if (editState() != kNone) {
        informa(QStringLiteral("E' necessario salvare la fattura prima di esportarla."));
        return;
    }
    const QString esportata = numero();
    trap.run([&] { EsportaFattureElettroniche(&m_c.window, {esportata}); });
}

void FatturaComandi::Stampa(errors::ErrorTrap &trap)
{
    const QString stampato = numero();
    const bool anteprima = m_c.anteprima.isChecked();
    const short copie = short(std::clamp<qlonglong>(ValLong(m_c.copie.text()), 0, 32767));
    trap.run([&] { StampaFattura(stampato, anteprima, copie); });
}

// A move gives up an unsaved new invoice first.
void FatturaComandi::moveRecord(errors::ErrorTrap &trap, int index)
{
    trap.run([&] { AbbandonaNuova(); });
    trap.run([&] {
        db::Recordset *rs = fatture();
        if (rs->recordCount() != 0)
            step(*rs, index);
    });
}

void FatturaComandi::AbbandonaNuova()
{
    db::Recordset *rs = m_c.testata.recordset();
    if (!rs || rs->editMode() != db::EditMode::Adding)
        return;
    const QString abbandonato = numero();
    m_c.righe.AnnullaRigaInCorso();
    rs->cancelUpdate();
    InvoiceArchive(*ShopDatabase::open()).discardUnsaved(abbandonato);
    if (rs->recordCount() != 0 && rs->absolutePosition() < 0)
        rs->moveFirst();
    m_c.binder.showCurrent();
}

bool FatturaComandi::MostraFattura(const QString &cercato)
{
    db::Recordset *rs = fatture();
    AbbandonaNuova();
    rs->findFirst(QStringLiteral("fat_Numero = ") + db::quoted(cercato, QLatin1Char('"')));
    AggiornaContatore();
    return !rs->noMatch();
}

void FatturaComandi::cmdCambiaNumero_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdCambiaNumer_Click"));
    if (!m_c.righe.ScriviRigaInCorso())
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
            || InvoiceArchive(*ShopDatabase::open()).renumberLines(numero(), *built) == InvoiceArchive::Result::NumberTaken) {
            ui::MsgBox(FatturaRighe::numeroOccupato(*built), ui::vbExclamation, g_strAppName);
            return;
        }
        campo(0)->setText(*built);
    });
}

void FatturaComandi::cmdCercaAnagrafica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdCercaAnagrafica_Click"));
    trap.run([&] {
        SceltaCliente::scegli(*campo(2));
    });
}

// The card's own New: a card holding unsaved changes keeps them and says so.
void FatturaComandi::cmdNuovaAnagrafica_Click()
{
    errors::ErrorTrap trap(QStringLiteral("frmFattura.cmdNuovaAnagrafica_Click"));
    trap.run([&] {
        frmAnagrafica &card = openWindow<frmAnagrafica>();
        card.imgToolbar1_Click(1);
    });
}
