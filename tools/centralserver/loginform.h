#pragma once

#include <optional>
#include <string>

// The fields of the kiosk's login POST. The kiosk inserts its values unencoded, so they are kept
// as the bytes that arrived (the kiosk's code page), never form-decoded.
struct LoginForm {
    std::string usuario;
    std::string password;
    std::string volumenhd;
    std::string firma;
    std::string version;
};

// Reads "usuario=U&password=P&volumenhd=D&zvkiosk=ZVKIOSK&firma=F&version=V". The fixed names
// are found from the end, so a password may hold "&" and "=" (a user name may not hold
// "&password="). Empty when the body has another shape.
std::optional<LoginForm> parseLoginForm(const std::string &body);

// The signature the kiosk must send: SHA-1 of user name, password and "KestIvoNR", as 40
// lower-case hexadecimal digits.
std::string loginSignature(const std::string &usuario, const std::string &password);
