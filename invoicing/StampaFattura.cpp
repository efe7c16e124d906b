#include "invoicing/StampaFattura.h"

#include "app/Globals.h"
#include "ui/Messages.h"

void StampaFattura(const QString &, bool, short)
{
    ui::MsgBox(QStringLiteral("La stampa delle fatture non è ancora disponibile."), ui::vbInformation, g_strAppName);
}
