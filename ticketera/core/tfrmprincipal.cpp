#include "tfrmprincipal.h"

#include "configsys.h"
#include "conversionerror.h"
#include "failuredescription.h"
#include "inifile.h"
#include "integertext.h"
#include "logswitches.h"
#include "logtext.h"
#include "messageboxes.h"
#include "paths.h"
#include "portroute.h"
#include "printererror.h"
#include "printspooler.h"
#include "printstringreader.h"
#include "printurl.h"
#include "processhelpers.h"
#include "reportroute.h"
#include "settingswriteerror.h"
#include "textonlyroute.h"
#include "ticketeraui.h"
#include "urldecodeerror.h"
#include "urlencodedtext.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace {

const QString kConfigurationProgram = QStringLiteral("Configuracion");

QString crlf()
{
    return QStringLiteral("\r\n");
}

} // namespace

TFrmPrincipal::TFrmPrincipal(QString dirApp, QStringList arguments, TicketeraUi &ui, SpoolerLoader loadSpooler)
    : DirApp(std::move(dirApp)), m_arguments(std::move(arguments)), m_ui(ui), m_loadSpooler(std::move(loadSpooler))
{
}

TFrmPrincipal::~TFrmPrincipal() = default;

platform::PrintSpooler &TFrmPrincipal::spooler()
{
    if (!m_spooler) {
        QString error;
        m_spooler = m_loadSpooler(&error);
        if (!m_spooler)
            throw PrinterError(QStringLiteral("No se puede acceder a las impresoras del sistema: ") + error);
    }
    return *m_spooler;
}

QString TFrmPrincipal::impresoraSeleccionada()
{
    const int index = toInteger(configPrinter.indiceImpresora);
    // One look at the system's list per run: the start-up check and every ticket share it.
    if (!m_queues)
        m_queues = spooler().queueNames();
    const QStringList &queues = *m_queues;
    if (index < 0 || index >= queues.size())
        throw PrinterError(QStringLiteral("La impresora %1 no existe: el sistema tiene %2 impresoras")
                               .arg(index)
                               .arg(queues.size()));
    return queues.at(index);
}

bool TFrmPrincipal::comprobarIndiceImpresora()
{
    try {
        impresoraSeleccionada();
        return true;
    } catch (const ZelvoraError &) {
        logMilestone(QStringLiteral("ERROR: Indice de impresora a cargar FUERA DE RANGO") + crlf());
        return false;
    }
}

bool TFrmPrincipal::repararConfiguracion()
{
    const QString program = DirApp + kConfigurationProgram;
    logMilestone(QStringLiteral("Parámetros de configuración de impresión no existen. No se puede aplicar la configuración"));
    logMilestone(QStringLiteral("Se ejecuta la aplicacion de configuracion: ") + program);
    ejecutarComoAdministrador(program, m_ui.windows(), logMilestone);
    m_queues.reset(); // the configuration program may have added a printer
    if (!QFileInfo::exists(program))
        logGeneral(QStringLiteral("No se puede lanzar la aplicacion de configuración.No existe la aplicacion de configuracion: ") +
                   program);
    leerConfigSys(DirApp, kSettingsFile, configPrinter);
    // A port configuration needs neither printer nor paper: it is as usable as a printer one.
    return (!configPrinter.indiceImpresora.isEmpty() && !configPrinter.tipoPapel.isEmpty()) ||
           configPrinter.imprimirPuerto;
}

void TFrmPrincipal::comprobarLogotipoCliente()
{
    if (!configPrinter.ficheroLogo.isEmpty() && !QFileInfo::exists(configPrinter.ficheroLogo)) {
        configPrinter.ficheroLogo.clear();
        guardarConfigSys(DirApp, kSettingsFile, configPrinter);
    }
    if (configPrinter.ficheroLogo.isEmpty())
        logMilestone(QStringLiteral("LECTURA CONFIGURACION - Logotipo no configurado"));
}

TFrmPrincipal::Check TFrmPrincipal::comprobarConfiguracion()
{
    leerConfigSys(DirApp, kSettingsFile, configPrinter);
    if (!configPrinter.indiceImpresora.isEmpty() && !configPrinter.tipoPapel.isEmpty()) {
        if (!comprobarIndiceImpresora() && !repararConfiguracion())
            return Check::Unusable;
        if (!configPrinter.indiceImpresora.isEmpty() && !configPrinter.tipoPapel.isEmpty()) {
            logMilestone(QStringLiteral("LECTURA CONFIGURACION - Tipo de papel:") + logText(configPrinter.tipoPapel) +
                         QStringLiteral(" - (0: Papel 5 cm, 1: Papel 7cm)"));
            try {
                comprobarLogotipoCliente();
            } catch (const SettingsWriteError &e) {
                mostrarErrorPorDefecto(e);
                return Check::SettingsNotWritable;
            }
        }
        return Check::Usable;
    }
    if (configPrinter.imprimirPuerto)
        return Check::Usable;
    return repararConfiguracion() ? Check::Usable : Check::Unusable;
}

