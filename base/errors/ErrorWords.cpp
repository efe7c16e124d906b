#include "base/errors/ErrorWords.h"

#include <QList>
#include <utility>

namespace errors {

namespace {

// Places whose label names another window or handler than the one that
// uses it: what fails there, said whole.
const QList<std::pair<QString, QString>> &wholeLabels()
{
    static const QList<std::pair<QString, QString>> labels = {
        {QStringLiteral("mdiTarvo.mnuCodiciIva"), QStringLiteral("Impossibile aprire l'elenco dei fornitori")},
        {QStringLiteral("mdiTarvo.stampaIVA"), QStringLiteral("Impossibile stampare i carichi")},
        {QStringLiteral("Stampa Scarichi"), QStringLiteral("Impossibile stampare gli scarichi")},
        {QStringLiteral("frmCercaDistinta.TrovaDistinte"), QStringLiteral("Impossibile completare la ricerca")},
        {QStringLiteral("frmCercaFattura.lvwFatture_dblClick"), QStringLiteral("Impossibile aprire la scheda scelta")},
        {QStringLiteral("mdiTarvo.mnuRegistroErroriItem"), QStringLiteral("Impossibile aprire il registro degli errori")},
        {QStringLiteral("mdiTarvo.mnuArchivioErroriItem"), QStringLiteral("Impossibile aprire l'archivio degli errori")},
    };
    return labels;
}

// What each window works on, as the sentence names it.
const QList<std::pair<QString, QString>> &windowObjects()
{
    static const QList<std::pair<QString, QString>> objects = {
        {QStringLiteral("frmlistacarico"), QStringLiteral("i carichi")},
        {QStringLiteral("frmlistascarico"), QStringLiteral("gli scarichi")},
        {QStringLiteral("frmcarico"), QStringLiteral("il carico")},
        {QStringLiteral("frmscarico"), QStringLiteral("lo scarico")},
        {QStringLiteral("frmcercafattura"), QStringLiteral("le fatture")},
        {QStringLiteral("frmfattura"), QStringLiteral("la fattura")},
        {QStringLiteral("frmcercaanagrafica"), QStringLiteral("le anagrafiche")},
        {QStringLiteral("frmanagrafica"), QStringLiteral("l'anagrafica")},
        {QStringLiteral("modferlani"), QStringLiteral("l'anagrafica")},
        {QStringLiteral("frmcercadistinta"), QStringLiteral("gli articoli")},
        {QStringLiteral("frmcercaprestazione"), QStringLiteral("gli articoli")},
        {QStringLiteral("frmarticoli"), QStringLiteral("gli articoli")},
        {QStringLiteral("frmprestazioni"), QStringLiteral("l'articolo")},
        {QStringLiteral("frmprestazione"), QStringLiteral("l'articolo")},
        {QStringLiteral("frmprimanota"), QStringLiteral("la prima nota")},
        {QStringLiteral("frmnotafornitori"), QStringLiteral("la nota fornitori")},
        {QStringLiteral("frmincassi"), QStringLiteral("gli incassi")},
        {QStringLiteral("frmdatiazienda"), QStringLiteral("i dati dell'azienda")},
        {QStringLiteral("frmdizionari"), QStringLiteral("il dizionario")},
        {QStringLiteral("frmhelp"), QStringLiteral("l'elenco")},
        {QStringLiteral("frmimportaarchivio"), QStringLiteral("l'archivio precedente")},
        {QStringLiteral("frmimportaarticoli"), QStringLiteral("gli articoli")},
    };
    return objects;
}

// What the handler was doing: printing, writing, or else reading.
QString verbOf(const QString &handler)
{
    const QString h = handler.toLower();
    if (h.contains(QLatin1String("stampa")))
        return QStringLiteral("stampare");
    if (h.contains(QLatin1String("importa")))
        return QStringLiteral("importare");
    if (h.contains(QLatin1String("elettronic")))
        return QStringLiteral("esportare");
    if (h.contains(QLatin1String("toolbar")))
        return QString();
    for (const char *writing : {"salva", "update", "registra", "scarica", "carica", "cancella", "cambianumer",
                                "esporta", "unload", "nuova", "saldo"})
        if (h.contains(QLatin1String(writing)))
            return QStringLiteral("salvare");
    return QStringLiteral("leggere");
}

} // namespace

QString ErrorWords::whatFailed(const QString &label)
{
    for (const auto &[whole, words] : wholeLabels())
        if (label.compare(whole, Qt::CaseInsensitive) == 0)
            return words;
    const QString window = label.section(QLatin1Char('.'), 0, 0).toLower();
    const QString handler = label.section(QLatin1Char('.'), 1);
    for (const auto &[name, object] : windowObjects()) {
        if (window != name)
            continue;
        const QString verb = verbOf(handler);
        if (verb.isEmpty())
            return QStringLiteral("Impossibile completare il comando");
        return QStringLiteral("Impossibile ") + verb + QLatin1Char(' ') + object;
    }
    return QStringLiteral("Impossibile completare l'operazione");
}

QString ErrorWords::whatToDo(const ErrObject &error)
{
    switch (error.nature) {
    case ErrObject::Nature::Busy:
        return QStringLiteral("l'archivio è occupato da un'altra cassa o da un altro programma: "
                              "riprovare tra qualche istante");
    case ErrObject::Nature::DiskFull:
        return QStringLiteral("il disco è pieno: liberare spazio e riprovare");
    case ErrObject::Nature::Storage:
        return QStringLiteral("l'archivio non è raggiungibile o non è scrivibile: controllare il disco o il "
                              "collegamento al server e riprovare; se l'errore si ripete, rivolgersi all'assistenza "
                              "indicando il numero dell'errore");
    case ErrObject::Nature::Program:
        break;
    }
    return QStringLiteral("riprovare; se l'errore si ripete, chiudere e riaprire il programma e, se non basta, "
                          "rivolgersi all'assistenza indicando il numero dell'errore");
}

QString ErrorWords::shown(const ErrObject &error, const QString &label)
{
    return whatFailed(label) + QStringLiteral(": ") + whatToDo(error) + QLatin1Char('.');
}

} // namespace errors
