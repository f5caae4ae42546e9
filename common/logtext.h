#pragma once

#include <QString>

// Text from outside the program inside a log message: a print string, a server's answer, a
// settings value. The log writes its messages as they are, so a line break in such text would
// start a line that reads like one of the program's own, and an escape sequence would drive the
// terminal of whoever reads the log. Every control character but the tab is written as "%" and
// two upper-case hexadecimal digits instead, as a URL carries it.
QString logText(QStringView outside);

// The same for what is left of a print string, logged after each of its lines and tickets: written
// whole, a job of thousands of lines would log gigabytes. Its first `limit` characters, then how
// many more there are.
QString logTextAtMost(QStringView outside, qsizetype limit = 2000);
