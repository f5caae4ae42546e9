#pragma once

#include <memory>
#include <openssl/ssl.h>
#include <string>

// The server side of TLS with a self-signed certificate for `name` made on the spot. Offers
// TLS 1.2 and 1.3, or TLS 1.3 alone.
class TlsContext {
public:
    TlsContext(const std::string &name, bool tls13Only);

    SSL_CTX *get() const { return m_context.get(); }

private:
    struct ContextDeleter {
        void operator()(SSL_CTX *context) const { SSL_CTX_free(context); }
    };
    std::unique_ptr<SSL_CTX, ContextDeleter> m_context;
};
