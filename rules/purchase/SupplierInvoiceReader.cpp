#include "rules/purchase/SupplierInvoiceReader.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

class InvoiceReadError {
public:
    explicit InvoiceReadError(QString text) : m_text(std::move(text)) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

// The file's elements by their path below the root (the local names joined
// by "/"), the values kept as each element ends.
class InvoiceReading {
public:
    explicit InvoiceReading(const QString &fileName) : m_file(fileName) {}

    void start(const QString &name)
    {
        m_path << name;
        m_text.clear();
        const QString path = m_path.join(QLatin1Char('/'));
        if (path == QLatin1String("FatturaElettronicaBody")) {
            m_invoices.append(SupplierInvoice());
            m_invoices.last().supplier = m_supplier;
        } else if (path == QLatin1String("FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee")) {
            invoice().lines.append(SupplierInvoiceLine());
        } else if (path == QLatin1String("FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/CodiceArticolo")) {
            invoice().lines.last().codes.append(SupplierArticleCode());
        }
    }

    void text(QStringView characters) { m_text += characters; }

    void end()
    {
        const QString path = m_path.join(QLatin1Char('/'));
        const QString value = m_text.trimmed();
        m_text.clear();
        m_path.removeLast();
        if (path.startsWith(QLatin1String("FatturaElettronicaHeader/CedentePrestatore/")))
            supplierValue(path.mid(43), value);
        else if (path.startsWith(QLatin1String("FatturaElettronicaBody/")))
            bodyValue(path.mid(23), value);
    }

    QList<SupplierInvoice> finish()
    {
        if (m_invoices.isEmpty())
            throw InvoiceReadError(QStringLiteral("Il file %1 non contiene fatture.").arg(m_file));
        for (const SupplierInvoice &invoice : std::as_const(m_invoices))
            if (invoice.number.isEmpty() || !invoice.date.isValid())
                throw InvoiceReadError(QStringLiteral("Il file %1 contiene una fattura senza numero o senza data.")
                                    .arg(m_file));
        return m_invoices;
    }

private:
    SupplierInvoice &invoice() { return m_invoices.last(); }

    void supplierValue(const QString &path, const QString &value)
    {
        SupplierParty &s = m_supplier;
        if (path == QLatin1String("DatiAnagrafici/IdFiscaleIVA/IdPaese"))
            s.country = value;
        else if (path == QLatin1String("DatiAnagrafici/IdFiscaleIVA/IdCodice"))
            s.vatNumber = value;
        else if (path == QLatin1String("DatiAnagrafici/CodiceFiscale"))
            s.taxCode = value;
        else if (path == QLatin1String("DatiAnagrafici/Anagrafica/Denominazione"))
            s.name = value;
        else if (path == QLatin1String("DatiAnagrafici/Anagrafica/Nome"))
            s.name = s.name.isEmpty() ? value : value + QLatin1Char(' ') + s.name;
        else if (path == QLatin1String("DatiAnagrafici/Anagrafica/Cognome"))
            s.name = s.name.isEmpty() ? value : s.name + QLatin1Char(' ') + value;
        else if (path == QLatin1String("Sede/Indirizzo"))
            s.address = s.address.isEmpty() ? value : value + QLatin1Char(' ') + s.address;
        else if (path == QLatin1String("Sede/NumeroCivico"))
            s.address = s.address.isEmpty() ? value : s.address + QLatin1Char(' ') + value;
        else if (path == QLatin1String("Sede/CAP"))
            s.postcode = value;
        else if (path == QLatin1String("Sede/Comune"))
            s.town = value;
        else if (path == QLatin1String("Sede/Provincia"))
            s.province = value;
        else if (path == QLatin1String("Sede/Nazione"))
            s.nation = value;
    }

    void bodyValue(const QString &path, const QString &value)
    {
        static const QString document = QStringLiteral("DatiGenerali/DatiGeneraliDocumento/");
        static const QString line = QStringLiteral("DatiBeniServizi/DettaglioLinee/");
        static const QString summary = QStringLiteral("DatiBeniServizi/DatiRiepilogo/");
        if (path.startsWith(document)) {
            const QStringView field = QStringView(path).mid(document.size());
            if (field == QLatin1String("TipoDocumento"))
                invoice().documentType = value;
            else if (field == QLatin1String("Divisa"))
                invoice().currency = value;
            else if (field == QLatin1String("Numero"))
                invoice().number = value;
            else if (field == QLatin1String("Data"))
                invoice().date = date(value, QStringLiteral("Data"));
            else if (field == QLatin1String("ImportoTotaleDocumento")) {
                invoice().total = number(value, QStringLiteral("ImportoTotaleDocumento"));
                invoice().hasTotal = true;
            }
        } else if (path.startsWith(line)) {
            lineValue(QStringView(path).mid(line.size()), value);
        } else if (path.startsWith(summary)) {
            const QStringView field = QStringView(path).mid(summary.size());
            if (field == QLatin1String("ImponibileImporto"))
                invoice().taxableTotal += number(value, QStringLiteral("ImponibileImporto"));
            else if (field == QLatin1String("Imposta"))
                invoice().vatTotal += number(value, QStringLiteral("Imposta"));
        }
    }

