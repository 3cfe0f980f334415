#include "ftp_session.h"

#include <zplatform/fd.h>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>

namespace zsync {

namespace {

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

// "host:port" → host and port; 21 when absent.
void splitServer(const std::string& server, std::string& host, long& port) {
    host = server;
    port = 21;
    std::string portText;
    if (!server.empty() && server.front() == '[') {
        const auto close = server.find(']');
        if (close != std::string::npos) {
            host = server.substr(0, close + 1);
            if (close + 1 < server.size() && server[close + 1] == ':') portText = server.substr(close + 2);
        }
    } else if (const auto colon = server.find(':'); colon != std::string::npos && server.find(':', colon + 1) == std::string::npos) {
        host = server.substr(0, colon);
        portText = server.substr(colon + 1);
    }
    if (!portText.empty()) {
        char* end = nullptr;
        const long p = std::strtol(portText.c_str(), &end, 10);
        if (*end == '\0' && p > 0 && p < 65536) port = p;
        else port = 0;   // an invalid port makes every call fail as a bad URL
    }
}

}  // namespace

struct FtpSession::Impl {
    CURL* curl = nullptr;
    std::string base;   // "ftp://host:port/"
    std::string lastResponse;
    const std::atomic<bool>& stop;
    bool noMlsd = false;

    explicit Impl(const std::atomic<bool>& s) : stop(s) {}

    // What a transfer writes that nobody asked for (MDTM's header lines).
    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }
    static size_t onHeader(char* data, size_t size, size_t count, void* self) {
        std::string line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (!line.empty()) static_cast<Impl*>(self)->lastResponse = line;
        return size * count;
    }
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Impl*>(self)->stop.load() ? 1 : 0;
    }

    // The URL of a remote path; an absolute path starts at the server's root.
    std::string url(const std::string& path, bool directory) const {
        std::string out = base;
        if (!path.empty() && path.front() == '/') out += "%2F";
        size_t i = 0;
        bool first = true;
        while (i <= path.size()) {
            auto end = path.find('/', i);
            if (end == std::string::npos) end = path.size();
            if (end > i) {
                char* escaped = curl_easy_escape(curl, path.data() + i, int(end - i));
                if (!first) out += '/';
                out += escaped ? escaped : "";
                curl_free(escaped);
                first = false;
            }
            i = end + 1;
        }
        if (directory && !first) out += '/';
        return out;
    }

    // One transfer on the shared handle: options of an earlier one are reset first.
    bool perform(const std::string& target, FtpFailure& failure,
                 const std::function<void(CURL*)>& setup) {
        curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 0L);
        curl_easy_setopt(curl, CURLOPT_FILETIME, 0L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
        setup(curl);
        lastResponse.clear();
        const CURLcode code = curl_easy_perform(curl);
        if (code == CURLE_OK) return true;
        failure.curlCode = int(code);

        failure.lastResponse = lastResponse;
        return false;
    }
};

FtpSession::FtpSession(const std::string& server, const std::string& user, const std::string& password,
                       const std::atomic<bool>& stop)
    : impl_(std::make_unique<Impl>(stop)) {
    static CurlGlobal global;
    std::string host;
    long port;
    splitServer(server, host, port);
    impl_->base = "ftp://" + host + ":" + std::to_string(port) + "/";
    CURL* c = impl_->curl = curl_easy_init();
    if (!c) return;
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_FTP_USE_EPSV, 1L);   // passive only: no PORT
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_MULTICWD));
    curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
    if (const char* ca = std::getenv("ZENTROPE_FTP_CA_FILE"); ca && *ca) curl_easy_setopt(c, CURLOPT_CAINFO, ca);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that stops sending for a minute is taken as gone.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_FTP_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Impl::onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, impl_.get());
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Impl::onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, impl_.get());
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
    if (!user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
    }
}

FtpSession::~FtpSession() {
    if (impl_->curl) curl_easy_cleanup(impl_->curl);
}

bool FtpSession::connect(FtpFailure& failure) {
    if (!impl_->curl) {
        failure.curlCode = int(CURLE_FAILED_INIT);
        return false;
    }
    return impl_->perform(impl_->base, failure, [](CURL* c) { curl_easy_setopt(c, CURLOPT_NOBODY, 1L); });
}

namespace {
size_t appendTo(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}
}  // namespace

bool FtpSession::list(const std::string& dir, std::vector<RemoteEntry>& entries, FtpFailure& failure) {
    const std::string target = impl_->url(dir, true);
    std::string listing;
    const auto collect = [&](const char* command) {
        return [&, command](CURL* c) {
            if (command) curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, command);
            curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &appendTo);
            curl_easy_setopt(c, CURLOPT_WRITEDATA, &listing);
        };
    };
    if (!impl_->noMlsd) {
        if (impl_->perform(target, failure, collect("MLSD"))) {
            entries = parseMlsd(listing);
            return true;
        }
        // 500/502: the server has no MLSD; anything else is a real failure.
        const auto& reply = failure.lastResponse;
        if (reply.rfind("500", 0) != 0 && reply.rfind("502", 0) != 0) return false;
        impl_->noMlsd = true;
    }
    listing.clear();
    if (!impl_->perform(target, failure, collect(nullptr))) return false;
    entries = parseUnixList(listing);
    for (auto& entry : entries) {
        if (entry.directory) continue;
        const std::string path = dir.empty() || dir.back() == '/' ? dir + entry.name : dir + "/" + entry.name;
        FtpFailure ignored;
        if (impl_->perform(impl_->url(path, false), ignored, [](CURL* c) {
                curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
                curl_easy_setopt(c, CURLOPT_FILETIME, 1L);
            })) {
            curl_off_t time = -1;
            if (curl_easy_getinfo(impl_->curl, CURLINFO_FILETIME_T, &time) == CURLE_OK && time > 0)
                entry.modified = time;
        }
    }
    return true;
}

namespace {
struct DownloadSink {
    int fd;
    const std::function<bool(std::size_t)>* chunk;
    bool gotData = false;
    bool writeFailed = false;
};
size_t writeToFile(char* data, size_t size, size_t count, void* p) {
    auto* sink = static_cast<DownloadSink*>(p);
    const size_t n = size * count;
    sink->gotData = true;
    if (!platform::writeAll(sink->fd, data, n)) {
        sink->writeFailed = true;
        return 0;
    }
    return (*sink->chunk)(n) ? n : 0;
}
}  // namespace

bool FtpSession::download(const std::string& path, int fd, const std::function<bool(std::size_t)>& chunk,
                          FtpFailure& failure, bool& gotData) {
    DownloadSink sink{fd, &chunk};
    const bool ok = impl_->perform(impl_->url(path, false), failure, [&](CURL* c) {
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &writeToFile);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    });
    gotData = sink.gotData;
    return ok;
}

bool FtpSession::cannotEnter(const FtpFailure& failure) {
    return failure.curlCode == int(CURLE_REMOTE_ACCESS_DENIED);
}

}  // namespace zsync
