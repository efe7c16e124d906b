#include "rules/EInvoiceChecks.h"

#include "rules/FiscalCodes.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace {

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// Whether a number can be written where the schema allows `digits` whole digits.
bool writable(double value, int digits)
{
    return std::isfinite(value) && std::fabs(value) < std::pow(10.0, digits);
}

} // namespace

QString EInvoiceChecks::countryCode(const QString &stato)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("ITALIA"), QStringLiteral("IT")},      {QStringLiteral("SAN MARINO"), QStringLiteral("SM")},
        {QStringLiteral("SVIZZERA"), QStringLiteral("CH")},    {QStringLiteral("FRANCIA"), QStringLiteral("FR")},
        {QStringLiteral("GERMANIA"), QStringLiteral("DE")},    {QStringLiteral("AUSTRIA"), QStringLiteral("AT")},
        {QStringLiteral("SPAGNA"), QStringLiteral("ES")},      {QStringLiteral("SLOVENIA"), QStringLiteral("SI")},
        {QStringLiteral("CROAZIA"), QStringLiteral("HR")},     {QStringLiteral("BELGIO"), QStringLiteral("BE")},
        {QStringLiteral("PAESI BASSI"), QStringLiteral("NL")}, {QStringLiteral("OLANDA"), QStringLiteral("NL")},
        {QStringLiteral("PORTOGALLO"), QStringLiteral("PT")},  {QStringLiteral("GRECIA"), QStringLiteral("GR")},
        {QStringLiteral("REGNO UNITO"), QStringLiteral("GB")}, {QStringLiteral("STATI UNITI"), QStringLiteral("US")},
        {QStringLiteral("VATICANO"), QStringLiteral("VA")}};
    const QString upper = stato.simplified().toUpper();
    if (upper.isEmpty())
        return QStringLiteral("IT");
    if (FiscalCodes::isTwoLetterCode(upper))
        return upper;
    return names.value(upper);
}

bool EInvoiceChecks::isItalian(const EInvoiceCustomer &customer)
{
    return countryCode(customer.stato) == QLatin1String("IT");
}

QStringList EInvoiceChecks::shopProblems(const EInvoiceShop &shop)
{
    QStringList out;
    const QString prefix = QStringLiteral("Dati azienda: ");
    if (blank(shop.denominazione))
        out << prefix + QStringLiteral("manca la denominazione.");
    if (!FiscalCodes::isValidPartitaIva(shop.partitaIva))
        out << prefix + QStringLiteral("la partita IVA \"%1\" non è valida.").arg(shop.partitaIva.trimmed());
    if (!blank(shop.codiceFiscale) && !FiscalCodes::isValidCodiceFiscale(shop.codiceFiscale))
        out << prefix + QStringLiteral("il codice fiscale \"%1\" non è valido.").arg(shop.codiceFiscale.trimmed());
    if (!shop.regimeFiscale.trimmed().toUpper().contains(QRegularExpression(QStringLiteral("^RF(0[1-9]|1[0-9])$"))))
        out << prefix + QStringLiteral("il regime fiscale \"%1\" non è valido (da RF01 a RF19).")
                            .arg(shop.regimeFiscale.trimmed());
    if (blank(shop.indirizzo))
        out << prefix + QStringLiteral("manca l'indirizzo.");
    if (!FiscalCodes::isValidCap(shop.cap))
        out << prefix + QStringLiteral("il CAP \"%1\" non è di cinque cifre.").arg(shop.cap.trimmed());
    if (blank(shop.comune))
        out << prefix + QStringLiteral("manca il comune.");
    if (!blank(shop.provincia) && !FiscalCodes::isTwoLetterCode(shop.provincia.trimmed().toUpper()))
        out << prefix + QStringLiteral("la provincia \"%1\" non è una sigla di due lettere.").arg(shop.provincia.trimmed());
    if (shop.nazione.trimmed().toUpper() != QLatin1String("IT"))
        out << prefix + QStringLiteral("la nazione deve essere IT.");
    return out;
}

