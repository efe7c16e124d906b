#include "base/print/MainReport.h"

#include "base/Globals.h"
#include "report/ReportControl.h"

#include <QDir>
#include <QPointer>
#include <memory>

namespace {

QPointer<report::ReportControl> &installed()
{
    static QPointer<report::ReportControl> control;
    return control;
}

} // namespace

report::ReportControl &MainReport()
{
    report::ReportControl *control = installed();
    if (!control) {
        static std::unique_ptr<report::ReportControl> standIn;
        if (!standIn)
            standIn = std::make_unique<report::ReportControl>();
        control = standIn.get();
    }
    control->setDatabasePath(g_strDbPath);
    return *control;
}

void setMainReport(report::ReportControl *control)
{
    installed() = control;
}

QString ReportTemplatePath(const QString &name)
{
    return installedFile(name);
}
