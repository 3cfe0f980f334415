// A product's registry settings and data file.
#include <zcodec/utilities.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <fstream>

namespace encdec {

namespace {

std::string dataFileOf(const std::string& product) {
    std::string file = ReadRegistryDataFile(product);
    if (!file.empty()) return file;
    file = platform::executablePath();
    std::size_t slash = file.find_last_of('/');
    std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
    return file + ".dat";
}

// Calls visit(line) for every line of the data file, without its line end
// (LF or CR LF); a file that cannot be read gives no lines.
template <typename Visit>
void forEachLine(const std::string& product, Visit visit) {
    std::ifstream in(dataFileOf(product), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        visit(line);
    }
}

}  // namespace

std::string ReadRegistryDataFile(const std::string& product) {
    auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, "Software\\ORLO Vestra\\" + product);
    return key ? key->readString("Datafile") : std::string();
}

void ReadDSNData(const std::string& product, std::string& connection) {
    static constexpr std::string_view kKey = "ADOConnection=";
    connection.clear();
    forEachLine(product, [&](const std::string& line) {
        if (line.size() > kKey.size() && line.compare(0, kKey.size(), kKey) == 0)
            connection = Trim(std::string_view(line).substr(kKey.size()));
    });
}

void ReadDSNData(const std::string& product, std::string& dataSource, std::string& user, std::string& password,
                 std::string& provider, std::string& database) {
    const std::pair<std::string_view, std::string*> outputs[] = {
        {"DSN=", &dataSource}, {"User=", &user}, {"Passwd=", &password},
        {"Provider=", &provider}, {"Database=", &database},
    };
    forEachLine(product, [&](const std::string& line) {
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals + 1 == line.size()) return;
        std::string_view key = std::string_view(line).substr(0, equals + 1);
        for (const auto& [name, output] : outputs)
            if (key == name) *output = Trim(std::string_view(line).substr(equals + 1));
    });
}

}  // namespace encdec
