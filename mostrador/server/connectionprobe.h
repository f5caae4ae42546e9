#pragma once

#include "mostradorlogswitches.h"

#include <QString>

class HttpClient;

// Tries the server's address forms (IP address, domain with "www.", domain without) on the
// main window's client and returns the kind of the first one that answers, 0 when none does.
int consultarTipoConexion(HttpClient &IdHTTP1, const QString &dirApp, MostradorLogSwitches logSwitches);
