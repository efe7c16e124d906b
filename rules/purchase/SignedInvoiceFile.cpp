#include "rules/purchase/SignedInvoiceFile.h"

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/x509.h>

#include <memory>

namespace {

template <typename T, void (*Free)(T *)>
struct Freer {
    void operator()(T *p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Freer<CMS_ContentInfo, CMS_ContentInfo_free>>;
using Store = std::unique_ptr<X509_STORE, Freer<X509_STORE, X509_STORE_free>>;

bool looksLikeXml(const QByteArray &bytes)
{
    QByteArray start = bytes.left(64).trimmed();
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.mid(3);
    return start.startsWith('<');
}

// A signed file is DER, or DER written in base64 (with or without PEM's
// frame, in lines or not).
QByteArray derOf(const QByteArray &bytes)
{
    if (!bytes.isEmpty() && quint8(bytes.at(0)) == 0x30)
        return bytes;
    QByteArray text = bytes;
    const int begin = text.indexOf("-----BEGIN");
    if (begin >= 0) {
        const int bodyStart = text.indexOf('\n', begin);
        const int end = text.indexOf("-----END", bodyStart);
        text = bodyStart >= 0 && end > bodyStart ? text.mid(bodyStart + 1, end - bodyStart - 1) : QByteArray();
    }
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : std::as_const(text))
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
            compact += c;
    const auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

QString nameEntry(X509_NAME *name, int nid)
{
    const int at = X509_NAME_get_index_by_NID(name, nid, -1);
    if (at < 0)
        return {};
    unsigned char *utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, at)));
    if (length < 0)
        return {};
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(utf8), length);
    OPENSSL_free(utf8);
    return text;
}

// Why OpenSSL refused the signature, in the shop's words.
QString reasonOfLastError()
{
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    switch (ERR_GET_REASON(code)) {
    case CMS_R_VERIFICATION_FAILURE:
    case CMS_R_CONTENT_VERIFY_ERROR:
    case CMS_R_NO_MATCHING_DIGEST:
    case CMS_R_MESSAGEDIGEST_WRONG_LENGTH:
        return QStringLiteral("il contenuto è stato modificato dopo la firma");
    case CMS_R_SIGNER_CERTIFICATE_NOT_FOUND:
        return QStringLiteral("manca il certificato di chi ha firmato");
    default:
        return QStringLiteral("la firma non è valida (%1)").arg(QString::fromLatin1(ERR_reason_error_string(code)));
    }
}

} // namespace

bool SignedInvoiceFile::fail(const QString &text)
{
    m_error = text;
    m_xml.clear();
    return false;
}

bool SignedInvoiceFile::open(const QByteArray &bytes, const QString &fileName)
{
    m_xml.clear();
    m_signed = false;
    m_signer.clear();
    m_error.clear();
    if (looksLikeXml(bytes)) {
        m_xml = bytes;
        return true;
    }
    ERR_clear_error();
    const QByteArray der = derOf(bytes);
    const unsigned char *cursor = reinterpret_cast<const unsigned char *>(der.constData());
    Cms cms(der.isEmpty() ? nullptr : d2i_CMS_ContentInfo(nullptr, &cursor, long(der.size())));
    if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed) {
        ERR_clear_error();
        return fail(QStringLiteral("Il file %1 non è né un XML né un file firmato leggibile (.p7m).").arg(fileName));
    }
    if (!CMS_get0_content(cms.get()) || !*CMS_get0_content(cms.get()))
        return fail(QStringLiteral("Il file firmato %1 non contiene la fattura (firma separata dal documento).")
                        .arg(fileName));
    Store store(X509_STORE_new());
    Bio out(BIO_new(BIO_s_mem()));
    if (CMS_verify(cms.get(), nullptr, store.get(), nullptr, out.get(), CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1)
        return fail(QStringLiteral("La firma del file %1 non corrisponde al contenuto: %2. Il file non è stato "
                                   "importato.").arg(fileName, reasonOfLastError()));
    char *data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    m_xml = QByteArray(data, int(length));
    m_signed = true;
    if (STACK_OF(X509) *signers = CMS_get0_signers(cms.get())) {
        if (sk_X509_num(signers) > 0) {
            X509_NAME *subject = X509_get_subject_name(sk_X509_value(signers, 0));
            m_signer = nameEntry(subject, NID_commonName);
            const QString organisation = nameEntry(subject, NID_organizationName);
            if (!organisation.isEmpty() && organisation != m_signer)
                m_signer = m_signer.isEmpty() ? organisation : m_signer + QStringLiteral(" (") + organisation + u')';
        }
        sk_X509_free(signers);
    }
    return true;
}
