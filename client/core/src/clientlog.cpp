#include <zentcore/clientlog.h>

#include <zcodec/utilities.h>

namespace zentcore {

void ClientLog(const std::string& text) {
    std::string file = encdec::ClientThreadLogFile();
    const auto slash = file.find_last_of('/');
    file = (slash == std::string::npos ? std::string() : file.substr(0, slash + 1)) + "zentclient.log";
    encdec::dlog(file, text);
}

}  // namespace zentcore
