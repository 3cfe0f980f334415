// zentctl reg: read and change the settings store from the command line.
#include "commands.h"

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string_view>

namespace zentctl {

namespace {

using platform::Hive;
using platform::RegKey;

struct RegCommand {
    Hive hive = Hive::LocalMachine;
    std::string key;
    std::string name;
    std::string value;
    bool dword = false;
};

// Decimal or 0x-prefixed hexadecimal, the whole text, within 32 bits.
std::optional<std::uint32_t> parseDword(const std::string& text) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    std::uint32_t v = 0;
    auto [end, ec] = std::from_chars(first, last, v, hex ? 16 : 10);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
    return v;
}

std::string keyName(const RegCommand& c) { return std::string(platform::hiveName(c.hive)) + "\\" + c.key; }

int badKeyPath(const RegCommand& c) {
    return usageError("reg: '" + c.key + "' is not a key path (names separated by single backslashes)");
}

// Reports why a read-only open failed: an absent key, or a file we cannot read.
int openFailed(const RegCommand& c) {
    int error = platform::lastError();
    if (error == EINVAL) return badKeyPath(c);
    if (error == ENOENT) std::cerr << "zentctl: no key " << keyName(c) << "\n";
    else std::cerr << "zentctl: cannot read " << platform::hiveFile(c.hive) << ": " << platform::errorText(error) << "\n";
    return 1;
}

int writeFailed(const RegCommand& c) {
    int error = platform::lastError();
    if (error == EINVAL) return badKeyPath(c);
    std::cerr << "zentctl: cannot write " << keyName(c) << " in " << platform::hiveFile(c.hive) << ": "
              << platform::errorText(error) << "\n";
    return 1;
}

int valueMissing(const RegCommand& c) {
    std::cerr << "zentctl: no value \"" << c.name << "\" in " << keyName(c) << "\n";
    return 1;
}

int get(const RegCommand& c) {
    auto key = RegKey::openReadOnly(c.hive, c.key);
    if (!key) return openFailed(c);
    auto text = key->tryReadString(c.name);
    if (!text) return valueMissing(c);
    std::cout << *text << "\n";
    return 0;
}

int set(const RegCommand& c) {
    std::optional<std::uint32_t> number;
    if (c.dword && !(number = parseDword(c.value)))
        return usageError("'" + c.value + "' is not a dword (decimal or 0x hex, at most 0xffffffff)");
    auto key = RegKey::openOrCreate(c.hive, c.key);
    if (!key) return writeFailed(c);
    bool ok = number ? key->writeDword(c.name, *number) : key->writeString(c.name, c.value);
    return ok ? 0 : writeFailed(c);
}

int remove(const RegCommand& c) {
    if (!RegKey::openReadOnly(c.hive, c.key)) return openFailed(c);
    auto key = RegKey::openOrCreate(c.hive, c.key);
    if (!key) return writeFailed(c);
    if (key->deleteValue(c.name)) return 0;
    return platform::lastError() == ENOENT ? valueMissing(c) : writeFailed(c);
}

int list(const RegCommand& c) {
    auto key = RegKey::openReadOnly(c.hive, c.key);
    if (!key) return openFailed(c);
    for (const auto& line : key->valueLines()) std::cout << line << "\n";
    return 0;
}

struct Action {
    std::string_view name;
    size_t operands;   // after the action
    std::string_view operandNames;
    int (*run)(const RegCommand&);
};

constexpr Action actions[] = {
    {"get", 3, "HIVE KEY NAME", get},
    {"set", 4, "HIVE KEY NAME VALUE [--dword]", set},
    {"delete", 3, "HIVE KEY NAME", remove},
    {"list", 2, "HIVE KEY", list},
};

}  // namespace

int cmdReg(const Args& args) {
    std::vector<std::string> operands;
    bool dword = false;
    bool optionsDone = false;
    for (const auto& a : args) {
        if (!optionsDone && a == "--") optionsDone = true;
        else if (!optionsDone && a == "--dword") dword = true;
        else if (!optionsDone && a.size() > 1 && a.starts_with("--")) return usageError("reg: unknown option '" + a + "'");
        else operands.push_back(a);
    }
    if (operands.empty()) return usageError("reg: no action given (get, set, delete or list)");

    const Action* action = nullptr;
    for (const auto& a : actions)
        if (a.name == operands[0]) action = &a;
    if (!action) return usageError("reg: unknown action '" + operands[0] + "' (get, set, delete or list)");
    if (operands.size() - 1 != action->operands)
        return usageError("reg " + operands[0] + " takes " + std::string(action->operandNames));
    if (dword && action->name != "set") return usageError("reg: --dword only applies to set");
    for (size_t i = 3; i < operands.size(); ++i)
        if (operands[i].find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            return usageError("reg: names and values must be one line");

    RegCommand c;
    auto hive = platform::parseHiveName(operands[1]);
    if (!hive) return usageError("reg: unknown hive '" + operands[1] + "' (HKLM, HKCU, machine or user)");
    c.hive = *hive;
    c.key = operands[2];
    if (operands.size() > 3) c.name = operands[3];
    if (operands.size() > 4) c.value = operands[4];
    c.dword = dword;
    return action->run(c);
}

}  // namespace zentctl
