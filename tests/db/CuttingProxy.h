#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <mutex>
#include <thread>

// A relay between the till and the PostgreSQL server (on 127.0.0.1) that
// breaks the connection at a chosen message of the till, as a network
// failing at that moment would: with the message passed on to the server
// (which then does what it asked, its answer lost) or kept back (the server
// never sees it). Every other byte passes as it came.
class CuttingProxy {
public:
    enum class Cut { AfterPassing, BeforePassing };

    explicit CuttingProxy(quint16 serverPort);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy &) = delete;
    CuttingProxy &operator=(const CuttingProxy &) = delete;

    quint16 port() const { return m_port; }
    // The next message of the till holding `marker` (any message when it is
    // empty) breaks its connection as `how` says.
    void cutAt(const QByteArray &marker, Cut how);
    // Whether the cut asked for has happened.
    bool cut() const { return !m_armed; }

private:
    void relay();

    quint16 m_serverPort;
    quint16 m_port = 0;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_armed{false};
    std::mutex m_mutex;
    QByteArray m_marker;
    Cut m_how = Cut::AfterPassing;
    std::thread m_thread;
};