QStringList EInvoiceChecks::invoiceProblems(const EInvoiceDocument &invoice)
{
    QStringList out;
    const QString prefix = QStringLiteral("Fattura %1: ").arg(invoice.numero);
    if (!invoice.data.isValid())
        out << prefix + QStringLiteral("manca la data.");
    if (!invoice.clienteTrovato) {
        out << prefix + QStringLiteral("il cliente non è in anagrafica.");
        return out;
    }
    const EInvoiceCustomer &c = invoice.cliente;
    const QString country = countryCode(c.stato);
    if (blank(c.denominazione))
        out << prefix + QStringLiteral("manca la denominazione del cliente.");
    if (blank(c.indirizzo))
        out << prefix + QStringLiteral("manca l'indirizzo del cliente.");
    if (blank(c.comune))
        out << prefix + QStringLiteral("manca la località del cliente.");
    if (country.isEmpty()) {
        out << prefix + QStringLiteral("lo stato del cliente \"%1\" non è riconosciuto: scrivere la sigla di due "
                                       "lettere del paese (per esempio DE).").arg(c.stato.trimmed());
    } else if (country == QLatin1String("IT")) {
        if (!blank(c.partitaIva) && !FiscalCodes::isValidPartitaIva(c.partitaIva))
            out << prefix + QStringLiteral("la partita IVA del cliente \"%1\" non è valida.").arg(c.partitaIva.trimmed());
        if (!blank(c.codiceFiscale) && !FiscalCodes::isValidCodiceFiscale(c.codiceFiscale))
            out << prefix + QStringLiteral("il codice fiscale del cliente \"%1\" non è valido.")
                                .arg(c.codiceFiscale.trimmed());
        if (blank(c.partitaIva) && blank(c.codiceFiscale))
            out << prefix + QStringLiteral("il cliente non ha né partita IVA né codice fiscale.");
        if (!FiscalCodes::isValidCap(c.cap))
            out << prefix + QStringLiteral("il CAP del cliente \"%1\" non è di cinque cifre.").arg(c.cap.trimmed());
        if (!blank(c.provincia) && !FiscalCodes::isTwoLetterCode(c.provincia.trimmed().toUpper()))
            out << prefix + QStringLiteral("la provincia del cliente \"%1\" non è una sigla di due lettere.")
                                .arg(c.provincia.trimmed());
        if (blank(c.codiceDestinatario) && blank(c.pec))
            out << prefix + QStringLiteral("il cliente non ha né codice destinatario né PEC.");
        if (!blank(c.codiceDestinatario) && !FiscalCodes::isValidCodiceDestinatario(c.codiceDestinatario))
            out << prefix + QStringLiteral("il codice destinatario del cliente \"%1\" non è di 6 o 7 lettere o cifre.")
                                .arg(c.codiceDestinatario.trimmed());
        if (!blank(c.pec) && !FiscalCodes::isValidPec(c.pec))
            out << prefix + QStringLiteral("la PEC del cliente \"%1\" non è un indirizzo valido.").arg(c.pec.trimmed());
    } else if (blank(c.partitaIva) && blank(c.codiceFiscale)) {
        out << prefix + QStringLiteral("il cliente estero non ha un numero di identificazione fiscale "
                                       "(partita IVA del suo paese).");
    }
    if (invoice.righe.empty())
        out << prefix + QStringLiteral("non ha righe.");
    int number = 0;
    for (const EInvoiceLine &line : invoice.righe) {
        ++number;
        if (!line.codiceIvaTrovato)
            out << prefix + QStringLiteral("la riga %1 non ha un codice IVA valido.").arg(number);
        else if (line.aliquota == 0 && !FiscalCodes::isValidNatura(line.natura))
            out << prefix + QStringLiteral("la riga %1 ha l'aliquota 0 %: indicare la natura del codice IVA %2 "
                                           "(per esempio N2.2 o N4) nelle impostazioni.")
                                .arg(number).arg(line.codiceIva.toString());
        else if (line.aliquota < 0 || line.aliquota > 100)
            out << prefix + QStringLiteral("la riga %1 ha l'aliquota %2, fuori da 0-100.").arg(number).arg(line.aliquota);
        const bool textOnly = !line.importo.isValid() || line.importo.isNull();
        if (!textOnly && !(writable(line.quantita, 12) && writable(line.prezzo, 11) && writable(line.importo.toDouble(), 11)))
            out << prefix + QStringLiteral("la riga %1 ha quantità, prezzo o importo oltre quanto la fattura "
                                           "elettronica può contenere.").arg(number);
    }
    return out;
}
