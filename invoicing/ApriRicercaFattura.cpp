#include "invoicing/ApriRicercaFattura.h"

#include "app/Globals.h"
#include "ui/Messages.h"

void ApriRicercaFattura()
{
    ui::MsgBox(QStringLiteral("La ricerca delle fatture non è ancora disponibile."), ui::vbInformation, g_strAppName);
}
