#include "config.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "printer_description.h"
#include "text_util.h"

namespace zentserver {

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// Reads every member of an object through these helpers so that unknown or
// misspelt members are reported instead of silently ignored.
class ObjectReader {
public:
    ObjectReader(const json& object, std::string where) : object_(object), where_(std::move(where)) {
        if (!object_.is_object()) throw ConfigError(where_ + ": expected an object");
    }

    const json* find(const std::string& key) {
        seen_.insert(key);
        auto it = object_.find(key);
        return it == object_.end() || it->is_null() ? nullptr : &*it;
    }

    std::string path(const std::string& key) const { return where_ + "." + key; }

    long long integer(const std::string& key, long long fallback, long long min, long long max) {
        const json* v = find(key);
        if (!v) return fallback;
        if (!v->is_number_integer()) throw ConfigError(path(key) + ": expected a whole number");
        const long long n = v->get<long long>();
        if (n < min || n > max)
            throw ConfigError(path(key) + ": " + std::to_string(n) + " is outside " + std::to_string(min) + " to " +
                              std::to_string(max));
        return n;
    }

    std::string text(const std::string& key, const std::string& fallback) {
        const json* v = find(key);
        if (!v) return fallback;
        if (!v->is_string()) throw ConfigError(path(key) + ": expected a string");
        return v->get<std::string>();
    }

    bool flag(const std::string& key, bool fallback) {
        const json* v = find(key);
        if (!v) return fallback;
        if (!v->is_boolean()) throw ConfigError(path(key) + ": expected true or false");
        return v->get<bool>();
    }

