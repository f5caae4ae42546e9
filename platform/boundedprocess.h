#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>

namespace platform {

// How a program run by runBounded ended.
struct BoundedRun {
    bool started = false;
    bool timedOut = false; // ended by runBounded at its time bound
    int exitCode = -1;     // its own exit code when it exited by itself, else -1
    QByteArray output;     // standard output and error as they came
};

// No bound: the program runs to its own end.
constexpr std::chrono::milliseconds kNoBound = std::chrono::milliseconds::max();

// Runs `program` in a session of its own, with every signal at its default action and none
// blocked whatever the caller's, and waits for it at most `bound`. Past the bound the whole group
// (the program and whatever it started) is asked to end, and killed 5 s later.
BoundedRun runBounded(const QString &program, const QStringList &arguments, std::chrono::milliseconds bound);

} // namespace platform
