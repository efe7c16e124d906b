#pragma once

// A VFS over SQLite's default one that fails writes on request: from the
// n-th write, sync or truncate on, every one fails with SQLITE_IOERR (a disk
// that went bad), until disarmed. Installed as the default VFS while it
// lives, so every connection opened meanwhile goes through it.
class FaultyVfs {
public:
    FaultyVfs();
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs &) = delete;
    FaultyVfs &operator=(const FaultyVfs &) = delete;

    // The n-th write from now on fails (1: the next one), and all after it.
    void failFrom(int n);
    void disarm();
    // Whether a write failed since failFrom().
    bool failed() const;
};
