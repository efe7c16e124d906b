#include "rules/purchase/SupplierInvoiceFiles.h"

#include "rules/purchase/SignedInvoiceFile.h"
#include "rules/purchase/SupplierInvoiceReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// An invoice file is small; a file far larger is not one, and is not read
// into memory whole.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;

} // namespace

SupplierInvoiceFile SupplierInvoiceFiles::readOne(const QString &path)
{
    SupplierInvoiceFile file;
    file.path = path;
    file.name = QFileInfo(path).fileName();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        file.error = QStringLiteral("Impossibile leggere il file %1: %2.").arg(file.name, in.errorString());
        return file;
    }
    if (in.size() > kLargestFile) {
        file.error = QStringLiteral("Il file %1 è troppo grande per essere una fattura elettronica.").arg(file.name);
        return file;
    }
    const QByteArray bytes = in.readAll();
    file.fingerprint = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    SignedInvoiceFile content;
    if (!content.open(bytes, file.name)) {
        file.error = content.error();
        return file;
    }
    file.signer = content.signer();
    file.invoices = SupplierInvoiceReader::read(content.xml(), file.name, &file.error);
    return file;
}

QList<SupplierInvoiceFile> SupplierInvoiceFiles::read(const QStringList &filesOrFolders)
{
    QList<SupplierInvoiceFile> files;
    for (const QString &named : filesOrFolders) {
        const QFileInfo info(named);
        if (!info.isDir()) {
            files << readOne(named);
            continue;
        }
        const QDir folder(named);
        const QStringList inside = folder.entryList({QStringLiteral("*.xml"), QStringLiteral("*.p7m")},
                                                    QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        for (const QString &name : inside)
            files << readOne(folder.filePath(name));
    }
    return files;
}
