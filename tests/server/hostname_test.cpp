// Run through privatenetwork.sh with the names below: they lead to 127.0.0.1, and the test and
// its central server have a network of their own, so the server can take ports 80 and 443.

#include "centralserver.h"
#include "httpclient.h"
#include "httperror.h"

#include <gtest/gtest.h>

namespace {

TEST(HostNames, NamedHostsOnTheDefaultPorts)
{
    if (qEnvironmentVariableIsEmpty("ZELVORA_TEST_HOSTS"))
        GTEST_SKIP() << "runs only through privatenetwork.sh";
    CentralServer server({"--http-port", "80", "--https-port", "443"});
    const struct {
        const char *url;
        const char *host; // as the server received it; null when the name does not resolve
    } cases[] = {
        {"http://www.centralserver.test/VANTO/Login.html", "www.centralserver.test"},
        {"https://centralserver.test/VANTO/Login.html", "centralserver.test"},
        {"http://www.otroservidor.test/VANTO/Login.html", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        const qsizetype before = server.requests().size();
        HttpClient client(HttpClient::Kind::MainWindow);
        try {
            client.post(QString::fromLatin1(c.url), {QString()});
            EXPECT_TRUE(c.host);
        } catch (const HttpError &failure) {
            EXPECT_FALSE(c.host) << failure.message().toStdString();
        }
        if (c.host)
            EXPECT_EQ(server.requests().value(before).header("Host"), c.host);
        else
            EXPECT_EQ(server.requests().size(), before);
    }
}

} // namespace
