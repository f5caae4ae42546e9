// central-server: the local stand-in for the central server, for the demo and the tests.

#include "commandline.h"
#include "configuredanswer.h"
#include "directoryfiles.h"
#include "endlessbody.h"
#include "filedownload.h"
#include "hugeheaders.h"
#include "recordingserver.h"
#include "requestlog.h"
#include "resetmidbody.h"
#include "routingtable.h"
#include "salesdocuments.h"
#include "salesloginpage.h"
#include "tlscontext.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <thread>

namespace {

// Beside the version page, where the Updater looks for it.
const std::string kAptRepository = "/VANTO/apt/";

// What each page answers unless the command line says otherwise.
RoutingTable builtInRoutes()
{
    const auto page = [](std::string body) {
        AnswerSettings settings;
        settings.body = std::move(body);
        return std::make_shared<ConfiguredAnswer>(settings);
    };
    RoutingTable routes;
    routes.add("/VANTO/mostradorVersion.htm", page(ZELVORA_VERSION_MAJOR_MINOR));
    // The sales application's pages, as the kiosk's browser sees them once logged in.
    routes.add("/VANTO/Login.html", std::make_shared<SalesLoginPage>());
    routes.add("/VANTO/informe.pdf",
               std::make_shared<FileDownload>(salesdocuments::reportPdf(), "application/pdf", "informe-ventas.pdf"));
    routes.add("/VANTO/informe.csv", std::make_shared<FileDownload>(salesdocuments::reportCsv(),
                                                                    "text/csv; charset=windows-1252",
                                                                    "informe-ventas.csv"));
    routes.add("/VANTO/mostradorIp.htm", page(""));
    // UTF-8 without a declared charset, as the kiosk's decoding of this answer expects.
    routes.add("/volumenhd/volumenhd", page("Activaci\xC3\xB3n realizada correctamente."));
    return routes;
}

std::shared_ptr<const Route> routeFor(const AnswerSettings &answer)
{
    if (answer.endlessBody)
        return std::make_shared<EndlessBody>();
    if (answer.headerMebibytes > 0)
        return std::make_shared<HugeHeaders>(answer.headerMebibytes);
    if (answer.resetMidBody)
        return std::make_shared<ResetMidBody>();
    return std::make_shared<ConfiguredAnswer>(answer);
}

int bindPort(RecordingServer &server, const std::string &address, int port)
{
    if (port == 0)
        return server.bind_to_any_port(address);
    return server.bind_to_port(address, port) ? port : -1;
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    ServerSettings settings;
    try {
        settings = parseCommandLine(argc, argv);
    } catch (const std::invalid_argument &error) {
        std::cerr << "central-server: " << error.what() << '\n' << kUsage;
        return 2;
    }
    try {
        RoutingTable routes = builtInRoutes();
        for (const auto &[path, answer] : settings.routes)
            routes.add(path, routeFor(answer), answer.scheme);
        if (!settings.aptRepository.empty())
            routes.addPrefix(kAptRepository, std::make_shared<DirectoryFiles>(kAptRepository, settings.aptRepository));
        RequestLog log(settings.recordPath);
        const TlsContext tls(settings.certificateName, settings.tls13Only);
        RecordingServer http(routes, log, nullptr);
        RecordingServer https(routes, log, &tls);
        https.setGarbageInsteadOfTls(settings.garbageInsteadOfTls);
        const int httpPort = bindPort(http, settings.bindAddress, settings.httpPort);
        const int httpsPort = bindPort(https, settings.bindAddress, settings.httpsPort);
        if (httpPort <= 0 || httpsPort <= 0)
            throw std::runtime_error("cannot listen on " + settings.bindAddress);
        const std::string httpBase = "http://" + settings.bindAddress + ':' + std::to_string(httpPort);
        const std::string httpsBase = "https://" + settings.bindAddress + ':' + std::to_string(httpsPort);
        http.setBaseUrls(httpBase, httpsBase);
        https.setBaseUrls(httpBase, httpsBase);

        std::thread plain([&http] { http.listen_after_bind(); });
        std::printf("ready http=%d https=%d\n", httpPort, httpsPort);
        std::fflush(stdout);
        https.listen_after_bind();
        plain.join();
    } catch (const std::exception &error) {
        std::cerr << "central-server: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
