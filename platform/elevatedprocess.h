#pragma once

#include <QString>
#include <functional>

namespace platform {

// Starts `program` with administrator rights (directly when already root, else through
// pkexec) and waits for it in 100 ms slices, calling `betweenSlices` after each one so the
// caller's windows keep repainting. `started` runs once the program is under way.
// Returns its exit code, or -1 when it cannot be started, is refused or does not exit.
int runElevatedAndWait(const QString &program, const std::function<void()> &started,
                       const std::function<void()> &betweenSlices);

} // namespace platform
