#include "invoicing/ApriRicercaFattura.h"

#include "base/OpenWindow.h"
#include "invoicing/frmCercaFattura.h"
#include "ui/MdiChild.h"

#include <QMdiSubWindow>

void ApriRicercaFattura()
{
    frmCercaFattura &search = openWindow<frmCercaFattura>();
    if (QMdiSubWindow *frame = ui::mdiFrameOf(search))
        frame->move(0, 0);
    else
        search.move(0, 0);
}
