#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Plays the user who closes each window a program shows: while the process runs, every
// visible titled window on `display` is recorded and asked to close (WM_DELETE_WINDOW, as a
// window's close button does). Returns the titles in the order they appeared; `geometries`,
// when given, receives each window's "WIDTHxHEIGHT+X+Y" in the same order.
QStringList closeWindowsUntilFinished(QProcess &process, const QString &display, int timeoutMs = 30000,
                                      QStringList *geometries = nullptr);
