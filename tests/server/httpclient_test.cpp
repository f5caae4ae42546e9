// The HTTP exchange against the local central server: what the server received, byte for byte,
// and what the client made of the answer.

#include "centralserver.h"
#include "droppingport.h"
#include "httpclient.h"
#include "httperror.h"
#include "peakmemory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

// libcurl's global set-up, as the client calls it (the linker routes the client's calls here).
// A library whose set-up is not thread-safe needs it made once, before any handle, even when two
// threads make their first clients at once; this one would forgive its absence.
namespace {
std::atomic<int> globalSetUps = 0;
std::atomic<int> handlesBeforeSetUp = 0;
} // namespace
extern "C" CURLcode __real_curl_global_init(long flags);
extern "C" CURL *__real_curl_easy_init();
extern "C" CURLcode __wrap_curl_global_init(long flags)
{
    const CURLcode result = __real_curl_global_init(flags);
    ++globalSetUps;
    return result;
}
extern "C" CURL *__wrap_curl_easy_init()
{
    if (globalSetUps == 0)
        ++handlesBeforeSetUp;
    return __real_curl_easy_init();
}

namespace {

using Kind = HttpClient::Kind;

const QStringList kEmptyForm{QString()};

struct Outcome {
    bool succeeded = false;
    QString text; // the answer, or the failure's message
};

Outcome post(HttpClient &client, const QString &url, const QStringList &form = kEmptyForm)
{
    try {
        return {true, client.post(url, form)};
    } catch (const HttpError &failure) {
        return {false, failure.message()};
    }
}

// The header lines sorted by name, one per line: order is the library's business, the set is ours.
std::string headerLines(const RecordedRequest &request)
{
    QByteArrayList lines;
    for (const auto &[name, value] : request.headers())
        lines << name + ": " + value;
    std::sort(lines.begin(), lines.end());
    return lines.join('\n').toStdString();
}

// "METHOD scheme target body" of every request the server received.
std::vector<std::string> seen(const CentralServer &server)
{
    std::vector<std::string> result;
    for (const RecordedRequest &request : server.requests())
        result.push_back((request.method() + ' ' + request.scheme.toLatin1() + ' ' + request.target() + ' ' + request.body)
                             .toStdString());
    return result;
}

TEST(HttpExchange, EachClientSendsItsHeadersAndNoOther)
{
    CentralServer server;
    const struct {
        Kind kind;
        bool tls;
        const char *accept;
    } cases[] = {
        {Kind::MainWindow, false, "text/html, */*"},
        {Kind::MainWindow, true, "text/html, */*"},
        {Kind::Private, false, "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
        {Kind::Private, true, "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.accept) + (c.tls ? " over TLS" : ""));
        HttpClient client(c.kind);
        const Outcome outcome = post(client, (c.tls ? server.httpsUrl() : server.httpUrl()) + "/VANTO/Login.html",
                                     {QStringLiteral("usuario=caja 1")});
        ASSERT_TRUE(outcome.succeeded) << outcome.text.toStdString();
        const RecordedRequest request = server.requests().last();
        EXPECT_EQ(request.scheme, c.tls ? "https" : "http");
        EXPECT_TRUE(request.head.startsWith("POST /VANTO/Login.html HTTP/1.1\r\n"));
        const int port = c.tls ? server.httpsPort() : server.httpPort();
        EXPECT_EQ(headerLines(request), "Accept: " + std::string(c.accept)
                                            + "\nContent-Length: 14\nContent-Type: application/x-www-form-urlencoded"
                                              "\nHost: 127.0.0.1:"
                                            + std::to_string(port)
                                            + "\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)");
    }
}

TEST(HttpExchange, FormsReachTheServerEncoded)
{
    CentralServer server;
    const struct {
        QStringList form;
        QByteArray body;
    } cases[] = {
        {{QString()}, ""},
        {{}, ""},
        {{QStringLiteral("usuario=caja 1"), QStringLiteral("volumenhd=1A2B3C4D")}, "usuario=caja+1&volumenhd=1A2B3C4D"},
        {{QStringLiteral("usuario=a&b=c+d%e f"), QStringLiteral("password=é€")},
         "usuario=a%26b%3Dc%2Bd%25e+f&password=%C3%A9%E2%82%AC"},
        {{QStringLiteral("sólo nombre"), QStringLiteral("=*-._~!")}, "s%C3%B3lo+nombre&=*-._%7E%21"},
        {{QString(), QStringLiteral("a=1"), QString(), QStringLiteral("b=2"), QString()}, "a=1&&b=2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.form.join(u'|').toStdString());
        HttpClient client(Kind::Private);
        ASSERT_TRUE(post(client, server.httpUrl() + "/VANTO/mostradorIp.htm", c.form).succeeded);
        const RecordedRequest request = server.requests().last();
        EXPECT_EQ(request.body.toStdString(), c.body.toStdString());
        EXPECT_EQ(request.header("Content-Length"), QByteArray::number(c.body.size()));
        EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
    }
}

// One row: a server with these options, one POST of the form "a=1" to `path` (or a full URL).
struct OutcomeCase {
    const char *name;
    QByteArrayList server;
    QString path;
    bool followRedirects;
    bool succeeds;
    QString text;                   // the whole answer, or a part of the failure's message
    std::vector<std::string> seen;  // what the server received
};

TEST(HttpExchange, AnswersRedirectsAndTls)
{
    const QByteArray utf8 = "\xC3\xA9";
    QTemporaryDir dir;
    QFile tooLong(dir.filePath(QStringLiteral("too-long")));
    ASSERT_TRUE(tooLong.open(QIODevice::WriteOnly));
    tooLong.write(QByteArray(16 * 1024 * 1024 + 1, 'x'));
    tooLong.close();
    const OutcomeCase cases[] = {
        {"404", {"--route", "/x", "--status", "404"}, "/x", true, false, "404 Not Found", {"POST http /x a=1"}},
        {"204", {"--route", "/x", "--status", "204", "--body", "no"}, "/x", false, true, "", {"POST http /x a=1"}},
        {"utf-8 declared", {"--route", "/x", "--body", utf8, "--content-type", "text/plain; charset=utf-8"}, "/x",
         false, true, "é", {"POST http /x a=1"}},
        {"utf-8 quoted", {"--route", "/x", "--body", utf8, "--content-type", "text/html;Charset=\"UTF-8\""}, "/x",
         false, true, "é", {"POST http /x a=1"}},
        {"iso-8859-1 declared", {"--route", "/x", "--body", "\xE9", "--content-type", "text/html; charset=iso-8859-1"},
         "/x", false, true, "é", {"POST http /x a=1"}},
        {"none declared", {"--route", "/x", "--body", utf8}, "/x", false, true, "Ã©", {"POST http /x a=1"}},
        {"longer than 16 MiB", {"--route", "/x", "--body-file", QFile::encodeName(tooLong.fileName())}, "/x", false,
         false, "longer than 16777216 bytes", {"POST http /x a=1"}},
        {"302 followed", {"--route", "/x", "--status", "302", "--redirect", "{http}/VANTO/mostradorVersion.htm"}, "/x",
         true, true, "1.0", {"POST http /x a=1", "GET http /VANTO/mostradorVersion.htm "}},
        {"302 refused", {"--route", "/x", "--status", "302", "--redirect", "{http}/VANTO/mostradorVersion.htm"}, "/x",
         false, false, "302", {"POST http /x a=1"}},
        {"301 as GET", {"--route", "/x", "--status", "301", "--redirect", "{http}/y", "--route", "/y"}, "/x", true,
         true, "", {"POST http /x a=1", "GET http /y "}},
        {"303 as GET", {"--route", "/x", "--status", "303", "--redirect", "{http}/y", "--route", "/y"}, "/x", true,
         true, "", {"POST http /x a=1", "GET http /y "}},
        {"307 keeps POST", {"--route", "/x", "--status", "307", "--redirect", "{http}/y", "--route", "/y"}, "/x", true,
         true, "", {"POST http /x a=1", "POST http /y a=1"}},
        {"308 keeps POST", {"--route", "/x", "--status", "308", "--redirect", "{http}/y", "--route", "/y"}, "/x", true,
         true, "", {"POST http /x a=1", "POST http /y a=1"}},
        {"http to https",
         {"--route", "/VANTO/Login.html", "--scheme", "http", "--status", "302", "--redirect",
          "{https}/VANTO/Login.html", "--route", "/VANTO/Login.html", "--scheme", "https", "--body", "ok"},
         "/VANTO/Login.html", true, true, "ok", {"POST http /VANTO/Login.html a=1", "GET https /VANTO/Login.html "}},
        {"no ftp", {"--route", "/x", "--status", "302", "--redirect", "ftp://127.0.0.1/y"}, "/x", true, false, "ftp",
         {"POST http /x a=1"}},
        {"self-signed certificate", {}, "https:/VANTO/mostradorVersion.htm", false, true, "1.0",
         {"POST https /VANTO/mostradorVersion.htm a=1"}},
        {"TLS 1.3 only", {"--tls13-only"}, "https:/VANTO/mostradorVersion.htm", false, false, "", {}},
        {"refused connection", {}, "http://127.0.0.1:1/", false, false, "", {}},
    };
    for (const OutcomeCase &c : cases) {
        SCOPED_TRACE(c.name);
        CentralServer server(c.server);
        QString url = c.path;
        if (url.startsWith(QLatin1String("https:/")))
            url = server.httpsUrl() + url.mid(6);
        else if (url.startsWith(u'/'))
            url = server.httpUrl() + url;
        HttpClient client(Kind::Private, 5000, c.followRedirects);
        const Outcome outcome = post(client, url, {QStringLiteral("a=1")});
        EXPECT_EQ(outcome.succeeded, c.succeeds) << outcome.text.toStdString();
        if (c.succeeds)
            EXPECT_EQ(outcome.text.toStdString(), c.text.toStdString());
        else
            EXPECT_TRUE(outcome.text.contains(c.text) && !outcome.text.isEmpty()) << outcome.text.toStdString();
        EXPECT_EQ(seen(server), c.seen);
    }
}

TEST(HttpExchange, FifteenRedirectsFollowedAndTheSixteenthRefused)
{
    for (const int hops : {15, 16}) {
        SCOPED_TRACE(hops);
        CentralServer server({"--route", "/hops", "--hops", QByteArray::number(hops), "--body", "fin"});
        HttpClient client(Kind::Private, 5000, true);
        const Outcome outcome = post(client, server.httpUrl() + "/hops");
        EXPECT_EQ(outcome.succeeded, hops == 15) << outcome.text.toStdString();
        EXPECT_EQ(outcome.text, hops == 15 ? "fin" : "Maximum (15) redirects followed");
        EXPECT_EQ(server.requests().size(), 16);
    }
}

TEST(HttpExchange, OneClientServesRequestAfterRequest)
{
    CentralServer server({"--route", "/moved", "--status", "302", "--redirect", "{https}/VANTO/Login.html", "--route",
                          "/missing", "--status", "404"});
    HttpClient client(Kind::MainWindow);
    client.setFollowRedirects(true);
    EXPECT_TRUE(post(client, server.httpUrl() + "/moved").succeeded);
    EXPECT_FALSE(post(client, server.httpUrl() + "/missing").succeeded);
    client.setFollowRedirects(false);
    EXPECT_FALSE(post(client, server.httpUrl() + "/moved").succeeded);
    EXPECT_TRUE(post(client, server.httpUrl() + "/VANTO/Login.html").succeeded);
    EXPECT_EQ(seen(server).size(), 5u);
}

// The time limits and hostile servers. Only an upper bound far above each limit is asserted, so
// that a client that hangs fails the test; how close to the limit it gives up is a figure of the
// benchmark. The memory a request takes stays far below what the server sends.
TEST(HttpExchange, SilentTricklingUnreachableAndHostileServersAreGivenUp)
{
    const struct {
        const char *name;
        QByteArrayList server; // options of the central server; none: a port that drops connections
        int readTimeoutMs;
        int answerTimeLimitMs;
        bool succeeds;
        const char *failure;
        bool tls = false;
        int requests = 1;
        DroppingPort::Behaviour port = DroppingPort::Behaviour::DropsAttempts; // without a server
    } cases[] = {
        {"never answers", {"--route", "/x", "--never-answer"}, 700, 60000, false, "Read timed out: no data for 700 ms"},
        {"trickles within the read time-out", {"--route", "/x", "--trickle-ms", "300", "--body", "1234567"}, 1000,
         60000, true, ""},
        {"trickles past the answer's time limit", {"--route", "/x", "--trickle-ms", "500", "--body", "0123456789abcdef"},
         1500, 2000, false, "longer than 2000 ms"},
        {"drops connection attempts", {}, 1000, 2000, false, "Failed to connect", false, 0},
        {"accepts and never answers the TLS handshake", {}, 1000, 60000, false, "Read timed out", true, 0,
         DroppingPort::Behaviour::Silent},
        {"endless body", {"--route", "/x", "--endless-body"}, 5000, 60000, false, "longer than 16777216 bytes"},
        {"redirect loop", {"--route", "/x", "--status", "302", "--redirect", "{http}/x"}, 5000, 60000, false,
         "Maximum (15) redirects followed", false, 16},
        {"redirects, each trickled within the limit", {"--route", "/x", "--status", "307", "--redirect", "{http}/x",
                                                       "--trickle-ms", "300", "--body", "12345"},
         1000, 2000, false, "longer than 2000 ms", false, 2},
        {"headers of 8 MiB", {"--route", "/x", "--header-mib", "8"}, 5000, 60000, false, "header"},
        {"reset halfway through the body", {"--route", "/x", "--reset-mid-body"}, 5000, 60000, false, "reset"},
        {"garbage instead of TLS", {"--garbage-instead-of-tls"}, 5000, 60000, false, "SSL", true, 0},
        {"certificate for another name", {"--certificate-name", "otro.example", "--route", "/x", "--body", "ok"},
         5000, 60000, true, "", true},
    };
    // Every client gives a connection attempt 21 s; here a loopback port takes less than 1.5 s.
    EXPECT_EQ(HttpClient(Kind::Private).connectTimeout(), 21000);
    constexpr int kConnectTimeoutMs = 1500;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<CentralServer> server;
        std::optional<DroppingPort> dropping;
        QString url;
        if (c.server.isEmpty()) {
            dropping.emplace(c.port);
            url = QStringLiteral("%1://127.0.0.1:%2/x").arg(c.tls ? "https" : "http").arg(dropping->port());
        } else {
            server.emplace(c.server);
            url = (c.tls ? server->httpsUrl() : server->httpUrl()) + "/x";
        }
        HttpClient client(Kind::Private, c.readTimeoutMs, true);
        client.setAnswerTimeLimit(c.answerTimeLimitMs);
        client.setConnectTimeout(kConnectTimeoutMs);
        QElapsedTimer clock;
        clock.start();
        Outcome outcome;
        const qint64 peakKb = peakGrowthKb([&] { outcome = post(client, url); });
        EXPECT_LT(clock.elapsed(), std::max({c.readTimeoutMs, c.answerTimeLimitMs, kConnectTimeoutMs}) + 10000);
        EXPECT_LT(peakKb, 48 * 1024);
        EXPECT_EQ(outcome.succeeded, c.succeeds) << outcome.text.toStdString();
        EXPECT_TRUE(outcome.text.contains(QLatin1String(c.failure), Qt::CaseInsensitive)) << outcome.text.toStdString();
        if (server) {
            EXPECT_EQ(server->requests().size(), c.requests);
        }
    }
}

// Each test runs in a process of its own, so these are the process's first TLS connections.
TEST(HttpExchange, TwoThreadsMakeTheirFirstTlsConnectionsAtOnce)
{
    CentralServer server;
    Outcome outcomes[2];
    std::atomic<int> ready = 0;
    const auto request = [&](int index) {
        ++ready;
        while (ready < 2) {
        }
        HttpClient client(Kind::Private, 7000, true);
        outcomes[index] = post(client, server.httpsUrl() + "/VANTO/mostradorIp.htm");
    };
    std::thread first(request, 0);
    std::thread second(request, 1);
    first.join();
    second.join();
    for (const Outcome &outcome : outcomes)
        EXPECT_TRUE(outcome.succeeded) << outcome.text.toStdString();
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_EQ(globalSetUps, 1);
    EXPECT_EQ(handlesBeforeSetUp, 0);
}

} // namespace
