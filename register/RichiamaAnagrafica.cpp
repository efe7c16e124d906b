#include "register/RichiamaAnagrafica.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/errors/ErrorTrap.h"
#include "register/frmAnagrafica.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"
#include "ui/WindowRegistry.h"

void RichiamaAnagrafica(const QString &contatore)
{
    errors::ErrorTrap trap(QStringLiteral("modFerlani.RichiamaAnagrafica"));
    frmAnagrafica *card = ui::WindowRegistry::existingInstance<frmAnagrafica>();
    const ui::WindowLife *life = card ? ui::WindowLife::of(*card) : nullptr;
    // A card already open is only moved; one that is not is opened first.
    // A card that could not open has no entry to move to.
    if (!card || !life || !life->isLoaded() || !card->isVisible()) {
        if (!trap.run([&] { card = &openWindow<frmAnagrafica>(); }))
            return;
    }
    // What is typed into the card is saved or given up as the user says.
    if (!card->mayLeave())
        return;
    bool found = true;
    trap.run([&] { found = card->MostraAnagrafica(ValLong(contatore)); });
    if (!found)
        ui::MsgBox(QStringLiteral("Impossibile trovare l'anagrafica selezionata."), ui::vbInformation, g_strAppName);
}
