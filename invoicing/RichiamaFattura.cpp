#include "invoicing/RichiamaFattura.h"

#include "base/GeneralFunc6.h"
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/errors/ErrorTrap.h"
#include "invoicing/frmFattura.h"
#include "ui/Messages.h"
#include "ui/WindowLife.h"
#include "ui/WindowRegistry.h"

bool RichiamaFattura(const QString &numero)
{
    errors::ErrorTrap trap(QStringLiteral("frmCercaFattura.lvwFatture_dblClick"));
    frmFattura *editor = ui::WindowRegistry::existingInstance<frmFattura>();
    const ui::WindowLife *life = editor ? ui::WindowLife::of(*editor) : nullptr;
    if (!editor || !life || !life->isLoaded() || !editor->isVisible()) {
        if (!trap.run([&] { editor = &openWindow<frmFattura>(); }))
            return false;
    }
    // What is typed into the editor is saved or given up as the user says.
    if (!editor->mayLeave())
        return false;
    bool found = false;
    if (!trap.run([&] { found = editor->MostraFattura(numero); }))
        return false;
    if (!found) {
        ui::MsgBox(QStringLiteral("Impossibile trovare la fattura selezionata."), ui::vbExclamation, g_strAppName);
        ResetPointer();
        return false;
    }
    trap.run([&] { openWindow<frmFattura>(); });
    return true;
}
