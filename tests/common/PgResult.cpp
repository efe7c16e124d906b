#include "PgResult.h"

#include <libpq-fe.h>

namespace migra {

PgResult::~PgResult()
{
    PQclear(m_result);
}

int PgResult::rows() const
{
    return PQntuples(m_result);
}

int PgResult::columns() const
{
    return PQnfields(m_result);
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

QString PgResult::text(int row, int column) const
{
    if (isNull(row, column))
        return QString();
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 PgResult::integer(int row, int column) const
{
    return isNull(row, column) ? 0 : QByteArray(PQgetvalue(m_result, row, column)).toLongLong();
}

} // namespace migra
