#pragma once

#include <QByteArrayList>

namespace platform {

// Leaves behind what the caller handed this process: the environment becomes `environment`
// ("NAME=value" entries) and nothing else, the file-creation mask 022, resource limits and
// priority the system's defaults, every signal its default action with none blocked, standard
// input /dev/null (and any closed standard stream too), the working directory "/". The process
// leaves the caller's session and controlling terminal; when it leads its process group (a
// shell's job) a child of its own carries on in a new session, and this process waits for it
// and ends with its exit code. For a process run as root, before anything else.
void leaveCallerState(const QByteArrayList &environment);

// Every signal at its default action, none blocked. Safe between fork and exec.
void defaultSignals();

} // namespace platform