    void lineValue(QStringView field, const QString &value)
    {
        SupplierInvoiceLine &l = invoice().lines.last();
        if (field == QLatin1String("NumeroLinea"))
            l.number = int(number(value, QStringLiteral("NumeroLinea")));
        else if (field == QLatin1String("TipoCessionePrestazione"))
            l.kind = value;
        else if (field == QLatin1String("CodiceArticolo/CodiceTipo"))
            l.codes.last().type = value;
        else if (field == QLatin1String("CodiceArticolo/CodiceValore"))
            l.codes.last().value = value;
        else if (field == QLatin1String("Descrizione"))
            l.description = value;
        else if (field == QLatin1String("Quantita")) {
            l.quantity = number(value, QStringLiteral("Quantita"));
            l.hasQuantity = true;
        } else if (field == QLatin1String("UnitaMisura"))
            l.unit = value;
        else if (field == QLatin1String("PrezzoUnitario"))
            l.unitPrice = number(value, QStringLiteral("PrezzoUnitario"));
        else if (field == QLatin1String("PrezzoTotale"))
            l.totalPrice = number(value, QStringLiteral("PrezzoTotale"));
        else if (field == QLatin1String("AliquotaIVA"))
            l.vatRate = number(value, QStringLiteral("AliquotaIVA"));
    }

    // The schema's decimals: a point, no thousands separator, no exponent.
    double number(const QString &value, const QString &element) const
    {
        static const QRegularExpression decimal(QStringLiteral("^-?[0-9]{1,15}(\\.[0-9]{1,8})?$"));
        bool ok = decimal.match(value).hasMatch();
        const double result = ok ? QLocale::c().toDouble(value, &ok) : 0;
        if (!ok)
            throw InvoiceReadError(QStringLiteral("Il file %1 contiene un valore non valido in %2: \"%3\".")
                                .arg(m_file, element, value.left(40)));
        return result;
    }

    QDate date(const QString &value, const QString &element) const
    {
        const QDate result = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
        if (!result.isValid())
            throw InvoiceReadError(QStringLiteral("Il file %1 contiene un valore non valido in %2: \"%3\".")
                                .arg(m_file, element, value.left(40)));
        return result;
    }

    QString m_file;
    QStringList m_path;
    QString m_text;
    SupplierParty m_supplier;
    QList<SupplierInvoice> m_invoices;
};

} // namespace

QList<SupplierInvoice> SupplierInvoiceReader::read(const QByteArray &xml, const QString &fileName, QString *error)
{
    QXmlStreamReader reader(xml);
    // Nothing the file declares is ever expanded: a declared entity is an
    // error, not text.
    reader.setEntityExpansionLimit(0);
    InvoiceReading reading(fileName);
    int depth = 0;
    try {
        while (!reader.atEnd()) {
            switch (reader.readNext()) {
            case QXmlStreamReader::DTD:
                throw InvoiceReadError(QStringLiteral("Il file %1 contiene una dichiarazione DTD: per sicurezza non "
                                               "viene letto.").arg(fileName));
            case QXmlStreamReader::EntityReference:
                throw InvoiceReadError(QStringLiteral("Il file %1 contiene un riferimento a un'entità (%2): per "
                                               "sicurezza non viene letto.").arg(fileName, reader.name()));
            case QXmlStreamReader::StartElement:
                if (++depth > 1) {
                    reading.start(reader.name().toString());
                    break;
                }
                if (reader.name() != QLatin1String("FatturaElettronica"))
                    throw InvoiceReadError(QStringLiteral("Il file %1 non è una fattura elettronica (FatturaPA).")
                                        .arg(fileName));
                if (const QStringView version = reader.attributes().value(QLatin1String("versione"));
                    version != QLatin1String("FPR12") && version != QLatin1String("FPA12"))
                    throw InvoiceReadError(QStringLiteral("Il file %1 è della versione \"%2\" della FatturaPA: sono lette "
                                                   "le versioni FPR12 e FPA12.").arg(fileName, version));
                break;
            case QXmlStreamReader::Characters:
                if (depth > 1)
                    reading.text(reader.text());
                break;
            case QXmlStreamReader::EndElement:
                if (depth-- > 1)
                    reading.end();
                break;
            default:
                break;
            }
        }
        if (reader.hasError()) {
            if (reader.error() == QXmlStreamReader::NotWellFormedError
                && reader.errorString().contains(QLatin1String("ntity")))
                throw InvoiceReadError(QStringLiteral("Il file %1 contiene un riferimento a un'entità: per sicurezza non "
                                               "viene letto.").arg(fileName));
            throw InvoiceReadError(QStringLiteral("Il file %1 è incompleto o danneggiato (riga %2, colonna %3).")
                                .arg(fileName).arg(reader.lineNumber()).arg(reader.columnNumber()));
        }
        if (depth != 0 || xml.trimmed().isEmpty())
            throw InvoiceReadError(QStringLiteral("Il file %1 è incompleto o danneggiato (riga %2, colonna %3).")
                                .arg(fileName).arg(reader.lineNumber()).arg(reader.columnNumber()));
        return reading.finish();
    } catch (const InvoiceReadError &refused) {
        *error = refused.text();
        return {};
    }
}
