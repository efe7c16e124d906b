#include "db/WriteGate.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <atomic>

namespace db {

namespace {

enum class Verdict { Due, Logged, Sound, Damaged };

struct Gates {
    QMutex mutex;
    QWaitCondition decided;
    QHash<QString, Verdict> verdicts;
    QHash<QString, QString> problems;
    QHash<QString, int> logged;
    WriteGate::Waiter waiter;
    // Files held or refused: the common case, none, costs one load per write.
    std::atomic<int> closed {0};
};

Gates &gates()
{
    // Never destroyed: connections kept in other statics close after it at exit.
    static Gates *instance = new Gates;
    return *instance;
}

QString keyOf(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void set(const QString &path, Verdict verdict, const QString &problem = QString())
{
    Gates &g = gates();
    QMutexLocker lock(&g.mutex);
    const QString key = keyOf(path);
    if (verdict == Verdict::Sound)
        g.verdicts.remove(key);
    else
        g.verdicts.insert(key, verdict);
    if (verdict == Verdict::Due)
        g.logged.insert(key, 0);
    g.problems.insert(key, problem);
    int closed = 0;
    for (const Verdict v : std::as_const(g.verdicts))
        closed += v != Verdict::Sound;
    g.closed.store(closed);
    g.decided.wakeAll();
}

Verdict verdictOf(const QString &key)
{
    return gates().verdicts.value(key, Verdict::Sound);
}

} // namespace

void WriteGate::hold(const QString &path)
{
    set(path, Verdict::Due);
}

void WriteGate::keepInLog(const QString &path)
{
    set(path, Verdict::Logged);
}

void WriteGate::pass(const QString &path)
{
    set(path, Verdict::Sound);
}

void WriteGate::refuse(const QString &path, const QString &problem)
{
    set(path, Verdict::Damaged, problem);
}

void WriteGate::release(const QString &path)
{
    set(path, Verdict::Sound);
}

void WriteGate::setWaiter(Waiter waiter)
{
    QMutexLocker lock(&gates().mutex);
    gates().waiter = std::move(waiter);
}

void WriteGate::beforeWrite(const QString &path)
{
    Gates &g = gates();
    if (g.closed.load() == 0)
        return;
    const QString key = keyOf(path);
    QMutexLocker lock(&g.mutex);
    if (verdictOf(key) == Verdict::Due) {
        if (g.waiter) {
            const Waiter waiter = g.waiter;
            lock.unlock();
            waiter([&] {
                QMutexLocker again(&g.mutex);
                return verdictOf(key) != Verdict::Due;
            });
            lock.relock();
        } else {
            while (verdictOf(key) == Verdict::Due)
                g.decided.wait(&g.mutex);
        }
    }
    if (verdictOf(key) == Verdict::Damaged || verdictOf(key) == Verdict::Due) {
        lock.unlock();
        throw refusal(path);
    }
}

bool WriteGate::refusesCommit(const QString &path, bool countLogged)
{
    Gates &g = gates();
    if (g.closed.load() == 0)
        return false;
    const QString key = keyOf(path);
    QMutexLocker lock(&g.mutex);
    while (verdictOf(key) == Verdict::Due)
        g.decided.wait(&g.mutex);
    const Verdict verdict = verdictOf(key);
    // The commit goes ahead into the log: counted, as the user is told of
    // it should the file then be found damaged.
    if (verdict == Verdict::Logged && countLogged)
        ++g.logged[key];
    return verdict == Verdict::Damaged;
}

bool WriteGate::mayCheckpoint(const QString &path)
{
    Gates &g = gates();
    if (g.closed.load() == 0)
        return true;
    const QString key = keyOf(path);
    QMutexLocker lock(&g.mutex);
    return verdictOf(key) == Verdict::Sound;
}

int WriteGate::loggedCommits(const QString &path)
{
    const QString key = keyOf(path);
    QMutexLocker lock(&gates().mutex);
    return gates().logged.value(key);
}

DbError WriteGate::refusal(const QString &path)
{
    const QString key = keyOf(path);
    QMutexLocker lock(&gates().mutex);
    switch (verdictOf(key)) {
    case Verdict::Damaged:
        return DbError(ErrorKind::Io, 3049,
                       QStringLiteral("Il controllo ha trovato il database danneggiato (%1): non vi è stato "
                                      "registrato nulla.")
                           .arg(gates().problems.value(key).section(QLatin1Char('\n'), 0, 0)));
    case Verdict::Due:
        return DbError(ErrorKind::Busy, 3046,
                       QStringLiteral("Registrazione annullata: il controllo del database non è ancora terminato. "
                                      "Non è stato registrato nulla."));
    case Verdict::Logged:
    case Verdict::Sound:
        break;
    }
    return DbError(ErrorKind::General, 3049, QStringLiteral("Scrittura del database non consentita."));
}

} // namespace db
