#pragma once

#include <QString>
#include <functional>

class ApplicationWindows;

// Starts `program` with administrator rights and waits for it, keeping `caller`'s windows
// responsive (null: no windows to keep). Returns its exit code, or -1. A program that someone
// other than root could change is not started: `log` gets the reason (the caller's switch decides).
int ejecutarComoAdministrador(const QString &program, ApplicationWindows *caller,
                              const std::function<void(const QString &)> &log = {});
// Brings the caller's application to the front.
void traerAplicacionAlFrente(ApplicationWindows *caller);
// The volume serial of the filesystem holding the current directory, 8 upper-case hex digits.
// The drive letter of the original system has no meaning here and is ignored.
QString numeroSerieVolumen(const QString &driveLetter);
// "major.minor" of the build.
QString versionEjecutable();
// The user's temporary directory, ending in "/".
QString directorioTemporal();
