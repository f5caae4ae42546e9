#pragma once

#include "rootonlypath.h"

#include <QString>
#include <functional>

namespace platform {

// Starts `program` with administrator rights (directly when already root, else through
// pkexec) and waits for it in 100 ms slices, calling `betweenSlices` after each one so the
// caller's windows keep repainting. `started` runs once the program is under way.
// Only a program that nobody but root can change is started; for any other `refused` is told
// why. Returns its exit code, or -1 when it cannot be started, is refused or does not exit.
int runElevatedAndWait(const QString &program, const std::function<void()> &started,
                       const std::function<void()> &betweenSlices,
                       const std::function<void(const UntrustedPath &)> &refused = {});

} // namespace platform
