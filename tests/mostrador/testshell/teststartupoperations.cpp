#include "teststartupoperations.h"

#include "mainframe.h"
#include "mostradorstate.h"

#include <QWebEngineHttpRequest>

bool TestStartupOperations::consultarDatosUsuario(MostradorState &state)
{
    state.Usuario = QStringLiteral("prueba");
    return true;
}

bool TestStartupOperations::guardarInformacionUsuario(int, MostradorState &)
{
    return false;
}

void TestStartupOperations::conectarAplicacionWeb(int, MostradorState &, MainFrame &frame)
{
    const QByteArray url = qgetenv("MOSTRADOR_TEST_URL");
    if (!url.isEmpty())
        frame.loadRequest(QWebEngineHttpRequest(QUrl(QString::fromUtf8(url))));
}
