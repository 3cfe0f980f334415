// zentctl pack|unpack --type N IN OUT: runs the encrypt-compress pipeline on
// files, as the client does for its jobs and payloads.
#include "commands.h"

#include <zcodec/pipeline.h>

#include <iostream>
#include <memory>
#include <optional>

namespace zentctl {

namespace {

struct PackArgs {
    encdec::TransportType type;
    std::string in, out;
};

std::optional<PackArgs> parse(const std::string& verb, const Args& args, int& status) {
    std::optional<int> type;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--type") {
            if (++i == args.size()) {
                status = usageError("'" + verb + "': --type needs a number from 0 to 5");
                return std::nullopt;
            }
            const std::string& t = args[i];
            if (t.size() != 1 || t[0] < '0' || t[0] > '5') {
                status = usageError("'" + verb + "': transport type '" + t + "' is not a number from 0 to 5");
                return std::nullopt;
            }
            type = t[0] - '0';
        } else {
            files.push_back(args[i]);
        }
    }
    if (!type || files.size() != 2 || files[0].empty() || files[1].empty()) {
        status = usageError("'" + verb + "' needs --type N, an input file and an output file");
        return std::nullopt;
    }
    return PackArgs{encdec::TransportType(*type), files[0], files[1]};
}

int report(const std::string& verb, const PackArgs& a, const encdec::BaseThread& worker) {
    if (!worker.IsSuccessful()) {
        std::cerr << "zentctl: cannot " << verb << " " << a.in << " into " << a.out << ": " << worker.GetErrorText()
                  << "\n";
        return 1;
    }
    std::cout << a.out << ": " << worker.GetOutputSize() << " bytes\n";
    return 0;
}

template <class Worker>
int runPipeline(const std::string& verb, const Args& args) {
    int status = 0;
    const auto a = parse(verb, args, status);
    if (!a) return status;
    Worker worker(false, a->type, a->in, a->out);
    worker.WaitFor();
    return report(verb, *a, worker);
}

}  // namespace

int cmdPack(const Args& args) { return runPipeline<encdec::EncCmpThread>("pack", args); }
int cmdUnpack(const Args& args) { return runPipeline<encdec::DecUncmpThread>("unpack", args); }

}  // namespace zentctl
