#include "loginform.h"

#include <openssl/evp.h>

namespace {

const std::string kUser = "usuario=";
const std::string kPassword = "&password=";
const std::string kVolume = "&volumenhd=";
const std::string kKiosk = "&zvkiosk=ZVKIOSK";
const std::string kSignature = "&firma=";
const std::string kVersion = "&version=";

} // namespace

std::optional<LoginForm> parseLoginForm(const std::string &body)
{
    if (body.compare(0, kUser.size(), kUser) != 0)
        return std::nullopt;
    LoginForm form;
    const size_t version = body.rfind(kVersion);
    if (version == std::string::npos)
        return std::nullopt;
    form.version = body.substr(version + kVersion.size());
    const size_t signature = body.rfind(kSignature, version);
    if (signature == std::string::npos || signature < kKiosk.size() ||
        body.compare(signature - kKiosk.size(), kKiosk.size(), kKiosk) != 0)
        return std::nullopt;
    form.firma = body.substr(signature + kSignature.size(), version - signature - kSignature.size());
    const size_t kiosk = signature - kKiosk.size();
    const size_t volume = body.rfind(kVolume, kiosk);
    if (volume == std::string::npos || volume < kUser.size())
        return std::nullopt;
    form.volumenhd = body.substr(volume + kVolume.size(), kiosk - volume - kVolume.size());
    const size_t password = body.find(kPassword, kUser.size());
    if (password == std::string::npos || password + kPassword.size() > volume)
        return std::nullopt;
    form.usuario = body.substr(kUser.size(), password - kUser.size());
    form.password = body.substr(password + kPassword.size(), volume - password - kPassword.size());
    return form;
}

std::string loginSignature(const std::string &usuario, const std::string &password)
{
    const std::string text = usuario + password + "KestIvoNR";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha1(), nullptr);
    static const char hex[] = "0123456789abcdef";
    std::string result;
    for (unsigned int i = 0; i < length; ++i) {
        result += hex[digest[i] >> 4];
        result += hex[digest[i] & 0xF];
    }
    return result;
}
