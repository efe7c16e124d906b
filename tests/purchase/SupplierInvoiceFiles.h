#pragma once

#include "FatturaPaSchema.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// Suppliers' invoice files as the tests need them, written here with the
// schema's own shape (and checked against it by xmllint), not by the
// program.
namespace supplierfiles {

struct Line {
    QString kind;                       // TipoCessionePrestazione, or none
    QList<QPair<QString, QString>> codes;
    QString description;
    QString quantity;                   // empty: a line without quantity
    QString unitPrice;
    QString discountPercent;            // ScontoMaggiorazione SC, or none
    QString totalPrice;
    QString rate = QStringLiteral("22.00");
};

struct Body {
    QString number;
    QString date;                       // yyyy-mm-dd
    QString total;                      // ImportoTotaleDocumento, or none
    QList<Line> lines;
    QString taxable, tax;               // the summary at the lines' rate
};

struct Supplier {
    QString vatNumber = QStringLiteral("01234567897");
    QString name = QStringLiteral("Lanificio Città srl");
};

// An invoice with one line of each kind a supplier writes: goods with an
// EAN, with the supplier's SKU, with two codes and a 10 % discount, without
// a code; a discount line; transport.
inline Body everyKindOfLine(const QString &number = QStringLiteral("FT/2026/118"),
                            const QString &date = QStringLiteral("2026-11-27"))
{
    Body body;
    body.number = number;
    body.date = date;
    body.total = QStringLiteral("150.28");
    body.taxable = QStringLiteral("123.18");
    body.tax = QStringLiteral("27.10");
    body.lines = {
        {{}, {{"EAN", "8001234567895"}}, "Giacca in lana", "2.00", "30.00", {}, "60.00"},
        {{}, {{"SKU", "GL-48-BLU"}}, "Giacca in lana blu", "1.00", "31.50", {}, "31.50"},
        {{}, {{"CODFOR", "A/77"}, {"EAN", "4006381333931"}}, "Sciarpa", "3.00", "10.00", "10.00", "27.00"},
        {{}, {}, "Bottoni assortiti", "4.00", "0.50", {}, "2.00"},
        {"SC", {}, "Sconto di fine stagione", {}, "-5.00", {}, "-5.00"},
        {"AC", {}, "Spese di trasporto", {}, "7.68", {}, "7.68"},
    };
    return body;
}

inline QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

inline QByteArray invoiceXml(const Supplier &supplier, const QList<Body> &bodies)
{
    QString x;
    x += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<p:FatturaElettronica versione=\"FPR12\" "
                        "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\" "
                        "xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">\n"
                        "<FatturaElettronicaHeader>\n"
                        "<DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>%1</IdCodice>"
                        "</IdTrasmittente><ProgressivoInvio>00001</ProgressivoInvio>"
                        "<FormatoTrasmissione>FPR12</FormatoTrasmissione>"
                        "<CodiceDestinatario>0000000</CodiceDestinatario></DatiTrasmissione>\n"
                        "<CedentePrestatore><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese>"
                        "<IdCodice>%1</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>%2</Denominazione>"
                        "</Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici>"
                        "<Sede><Indirizzo>Via Roma</Indirizzo><NumeroCivico>3</NumeroCivico><CAP>59100</CAP>"
                        "<Comune>Prato</Comune><Provincia>PO</Provincia><Nazione>IT</Nazione></Sede>"
                        "</CedentePrestatore>\n"
                        "<CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT</IdPaese>"
                        "<IdCodice>09876543210</IdCodice></IdFiscaleIVA><Anagrafica><Denominazione>Negozio"
                        "</Denominazione></Anagrafica></DatiAnagrafici><Sede><Indirizzo>Corso Italia 1"
                        "</Indirizzo><CAP>50100</CAP><Comune>Firenze</Comune><Nazione>IT</Nazione></Sede>"
                        "</CessionarioCommittente>\n"
                        "</FatturaElettronicaHeader>\n")
             .arg(supplier.vatNumber, escaped(supplier.name));
    for (const Body &body : bodies) {
        x += QStringLiteral("<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento>"
                            "<TipoDocumento>TD01</TipoDocumento><Divisa>EUR</Divisa><Data>%1</Data>"
                            "<Numero>%2</Numero>").arg(body.date, escaped(body.number));
        if (!body.total.isEmpty())
            x += QStringLiteral("<ImportoTotaleDocumento>%1</ImportoTotaleDocumento>").arg(body.total);
        x += QStringLiteral("</DatiGeneraliDocumento></DatiGenerali>\n<DatiBeniServizi>\n");
        int number = 0;
        for (const Line &line : body.lines) {
            x += QStringLiteral("<DettaglioLinee><NumeroLinea>%1</NumeroLinea>").arg(++number);
            if (!line.kind.isEmpty())
                x += QStringLiteral("<TipoCessionePrestazione>%1</TipoCessionePrestazione>").arg(line.kind);
            for (const auto &code : line.codes)
                x += QStringLiteral("<CodiceArticolo><CodiceTipo>%1</CodiceTipo><CodiceValore>%2</CodiceValore>"
                                    "</CodiceArticolo>").arg(escaped(code.first), escaped(code.second));
            x += QStringLiteral("<Descrizione>%1</Descrizione>").arg(escaped(line.description));
            if (!line.quantity.isEmpty())
                x += QStringLiteral("<Quantita>%1</Quantita><UnitaMisura>PZ</UnitaMisura>").arg(line.quantity);
            x += QStringLiteral("<PrezzoUnitario>%1</PrezzoUnitario>").arg(line.unitPrice);
            if (!line.discountPercent.isEmpty())
                x += QStringLiteral("<ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>%1</Percentuale>"
                                    "</ScontoMaggiorazione>").arg(line.discountPercent);
            x += QStringLiteral("<PrezzoTotale>%1</PrezzoTotale><AliquotaIVA>%2</AliquotaIVA></DettaglioLinee>\n")
                     .arg(line.totalPrice, line.rate);
        }
        x += QStringLiteral("<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>%1"
                            "</ImponibileImporto><Imposta>%2</Imposta><EsigibilitaIVA>I</EsigibilitaIVA>"
                            "</DatiRiepilogo>\n</DatiBeniServizi></FatturaElettronicaBody>\n")
                 .arg(body.taxable, body.tax);
    }
    x += QStringLiteral("</p:FatturaElettronica>\n");
    return x.toUtf8();
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// xmllint's verdict against the official schema: empty when valid.
inline QString schemaErrors(const QString &file)
{
    return fatturaPaSchemaErrors(file);
}

inline QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return program + QStringLiteral(": ") + QString::fromUtf8(process.readAllStandardError());
    return {};
}

