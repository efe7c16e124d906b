#pragma once

#include <QString>

// Registers (or unregisters) a log library into the registry named by
// TARVO_REGISTRY, with the regsvr tool, as the install does. Returns the
// tool's exit code.
int runRegsvr(const QString &library, bool unregister = false);

// The log library the build produced.
QString builtLodder();
