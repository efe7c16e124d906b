#pragma once

#include <QByteArray>
#include <QString>

// A file written whole beside its place and renamed into it, or not at all.
namespace WholeFile {

// The error's text, or an empty string when the file is in place. On an
// error nothing is left: neither the file nor a part of it.
QString write(const QString &path, const QByteArray &bytes);

} // namespace WholeFile
