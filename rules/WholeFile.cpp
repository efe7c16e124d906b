#include "rules/WholeFile.h"

#include <QSaveFile>

QString WholeFile::write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered: a small file would otherwise stay in the device's buffer
    // until commit(), which does not look at how that last flush went, and a
    // full disk would leave a cut file under the name.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A disk filling up takes part of the bytes first; the write of the rest
    // says why it fails.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString error = file.errorString();
            file.cancelWriting();
            return error;
        }
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
