#include "rules/InvoiceDrafts.h"

#include "db/ProgramClaims.h"
#include "db/TextKeys.h"

#include <QHash>
#include <QMutex>
#include <QSet>

namespace {

QString keyOf(const QString &numero)
{
    return db::foldedText(numero.trimmed());
}

// One key stands for a number (its folded text hashed): two numbers
// sharing a key only make an editor move on to the next number.
qint64 byteOf(const QString &numero)
{
    quint32 hash = 2166136261u;
    for (const char c : keyOf(numero).toUtf8())
        hash = (hash ^ quint8(c)) * 16777619u;
    return qint64(hash & 0x3fffffff);
}

// The drafts' claims: "<file>-fatture.lock" beside a file; on a server the
// first key names the drafts among the shop's other locks.
constexpr int draftLocks = 0x7461; // "ta"

const db::ProgramClaims &drafts()
{
    static const db::ProgramClaims claims(QStringLiteral("fatture"), draftLocks);
    return claims;
}

// What this program holds on a key: the numbers claimed through it. A key
// is claimed once, whatever the numbers sharing it.
struct Holding {
    QSet<QString> numbers;
};

QMutex g_mutex;
QHash<QString, QHash<qint64, Holding>> g_holdings;

Holding *holdingOf(const QString &databasePath, qint64 byte)
{
    auto bytes = g_holdings.find(databasePath);
    if (bytes == g_holdings.end())
        return nullptr;
    const auto held = bytes->find(byte);
    if (held == bytes->end())
        return nullptr;
    // Lost with a connection to the server made anew, and taken meanwhile
    // by another till.
    if (!drafts().stillHeld(databasePath, byte)) {
        bytes->erase(held);
        return nullptr;
    }
    return &*held;
}

} // namespace

bool InvoiceDrafts::claim(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const qint64 byte = byteOf(numero);
    if (Holding *held = holdingOf(databasePath, byte)) {
        held->numbers.insert(keyOf(numero));
        return true;
    }
    if (!drafts().take(databasePath, byte))
        return false;
    g_holdings[databasePath][byte].numbers = {keyOf(numero)};
    return true;
}

void InvoiceDrafts::release(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const qint64 byte = byteOf(numero);
    Holding *held = holdingOf(databasePath, byte);
    if (!held || !held->numbers.remove(keyOf(numero)) || !held->numbers.isEmpty())
        return;
    g_holdings[databasePath].remove(byte);
    drafts().release(databasePath, byte);
}

bool InvoiceDrafts::heldHere(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const Holding *held = holdingOf(databasePath, byteOf(numero));
    return held && held->numbers.contains(keyOf(numero));
}

bool InvoiceDrafts::heldElsewhere(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    return drafts().heldElsewhere(databasePath, byteOf(numero));
}
