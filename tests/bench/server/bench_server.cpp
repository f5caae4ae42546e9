// Prints the time of one form POST round trip to the local central server, over HTTP and over
// HTTPS, with a fresh private client per request (so the TLS handshake counts), beside the curl
// command doing the same POST. curl's own figure (-w '%{time_total}') is used, so its process
// start-up is not counted. Then how long the client takes to give up a silent and a trickling
// server. Optional argument: the number of round trips per figure (default 50).
#include "benchfigure.h"
#include "centralserver.h"
#include "droppingport.h"
#include "httpclient.h"
#include "httperror.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QStringList kForm{QStringLiteral("usuario=caja 1"), QStringLiteral("volumenhd=1A2B3C4D")};
const char kBody[] = "usuario=caja+1&volumenhd=1A2B3C4D";
const char kAccept[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
const char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds of one round trip with a client made for it, as the version check makes it.
double clientRoundTrip(const QString &url)
{
    QElapsedTimer clock;
    clock.start();
    HttpClient client(HttpClient::Kind::Private, 7000, true);
    client.post(url, kForm);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Milliseconds of `count` round trips as curl measures them, in one curl process or one process
// each; empty when curl failed.
std::vector<double> curlRoundTrips(const QString &url, int count, bool oneProcess)
{
    QByteArray command = "curl -s -k --tlsv1.2 --tls-max 1.2 --no-sessionid -H 'Connection: close' -w '%{time_total}\\n' -H '"
        + QByteArray(kAccept) + "' -A '" + kUserAgent + "' --data-binary '" + kBody + "'";
    for (int i = 0; i < (oneProcess ? count : 1); ++i)
        command += " -o /dev/null '" + url.toLatin1() + "'";
    std::vector<double> result;
    for (int run = 0; run < (oneProcess ? 1 : count); ++run) {
        FILE *pipe = popen(command.constData(), "r");
        if (!pipe)
            return {};
        char line[64];
        while (std::fgets(line, sizeof line, pipe))
            result.push_back(std::atof(line) * 1000);
        if (pclose(pipe) != 0)
            return {};
    }
    return result;
}

// Milliseconds until the client gives up, and what it said.
double givingUp(HttpClient &client, const QString &url, QString &message)
{
    QElapsedTimer clock;
    clock.start();
    try {
        client.post(url, {QString()});
        message = QStringLiteral("(it answered)");
    } catch (const HttpError &failure) {
        message = failure.message();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    CentralServer server({"--route", "/silent", "--never-answer", "--route", "/trickle", "--trickle-ms", "500",
                          "--body", "0123456789abcdef"});
    std::printf("form POST round trip to the local central server, median of %d, in ms (curl: its own\n"
                "time_total, without its process start-up)\n",
                runs);
    std::printf("%-6s %8s %12s %8s %12s %8s\n", "", "client", "curl, each", "ratio", "curl, one", "ratio");
    for (const QString &base : {server.httpUrl(), server.httpsUrl()}) {
        const QString url = base + QStringLiteral("/VANTO/mostradorVersion.htm");
        std::vector<double> client;
        for (int i = 0; i < runs; ++i)
            client.push_back(clientRoundTrip(url));
        const std::vector<double> each = curlRoundTrips(url, runs, false);
        const std::vector<double> one = curlRoundTrips(url, runs, true);
        if (each.empty() || one.empty()) {
            std::fprintf(stderr, "curl failed on %s\n", qPrintable(url));
            return 1;
        }
        const double ours = median(client);
        std::printf("%-6s %8.2f %12.2f %7.2fx %12.2f %7.2fx\n", base.startsWith(QLatin1String("https")) ? "HTTPS" : "HTTP",
                    ours, median(each), ours / median(each), median(one), ours / median(one));
        benchFigure(base.startsWith(QLatin1String("https")) ? "form POST over HTTPS, ratio to curl"
                                                            : "form POST over HTTP, ratio to curl",
                    ours / median(each), "x", "<=", 1.2);
    }

    QString message;
    HttpClient silent(HttpClient::Kind::Private, 5000);
    double ms = givingUp(silent, server.httpUrl() + QStringLiteral("/silent"), message);
    std::printf("server that never answers, read time-out 5000 ms: given up after %.0f ms (%s)\n", ms,
                qPrintable(message));
    HttpClient trickled(HttpClient::Kind::Private, 5000);
    trickled.setAnswerTimeLimit(3000);
    ms = givingUp(trickled, server.httpUrl() + QStringLiteral("/trickle"), message);
    std::printf("server sending a byte every 500 ms, answer time limit 3000 ms: given up after %.0f ms (%s)\n", ms,
                qPrintable(message));
    const DroppingPort dropping;
    HttpClient unreachable(HttpClient::Kind::Private, 5000);
    ms = givingUp(unreachable, QStringLiteral("http://127.0.0.1:%1/").arg(dropping.port()), message);
    std::printf("port that drops connection attempts: given up after %.0f ms (%s)\n", ms, qPrintable(message));
    return 0;
}