    // Call last: every member must have been asked for.
    void finish() const {
        for (const auto& [key, value] : object_.items())
            if (!seen_.count(key)) throw ConfigError(where_ + ": unknown member \"" + key + "\"");
    }

private:
    const json& object_;
    std::string where_;
    std::set<std::string> seen_;
};

constexpr long long kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr long long kInt32Min = std::numeric_limits<std::int32_t>::min();

std::string readWholeFile(const fs::path& path, const std::string& where) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ConfigError(where + ": cannot read \"" + path.string() + "\"");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string fileText(ObjectReader& r, const std::string& key, const std::string& baseDir) {
    const std::string name = r.text(key, "");
    if (name.empty()) return "";
    fs::path p(name);
    if (p.is_relative()) p = fs::path(baseDir) / p;
    return readWholeFile(p, r.path(key));
}

ErrorReply readError(const json& v, const std::string& where, const ErrorReply& fallback) {
    ObjectReader r(v, where);
    ErrorReply e;
    e.code = std::int32_t(r.integer("code", fallback.code, kInt32Min, kInt32Max));
    e.text = r.text("text", fallback.text);
    r.finish();
    return e;
}

void readErrors(const json& v, ErrorReplies& errors) {
    ObjectReader r(v, "errors");
    const std::pair<const char*, ErrorReply*> names[] = {
        {"bad_request", &errors.badRequest},
        {"unknown_command", &errors.unknownCommand},
        {"unknown_printer", &errors.unknownPrinter},
        {"printer_unavailable", &errors.printerUnavailable},
        {"page_limit", &errors.pageLimit},
        {"bad_session", &errors.badSession},
        {"locked_out", &errors.lockedOut},
        {"bad_job_package", &errors.badJobPackage},
        {"storage_failed", &errors.storageFailed},
        {"too_large", &errors.tooLarge},
        {"client_too_old", &errors.clientTooOld},
    };
    for (const auto& [name, reply] : names)
        if (const json* e = r.find(name)) *reply = readError(*e, r.path(name), *reply);
    r.finish();
}

CommandOptions readCommandOptions(const json& v, const std::string& where, const std::string& baseDir) {
    ObjectReader r(v, where);
    CommandOptions o;
    if (r.find("transport")) o.transport = encdec::TransportType(r.integer("transport", 0, 0, 5));
    o.delayMs = int(r.integer("delay_ms", 0, 0, 3600000));
    o.silent = r.flag("silent", false);
    if (const json* e = r.find("error")) o.error = readError(*e, r.path("error"), ErrorReply{});
    if (const json* e = r.find("answer_error")) o.answerError = readError(*e, r.path("answer_error"), ErrorReply{});
    const bool hasText = r.find("answer") != nullptr, hasFile = r.find("answer_file") != nullptr;
    if (hasText && hasFile) throw ConfigError(where + ": \"answer\" and \"answer_file\" exclude each other");
    if (hasText) {
        const std::string text = r.text("answer", "");
        o.answer = Bytes(text.begin(), text.end());
    }
    if (hasFile) {
        const std::string bytes = fileText(r, "answer_file", baseDir);
        o.answer = Bytes(bytes.begin(), bytes.end());
    }
    r.finish();
    return o;
}

AuthStep readStep(const json& v, const std::string& where, const std::string& baseDir) {
    ObjectReader r(v, where);
    AuthStep s;
    s.result = int(r.integer("result", 2, kInt32Min, kInt32Max));
    s.page = fileText(r, "page", baseDir);
    if (const json* req = r.find("require")) {
        ObjectReader rr(*req, r.path("require"));
        for (const auto& [field, value] : req->items()) s.require[field] = rr.text(field, "");
        rr.finish();
    }
    s.failResult = int(r.integer("fail_result", 0, kInt32Min, kInt32Max));
    r.finish();
    return s;
}

AuthMethod readMethod(const std::string& name, const json& v, const std::string& baseDir) {
    const std::string where = "auth_methods." + name;
    ObjectReader r(v, where);
    AuthMethod m;
    m.name = name;
    const std::string icon = fileText(r, "icon", baseDir);
    m.icon.assign(icon.begin(), icon.end());
    m.stage = int(r.integer("stage", -1, -1, kInt32Max));
    if (const json* steps = r.find("steps")) {
        if (!steps->is_array()) throw ConfigError(r.path("steps") + ": expected a list");
        for (std::size_t i = 0; i < steps->size(); ++i)
            m.steps.push_back(readStep((*steps)[i], r.path("steps") + "[" + std::to_string(i) + "]", baseDir));
    }
    r.finish();
    return m;
}

// Printer names travel in EOT-separated and line-separated texts.
void checkName(const std::string& name, const std::string& where) {
    if (name.empty()) throw ConfigError(where + ": the name is empty");
    if (name.find_first_of(std::string("\r\n\x04\0", 4)) != std::string::npos)
        throw ConfigError(where + ": the name holds a line end, EOT or zero byte");
}

std::vector<std::string> charges(const std::string& list) {
    std::vector<std::string> out;
    std::string entry;
    std::istringstream in(list);
    while (std::getline(in, entry, ';')) {
        const auto first = entry.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        out.push_back(entry.substr(first, entry.find_last_not_of(" \t") - first + 1));
    }
    return out;
}

PrinterConfig readPrinter(const json& v, const std::string& where) {
    ObjectReader r(v, where);
    PrinterConfig p;
    p.name = r.text("name", "");
    checkName(p.name, where);
    const json* description = r.find("description");
    p.description = buildDescription(p.name, description ? *description : json());
    p.available = descriptionFlag(descriptionValue(p.description, "AVAILABLE"), true);
    p.maxPages = std::int32_t(parseNumber(descriptionValue(p.description, "MAXPAGES"), 0));
    p.authMethods = charges(descriptionValue(p.description, "AUTHNAME"));
    p.listed = r.flag("listed", true);
    p.lockoutAfter = int(r.integer("lockout_after", -1, -1, kInt32Max));
    if (const json* stages = r.find("stages")) {
        ObjectReader sr(*stages, r.path("stages"));
        for (const auto& [method, value] : stages->items())
            p.stages[method] = int(sr.integer(method, 0, 0, kInt32Max));
        sr.finish();
    }
    r.finish();
    return p;
}

PresetJob readJob(const json& v, const std::string& where) {
    ObjectReader r(v, where);
    PresetJob j;
    j.id = std::int32_t(r.integer("id", 0, 1, kInt32Max));
    if (!r.find("id")) throw ConfigError(where + ": the job needs an id");
    j.printer = r.text("printer", "");
    j.status = int(r.integer("status", 0, kInt32Min, kInt32Max));
    j.document = r.text("document", "");
    j.user = r.text("user", "");
    r.finish();
    return j;
}

}  // namespace

const PrinterConfig* ServerConfig::findPrinter(const std::string& name) const {
    for (const auto& p : printers)
        if (p.name == name) return &p;
    return nullptr;
}

const AuthMethod* ServerConfig::findMethod(const std::string& name) const {
    auto it = authMethods.find(name);
    return it == authMethods.end() ? nullptr : &it->second;
}

const CommandOptions& ServerConfig::optionsFor(const std::string& command) const {
    static const CommandOptions none;
    auto it = commands.find(command);
    return it == commands.end() ? none : it->second;
}

