#pragma once

#include "db/DbError.h"

#include <QByteArray>
#include <QString>

struct pg_conn;

namespace db {

// The connection to the shop's PostgreSQL server, which can be lost under a
// running till: the server restarts, the network drops, an administrator
// ends it. The next use outside a transaction then connects again, so the
// till carries on without a restart. Inside a transaction a lost connection
// took the transaction's changes with it: the use fails, the caller rolls
// back, and the use after that connects again. What the server kept for
// the old connection (prepared statements) is gone: a statement prepared
// under an older generation prepares itself again.
class ServerStatement;

class ServerSession {
public:
    // Takes a connection libpq made; sets it up as the engine reads it.
    explicit ServerSession(pg_conn *connected);
    // The same, set up by `setUpSql` instead (a tool writing the server's
    // own SQL); again on every new connection.
    ServerSession(pg_conn *connected, QByteArray setUpSql);
    ~ServerSession();
    ServerSession(const ServerSession &) = delete;
    ServerSession &operator=(const ServerSession &) = delete;

    // Stays the same object across reconnections.
    pg_conn *handle() const { return m_connection; }
    // Counts the connections made, from 1.
    quint64 generation() const { return m_generation; }
    bool inTransaction() const { return m_transactionOpen; }

    // Before something is sent: a connection found lost (the server told
    // it was ending it, or closed it) is made anew outside a transaction;
    // inside one it throws DbError 3051. Throws 3051 as well when the
    // server cannot be reached.
    void ready();
    // The same before a read, without asking the connection first whether
    // the server has ended it (a system call each time): a read the lost
    // connection breaks runs again on a new one anyway.
    void readyToRead();
    // A statement whose rows are still coming, one at a time, holds the
    // connection; settle() takes the rest of them into that statement's
    // memory, so that something else can be sent. ready() settles first.
    void streaming(ServerStatement *statement) { m_streaming = statement; }
    void streamEnded(const ServerStatement *statement)
    {
        if (m_streaming == statement)
            m_streaming = nullptr;
    }
    void settle();
    // After a failure: whether the connection is gone.
    bool lost() const;
    // Connects anew; throws DbError 3051 when the server cannot be reached.
    void reconnect();

    void begin();
    // A commit whose answer was lost with the connection is asked after on
    // a new one: committed is done; rolled back, or not known in time,
    // throws DbError 3051 with the words that fit.
    void commit();
    // The transaction ended without a commit (rolled back, or lost).
    void ended() { m_transactionOpen = false; }
    // The server said it is ending the connection, in these words.
    void serverIsEnding(const QString &words)
    {
        m_ending = true;
        m_lastWords = words;
    }

private:
    void setUp();
    DbError unreachable() const;
    void readPendingInput();
    enum class Outcome { Committed, RolledBack, Unknown };
    Outcome outcomeOfLostCommit();

    pg_conn *m_connection;
    QByteArray m_setUpSql;
    quint64 m_generation = 1;
    bool m_transactionOpen = false;
    bool m_ending = false;
    QString m_lastWords;
    QByteArray m_transactionId;
    ServerStatement *m_streaming = nullptr;
};

} // namespace db
