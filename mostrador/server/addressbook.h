#pragma once

#include <QString>

// The server address book: pure functions from the build's country index, the address set
// and the connection kind (0 domain without "www.", 1 with "www.", 2 IP address) to URLs.
// A row that does not exist gives an empty text.
namespace addressbook {

// The build's constants: one build serves one country.
inline constexpr int kIndice = 2;
inline constexpr int kConjunto = 1;
inline constexpr int kIndiceLocal = 999;

QString urlVolumenHD(const QString &scheme, int kind, const QString &address);
QString urlLoginRest(const QString &scheme, int kind, const QString &address);
QString urlLoginWeb(const QString &scheme, int kind, const QString &address);
QString urlServidor(const QString &scheme, int kind, const QString &address);

// URLs for a stored server address.
QString urlAltaDesdeIp(int index, const QString &scheme, int kind, const QString &address);
QString urlLoginDesdeIp(int index, const QString &scheme, int kind, const QString &address);

// The built-in defaults.
QString ipPorDefecto(int index, int set);
QString urlAltaPorDefecto(int index, int set, int kind);
QString urlLoginPorDefecto(int index, int set, int kind);

QString nombreTipoConexion(int kind);

// The Updater's apt repository on a server address (the one the version check asks), beside the
// version page: "http://" + address + "/VANTO/apt/".
QString urlRepositorio(const QString &address);

} // namespace addressbook
