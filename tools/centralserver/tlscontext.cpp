#include "tlscontext.h"

#include <arpa/inet.h>
#include <memory>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace {

struct KeyDeleter {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter {
    void operator()(X509 *certificate) const { X509_free(certificate); }
};
struct ExtensionDeleter {
    void operator()(X509_EXTENSION *extension) const { X509_EXTENSION_free(extension); }
};

[[noreturn]] void fail(const char *what)
{
    char reason[256] = {};
    ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
    throw std::runtime_error(std::string(what) + ": " + reason);
}

bool isAddress(const std::string &name)
{
    unsigned char bytes[16];
    return inet_pton(AF_INET, name.c_str(), bytes) == 1 || inet_pton(AF_INET6, name.c_str(), bytes) == 1;
}

std::unique_ptr<X509, CertificateDeleter> selfSigned(EVP_PKEY *key, const std::string &name)
{
    std::unique_ptr<X509, CertificateDeleter> certificate(X509_new());
    if (!certificate)
        fail("X509_new");
    X509 *x = certificate.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), static_cast<long>(time(nullptr)));
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 30L * 24 * 3600);
    X509_NAME *subject = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>(name.c_str()), -1,
                               -1, 0);
    X509_set_issuer_name(x, subject);
    X509_set_pubkey(x, key);
    const std::string alternative = (isAddress(name) ? "IP:" : "DNS:") + name;
    std::unique_ptr<X509_EXTENSION, ExtensionDeleter> extension(
        X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, alternative.c_str()));
    if (!extension || X509_add_ext(x, extension.get(), -1) != 1)
        fail("subjectAltName");
    if (X509_sign(x, key, EVP_sha256()) == 0)
        fail("X509_sign");
    return certificate;
}

} // namespace

TlsContext::TlsContext(const std::string &name, bool tls13Only)
{
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
    if (!key)
        fail("EVP_EC_gen");
    const auto certificate = selfSigned(key.get(), name);
    m_context.reset(SSL_CTX_new(TLS_server_method()));
    if (!m_context)
        fail("SSL_CTX_new");
    SSL_CTX_set_min_proto_version(get(), tls13Only ? TLS1_3_VERSION : TLS1_2_VERSION);
    if (SSL_CTX_use_certificate(get(), certificate.get()) != 1 || SSL_CTX_use_PrivateKey(get(), key.get()) != 1)
        fail("certificate");
}
