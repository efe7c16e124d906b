#include "rules/EInvoiceExport.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/EInvoiceChecks.h"
#include "rules/EInvoiceFileCheck.h"
#include "rules/EInvoiceSource.h"
#include "rules/EInvoiceXml.h"
#include "rules/WholeFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

qint64 g_writeLimit = -1;

// The whole text into the file and the file in its place; the error
// otherwise (the temporary file is then gone).
QString writeWhole(const QString &path, const QByteArray &bytes)
{
    if (g_writeLimit >= 0 && bytes.size() > g_writeLimit)
        return QStringLiteral("spazio esaurito");
    return WholeFile::write(path, bytes);
}

} // namespace

void EInvoiceExport::setWriteLimitForTest(qint64 bytes)
{
    g_writeLimit = bytes;
}

QString EInvoiceExport::progressivo(qlonglong count)
{
    return QString::number(count, 36).toUpper().rightJustified(5, QLatin1Char('0'));
}

qlonglong EInvoiceExport::reserveCount()
{
    db::Transaction transaction(m_db);
    m_db.execute(QStringLiteral("update Azienda set az_Progressivo_Invio = az_Progressivo_Invio + 1"));
    std::unique_ptr<db::Recordset> rs = m_db.openRecordset(QStringLiteral("select az_Progressivo_Invio from Azienda"));
    const qlonglong count = rs->eof() ? 0 : rs->value(0).toLongLong();
    rs->close();
    transaction.commit();
    return count;
}

EInvoiceExport::Result EInvoiceExport::run(const QStringList &numeri, const QString &folder)
{
    Result result;
    const EInvoiceSource source(m_db);
    const EInvoiceShop shop = source.shop();
    const QStringList shopProblems = EInvoiceChecks::shopProblems(shop);
    const QDir dir(folder);
    if (!shopProblems.isEmpty() || !QFileInfo(folder).isDir()) {
        result.problems = shopProblems;
        if (!QFileInfo(folder).isDir())
            result.problems << QStringLiteral("La cartella \"%1\" non esiste.").arg(QDir::toNativeSeparators(folder));
        result.problems << QStringLiteral("Nessuna fattura esportata.");
        result.skipped = int(numeri.size());
        return result;
    }
    for (const QString &numero : numeri) {
        const EInvoiceDocument invoice = source.invoice(numero);
        QStringList problems = EInvoiceChecks::invoiceProblems(invoice);
        // The file as it would be written, checked before a progressive is spent on it.
        if (problems.isEmpty())
            problems = EInvoiceFileCheck::problems(numero, EInvoiceXml::write(shop, invoice, progressivo(0)));
        if (!problems.isEmpty()) {
            result.problems << problems;
            ++result.skipped;
            continue;
        }
        // A name already in the folder (a database put back from an older
        // backup counts again) is passed over.
        QString name;
        QString progressive;
        do {
            progressive = progressivo(reserveCount());
            name = QStringLiteral("IT%1_%2.xml").arg(shop.partitaIva.trimmed(), progressive);
        } while (dir.exists(name));
        const QString path = dir.filePath(name);
        const QString error = writeWhole(path, EInvoiceXml::write(shop, invoice, progressive));
        if (!error.isEmpty()) {
            result.problems << QStringLiteral("Fattura %1: impossibile scrivere il file %2 (%3).")
                                   .arg(numero, QDir::toNativeSeparators(path), error);
            ++result.skipped;
            continue;
        }
        result.files << path;
    }
    return result;
}
