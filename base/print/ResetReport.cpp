#include "base/print/ResetReport.h"

#include "base/print/MainReport.h"
#include "report/ReportControl.h"

void ResetReport()
{
    ResetReport(MainReport());
}

void ResetReport(report::ReportControl &control)
{
    for (int i = 0; i < report::kFormulaSlots; ++i)
        control.set(report::prop::Formulas, i, QString());
    control.set(report::prop::SelectionFormula, QString());
}
