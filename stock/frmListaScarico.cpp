#include "stock/frmListaScarico.h"

#include "base/OpenWindow.h"
#include "base/modZandri.h"
#include "stock/frmScarico.h"

frmListaScarico::frmListaScarico(QWidget *parent)
    : StockListWindow({.name = QStringLiteral("frmListaScarico"),
                       .list = StockList(StockList::Kind::Unloads),
                       .sortFields = {QStringLiteral("sc_Data"), QStringLiteral("sc_Codice_Articolo"),
                                      QStringLiteral("art_Descrizione"), QStringLiteral("sc_Usato"),
                                      QStringLiteral("sc_Quantita"), QStringLiteral("sc_Prezzo")},
                       .reportTemplate = QStringLiteral("listascarichi.rpt"),
                       .reportTitle = QStringLiteral("Brellan - Lista degli scarichi"),
                       .printLabel = QStringLiteral("Stampa Scarichi")},
                      parent)
{
}

QString frmListaScarico::descriptionOf(const QString &code) const
{
    return CercaValore(QStringLiteral("articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"),
                       code, 1);
}

void frmListaScarico::richiama(long key)
{
    openWindow<frmScarico>([key](frmScarico &window) {
        window.p_bln_Modifica = true;
        window.p_lng_Codice_Scarico = key;
    });
}
