#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The places of the day's log lines ("14:05:09: <place: errore n: ...>"),
// for tests whose errors carry a temporary path in the engine's words.
inline QStringList logPlaces(const QByteArray &log)
{
    QStringList places;
    for (const QString &line : QString::fromUtf8(log).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        places << line.section(QStringLiteral(": <"), 1).section(QStringLiteral(": errore "), 0, 0);
    return places;
}
