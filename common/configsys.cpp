#include "configsys.h"

#include "inifile.h"

namespace {

constexpr QStringView kPrinterSection = u"PRINTER_CONFIG";
constexpr QStringView kConnectionSection = u"CONNECTION";

void readPrinterKeys(const IniFile &ini, TConfigSys &c)
{
    c.indiceImpresora = ini.readString(kPrinterSection, u"PRINTER", c.indiceImpresora);
    c.impresionSoloTexto = ini.readBool(kPrinterSection, u"GENERICTEXTONLY", c.impresionSoloTexto);
    c.tipoPapel = ini.readString(kPrinterSection, u"PAPER", c.tipoPapel);
    c.ficheroLogo = ini.readString(kPrinterSection, u"LOGO", c.ficheroLogo);
    c.imprimirPuerto = ini.readBool(kPrinterSection, u"IMPRIMIRPUERTO", c.imprimirPuerto);
    c.puerto = ini.readString(kPrinterSection, u"PUERTOIMPRESION", c.puerto);
}

void writePrinterKeys(IniFile &ini, const TConfigSys &c)
{
    ini.writeString(kPrinterSection, u"PRINTER", c.indiceImpresora);
    ini.writeBool(kPrinterSection, u"GENERICTEXTONLY", c.impresionSoloTexto);
    ini.writeString(kPrinterSection, u"PAPER", c.tipoPapel);
    ini.writeString(kPrinterSection, u"LOGO", c.ficheroLogo);
    ini.writeBool(kPrinterSection, u"IMPRIMIRPUERTO", c.imprimirPuerto);
    ini.writeString(kPrinterSection, u"PUERTOIMPRESION", c.puerto);
}

} // namespace

void leerConfigSys(const QString &directory, const QString &fileName, TConfigSys &config)
{
    readPrinterKeys(IniFile(directory + fileName), config);
}

void leerConfigSys(const QString &directory, const QString &fileName, TConfigSysMostrador &config)
{
    const IniFile ini(directory + fileName);
    config.autologin = ini.readInteger(kConnectionSection, u"AUTOL", -1);
    readPrinterKeys(ini, config);
}

void guardarConfigSys(const QString &directory, const QString &fileName, const TConfigSys &config)
{
    IniFile ini(directory + fileName);
    writePrinterKeys(ini, config);
}

void guardarConfigSys(const QString &directory, const QString &fileName, const TConfigSysMostrador &config)
{
    IniFile ini(directory + fileName);
    writePrinterKeys(ini, config);
    if (config.autologin != -1)
        ini.writeInteger(kConnectionSection, u"AUTOL", config.autologin);
}
