// zentserver: the reference print server (see options.cpp for its usage).
#include <malloc.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "config.h"
#include "dispatcher.h"
#include "options.h"
#include "request_log.h"
#include "spool.h"
#include "tcp_server.h"

namespace {

std::atomic<bool> stopRequested{false};

void onStopSignal(int) { stopRequested.store(true); }

}  // namespace

int main(int argc, char** argv) {
    using namespace zentserver;
    // Jobs are deciphered and written a piece at a time through buffers that
    // are freed and made again for every piece. By default the allocator
    // hands the freed memory back to the system at once, and every page of
    // the next piece then faults in afresh, which costs more than the work on
    // it; keep freed memory for reuse instead. Payloads too large to reuse
    // still come from (and go back to) the system whole.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    std::string error;
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "zentserver: " << error << "\n\n" << kUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kUsage;
        return 0;
    }

    ServerConfig config;
    try {
        if (!options->config.empty()) config = loadConfig(options->config);
    } catch (const ConfigError& e) {
        std::cerr << "zentserver: " << options->config << ": " << e.what() << "\n";
        return 2;
    }

    try {
        RequestLog log(options->log);
        Spool spool(!options->spool.empty() ? options->spool : !config.spool.empty() ? config.spool : "spool");
        ServerState state(config.firstSession);
        Dispatcher dispatcher(config, state, &spool);
        TcpServer server(dispatcher, log);
        const std::string address = server.listen(options->host, options->port);

        std::signal(SIGPIPE, SIG_IGN);
        std::signal(SIGINT, onStopSignal);
        std::signal(SIGTERM, onStopSignal);
        std::printf("listening on %s\n", address.c_str());
        std::fflush(stdout);
        log.note("listening on " + address + ", " + std::to_string(config.printers.size()) +
                 " printers, spool " + spool.directory());
        for (const auto& path : spool.swept()) log.note("removed " + path + ", a job an earlier run did not finish");
        server.run(stopRequested);
        log.note("stopped");
    } catch (const std::exception& e) {
        std::cerr << "zentserver: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
