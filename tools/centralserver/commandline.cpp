#include "commandline.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

const char kUsage[] = R"(Usage: central-server [OPTION]... [--route PATH [ANSWER OPTION]...]...
Serves the central server's pages over HTTP and HTTPS; prints "ready http=PORT https=PORT" when it
listens.
Built-in pages: /VANTO/Login.html (the sales application's login and sales page, with downloads
/VANTO/informe.pdf and /VANTO/informe.csv), /VANTO/mostradorVersion.htm, /VANTO/mostradorIp.htm,
/volumenhd/volumenhd.
  --bind ADDRESS           address to listen on (127.0.0.1)
  --http-port N            HTTP port (0: chosen by the system)
  --https-port N           HTTPS port (0: chosen by the system)
  --certificate-name NAME  name in the self-signed certificate (localhost)
  --tls13-only             offer TLS 1.3 alone
  --garbage-instead-of-tls answer every HTTPS connection with bytes that are no TLS
  --record FILE            append one JSON line per request received
  --apt-repository DIR     serve the files of DIR (the Updater's apt repository) at /VANTO/apt/
  --route PATH             answer PATH as the answer options after it say (200, empty body);
                           PATH without --route keeps its built-in answer, others get 404
Answer options:
  --scheme http|https      answer on that scheme only (the other keeps its answer)
  --status N               status code (200)
  --body TEXT, --body-file FILE
  --content-type TYPE      Content-Type, with or without charset ("text/html")
  --delay-ms N             wait before answering
  --never-answer           read the request and keep the connection open without answering
  --trickle-ms N           send the body one byte every N milliseconds
  --redirect URL           Location header ({http} and {https} stand for this server's base URLs);
                           give the status too, e.g. --status 302
  --hops N                 redirect to PATH?hop=1, ... PATH?hop=N (302) before answering
  --header "NAME: VALUE"   one more header line in the answer (repeatable)
Hostile answers, each in place of the above:
  --endless-body           a body that never ends
  --header-mib N           header lines of N MiB in all
  --reset-mid-body         announce 1 MiB of body and reset the connection halfway
)";

namespace {

int number(const std::string &option, const std::string &text)
{
    try {
        size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size() && value >= 0)
            return value;
    } catch (const std::exception &) {
    }
    throw std::invalid_argument(option + " needs a number, not \"" + text + "\"");
}

std::string fileContents(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::invalid_argument("cannot read " + path);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

} // namespace

ServerSettings parseCommandLine(int argc, char **argv)
{
    ServerSettings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::invalid_argument(option + " needs a value");
            return argv[++i];
        };
        const auto answer = [&]() -> AnswerSettings & {
            if (settings.routes.empty())
                throw std::invalid_argument(option + " comes before any --route");
            return settings.routes.back().second;
        };
        if (option == "--bind")
            settings.bindAddress = value();
        else if (option == "--http-port")
            settings.httpPort = number(option, value());
        else if (option == "--https-port")
            settings.httpsPort = number(option, value());
        else if (option == "--certificate-name")
            settings.certificateName = value();
        else if (option == "--tls13-only")
            settings.tls13Only = true;
        else if (option == "--garbage-instead-of-tls")
            settings.garbageInsteadOfTls = true;
        else if (option == "--record")
            settings.recordPath = value();
        else if (option == "--apt-repository")
            settings.aptRepository = value();
        else if (option == "--route")
            settings.routes.emplace_back(value(), AnswerSettings{});
        else if (option == "--scheme") {
            answer().scheme = value();
            if (answer().scheme != "http" && answer().scheme != "https")
                throw std::invalid_argument("--scheme takes http or https");
        } else if (option == "--status")
            answer().status = number(option, value());
        else if (option == "--body")
            answer().body = value();
        else if (option == "--body-file")
            answer().body = fileContents(value());
        else if (option == "--content-type")
            answer().contentType = value();
        else if (option == "--delay-ms")
            answer().delayMs = number(option, value());
        else if (option == "--never-answer")
            answer().neverAnswer = true;
        else if (option == "--trickle-ms")
            answer().trickleMs = number(option, value());
        else if (option == "--redirect")
            answer().redirect = value();
        else if (option == "--hops")
            answer().hops = number(option, value());
        else if (option == "--endless-body")
            answer().endlessBody = true;
        else if (option == "--header-mib")
            answer().headerMebibytes = number(option, value());
        else if (option == "--reset-mid-body")
            answer().resetMidBody = true;
        else if (option == "--header") {
            const std::string line = value();
            const size_t colon = line.find(':');
            if (colon == std::string::npos || colon == 0)
                throw std::invalid_argument("--header takes \"NAME: VALUE\"");
            const size_t start = line.find_first_not_of(' ', colon + 1);
            answer().headers.emplace_back(line.substr(0, colon), start == std::string::npos ? "" : line.substr(start));
        }
        else
            throw std::invalid_argument("unknown option " + option);
    }
    return settings;
}
