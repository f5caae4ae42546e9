#pragma once

#include "configsys.h"
#include "portroute.h"
#include "printtypes.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class TicketeraUi;
class ZelvoraError;
namespace platform {
class PrintSpooler;
}

// Ticketera's main form: one print job per start, run by FormCreate before the message loop.
// Its window ("Zelvora Mostrador Print") is only shown after a failure that stops the start-up.
class TFrmPrincipal {
public:
    using SpoolerLoader = std::function<std::unique_ptr<platform::PrintSpooler>(QString *error)>;

    enum class Outcome {
        Ended,          // the job is over: the program ends without showing its window
        ShowMainWindow, // the start-up stopped: the window is shown until the user closes it
    };

    // `arguments` as the program received them, its own path first.
    TFrmPrincipal(QString dirApp, QStringList arguments, TicketeraUi &ui, SpoolerLoader loadSpooler);
    ~TFrmPrincipal();
    TFrmPrincipal(const TFrmPrincipal &) = delete;
    TFrmPrincipal &operator=(const TFrmPrincipal &) = delete;

    Outcome FormCreate();

    // Run state, read by the printing routes and the report callbacks.
    QString DirApp;
    TConfigSys configPrinter;
    TicketLines ticket;
    PrintHeader header;
    bool logoClienteVisible = true;
    bool logoPrvVisible = true;
    long double altoReportTitle = 0;

    // The queue at position `configPrinter.indiceImpresora` of the system's printer list.
    // Raises ConversionError or PrinterError.
    QString impresoraSeleccionada();

private:
    enum class Check { Usable, Unusable, SettingsNotWritable };

    Check comprobarConfiguracion();
    bool comprobarIndiceImpresora();
    bool repararConfiguracion();
    void comprobarLogotipoCliente();
    void logParametros() const;
    void imprimirTicket();
    platform::PrintSpooler &spooler();
    void mostrarErrorGeneral();
    void mostrarErrorPorDefecto(const ZelvoraError &error);

    QStringList m_arguments;
    TicketeraUi &m_ui;
    SpoolerLoader m_loadSpooler;
    std::unique_ptr<platform::PrintSpooler> m_spooler;
    std::optional<QStringList> m_queues;
    std::optional<PortRoute> m_portRoute; // the port job's, held for the whole job
};
