#include "LegacyTestFiles.h"

#include <QFile>
#include <QDir>

QString legacyTestFile(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(":/legacy/") + name, path))
        qFatal("test file %s missing", qPrintable(name));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString truncatedCopy(const QString &path, qint64 bytes)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const QString target = path + QStringLiteral(".cut%1.mdb").arg(bytes);
    QFile cut(target);
    if (!cut.open(QIODevice::WriteOnly) || cut.write(source.read(bytes)) != bytes)
        qFatal("cannot write %s", qPrintable(target));
    return target;
}
