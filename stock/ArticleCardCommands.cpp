// The commands of the article card: the nine toolbar commands, saving,
// the supplier picker and "Salva e Carica".
#include "stock/frmPrestazioni.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "app/OpenWindow.h"
#include "app/errors/ErrorTrap.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
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
    EseguiComando(trap, key);
}

void frmPrestazioni::imgToolbar1_Click(int index)
{
    errors::ErrorTrap trap(kTrapLabel);
    EseguiComando(trap, index >= 1 && index <= kPictureKeys.size() ? kPictureKeys.at(index - 1) : QString());
}

// Every statement runs through the trap: the first error is reported and
// logged, and the command goes on with its next statement.
void frmPrestazioni::EseguiComando(errors::ErrorTrap &trap, const QString &key)
{
    PointerReset pointer;
    ScriviDettaglio();
    trap.run([] { SetHourglass(); });
    trap.run([&] { ControllaQuantita(); });
    if (key == QLatin1String("New")) {
        Nuovo(trap);
    } else if (key == QLatin1String("Open")) {
        if (editState() != kNone) {
            ResetPointer();
            ui::MsgBox(QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare") + QStringLiteral(" un articolo."),
                       ui::vbInformation, g_strAppName);
        }
        else
            ApriRicerca();
    } else if (key == QLatin1String("Save")) {
        trap.run([&] { SalvaArticolo(false); });
        trap.run([&] { setDettagliAvailable(editState() != kAdding); });
    } else if (key == QLatin1String("Delete")) {
        Elimina(trap);
    } else if (key == QLatin1String("Print")) {
        Stampa(trap);
    } else if (key == QLatin1String("First")) {
        trap.run([&] { articoli()->moveFirst(); });
    } else if (key == QLatin1String("Previous")) {
        trap.run([&] {
            db::Recordset *rs = articoli();
            if (rs->editMode() != db::EditMode::Adding && rs->absolutePosition() >= 1)
                rs->movePrevious();
        });
    } else if (key == QLatin1String("Next")) {
        trap.run([&] {
            db::Recordset *rs = articoli();
            if (rs->editMode() != db::EditMode::Adding && rs->absolutePosition() < rs->recordCount() - 1)
                rs->moveNext();
        });
    } else if (key == QLatin1String("Last")) {
        trap.run([&] { articoli()->moveLast(); });
    } else {
        ResetPointer();
        ui::MsgBox(QStringLiteral("Errore"), ui::vbOKOnly, g_strAppName);
    }
    // The grid follows the card: off while a new article is not saved.
    if (editState() == kAdding)
        setDettagliAvailable(false);
    else if (key != QLatin1String("New"))
        setDettagliAvailable(true);
    ResetPointer();
}

void frmPrestazioni::Nuovo(errors::ErrorTrap &trap)
{
    if (editState() != kNone) {
        ResetPointer();
        ui::MsgBox(QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire") + QStringLiteral(" un nuovo articolo."),
                   ui::vbInformation, g_strAppName);
        return;
    }
    trap.run([&] { articoli()->addNew(); });
    trap.run([&] { txtDescrizione->setFocus(); });
    trap.run([&] { setDettagliAvailable(false); });
}

void frmPrestazioni::Elimina(errors::ErrorTrap &trap)
{
    if (editState() != kNone) {
        ResetPointer();
        ui::MsgBox(QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare") + QStringLiteral(" un articolo."),
                   ui::vbInformation, g_strAppName);
        return;
    }
    ResetPointer();
    const int answer = ui::MsgBox(QStringLiteral("Cancellare definitivamente l'articolo corrente?"),
                                  ui::vbYesNo | ui::vbExclamation, g_strAppName);
    if (answer != ui::vbYes)
        return;
    trap.run([&] { articoli()->deleteRecord(); });
    trap.run([&] { articoli()->moveFirst(); });
}

void frmPrestazioni::Stampa(errors::ErrorTrap &trap)
{
    if (editState() == kAdding) {
        ResetPointer();
        ui::MsgBox(QStringLiteral("E' necessario salvare l'articolo prima di stampare."), ui::vbInformation, g_strAppName);
        return;
    }
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
