#include "escribirlog.h"

#include "diagnosticlog.h"

void escribirLog(const QString &message)
{
    static const DiagnosticLog log(QStringLiteral("Configuracion.log"));
    log.write(message);
}
