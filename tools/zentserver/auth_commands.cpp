// The authentication dialogue: method icon, whether a step is needed, the
// steps themselves, and the lock-out after repeated failures.
#include <algorithm>

#include "commands.h"
#include "text_util.h"

namespace zentserver {

namespace {

// Method and printer of a request whose data starts "method EOT printer".
struct MethodRequest {
    const AuthMethod* method = nullptr;
    const PrinterConfig* printer = nullptr;
    std::string methodName, printerName;
};

MethodRequest methodRequest(const CommandContext& c, const std::vector<std::string>& f) {
    MethodRequest r;
    if (f.size() < 2) return r;
    r.methodName = f[0];
    r.printerName = f[1];
    r.printer = c.config.findPrinter(f[1]);
    // A method counts only for the printers that offer it.
    if (r.printer && std::count(r.printer->authMethods.begin(), r.printer->authMethods.end(), f[0]))
        r.method = c.config.findMethod(f[0]);
    return r;
}

int lockoutLimit(const CommandContext& c, const PrinterConfig& printer) {
    return printer.lockoutAfter >= 0 ? printer.lockoutAfter : c.config.lockoutAfter;
}

std::string describe(const MethodRequest& r) { return "\"" + r.methodName + "\" on \"" + r.printerName + "\""; }

// Every form entry "name=value" after the eight fixed PLGFUNC fields.
bool formMatches(const std::vector<std::string>& f, const std::map<std::string, std::string>& require) {
    for (const auto& [name, value] : require) {
        const std::string wanted = name + "=" + value;
        if (std::find(f.begin() + std::min<std::size_t>(f.size(), 8), f.end(), wanted) == f.end()) return false;
    }
    return true;
}

}  // namespace

Reply pluginIcon(CommandContext& c) {
    const MethodRequest r = methodRequest(c, c.fields());
    Reply reply = Reply::number(0, "no icon for " + describe(r));
    if (!r.method || r.method->icon.empty()) return reply;
    reply.payload.clear();
    appendBigEndian32(reply.payload, std::int32_t(r.method->icon.size()));
    reply.payload.insert(reply.payload.end(), r.method->icon.begin(), r.method->icon.end());
    reply.outcome = std::to_string(r.method->icon.size()) + "-byte icon for " + describe(r);
    return reply;
}

Reply pluginStage(CommandContext& c) {
    const MethodRequest r = methodRequest(c, c.fields());
    if (!r.method) return Reply::text("0", "no method " + describe(r));
    if (c.state.lockedOut(r.printerName, c.who())) return Reply::text("0", c.who() + " is locked out");
    int stage = r.method->stage >= 0 ? r.method->stage : (r.method->steps.empty() ? 1 : 2);
    if (auto it = r.printer->stages.find(r.methodName); it != r.printer->stages.end()) stage = it->second;
    return Reply::text(std::to_string(stage), "stage " + std::to_string(stage) + " for " + describe(r));
}

Reply pluginFunction(CommandContext& c) {
    const auto f = c.fields();
    const MethodRequest r = methodRequest(c, f);
    if (!r.method) return Reply::text("0", "no method " + describe(r));
    if (c.state.lockedOut(r.printerName, c.who())) return Reply::text("0", c.who() + " is locked out");
    const long long step = f.size() > 2 ? parseNumber(f[2], 0) : 0;
    if (step < 1 || step > static_cast<long long>(r.method->steps.size()))
        return Reply::text("0", "no step " + std::to_string(step) + " for " + describe(r));
    const AuthStep& s = r.method->steps[std::size_t(step - 1)];
    const std::string where = "step " + std::to_string(step) + " of " + describe(r);
    if (!formMatches(f, s.require)) return Reply::text(std::to_string(s.failResult), where + ": form refused");
    // For 2 the page starts at the answer's third byte; other numbers make the
    // whole answer the page.
    std::string text = std::to_string(s.result);
    if (s.result == 2 || !s.page.empty()) text += "\n" + s.page;
    return Reply::text(text, where + ": " + std::to_string(s.result));
}

Reply checkIntruder(CommandContext& c) {
    const auto f = c.fields();
    if (f.size() < 2 || (f[1] != "0" && f[1] != "1"))
        return Reply::fail(c.config.errors.badRequest, "expected printer and 0 or 1");
    const PrinterConfig* printer = c.config.findPrinter(f[0]);
    if (!printer) return Reply::fail(c.config.errors.unknownPrinter, "unknown printer \"" + f[0] + "\"");
    const std::string who = c.who();
    const bool locked = c.state.recordAuthentication(printer->name, who, f[1] == "1", lockoutLimit(c, *printer));
    constexpr std::int32_t kLockedOut = 1000;
    return Reply::number(locked ? kLockedOut : 0, who + (f[1] == "1" ? " passed" : " failed") +
                                                      (locked ? ", locked out" : ""));
}

}  // namespace zentserver