void TFrmPrincipal::logParametros() const
{
    QString message = QStringLiteral("Parametros ejecucion Ticketera. ") + crlf();
    for (qsizetype i = 0; i < m_arguments.size(); ++i)
        message += QStringLiteral("Parametro%1: ").arg(i) + logText(m_arguments.at(i)) + crlf();
    logMilestone(message);
}

void TFrmPrincipal::mostrarErrorGeneral()
{
    m_ui.messageBoxes().show(MessageBoxes::Icon::Error, QStringLiteral("Error"),
                             QStringLiteral("Se produjo un error en la impresión"));
}

void TFrmPrincipal::mostrarErrorPorDefecto(const ZelvoraError &error)
{
    m_ui.messageBoxes().show(MessageBoxes::Icon::Error, QStringLiteral("Ticketera"), error.message());
}

void TFrmPrincipal::imprimirTicket()
{
    if (configPrinter.impresionSoloTexto) {
        TextOnlyRoute([this] { return impresoraSeleccionada(); },
                      [this]() -> platform::PrintSpooler & { return spooler(); })
            .imprimir(ticket);
    } else if (configPrinter.imprimirPuerto) {
        if (!m_portRoute)
            m_portRoute.emplace(IniFile(DirApp + kSettingsFile).readSection(u"PORTS"));
        m_portRoute->imprimir(configPrinter.puerto, ticket);
    } else {
        ReportRoute *route = m_ui.reportRoute();
        if (!route)
            throw PrinterError(QStringLiteral("Esta instalación no incluye la impresión con plantilla"));
        route->imprimir(*this);
    }
}

TFrmPrincipal::Outcome TFrmPrincipal::FormCreate()
{
    logMilestone(QStringLiteral("NUEVA OPERACION: "));
    platform::ensureWorkDirectory();
    header = PrintHeader();
    altoReportTitle = 0;
    logoClienteVisible = true;
    logoPrvVisible = true;

    switch (comprobarConfiguracion()) {
    case Check::Usable:
        break;
    case Check::Unusable:
        return Outcome::Ended;
    case Check::SettingsNotWritable:
        return Outcome::ShowMainWindow;
    }

    if (m_arguments.size() < 2) {
        logMilestone(QStringLiteral("ERROR: no llegaron los parametros para impresion a la aplicacion ") + crlf());
        return Outcome::Ended;
    }
    logParametros();

    const QString encoded = PrintUrl::withoutScheme(m_arguments.at(1));
    logGeneral(QStringLiteral("INICIO DE OPERACION UTF8Decode. Cadena: ") + logText(encoded));
    QString printString;
    try {
        printString = UrlEncodedText::decode(encoded);
    } catch (const UrlDecodeError &e) {
        mostrarErrorPorDefecto(e);
        return Outcome::ShowMainWindow;
    }
    logGeneral(QStringLiteral("Cadena de impresion: ") + logText(printString));

    const qsizetype amp = printString.indexOf(u'&');
    const QString operation = amp < 0 ? QString() : printString.left(amp);
    if (printString == u"LIB&0" || operation != u"LIB") {
        logMilestone(QStringLiteral("ERROR: Cadena de impresion NO valida. ") + logText(printString));
        return Outcome::Ended;
    }
    logMilestone(QStringLiteral("TIPO DE OPERACION: impresion de ticket"));

    PrintStringReader reader(printString);
    try {
        header = reader.readHeader();
    } catch (const ConversionError &e) {
        logMilestone(QStringLiteral("ERROR EXCEPTION - Se produjo un error en la impresión - Los parametros de lineas de "
                                    "ticket y codigos de barras parecen no coincidir. Mensaje error: ") +
                     logText(e.message()));
        mostrarErrorGeneral();
        return Outcome::Ended;
    }

    FailureDescription failure;
    try {
        // The port is free for the next job as soon as this one's tickets are out, before any box.
        const auto releasePort = qScopeGuard([this] { m_portRoute.reset(); });
        while (reader.hasMoreTickets()) {
            ticket = TicketLines();
            altoReportTitle = 0;
            logoClienteVisible = true;
            logoPrvVisible = true;
            reader.readTicket(ticket);
            imprimirTicket();
            ticket = TicketLines();
            reader.logRemaining();
            reader.logDetail(QStringLiteral("countLineasBefore: %1 LinesAfterBarcode: %2")
                                 .arg(reader.countLineasBefore())
                                 .arg(header.LinesBeforeBarcode));
            reader.logDetail(QStringLiteral("countLineasAfter: %1 LinesAfterBarcode: %2")
                                 .arg(reader.countLineasAfter())
                                 .arg(header.LinesAfterBarcode));
        }
        return Outcome::Ended;
    } catch (const std::exception &e) {
        failure = describeFailure(e);
    }
    mostrarErrorGeneral();
    logMilestone(QStringLiteral("ERROR EXCEPTION- Clase de error: ") + failure.className +
                 QStringLiteral(" Mensaje del error: ") + logText(failure.message));
    return Outcome::Ended;
}
