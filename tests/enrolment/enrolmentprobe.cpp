// Enrols the terminal with the settings in the installation directory argv[1] and the registry
// hive argv[2], through a window that accepts user "u", password "p" and the port COM1, with both
// log switches on; for tests that run it as another user. Prints "enrolled" or "refused", then
// each message box as its icon's number and its text; exit code 3 and the error's text when the
// enrolment raised.
#include "httpclient.h"
#include "mostradorstate.h"
#include "recordingmessageboxes.h"
#include "scriptedworld.h"
#include "startupcontext.h"
#include "terminalenrolment.h"
#include "zelvoraerror.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    ScriptedConfigurationWindow window;
    window.entries.accepted = true;
    window.entries.usuario = QStringLiteral("u");
    window.entries.contrasenya = QStringLiteral("p");
    window.entries.imprimirPuerto = true;
    window.entries.puerto = QStringLiteral("COM1");
    RecordingMessageBoxes boxes;
    HttpClient client(HttpClient::Kind::MainWindow);
    const StartupContext context{QString::fromLocal8Bit(argv[1]), {true, true}, boxes, nullptr, client};
    MostradorState state;
    int exitCode = 0;
    try {
        const bool enrolled =
            TerminalEnrolment(context, window, QString::fromLocal8Bit(argv[2])).guardarInformacionUsuario(2, state);
        std::printf(enrolled ? "enrolled\n" : "refused\n");
    } catch (const ZelvoraError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        exitCode = 3;
    }
    for (const RecordingMessageBoxes::Box &box : boxes.boxes)
        std::printf("%d %s\n", static_cast<int>(box.icon), box.text.toUtf8().constData());
    return exitCode;
}
