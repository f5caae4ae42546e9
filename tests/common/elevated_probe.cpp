// Starts a program through ejecutarComoAdministrador, for the tests that run it as another
// user: elevated_probe <program>. Prints each log line, then the result.
#include "processhelpers.h"

#include <QString>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const int result = ejecutarComoAdministrador(QString::fromLocal8Bit(argv[1]), nullptr,
                                                 [](const QString &line) { std::puts(qPrintable(line)); });
    std::printf("%d\n", result);
    return 0;
}
