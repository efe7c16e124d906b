#pragma once

#include <QString>

namespace migra {

// A migration that cannot go on: its message is the user's, in Italian,
// whole (what went wrong and what became of the target).
class MigraError {
public:
    explicit MigraError(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace migra
