// debmdb <path>: creates the log database deb.mdb at <path> when it does not
// exist yet. An existing file is left as it is: it holds the user's logs.

#include "LogDatabase.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: debmdb <percorso di deb.mdb>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(path))
        return 0;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const lodder::DebStatus status = lodder::LogDatabase::create(path, lodder::LogDatabase::classPassword());
    if (!status.ok()) {
        std::fprintf(stderr, "debmdb: %s\n", qPrintable(status.description));
        return 1;
    }
    return 0;
}
