#include "escribirlog.h"

#include "diagnosticlog.h"

void escribirLog(const QString &message)
{
    static const DiagnosticLog log(QStringLiteral("Updater.log"));
    log.write(message);
}
