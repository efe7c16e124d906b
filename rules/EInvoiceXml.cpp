#include "rules/EInvoiceXml.h"

#include "rules/EInvoiceChecks.h"
#include "rules/FiscalCodes.h"
#include "rules/MoneyText.h"

#include <QRegularExpression>
#include <QXmlStreamWriter>
#include <cmath>

namespace {

const QString kNamespace = QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");

// The schema's texts take Latin-1 characters only, at most `size` of them.
QString latin(const QString &text, int size)
{
    QString out;
    for (const QChar c : text.simplified()) {
        if (c == QChar(0x20AC))
            out += QStringLiteral("EUR");
        else if (c == QChar(0x2018) || c == QChar(0x2019))
            out += QLatin1Char('\'');
        else if (c == QChar(0x201C) || c == QChar(0x201D))
            out += QLatin1Char('"');
        else if (c == QChar(0x2013) || c == QChar(0x2014))
            out += QLatin1Char('-');
        else if (c.unicode() >= 0x20 && c.unicode() <= 0xFF && c.unicode() != 0x7F)
            out += c;
        else
            out += QLatin1Char('?');
    }
    out = out.left(size).trimmed();
    return out.isEmpty() ? QStringLiteral("-") : out;
}

QString cents(qlonglong value)
{
    return InvoiceVatSummary::reportAmount(value);
}

// A decimal with two to eight decimals ("3.50", "0.12345678").
QString decimal8(double value)
{
    QString text = QString::number(value, 'f', 8);
    while (text.endsWith(QLatin1Char('0')) && text.indexOf(QLatin1Char('.')) < text.size() - 3)
        text.chop(1);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text;
}

QString rate(double value)
{
    return QString::number(value, 'f', 2);
}

QString upper(const QString &text)
{
    return text.trimmed().toUpper();
}

void element(QXmlStreamWriter &xml, const QString &name, const QString &value)
{
    xml.writeTextElement(name, value);
}

void idFiscale(QXmlStreamWriter &xml, const QString &paese, const QString &codice)
{
    xml.writeStartElement(QStringLiteral("IdFiscaleIVA"));
    element(xml, QStringLiteral("IdPaese"), paese);
    element(xml, QStringLiteral("IdCodice"), codice);
    xml.writeEndElement();
}

void sede(QXmlStreamWriter &xml, const QString &indirizzo, const QString &cap, const QString &comune,
          const QString &provincia, const QString &nazione)
{
    xml.writeStartElement(QStringLiteral("Sede"));
    element(xml, QStringLiteral("Indirizzo"), latin(indirizzo, 60));
    element(xml, QStringLiteral("CAP"), cap);
    element(xml, QStringLiteral("Comune"), latin(comune, 60));
    if (FiscalCodes::isTwoLetterCode(upper(provincia)))
        element(xml, QStringLiteral("Provincia"), upper(provincia));
    element(xml, QStringLiteral("Nazione"), nazione);
    xml.writeEndElement();
}

void seller(QXmlStreamWriter &xml, const EInvoiceShop &shop)
{
    xml.writeStartElement(QStringLiteral("CedentePrestatore"));
    xml.writeStartElement(QStringLiteral("DatiAnagrafici"));
    idFiscale(xml, QStringLiteral("IT"), shop.partitaIva.trimmed());
    if (!shop.codiceFiscale.trimmed().isEmpty())
        element(xml, QStringLiteral("CodiceFiscale"), upper(shop.codiceFiscale));
    xml.writeStartElement(QStringLiteral("Anagrafica"));
    element(xml, QStringLiteral("Denominazione"), latin(shop.denominazione, 80));
    xml.writeEndElement();
    element(xml, QStringLiteral("RegimeFiscale"), upper(shop.regimeFiscale));
    xml.writeEndElement();
    sede(xml, shop.indirizzo, shop.cap.trimmed(), shop.comune, shop.provincia, QStringLiteral("IT"));
    // "MI-123456": the office's province and the number in its register.
    static const QRegularExpression rea(QStringLiteral("^([A-Za-z]{2})\\s*[-/ ]?\\s*([0-9A-Za-z]{1,20})$"));
    const QRegularExpressionMatch reaParts = rea.match(shop.rea.trimmed());
    if (reaParts.hasMatch()) {
        xml.writeStartElement(QStringLiteral("IscrizioneREA"));
        element(xml, QStringLiteral("Ufficio"), reaParts.captured(1).toUpper());
        element(xml, QStringLiteral("NumeroREA"), reaParts.captured(2));
        element(xml, QStringLiteral("StatoLiquidazione"), QStringLiteral("LN"));
        xml.writeEndElement();
    }
    const QString telefono = shop.telefono.trimmed();
    const QString email = shop.email.trimmed();
    const bool telefonoOk = telefono.size() >= 5 && telefono.size() <= 12 && latin(telefono, 12) == telefono
        && telefono.toLatin1().size() == telefono.toUtf8().size();
    const bool emailOk = email.size() >= 7 && email.size() <= 256 && FiscalCodes::isValidPec(email)
        && email.toLatin1().size() == email.toUtf8().size();
    if (telefonoOk || emailOk) {
        xml.writeStartElement(QStringLiteral("Contatti"));
        if (telefonoOk)
            element(xml, QStringLiteral("Telefono"), telefono);
        if (emailOk)
            element(xml, QStringLiteral("Email"), email);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void buyer(QXmlStreamWriter &xml, const EInvoiceCustomer &c)
{
    const QString country = EInvoiceChecks::countryCode(c.stato);
    const bool italian = country == QLatin1String("IT");
    xml.writeStartElement(QStringLiteral("CessionarioCommittente"));
    xml.writeStartElement(QStringLiteral("DatiAnagrafici"));
    QString vat = upper(c.partitaIva).remove(QLatin1Char(' '));
    if (!italian && vat.startsWith(country))
        vat = vat.mid(2);
    if (!vat.isEmpty())
        idFiscale(xml, country, latin(vat, 28));
    else if (!italian)
        idFiscale(xml, country, latin(upper(c.codiceFiscale), 28));
    if (italian && !c.codiceFiscale.trimmed().isEmpty())
        element(xml, QStringLiteral("CodiceFiscale"), upper(c.codiceFiscale));
    xml.writeStartElement(QStringLiteral("Anagrafica"));
    element(xml, QStringLiteral("Denominazione"), latin(c.denominazione, 80));
    xml.writeEndElement();
    xml.writeEndElement();
    sede(xml, c.indirizzo, italian ? c.cap.trimmed() : QStringLiteral("00000"), c.comune,
         italian ? c.provincia : QString(), country);
    xml.writeEndElement();
}

} // namespace

InvoiceVatSummary EInvoiceXml::vatSummary(const EInvoiceDocument &invoice)
{
    InvoiceVatSummary summary;
    for (const EInvoiceLine &line : invoice.righe)
        summary.addLine(line.codiceIva, line.importo, line.aliquota);
    return summary;
}

qlonglong EInvoiceXml::totalCents(const EInvoiceDocument &invoice)
{
    const InvoiceVatSummary summary = vatSummary(invoice);
    qlonglong total = summary.totalCents();
    for (const InvoiceVatSummary::Group &group : summary.groups())
        total += MoneyText::cents(group.taxable);
    return total;
}

QString EInvoiceXml::format(const EInvoiceCustomer &customer)
{
    return codiceDestinatario(customer).size() == 6 ? QStringLiteral("FPA12") : QStringLiteral("FPR12");
}

QString EInvoiceXml::codiceDestinatario(const EInvoiceCustomer &customer)
{
    if (!EInvoiceChecks::isItalian(customer))
        return QStringLiteral("XXXXXXX");
    const QString code = upper(customer.codiceDestinatario);
    return code.isEmpty() ? QStringLiteral("0000000") : code;
}

QString EInvoiceXml::modalitaPagamento(const QString &pagamento)
{
    const QString kind = pagamento.simplified().toLower();
    struct Kind { const char *word; const char *code; };
    static const Kind kinds[] = {
        {"contant", "MP01"}, {"assegno circolare", "MP03"}, {"assegno", "MP02"}, {"bonifico", "MP05"},
        {"vaglia", "MP06"}, {"bollettino", "MP07"}, {"carta", "MP08"}, {"bancomat", "MP08"}, {"pos", "MP08"},
        {"rid", "MP09"}, {"riba", "MP12"}, {"ricevuta bancaria", "MP12"}, {"sepa", "MP19"}, {"pagopa", "MP23"}};
    for (const Kind &k : kinds)
        if (kind.contains(QLatin1String(k.word)))
            return QLatin1String(k.code);
    return QStringLiteral("MP01");
}

QByteArray EInvoiceXml::write(const EInvoiceShop &shop, const EInvoiceDocument &invoice, const QString &progressivo)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeNamespace(kNamespace, QStringLiteral("p"));
    xml.writeStartElement(kNamespace, QStringLiteral("FatturaElettronica"));
    const QString formato = format(invoice.cliente);
    xml.writeAttribute(QStringLiteral("versione"), formato);

    xml.writeStartElement(QStringLiteral("FatturaElettronicaHeader"));
    xml.writeStartElement(QStringLiteral("DatiTrasmissione"));
    xml.writeStartElement(QStringLiteral("IdTrasmittente"));
    element(xml, QStringLiteral("IdPaese"), QStringLiteral("IT"));
    element(xml, QStringLiteral("IdCodice"), shop.partitaIva.trimmed());
    xml.writeEndElement();
    element(xml, QStringLiteral("ProgressivoInvio"), progressivo);
    element(xml, QStringLiteral("FormatoTrasmissione"), formato);
    const QString destinatario = codiceDestinatario(invoice.cliente);
    element(xml, QStringLiteral("CodiceDestinatario"), destinatario);
    if (destinatario == QLatin1String("0000000") && !invoice.cliente.pec.trimmed().isEmpty())
        element(xml, QStringLiteral("PECDestinatario"), invoice.cliente.pec.trimmed());
    xml.writeEndElement();
    seller(xml, shop);
    buyer(xml, invoice.cliente);
    xml.writeEndElement();

    const InvoiceVatSummary summary = vatSummary(invoice);
    const qlonglong total = totalCents(invoice);
    xml.writeStartElement(QStringLiteral("FatturaElettronicaBody"));
    xml.writeStartElement(QStringLiteral("DatiGenerali"));
    xml.writeStartElement(QStringLiteral("DatiGeneraliDocumento"));
    element(xml, QStringLiteral("TipoDocumento"), QStringLiteral("TD01"));
    element(xml, QStringLiteral("Divisa"), QStringLiteral("EUR"));
    element(xml, QStringLiteral("Data"), invoice.data.toString(QStringLiteral("yyyy-MM-dd")));
    element(xml, QStringLiteral("Numero"), latin(invoice.numero, 20));
    element(xml, QStringLiteral("ImportoTotaleDocumento"), cents(total));
    xml.writeEndElement();
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("DatiBeniServizi"));
    int number = 0;
    for (const EInvoiceLine &line : invoice.righe) {
        xml.writeStartElement(QStringLiteral("DettaglioLinee"));
        element(xml, QStringLiteral("NumeroLinea"), QString::number(++number));
        element(xml, QStringLiteral("Descrizione"), latin(line.descrizione, 1000));
        const bool textOnly = !line.importo.isValid() || line.importo.isNull();
        if (textOnly) {
            element(xml, QStringLiteral("PrezzoUnitario"), QStringLiteral("0.00"));
            element(xml, QStringLiteral("PrezzoTotale"), QStringLiteral("0.00"));
        } else {
            // The schema's quantity has no sign: a return carries it on the price.
            const bool negative = line.quantita < 0;
            element(xml, QStringLiteral("Quantita"), decimal8(std::abs(line.quantita)));
            element(xml, QStringLiteral("PrezzoUnitario"), decimal8(negative ? -line.prezzo : line.prezzo));
            element(xml, QStringLiteral("PrezzoTotale"), cents(MoneyText::cents(line.importo.toDouble())));
        }
        element(xml, QStringLiteral("AliquotaIVA"), rate(line.aliquota));
        if (line.aliquota == 0)
            element(xml, QStringLiteral("Natura"), upper(line.natura));
        xml.writeEndElement();
    }
    for (const InvoiceVatSummary::Group &group : summary.groups()) {
        const EInvoiceLine *first = nullptr;
        for (const EInvoiceLine &line : invoice.righe)
            if (!first && group.code && line.codiceIva.isValid() && !line.codiceIva.isNull()
                && qlonglong(line.codiceIva.toDouble()) == *group.code)
                first = &line;
        xml.writeStartElement(QStringLiteral("DatiRiepilogo"));
        const double aliquota = first ? first->aliquota : 0;
        element(xml, QStringLiteral("AliquotaIVA"), rate(aliquota));
        if (aliquota == 0)
            element(xml, QStringLiteral("Natura"), first ? upper(first->natura) : QString());
        element(xml, QStringLiteral("ImponibileImporto"), cents(MoneyText::cents(group.taxable)));
        element(xml, QStringLiteral("Imposta"), cents(group.vatCents));
        element(xml, QStringLiteral("EsigibilitaIVA"), QStringLiteral("I"));
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("DatiPagamento"));
    element(xml, QStringLiteral("CondizioniPagamento"), QStringLiteral("TP02"));
    xml.writeStartElement(QStringLiteral("DettaglioPagamento"));
    element(xml, QStringLiteral("ModalitaPagamento"), modalitaPagamento(invoice.pagamento));
    if (invoice.dataPagamento.isValid())
        element(xml, QStringLiteral("DataScadenzaPagamento"), invoice.dataPagamento.toString(QStringLiteral("yyyy-MM-dd")));
    element(xml, QStringLiteral("ImportoPagamento"), cents(total));
    xml.writeEndElement();
    xml.writeEndElement();

    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    out += '\n';
    return out;
}
