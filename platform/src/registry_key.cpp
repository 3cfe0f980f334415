// RegKey: every operation opens the hive file, works and lets go of it.
#include "registry_hive.h"

#include <cerrno>

namespace platform {

namespace {

using namespace detail;

std::optional<std::string> keyPath(std::string_view path) {
    auto key = normalizeKeyPath(path);
    if (!key) errno = EINVAL;
    return key;
}

// The value as the hive holds it now; nullopt (errno set) when absent or unreadable.
std::optional<RegValue> currentValue(const RegKey& key, std::string_view name) {
    auto loaded = loadHive(key.hive());
    if (!loaded) return std::nullopt;
    const RegValue* v = findValue(loaded->doc, key.path(), name);
    if (!v) {
        errno = ENOENT;
        return std::nullopt;
    }
    return *v;
}

bool mayWrite(const RegKey& key) {
    if (!key.writable()) errno = EPERM;
    return key.writable();
}

bool writeValue(const RegKey& key, RegValue value) {
    if (!mayWrite(key)) return false;
    if (!storable(value.name) || !storable(value.text)) {
        errno = EINVAL;
        return false;
    }
    return updateHive(key.hive(), [&](HiveDocument& doc) { return setValue(doc, hiveName(key.hive()), key.path(), value); });
}

}  // namespace

std::optional<RegKey> RegKey::openReadOnly(Hive hive, std::string_view path) {
    auto key = keyPath(path);
    if (!key) return std::nullopt;
    auto loaded = loadHive(hive);
    if (!loaded) return std::nullopt;
    if (!loaded->present || !keyExists(loaded->doc, *key)) {
        errno = ENOENT;
        return std::nullopt;
    }
    return RegKey(hive, std::move(*key), false);
}

std::optional<RegKey> RegKey::openOrCreate(Hive hive, std::string_view path) {
    auto key = keyPath(path);
    if (!key) return std::nullopt;
    if (!updateHive(hive, [&](HiveDocument& doc) { return addKey(doc, hiveName(hive), *key); })) return std::nullopt;
    return RegKey(hive, std::move(*key), true);
}

bool RegKey::valueExists(std::string_view name) const { return currentValue(*this, name).has_value(); }

std::string RegKey::readString(std::string_view name) const { return tryReadString(name).value_or(std::string()); }

std::optional<std::string> RegKey::tryReadString(std::string_view name) const {
    auto v = currentValue(*this, name);
    if (!v) return std::nullopt;
    return v->type == RegValue::Type::String ? v->text : std::to_string(v->dword);
}

std::optional<std::uint32_t> RegKey::readDword(std::string_view name) const {
    auto v = currentValue(*this, name);
    if (!v) return std::nullopt;
    if (v->type != RegValue::Type::Dword) {
        errno = EINVAL;
        return std::nullopt;
    }
    return v->dword;
}

std::vector<std::string> RegKey::valueNames() const {
    std::vector<std::string> names;
    if (auto loaded = loadHive(hive_))
        for (const RegValue* v : keyValues(loaded->doc, path_)) names.push_back(v->name);
    return names;
}

std::vector<std::string> RegKey::valueLines() const {
    std::vector<std::string> lines;
    if (auto loaded = loadHive(hive_))
        for (const RegValue* v : keyValues(loaded->doc, path_)) lines.push_back(formatValueLine(*v));
    return lines;
}

bool RegKey::writeString(std::string_view name, std::string_view value) {
    return writeValue(*this, {std::string(name), RegValue::Type::String, std::string(value), 0});
}

bool RegKey::writeDword(std::string_view name, std::uint32_t value) {
    return writeValue(*this, {std::string(name), RegValue::Type::Dword, {}, value});
}

bool RegKey::deleteValue(std::string_view name) {
    if (!mayWrite(*this)) return false;
    size_t removed = 0;
    bool ok = updateHive(hive_, [&](HiveDocument& doc) { return (removed = removeValue(doc, path_, name)) > 0; });
    if (ok && removed == 0) errno = ENOENT;
    return ok && removed > 0;
}

bool RegKey::deleteAllValues() {
    if (!mayWrite(*this)) return false;
    return updateHive(hive_, [&](HiveDocument& doc) { return removeAllValues(doc, path_) > 0; });
}

}  // namespace platform
