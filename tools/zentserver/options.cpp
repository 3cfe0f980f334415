#include "options.h"

#include "text_util.h"

namespace zentserver {

const char kUsage[] =
    "Usage: zentserver [options]\n"
    "A reference print server for tests and demonstrations: it answers the\n"
    "client's requests from a configuration file and stores every delivered\n"
    "job in a spool directory.\n"
    "\n"
    "Options:\n"
    "  --host HOST     address to listen on (default 127.0.0.1)\n"
    "  --port N        port to listen on (default 20202); 0 picks a free port\n"
    "  --config FILE   JSON configuration: printers, sessions, authentication,\n"
    "                  job statuses, error codes, per-command transport types,\n"
    "                  delays and silence, limits (see tools/zentserver/README.md);\n"
    "                  without it the server knows no printers\n"
    "  --spool DIR     where delivered jobs are stored, one directory per job\n"
    "                  (default: the configuration's \"spool\", else ./spool)\n"
    "  --log FILE      append one line per request to FILE (default: stderr)\n"
    "  --help          show this text\n"
    "\n"
    "Once listening, the first line on standard output is\n"
    "\"listening on HOST:PORT\" with the port actually bound. SIGINT or SIGTERM\n"
    "stops the server once the requests it is handling are answered.\n"
    "Exit status: 0 after a stop, 1 when it cannot listen or store jobs,\n"
    "2 for a bad command line or configuration.\n";

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        std::string* target = nullptr;
        if (a == "--host") target = &o.host;
        else if (a == "--config") target = &o.config;
        else if (a == "--spool") target = &o.spool;
        else if (a == "--log") target = &o.log;
        else if (a != "--port") {
            error = "unknown option \"" + a + "\"";
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (target) {
            *target = value;
            continue;
        }
        const long long port = parseNumber(value, -1);
        if (port < 0 || port > 65535) {
            error = "--port: \"" + value + "\" is not a port number (0 to 65535)";
            return std::nullopt;
        }
        o.port = int(port);
    }
    if (o.host.empty()) {
        error = "--host needs a value";
        return std::nullopt;
    }
    return o;
}

}  // namespace zentserver
