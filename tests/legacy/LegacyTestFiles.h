#pragma once

#include <QString>


// A file of tests/legacy/data (compiled in) copied into the test's folder.
QString legacyTestFile(const QString &folder, const QString &name);
// The first `bytes` bytes of a file, as a copy cut short would leave them.
QString truncatedCopy(const QString &path, qint64 bytes);
