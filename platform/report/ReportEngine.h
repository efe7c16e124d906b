#pragma once

#include "ReportDataSource.h"
#include "PageStore.h"
#include "ReportPage.h"
#include "ReportProgress.h"

#include <QDate>
#include <QStringList>
#include <vector>

namespace report {

// What one run of a report needs.
struct ReportRequest {
    QString templatePath;
    QString title;           // empty: the template's own title
    QString selection;       // selection formula; empty = every record
    QStringList formulas;    // the formula slots, "Name=value"
    QDate today;             // the date a report prints as "today"
};

// Template + records + formulas -> laid-out pages. Throws db::DbError for a
// missing or broken template, a refused formula, an unknown field, or a
// database failure; ReportCancelled when `progress` was cancelled.
//
// Records stream from the source into the layout as they are read; the
// selection formula goes to the source, which selects in the database what
// it can.
class ReportEngine {
public:
    static PageStore run(const ReportRequest &request, ReportDataSource &source,
                                       ReportProgress *progress = nullptr);
};

} // namespace report
