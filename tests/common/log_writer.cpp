// Writes lines to a diagnostic log: log_writer <file name> <writer id> <lines> <padding>.
// Several of these run at once in the log tests.
#include "diagnosticlog.h"

#include <QString>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    const DiagnosticLog log(QString::fromLocal8Bit(argv[1]));
    const int lines = std::atoi(argv[3]);
    const QString padding(std::atoi(argv[4]), u'x');
    for (int i = 0; i < lines; ++i)
        log.write(QStringLiteral("writer %1 line %2 %3").arg(QString::fromLocal8Bit(argv[2])).arg(i).arg(padding));
    return 0;
}
