#pragma once

namespace report { class ReportControl; }

// Empties the formula slots 0 to 20 and the selection formula of the main
// window's report control. The destination stays as it was.
void ResetReport();
void ResetReport(report::ReportControl &control);
