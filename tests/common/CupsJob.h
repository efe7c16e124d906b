#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTest>

// A print job sent to the CUPS server of with-cups.sh is done when the queue
// is empty and the device's file is whole; false when that has not come
// within `limitMs`.
inline bool waitForCupsJob(const QString &job, qint64 limitMs = 60000)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < limitMs) {
        QTest::qWait(200);
        QProcess queue;
        queue.start(QStringLiteral("lpstat"), {QStringLiteral("-o")});
        queue.waitForFinished();
        if (queue.readAllStandardOutput().trimmed().isEmpty() && QFileInfo(job).size() > 0)
            return true;
    }
    return false;
}
