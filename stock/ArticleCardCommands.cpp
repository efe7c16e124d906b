// The commands of the article card: the nine toolbar commands, saving,
// the supplier picker and "Salva e Carica".
#include "stock/frmPrestazioni.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "data/DataControl.h"
#include "data/FieldBinder.h"
#include "data/Grid.h"
#include "db/Recordset.h"
#include "lookup/frmHelp.h"
#include "rules/TypedNumber.h"
#include "stock/frmCarico.h"
#include "stock/frmCercaPrestazione.h"
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "ui/Messages.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <QLineEdit>

namespace {

// The picture row's commands by position.
const QStringList kPictureKeys = {QStringLiteral("New"),   QStringLiteral("Open"),     QStringLiteral("Save"),
                                  QStringLiteral("Delete"), QStringLiteral("Print"),   QStringLiteral("First"),
                                  QStringLiteral("Previous"), QStringLiteral("Next"), QStringLiteral("Last")};

// What a field of the card is called on screen, for the message about a
// value that is not a number.
QString labelOfField(const QString &field)
{
    if (field.compare(QLatin1String("art_Prezzo_Carico"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Carico €");
    if (field.compare(QLatin1String("art_Prezzo_Listino"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Listino €");
    if (field.compare(QLatin1String("art_Quantita"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Disponibilità");
    return field;
}

constexpr int kNone = int(db::EditMode::None);
constexpr int kAdding = int(db::EditMode::Adding);

} // namespace

void frmPrestazioni::Toolbar1_ButtonClick(const QString &key)
{
    errors::ErrorTrap trap(kTrapLabel);
    // A key of no command runs as no position, which says "Errore".
    EseguiComando(trap, int(kPictureKeys.indexOf(key)) + 1);
}

void frmPrestazioni::imgToolbar1_Click(int index)
{
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index >= 1 && index <= kPictureKeys.size() ? index : 0);
}

bool frmPrestazioni::prepareCommand(errors::ErrorTrap &trap)
{
    trap.run([&] { ControllaQuantita(); });
    return true;
}

void frmPrestazioni::saveRecord(errors::ErrorTrap &trap)
{
    trap.run([&] { SalvaArticolo(false); });
    trap.run([&] { setDettagliAvailable(editState() != kAdding); });
}

// The grid follows the card: off while a new article is not saved.
void frmPrestazioni::afterCommand(int index)
{
    if (editState() == kAdding)
        setDettagliAvailable(false);
    else if (index != New)
        setDettagliAvailable(true);
    ResetPointer();
}

void frmPrestazioni::Nuovo(errors::ErrorTrap &trap)
{
    trap.run([&] { articoli()->addNew(); });
    trap.run([&] { txtDescrizione->setFocus(); });
    trap.run([&] { setDettagliAvailable(false); });
}

void frmPrestazioni::Elimina(errors::ErrorTrap &trap)
{
    if (!confermaCancellazione(QStringLiteral("Cancellare definitivamente l'articolo corrente?")))
        return;
    trap.run([&] { articoli()->deleteRecord(); });
    trap.run([&] { articoli()->moveFirst(); });
}

void frmPrestazioni::Stampa(errors::ErrorTrap &trap)
{
    namespace prop = report::prop;
    trap.run([] { ResetReport(); });
    trap.run([] { MainReport().set(prop::ReportFileName, ReportTemplatePath(QStringLiteral("articoli.rpt"))); });
    trap.run([] { MainReport().set(prop::ReportSource, 2); });
    trap.run([] { MainReport().set(prop::WindowLeft, 0); });
    trap.run([] { MainReport().set(prop::WindowTop, 0); });
    trap.run([] { MainReport().set(prop::WindowTitle, QStringLiteral("Lista Articoli")); });
    trap.run([] { MainReport().set(prop::Destination, 0); });
    // The stored article is printed: the formula names its code only.
    trap.run([&] {
        MainReport().set(prop::SelectionFormula, QStringLiteral("{articoli.art_Codice} = ") + codiceNumerico());
    });
    trap.run([] { MainReport().set(prop::Action, 1); });
}

bool frmPrestazioni::ControllaDati()
{
    // A new article gets its number from the database when it is written,
    // so while adding only the description can be missing.
    const bool codeMissing = editState() != kAdding && txtCodice->text().trimmed().isEmpty();
    if (codeMissing || txtDescrizione->text().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Impossibile salvare la prestazione corrente.") + QStringLiteral("\r\n")
                       + QStringLiteral("I campi Codice e descrizione sono obbligatori."),
                   ui::vbInformation, g_strAppName);
        return false;
    }
    // A price that is not a number would silently keep the stored one.
    const QStringList invalid = m_binder->invalidFields();
    if (!invalid.isEmpty()) {
        ui::MsgBox(QStringLiteral("Impossibile salvare la prestazione corrente.") + QStringLiteral("\r\n")
                       + QStringLiteral("Il campo ") + labelOfField(invalid.first()) + QStringLiteral(" non contiene un numero valido."),
                   ui::vbExclamation, g_strAppName);
        return false;
    }
    return true;
}

void frmPrestazioni::ControllaQuantita()
{
    if (TypedNumber::quantity(txtQuantita->text()))
        return;
    // An article stored without a quantity only shows 0: the hidden field
    // must not turn it into an unsaved change that blocks New or Delete.
    // A quantity that was changed (or is being added) takes the 0 for real.
    const bool shownOnly = editState() == kNone && !m_binder->invalidFields().contains(QStringLiteral("art_Quantita"));
    const QSignalBlocker blocker(shownOnly ? txtQuantita : nullptr);
    txtQuantita->setText(QStringLiteral("0"));
}

bool frmPrestazioni::SalvaArticolo(bool Silenzioso)
{
    if (!ControllaDati()) {
        ResetPointer();
        return false;
    }
    db::Recordset *rs = articoli();
    if (rs->editMode() == db::EditMode::Adding) {
        rs->update();
        m_binder->showCurrent();
        rs->moveLast();
    }
    if (rs->editMode() == db::EditMode::Editing)
        rs->update();
    if (!Silenzioso) {
        ResetPointer();
        ui::MsgBox(QStringLiteral("L'articolo è stato salvato"), ui::vbInformation, g_strAppName);
    }
    return true;
}

void frmPrestazioni::cmdHelp_Click()
{
    frmHelp picker(this);
    picker.QryTable = QStringLiteral("Fornitore");
    picker.QryBoundColumn = QStringLiteral("fo_Descrizione");
    picker.QryListField = QStringLiteral("fo_Descrizione");
    picker.QryOrder = QStringLiteral("fo_Descrizione");
    picker.ButtonNew = false;
    // A list of 7980 twips, the picker widening its window to match.
    picker.QrySize = 7980.0f / float(frmHelp::BaseListWidthTwips);
    picker.showModal();
    // Closing the picker without a choice keeps the supplier the article has.
    if (!picker.QryAborted)
        txtFornitore->setText(NullToEmpty(picker.QryText).toString());
}

// A stock item typed in the grid belongs to the article shown now: it is
// written before a command can show another article or close the card.
void frmPrestazioni::ScriviDettaglio()
{
    if (TDBGrid1->isEnabled() && TDBGrid1->isRowDirty())
        TDBGrid1->updateRow();
}

// The stock load opens only on a saved article: a save the check or the
// database refused keeps the card open with what the user typed.
void frmPrestazioni::cmdEsporta_Click()
{
    ScriviDettaglio();
    ControllaQuantita();
    if (!SalvaArticolo(true))
        return;
    ApriCaricoNuovo();
    close();
}

// The card gives way to the article search. The search opens once the
// events pending now have run, the card's own closing among them (the
// command that asked for it is still running on the card).
void frmPrestazioni::ApriRicerca()
{
    close();
    QMetaObject::invokeMethod(qApp, [] { openWindow<frmCercaPrestazione>(); }, Qt::QueuedConnection);
}
