// Loading a hive file, and changing it safely against other writers.
#pragma once

#include "registry_document.h"

#include <zplatform/registry.h>

#include <functional>
#include <optional>

namespace platform::detail {

struct LoadedHive {
    HiveDocument doc;
    bool present = false;   // false: there is no hive file (yet)
};

// The hive as it is on disk now; its problems are reported once per process.
// nullopt, errno set, when the file exists but cannot be read.
std::optional<LoadedHive> loadHive(Hive hive);

// Under the hive's lock: reads the current file, lets `change` edit it and,
// when `change` returns true, replaces the file atomically. Creates missing
// directories on the way. false, errno set, on failure.
bool updateHive(Hive hive, const std::function<bool(HiveDocument&)>& change);

}  // namespace platform::detail
