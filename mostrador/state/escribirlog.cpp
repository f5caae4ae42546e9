#include "escribirlog.h"

#include "diagnosticlog.h"

void escribirLog(const QString &message)
{
    static const DiagnosticLog log(QStringLiteral("ZelvoraMostrador.log"));
    log.write(message);
}
