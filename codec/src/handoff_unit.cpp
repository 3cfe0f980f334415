// Counted initialisation of the hand-off unit: its own copy of the printer
// data key names lives from the first Initialize to the matching last Finalize.
#include <zcodec/handoff.h>
#include <zcodec/printerdata.h>

#include <mutex>
#include <string>
#include <vector>

namespace encdec::Kevsupport {

namespace {

std::mutex unitMutex;
int unitCount = 0;
std::vector<std::string> keyNames;

}  // namespace

bool Initialize() {
    std::lock_guard lock(unitMutex);
    if (unitCount++ > 0) return false;
    keyNames.assign(PrinterDataKeys.begin(), PrinterDataKeys.end());
    return true;
}

bool Finalize() {
    std::lock_guard lock(unitMutex);
    // An unmatched Finalize does nothing rather than unbalancing later pairs.
    if (unitCount == 0 || --unitCount > 0) return false;
    std::vector<std::string>().swap(keyNames);
    return true;
}

}  // namespace encdec::Kevsupport
