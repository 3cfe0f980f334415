// The printer installation's print system over CUPS's own requests.
#include <zentcore/printsystem.h>

#include "cups_ipp.h"

#include <zplatform/fd.h>
#include <zplatform/system.h>
#include <zplatform/text.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace zentcore {

namespace {

using detail::Ipp;
using detail::NewRequest;
using detail::Send;

// The installation's port names for the device URIs CUPS knows them by.
struct PortUri {
    const char* port;
    const char* uri;
};
constexpr PortUri kPorts[] = {
    {"ZENTRO1:", "zentro:/ZENTRO1"},
    {"LPT1:", "parallel:/dev/lp0"},
};

std::string uriOf(const std::string& port) {
    for (const auto& p : kPorts)
        if (platform::equalsNoCase(port, p.port)) return p.uri;
    return port;
}

std::string portOf(const std::string& uri) {
    for (const auto& p : kPorts)
        if (platform::equalsNoCase(uri, p.uri)) return p.port;
    return uri;
}

std::string backendDirectory() {
    const char* serverBin = std::getenv("CUPS_SERVERBIN");
    return platform::joinPath(serverBin && *serverBin ? serverBin : "/usr/lib/cups", "backend");
}

std::string textOf(ipp_t* ipp, const char* name, ipp_tag_t tag) {
    ipp_attribute_t* attribute = ippFindAttribute(ipp, name, tag);
    const char* text = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
    return text ? text : "";
}

// The value of a description file's "*NickName:" line, without its quotes.
std::string nickName(const std::string& descriptionFile) {
    std::ifstream in(descriptionFile);
    std::string line;
    while (std::getline(in, line)) {
        constexpr std::string_view key = "*NickName:";
        if (!line.starts_with(key)) continue;
        const auto open = line.find('"'), close = line.rfind('"');
        return open != std::string::npos && close > open ? line.substr(open + 1, close - open - 1) : "";
    }
    return {};
}

class CupsPrintSystem final : public PrintSystem {
public:
    bool reachable() override {
        http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 3000, nullptr);
        if (!http) return false;
        httpClose(http);
        return true;
    }

