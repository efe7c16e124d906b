#include "register/ApriRicercaAnagrafica.h"

#include "base/OpenWindow.h"
#include "register/frmCercaAnagrafica.h"
#include "ui/MdiChild.h"

#include <QMdiSubWindow>

frmCercaAnagrafica &ApriRicercaAnagrafica()
{
    frmCercaAnagrafica &search = openWindow<frmCercaAnagrafica>();
    if (QMdiSubWindow *frame = ui::mdiFrameOf(search))
        frame->move(0, 0);
    else
        search.move(0, 0);
    return search;
}
