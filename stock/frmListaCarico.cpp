#include "stock/frmListaCarico.h"

#include "base/OpenWindow.h"
#include "base/modZandri.h"
#include "stock/frmCarico.h"

frmListaCarico::frmListaCarico(QWidget *parent)
    : StockListWindow({.name = QStringLiteral("frmListaCarico"),
                       .list = StockList(StockList::Kind::Loads),
                       .sortFields = {QStringLiteral("carico.ca_Data"), QStringLiteral("carico.ca_Codice_Articolo"),
                                      QStringLiteral("art_Descrizione"), QStringLiteral("ca_Usato"),
                                      QStringLiteral("carico.ca_Quantita"), QStringLiteral("ca_Prezzo")},
                       .reportTemplate = QStringLiteral("listacarichi.rpt"),
                       .reportTitle = QStringLiteral("Corvel - Lista dei Carichi"),
                       .printLabel = QStringLiteral("mdiTarvo.stampaIVA"),
                       .labels = true},
                      parent)
{
}

// The item's article, then the article's description.
QString frmListaCarico::descriptionOf(const QString &code) const
{
    const QString article = CercaValore(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                                        QStringLiteral("ca_Codice_Articolo"), code, 0);
    if (article.isEmpty())
        return QString();
    return CercaValore(QStringLiteral("articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"),
                       article, 1);
}

void frmListaCarico::richiama(long key)
{
    openWindow<frmCarico>([key](frmCarico &window) {
        window.p_bln_Modifica = true;
        window.p_lng_Codice_Carico = key;
    });
}
