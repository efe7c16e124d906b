#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>

// How many trials a crash test runs: 30 under CTest, as many as the
// variable says by hand (COUNTER_CRASH_TRIALS=1000).
//
// QtTest stops a test function after five minutes, which a thousand trials
// on the server far exceed. Each trial bounds its own waits, so the test's
// limit grows with its trials instead: `allowTimeFor` must run before
// QTest::qExec (the test object's constructor does), since QtTest reads the
// limit once. A limit the user set stays.
namespace CrashTrials {

// The longest a trial may take: the child's start, the kill, the wait for
// the server to see the connection gone and the checks, with room to spare.
constexpr qint64 secondsPerTrial = 30;

inline int wanted(const char *variable)
{
    bool ok = false;
    const int trials = qEnvironmentVariableIntValue(variable, &ok);
    return ok && trials > 0 ? trials : 30;
}

inline void allowTimeFor(int trials)
{
    if (qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        return;
    const qint64 seconds = std::max(trials, 40) * secondsPerTrial + 300;
    qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(seconds * 1000));
}

} // namespace CrashTrials
