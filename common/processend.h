#pragma once

// Ends the process now with `exitCode`, without waiting for threads that are still running and
// without destroying anything they use (the log writer, the settings lock, the HTTP library):
// a log line or a settings write under way on another thread is finished first, and no other
// is begun.
[[noreturn]] void endProcessNow(int exitCode);
