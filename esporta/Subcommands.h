#pragma once

#include <QStringList>

// Each subcommand gets the arguments after its name and returns the exit
// code: 0 done, 1 failed (the reason on standard error), 2 bad usage.
int runCsv(const QStringList &arguments);
