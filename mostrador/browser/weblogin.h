#pragma once

#include "mostradorlogswitches.h"

#include <QByteArray>
#include <QString>

class MainFrame;
struct MostradorState;

// One element of the login body: the text in the code page, byte for byte, nothing escaped.
QByteArray crearElementoPost(const QString &text);

// Loads the web sales application's login into the browser's main frame: a POST to the login
// URL of the stored address (or the address book's default) for connection kind `tipoConexion`,
// with the credentials and the signature (autologin not 0) or with an empty body (autologin 0).
// Sets `state.firma`; returns without waiting for the page.
void conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame, MostradorLogSwitches logSwitches);
