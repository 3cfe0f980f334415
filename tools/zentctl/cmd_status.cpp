// zentctl status PRINTER@SERVER[:PORT] JOBID: asks the print server what has
// become of a job sent earlier, as the status window does.
#include "commands.h"

#include <zentcore/jobstatus.h>
#include <zentcore/printeraddress.h>
#include <zcodec/utilities.h>

#include <iostream>

namespace zentctl {

int cmdStatus(const Args& args) {
    if (args.size() != 2) return usageError("'status' needs PRINTER@SERVER[:PORT] and JOBID");
    const auto address = zentcore::SplitPrinterAddress(encdec::Trim(args[0]), false);
    if (!address) {
        std::cerr << "zentctl: " << zentcore::kAddressSyntaxMessage << "\n";
        return 1;
    }
    const auto status = zentcore::QueryJobStatus(address->printer, address->server, zentcore::ParseJobId(args[1]), 0);
    switch (status.outcome) {
    case zentcore::JobStatus::Outcome::Known:
        std::cout << status.line << "\n";
        return 0;
    case zentcore::JobStatus::Outcome::ResultError:
        std::cerr << "zentctl: " << zentcore::kJobStatusResultError << "\n";
        return 1;
    case zentcore::JobStatus::Outcome::NoAnswer:
        break;
    }
    std::cerr << "zentctl: " << zentcore::kJobStatusNoAnswer << "\n";
    return 1;
}

}  // namespace zentctl
