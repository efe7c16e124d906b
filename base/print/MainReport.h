#pragma once

#include <QString>

namespace report { class ReportControl; }

// The one report control of the main window, through which every window
// prints. mdiTarvo hands its control over at construction; before that (and
// in tests of single windows) a control of the program's own stands in.
// The control always reads the database at g_strDbPath.
report::ReportControl &MainReport();
void setMainReport(report::ReportControl *control);

// A template of the program folder: programFolder() + "/" + name.
QString ReportTemplatePath(const QString &name);