std::int64_t ServerConfig::transferDeadlineMs(std::int64_t bytes) const {
    return payloadDeadlineMs + std::max<std::int64_t>(bytes, 0) * 1000 / minBytesPerSecond;
}

ServerConfig parseConfig(const std::string& jsonText, const std::string& baseDir) {
    json root;
    try {
        root = json::parse(jsonText);
    } catch (const json::parse_error& e) {
        throw ConfigError(std::string("not valid JSON: ") + e.what());
    }
    ServerConfig c;
    ObjectReader r(root, "config");

    if (const json* info = r.find("server_info")) {
        if (!info->is_array()) throw ConfigError("config.server_info: expected a list of texts");
        c.serverInfo.clear();
        for (const auto& field : *info) {
            if (!field.is_string()) throw ConfigError("config.server_info: expected a list of texts");
            c.serverInfo.push_back(field.get<std::string>());
            if (c.serverInfo.back().find('\x04') != std::string::npos)
                throw ConfigError("config.server_info: a field holds the separator EOT");
        }
    }
    c.minClientVersion = std::int16_t(r.integer("min_client_version", c.minClientVersion, 0, 32767));
    c.firstSession = std::int32_t(r.integer("first_session", c.firstSession, 1, kInt32Max));
    c.lockoutAfter = int(r.integer("lockout_after", c.lockoutAfter, 0, kInt32Max));
    c.refusedValue = std::int32_t(r.integer("refused_value", c.refusedValue, kInt32Min, kInt32Max));
    c.maxRequestBytes = r.integer("max_request_bytes", c.maxRequestBytes, 0, kInt32Max - encdec::kCommHeaderSize);
    c.maxUnpackedBytes = r.integer("max_unpacked_bytes", c.maxUnpackedBytes, 0, 1ll << 40);
    c.ioTimeoutMs = int(r.integer("io_timeout_ms", c.ioTimeoutMs, 1, 3600000));
    c.headerDeadlineMs = int(r.integer("header_deadline_ms", c.headerDeadlineMs, 1, 3600000));
    c.payloadDeadlineMs = int(r.integer("payload_deadline_ms", c.payloadDeadlineMs, 1, 3600000));
    c.minBytesPerSecond = r.integer("min_bytes_per_second", c.minBytesPerSecond, 1, 1ll << 40);
    c.maxConnections = int(r.integer("max_connections", c.maxConnections, 1, 10000));
    c.maxOpenConnections = int(r.integer("max_open_connections", c.maxOpenConnections, 1, 100000));
    c.spool = r.text("spool", "");
    if (!c.spool.empty() && fs::path(c.spool).is_relative()) c.spool = (fs::path(baseDir) / c.spool).string();

    if (const json* e = r.find("errors")) readErrors(*e, c.errors);
    if (const json* cmds = r.find("commands")) {
        ObjectReader cr(*cmds, "commands");
        for (const auto& [name, value] : cmds->items()) {
            cr.find(name);
            c.commands[name] = readCommandOptions(value, "commands." + name, baseDir);
        }
    }
    if (const json* methods = r.find("auth_methods")) {
        ObjectReader mr(*methods, "auth_methods");
        for (const auto& [name, value] : methods->items()) {
            mr.find(name);
            checkName(name, "auth_methods." + name);
            c.authMethods[name] = readMethod(name, value, baseDir);
        }
    }
    if (const json* printers = r.find("printers")) {
        if (!printers->is_array()) throw ConfigError("config.printers: expected a list");
        for (std::size_t i = 0; i < printers->size(); ++i) {
            PrinterConfig p = readPrinter((*printers)[i], "printers[" + std::to_string(i) + "]");
            if (c.findPrinter(p.name)) throw ConfigError("printers: \"" + p.name + "\" is defined twice");
            c.printers.push_back(std::move(p));
        }
    }
    if (const json* jobs = r.find("jobs")) {
        if (!jobs->is_array()) throw ConfigError("config.jobs: expected a list");
        for (std::size_t i = 0; i < jobs->size(); ++i) {
            PresetJob j = readJob((*jobs)[i], "jobs[" + std::to_string(i) + "]");
            c.jobs[j.id] = std::move(j);
        }
    }
    r.finish();
    return c;
}

ServerConfig loadConfig(const std::string& path) {
    const std::string text = readWholeFile(path, "config");
    return parseConfig(text, fs::path(path).parent_path().string());
}

}  // namespace zentserver