// A throwaway certificate and key in `folder` (the signer "Mario Rossi" of
// "Lanificio Città srl"); empty when made, the reason otherwise.
inline QString makeSigner(const QString &folder)
{
    return run(QStringLiteral("openssl"),
               {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-utf8"),
                QStringLiteral("-subj"), QStringLiteral("/CN=Mario Rossi/O=Lanificio Città srl"),
                QStringLiteral("-keyout"), folder + QStringLiteral("/firma.key"),
                QStringLiteral("-out"), folder + QStringLiteral("/firma.pem")});
}

// `xml` signed as the suppliers' software does (CAdES, the content inside,
// DER); empty when signed, the reason otherwise.
inline QString sign(const QString &folder, const QString &xml, const QString &p7m)
{
    return run(QStringLiteral("openssl"),
               {QStringLiteral("cms"), QStringLiteral("-sign"), QStringLiteral("-binary"), QStringLiteral("-nodetach"),
                QStringLiteral("-outform"), QStringLiteral("DER"), QStringLiteral("-in"), xml,
                QStringLiteral("-signer"), folder + QStringLiteral("/firma.pem"),
                QStringLiteral("-inkey"), folder + QStringLiteral("/firma.key"), QStringLiteral("-out"), p7m});
}

} // namespace supplierfiles
