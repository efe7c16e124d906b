#pragma once

#include "db/DbError.h"

#include <QString>

// The description of the DbError `work` throws; empty when it throws none.
template <typename Work>
QString failureOf(Work work)
{
    try {
        work();
    } catch (const db::DbError &error) {
        return error.description();
    }
    return QString();
}
