#pragma once

#include <QByteArray>
#include <QString>

// The XML inside a supplier's file: the file itself when it is plain XML,
// the signed content of a CAdES envelope (".xml.p7m", DER or base64) once
// the signature is found to match it. The signer's certificate is not
// checked against any authority: the exchange system did that when it
// accepted the file; what is checked here is that nothing changed since.
class SignedInvoiceFile {
public:
    // False, with `error` set to the Italian reason, when the content cannot
    // be had or the signature does not match it.
    bool open(const QByteArray &bytes, const QString &fileName);

    const QByteArray &xml() const { return m_xml; }
    bool isSigned() const { return m_signed; }
    // The signer's name as the certificate gives it (its common name, and
    // the organisation when there is one); empty for plain XML.
    const QString &signer() const { return m_signer; }
    const QString &error() const { return m_error; }

private:
    bool fail(const QString &text);

    QByteArray m_xml;
    bool m_signed = false;
    QString m_signer;
    QString m_error;
};