    std::optional<bool> hasPort(const std::string& port) override {
        const std::string uri = uriOf(port);
        const std::string scheme = uri.substr(0, uri.find(':'));
        Ipp request = NewRequest(IPP_OP_CUPS_GET_DEVICES);
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "include-schemes", nullptr, scheme.c_str());
        ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "timeout", 10);
        Ipp answer = Send(std::move(request), "/");
        if (!answer) return std::nullopt;
        for (ipp_attribute_t* a = ippFirstAttribute(answer.get()); a; a = ippNextAttribute(answer.get())) {
            const char* name = ippGetName(a);
            if (name && std::string_view(name) == "device-uri" &&
                platform::equalsNoCase(ippGetString(a, 0, nullptr), uri))
                return true;
        }
        return false;
    }

    // A driver is a printer description: it is there when its file is and
    // carries the driver's name.
    std::optional<bool> hasDriver(const std::string& driver, const std::string& descriptionFile) override {
        if (!platform::fileExists(descriptionFile)) return false;
        return platform::equalsNoCase(nickName(descriptionFile), driver);
    }

    // CUPS takes the description file with the printer: nothing to install.
    bool installDriver(const std::string&, const std::string&) override { return true; }
    bool deleteDriver(const std::string&) override { return true; }

    std::optional<std::vector<SpooledPrinter>> printers() override {
        Ipp request = NewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const wanted[] = {"printer-name", "printer-make-and-model", "device-uri"};
        ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
        Ipp answer = Send(std::move(request), "/");
        if (!answer) {
            // No printer at all is an answer too.
            if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return std::vector<SpooledPrinter>{};
            return std::nullopt;
        }
        std::vector<SpooledPrinter> found;
        SpooledPrinter current;
        auto flush = [&] {
            if (!current.name.empty()) found.push_back(current);
            current = {};
        };
        for (ipp_attribute_t* a = ippFirstAttribute(answer.get()); a; a = ippNextAttribute(answer.get())) {
            const char* name = ippGetName(a);
            if (!name) {   // the next printer's group begins
                flush();
                continue;
            }
            const std::string_view n = name;
            const char* value = ippGetString(a, 0, nullptr);
            if (!value) continue;
            if (n == "printer-name") current.name = value;
            else if (n == "printer-make-and-model") current.driver = value;
            else if (n == "device-uri") current.ports = portOf(value);
        }
        flush();
        return found;
    }

    bool openPrinter(const std::string& printer) override { return attributes(printer) != nullptr; }

    std::optional<std::string> printerPort(const std::string& printer) override {
        Ipp answer = attributes(printer);
        if (!answer) return std::nullopt;
        return portOf(textOf(answer.get(), "device-uri", IPP_TAG_URI));
    }

    bool setPrinterPort(const std::string& printer, const std::string& ports) override {
        Ipp request = NewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, printer);
        // CUPS knows one device a printer; of a list, the first.
        const std::string first = ports.substr(0, ports.find(','));
        ippAddString(request.get(), IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, uriOf(first).c_str());
        return Send(std::move(request), "/admin/") != nullptr;
    }

    bool createPrinter(const std::string& printer, const std::string&, const std::string& descriptionFile,
                       const std::string& port) override {
        Ipp request = NewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, printer);
        ippAddString(request.get(), IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, uriOf(port).c_str());
        ippAddString(request.get(), IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, printer.c_str());
        ippAddBoolean(request.get(), IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
        ippAddInteger(request.get(), IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
        return Send(std::move(request), "/admin/", descriptionFile) != nullptr;
    }

    bool deletePrinter(const std::string& printer) override {
        return Send(NewRequest(IPP_OP_CUPS_DELETE_PRINTER, printer), "/admin/") != nullptr;
    }

    // The backend is copied in under a temporary name and renamed into place,
    // so CUPS never runs half of it; mode 0700 makes CUPS run it as root,
    // which it needs to hand each job to the user who printed it.
    bool installPortMonitor(const std::string& program) override {
        const std::string dir = backendDirectory();
        const std::string target = platform::joinPath(dir, "zentro");
        // The program directory of an installed package names the backend
        // through a link: the file it names is the one to copy, and when that
        // is the installed backend itself there is nothing to copy.
        char* real = ::realpath(program.c_str(), nullptr);
        const std::string source = real ? real : program;
        std::free(real);
        struct stat given {}, installed {};
        if (::stat(source.c_str(), &given) == 0 && ::stat(target.c_str(), &installed) == 0 &&
            given.st_dev == installed.st_dev && given.st_ino == installed.st_ino)
            return (installed.st_mode & 07777) == 0700 || ::chmod(target.c_str(), 0700) == 0;
        platform::UniqueFd in(platform::openRegularForReading(source));
        if (!in.ok()) return false;
        const std::string temp = platform::createUniqueTempFile(dir, ".zentro-");
        if (temp.empty()) return false;
        platform::UniqueFd out(::open(temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        const bool ok = out.ok() && platform::copyAll(in.get(), out.get()) && ::fchmod(out.get(), 0700) == 0 &&
                        ::fsync(out.get()) == 0 && out.close() && ::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok) {
            const int error = errno;
            ::unlink(temp.c_str());
            errno = error;
        }
        return ok;
    }

    bool removePortMonitor(const std::string&) override {
        const std::string target = platform::joinPath(backendDirectory(), "zentro");
        return ::unlink(target.c_str()) == 0 || errno == ENOENT;
    }

private:
    Ipp attributes(const std::string& printer) {
        Ipp request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printer);
        static const char* const wanted[] = {"device-uri", "printer-make-and-model"};
        ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
        return Send(std::move(request), "/");
    }
};

}  // namespace

std::unique_ptr<PrintSystem> MakeCupsPrintSystem() { return std::make_unique<CupsPrintSystem>(); }

}  // namespace zentcore
