#pragma once

#include "installedcopy.h"
#include "kiosk.h"
#include "processtree.h"
#include "xwindows.h"

#include <QFile>
#include <QThread>
#include <algorithm>
#include <vector>

// What the kiosk benchmarks measure alike.
namespace kioskbench {

// A program of the build copied into the installed copy, beside the real one; its path there.
inline QString installBeside(const InstalledCopy &copy, const QString &builtProgram, const QString &name)
{
    const QString path = copy.appDir() + name;
    QFile::copy(builtProgram, path);
    QFile::setPermissions(path, QFile::permissions(builtProgram));
    return path;
}

// One second after the moment measured: the sum of the peak resident sizes (VmHWM) of the main
// process and every browser process under it, in MiB. Shared pages count once per process.
inline double peakMemoryMiB(const Kiosk &kiosk)
{
    QThread::msleep(1000);
    qint64 kib = 0;
    for (qint64 pid : processtree::liveTree(kiosk.pid()))
        kib += processtree::peakResidentKiB(pid);
    return static_cast<double>(kib) / 1024.0;
}

// Closes the kiosk's windows as a user would and waits for its end.
inline void close(const QString &display, Kiosk &kiosk)
{
    const XWindows x(display);
    for (const QString &window : x.visibleWindowsOf(kiosk.pid()))
        x.close(window);
    kiosk.waitForExit(20000);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace kioskbench
