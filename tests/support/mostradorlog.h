#pragma once

#include "codepage.h"

#include <QFile>
#include <QStringList>

// The lines of Mostrador's log in `workDir` (or of another program's log), without their time stamps.
inline QStringList mostradorLogLines(const QString &workDir, const QString &fileName = QStringLiteral("ZelvoraMostrador.log"))
{
    QFile file(workDir + u'/' + fileName);
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString text = CodePage::toUnicode(line.chopped(line.endsWith('\r') ? 1 : 0));
        if (!text.isEmpty())
            lines << text.mid(text.indexOf(QStringLiteral("] ")) + 2);
    }
    return lines;
}
