#pragma once

#include <QString>

// A lock on the first byte of a file as another program would hold it: an
// open file of its own, so it conflicts with the locks this program takes
// through its own open files. Let go when the object ends.
//   AnotherProgramLock till(AnotherProgramLock::shopLockOf(path), AnotherProgramLock::Shared);
class AnotherProgramLock {
public:
    enum Kind { Shared, Alone };
    AnotherProgramLock(const QString &file, Kind kind);
    ~AnotherProgramLock();
    AnotherProgramLock(const AnotherProgramLock &) = delete;
    AnotherProgramLock &operator=(const AnotherProgramLock &) = delete;

    bool held() const { return m_held; }
    void release();

    // The file beside the shop whose lock every program with the shop open shares.
    static QString shopLockOf(const QString &databasePath);

private:
    int m_fd = -1;
    bool m_held = false;
};
