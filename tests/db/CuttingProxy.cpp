#include "CuttingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

struct Pair {
    int till;
    int server;
};

bool sendAll(int socket, const char *data, ssize_t length)
{
    while (length > 0) {
        const ssize_t sent = ::send(socket, data, size_t(length), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        length -= sent;
    }
    return true;
}

int connectTo(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

} // namespace

CuttingProxy::CuttingProxy(quint16 serverPort) : m_serverPort(serverPort)
{
    // Close on exec: a server started by the test must not keep the relay's
    // sockets open after the relay closed them.
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(m_listener, 8) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        qFatal("the proxy cannot listen");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { relay(); });
}

CuttingProxy::~CuttingProxy()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

void CuttingProxy::cutAt(const QByteArray &marker, Cut how)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_marker = marker;
    m_how = how;
    m_armed = true;
}

void CuttingProxy::relay()
{
    std::vector<Pair> pairs;
    char buffer[65536];
    while (!m_stop) {
        std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
        for (const Pair &pair : pairs) {
            watched.push_back({pair.till, POLLIN, 0});
            watched.push_back({pair.server, POLLIN, 0});
        }
        if (::poll(watched.data(), nfds_t(watched.size()), 20) <= 0)
            continue;
        std::vector<Pair> open;
        for (size_t p = 0; p < pairs.size(); ++p) {
            const Pair pair = pairs[p];
            bool alive = true;
            for (const bool fromTill : {true, false}) {
                const pollfd &fd = watched[1 + 2 * p + (fromTill ? 0 : 1)];
                if (!alive || !(fd.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t got = ::recv(fd.fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    alive = false;
                    continue;
                }
                bool pass = true;
                if (fromTill && m_armed) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    if (m_marker.isEmpty() || QByteArray::fromRawData(buffer, int(got)).contains(m_marker)) {
                        pass = m_how == Cut::AfterPassing;
                        alive = false;
                        m_armed = false;
                    }
                }
                if (pass && !sendAll(fromTill ? pair.server : pair.till, buffer, got))
                    alive = false;
            }
            if (alive) {
                open.push_back(pair);
            } else {
                ::close(pair.till);
                ::close(pair.server);
            }
        }
        if (watched[0].revents & POLLIN) {
            const int till = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = connectTo(m_serverPort);
            if (server < 0)
                ::close(till);
            else
                open.push_back({till, server});
        }
        pairs.swap(open);
    }
    for (const Pair &pair : pairs) {
        ::close(pair.till);
        ::close(pair.server);
    }
}
