#pragma once

#include "db/Database.h"

#include <optional>

// One transaction, or none at all when `on` is false: the crash tests' control
// runs write statement by statement to prove that the tests notice a missing
// transaction. The program always runs with it on.
class SwitchableTransaction {
public:
    SwitchableTransaction(db::Database &database, bool on)
    {
        if (on)
            m_transaction.emplace(database);
    }
    void commit()
    {
        if (m_transaction)
            m_transaction->commit();
    }

private:
    std::optional<db::Transaction> m_transaction;
};
