#include "db/DbError.h"

namespace db {

DbError::DbError(ErrorKind kind, long number, QString description)
    : m_kind(kind), m_number(number), m_description(std::move(description)),
      m_what(QString(QStringLiteral("%1: %2")).arg(number).arg(m_description).toUtf8())
{
}

DbError::DbError(ErrorKind kind, long number, QString description, QString detail)
    : DbError(kind, number, std::move(description))
{
    m_detail = std::move(detail);
}

} // namespace db
