#pragma once

namespace platform {

// Flushes the standard streams and ends the process without running exit handlers or static
// destructors; the kernel ends the other threads with it.
[[noreturn]] void exitWithoutCleanup(int exitCode);

} // namespace platform
