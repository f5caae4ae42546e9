#include "processend.h"

#include "diagnosticlog.h"
#include "inifile.h"
#include "processexit.h"

void endProcessNow(int exitCode)
{
    // Never released: the process ends while holding them. A thread never holds the settings
    // lock while it waits for the log's, so this order cannot deadlock.
    DiagnosticLog::writerMutex().lock();
    IniFile::writerMutex().lock();
    platform::exitWithoutCleanup(exitCode);
}
