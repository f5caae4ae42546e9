// Fuzzes the settings file reader with whatever a hand edit or another program leaves in
// "Ticketera.ini": both programs' reads, every key of a section, and a write over it.
#include "configsys.h"
#include "inifile.h"
#include "scratchdirectory.h"

#include <cstddef>
#include <cstdint>

namespace {

const QString kFile = QStringLiteral("Ticketera.ini");

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool fits(const TConfigSys &c)
{
    for (const QString *text : {&c.indiceImpresora, &c.tipoPapel, &c.ficheroLogo, &c.puerto})
        if (text->size() > IniFile::kMaxValueLength)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString directory = scratchDirectory();
    writeWholeFile(directory + kFile, data, size);

    TConfigSys ticketera;
    leerConfigSys(directory, kFile, ticketera);
    TConfigSysMostrador mostrador;
    leerConfigSys(directory, kFile, mostrador);
    check(fits(ticketera) && fits(mostrador) && ticketera.puerto == mostrador.puerto);

    // Each key of a section reads as its first entry.
    const IniFile before(directory + kFile);
    const auto printer = before.readSection(u"PRINTER_CONFIG");
    for (qsizetype i = 0; i < printer.size(); ++i) {
        bool first = true;
        for (qsizetype j = 0; j < i && first; ++j)
            first = printer[j].first.compare(printer[i].first, Qt::CaseInsensitive) != 0;
        if (first)
            check(before.readString(u"PRINTER_CONFIG", printer[i].first, QStringLiteral("\n")) == printer[i].second);
    }

    // A write into another section reads back and leaves the printer section as it was.
    IniFile(directory + kFile).writeInteger(u"CONNECTION", u"AUTOL", 1);
    const IniFile after(directory + kFile);
    check(after.readInteger(u"CONNECTION", u"AUTOL", -1) == 1);
    check(after.readSection(u"PRINTER_CONFIG") == printer);
    return 0;
}
