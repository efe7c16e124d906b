#pragma once

#include <QString>

struct pg_result;

namespace migra {

// One result of libpq, owned (PQclear on destruction), read as text.
class PgResult {
public:
    explicit PgResult(pg_result *result) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult &&other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;
    PgResult &operator=(PgResult &&) = delete;

    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    QString text(int row, int column) const;   // a null text for Null
    qint64 integer(int row, int column) const; // 0 for Null

private:
    pg_result *m_result;
};

} // namespace migra
