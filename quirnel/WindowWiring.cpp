#include "quirnel/WindowWiring.h"

#include "base/errors/ErrorLogs.h"
#include "legacyimport/frmImportaArchivio.h"
#include "stock/frmImportaArticoli.h"
#include "stock/frmImportaFatture.h"
#include "quirnel/MenuCommands.h"
#include "invoicing/frmFattura.h"
#include "lookup/frmAbout.h"
#include "lookup/frmDizionari.h"
#include "register/frmAnagrafica.h"
#include "register/frmDatiAzienda.h"
#include "register/frmNotaFornitori.h"
#include "register/frmPrimaNota.h"
#include "stock/frmArticoli.h"
#include "stock/frmCarico.h"
#include "stock/frmCercaPrestazione.h"
#include "stock/frmIncassi.h"
#include "stock/frmInventario.h"
#include "stock/frmListaCarico.h"
#include "stock/frmListaScarico.h"
#include "stock/frmPrestazioni.h"
#include "stock/frmScarico.h"
#include "stock/frmSottoscorta.h"
#include "stock/frmStatistiche.h"
#include "stock/frmValoreMagazzino.h"

namespace app {

// A command whose window is not wired here stays greyed in the menu.
void wireWindows()
{
    wireArticoliCommand<frmPrestazioni>();
    wireAnagraficheCommand<frmAnagrafica>();
    wireCaricoCommand<frmCarico>();
    wireFornitoriCommand<frmDizionari>();
    wireScaricoCommand<frmScarico>();
    wirePlainCommand<frmListaCarico>(QStringLiteral("mnuListeCarichiItem"));
    wirePlainCommand<frmListaScarico>(QStringLiteral("mnuListeScarichiItem"));
    wirePlainCommand<frmIncassi>(QStringLiteral("mnuListeIncassiItem"));
    wirePlainCommand<frmInventario>(QStringLiteral("mnuFileInventarioItem"));
    wirePlainCommand<frmValoreMagazzino>(QStringLiteral("mnuListeValoreItem"));
    wirePlainCommand<frmSottoscorta>(QStringLiteral("mnuListeSottoscortaItem"));
    wirePlainCommand<frmStatistiche>(QStringLiteral("mnuListeStatisticheItem"));
    wirePlainCommand<frmPrimaNota>(QStringLiteral("mnuPrimaNotaItem"));
    wirePlainCommand<frmNotaFornitori>(QStringLiteral("mnuNotaFornitori"));
    wirePlainCommand<frmCercaPrestazione>(QStringLiteral("mnuFileCercaArticoli"));
    wirePlainCommand<frmArticoli>(QStringLiteral("mnuListeArticoliItem"));
    wirePlainCommand<frmFattura>(QStringLiteral("mnuFattureItem"));
    wirePlainCommand<frmDatiAzienda>(QStringLiteral("mnuFileDatiAziendaItem"));
    wirePlainCommand<frmAbout>(QStringLiteral("mnuAbout"));
    MenuCommands::wireAction(QStringLiteral("mnuRegistroErroriItem"), errors::MostraRegistroErrori);
    MenuCommands::wireAction(QStringLiteral("mnuArchivioErroriItem"), errors::MostraArchivioErrori);
    wirePlainCommand<frmImportaArchivio>(QStringLiteral("mnuFileImportaArchivioItem"));
    wirePlainCommand<frmImportaArticoli>(QStringLiteral("mnuFileImportaArticoliItem"));
    wirePlainCommand<frmImportaFatture>(QStringLiteral("mnuFileImportaFattureItem"));
}

} // namespace app
