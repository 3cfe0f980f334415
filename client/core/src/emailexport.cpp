#include <zentcore/emailexport.h>

#include <zentcore/render.h>
#include <zplatform/system.h>

#include <filesystem>
#include <system_error>

namespace zentcore {

std::string EmailNoteText() {
    return "\n\n" + std::string(45, '-') + "\nAttachment(s) produced by Zentrope Client.\n" +
           "More about Zentrope Client: https://www.orlovestra.example/";
}

std::vector<std::string> ExistingPageFiles(std::string_view prefix, std::string_view extension, int pages) {
    std::vector<std::string> files;
    for (int k = 1; k <= pages; ++k) {
        std::string file = PageFile(prefix, k, extension);
        if (platform::fileExists(file)) files.push_back(std::move(file));
    }
    return files;
}

std::vector<std::string> MailCommand(const std::string& subject, const std::string& body,
                                     const std::vector<std::string>& attachments) {
    std::vector<std::string> argv = {"xdg-email", "--subject", subject, "--body", body};
    for (const auto& file : attachments) {
        argv.push_back("--attach");
        argv.push_back(file);
    }
    return argv;
}

MailResult SendMail(const std::string& subject, const std::string& body, const std::vector<std::string>& attachments) {
    const auto run = platform::spawnAndWait(MailCommand(subject, body, attachments));
    return {run.started, run.exitCode};
}

std::string MailErrorText(int result) { return "MAPI returned " + std::to_string(result) + "!"; }

namespace {

// A document name as one file name: no '/', no NUL, not "." or "..", not
// empty, not starting with '-' or '.'.
std::string folderName(std::string_view docName) {
    std::string name;
    for (char c : docName) name += (c == '/' || c == '\0' || c == '\n' || c == '\r') ? '_' : c;
    while (!name.empty() && (name.front() == '.' || name.front() == '-' || name.front() == ' ')) name.erase(0, 1);
    if (name.size() > 100) name.resize(100);
    return name.empty() ? std::string("Document") : name;
}

}  // namespace

std::optional<std::string> SavePagesToFolder(const std::string& documents, std::string_view docName,
                                             const std::vector<std::string>& files) {
    namespace fs = std::filesystem;
    if (documents.empty()) return std::nullopt;
    const fs::path base = fs::path(documents) / "Zentrope e-mail";
    std::error_code ec;
    fs::create_directories(base, ec);
    const std::string name = folderName(docName);
    fs::path folder;
    for (int n = 1; n < 1000; ++n) {
        folder = base / (n == 1 ? name : name + " " + std::to_string(n));
        if (fs::create_directory(folder, ec)) break;
        if (ec) return std::nullopt;   // not merely taken
        folder.clear();
    }
    if (folder.empty()) return std::nullopt;
    int k = 0;
    for (const auto& file : files) {
        const fs::path to = folder / ("page" + std::to_string(++k) + fs::path(file).extension().string());
        if (!fs::copy_file(file, to, fs::copy_options::none, ec)) return std::nullopt;
    }
    return folder.string();
}

std::string SavedPagesText(const std::string& folder) {
    return "No mail program took the pages. They are saved in " + folder +
           " (now opened), so you can attach them to a message yourself.";
}

}  // namespace zentcore
