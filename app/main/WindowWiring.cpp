#include "app/main/WindowWiring.h"

#include "app/main/MenuCommands.h"
#include "lookup/frmAbout.h"
#include "lookup/frmDizionari.h"
#include "register/frmAnagrafica.h"
#include "stock/frmArticoli.h"
#include "stock/frmCarico.h"
#include "stock/frmCercaPrestazione.h"
#include "stock/frmPrestazioni.h"
#include "stock/frmScarico.h"

namespace app {

// A command whose window is not wired here stays greyed in the menu.
void wireWindows()
{
    wireArticoliCommand<frmPrestazioni>();
    wireAnagraficheCommand<frmAnagrafica>();
    wireCaricoCommand<frmCarico>();
    wireFornitoriCommand<frmDizionari>();
    wireScaricoCommand<frmScarico>();
    MenuCommands::wireWindow<frmCercaPrestazione>(QStringLiteral("mnuFileCercaArticoli"));
    MenuCommands::wireWindow<frmArticoli>(QStringLiteral("mnuListeArticoliItem"));
    MenuCommands::wireWindow<frmAbout>(QStringLiteral("mnuAbout"));
}

} // namespace app
