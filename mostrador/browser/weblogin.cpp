#include "weblogin.h"

#include "addressbook.h"
#include "codepage.h"
#include "logindigest.h"
#include "mainframe.h"
#include "mostradorstate.h"
#include "processhelpers.h"
#include "storedserveraddress.h"

#include <QWebEngineHttpRequest>

QByteArray crearElementoPost(const QString &text)
{
    return CodePage::fromUnicode(text);
}

void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame, MostradorLogSwitches logSwitches)
{
    logSwitches.logGeneral(QStringLiteral("Inicio conexion con aplicacion Web."));
    state.firma = calcularHash(state.Usuario + state.Contrasenya + QStringLiteral("KestIvoNR"), 1);

    const QString stored = leerIpConfig(state.DirApp, kSettingsFile);
    QString url;
    if (!stored.isEmpty()) {
        url = addressbook::urlLoginDesdeIp(addressbook::kIndice, QStringLiteral("http://"), tipoConexion, stored);
        logSwitches.logGeneral(QStringLiteral("Se recoge la URL de conexion a la aplicacion web desde el fichero INI. URL: ") + url);
    } else {
        url = addressbook::urlLoginPorDefecto(addressbook::kIndice, addressbook::kConjunto, tipoConexion);
        logSwitches.logGeneral(QStringLiteral("Se recoge la URL de conexion a la aplicacion web por defecto. URL: ") + url);
    }

    // Qt WebEngine's request has no cache flags. It needs none: Chromium never answers a new POST
    // from its cache (it even sends it with "Cache-Control: max-age=0"), and the profile is off
    // the record, its cache in memory for one run. The login always reaches the server.
    QWebEngineHttpRequest request(QUrl(url), QWebEngineHttpRequest::Post);
    request.setHeader(QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/x-www-form-urlencoded"));

    if (state.configPrinter.autologin != 0) {
        logSwitches.logGeneral(QStringLiteral("Se prepara la conexion a la aplicacion Web: Zelvora VANTO"));
        const QString elements[] = {
            QStringLiteral("usuario=") + state.Usuario,
            QStringLiteral("&password=") + state.Contrasenya,
            QStringLiteral("&volumenhd=") + state.DD,
            QStringLiteral("&zvkiosk=ZVKIOSK"),
            QStringLiteral("&firma=") + state.firma,
            QStringLiteral("&version=") + versionEjecutable(),
        };
        QByteArray body;
        for (const QString &element : elements)
            body += crearElementoPost(element);
        logSwitches.logGeneral(QStringLiteral("Parametros de URL: ") + elements[0] + QStringLiteral("&password=") + kLogMask +
                               elements[2] + elements[3] + QStringLiteral("&firma=") + kLogMask + elements[5]);
        request.setPostData(body);
    } else {
        logSwitches.logGeneral(QStringLiteral("Se prepara la conexion a la aplicacion Web: Taquilla Ormeza"));
        logSwitches.logGeneral(QStringLiteral("Sin parametros para la URL."));
    }

    logSwitches.logGeneral(QStringLiteral("Comienzo de conexion de Chromium con: ") + request.url().toString());
    frame.loadRequest(request);
    logSwitches.logGeneral(QStringLiteral("Conexion de Chromium completada con: ") + request.url().toString());
}
