// The one value type of the database helpers: what a column, a field, a
// parameter or a connection property holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace encdec {

// A database null, as distinct from "no value at all" (std::monostate).
struct DBNull {
    bool operator==(const DBNull&) const = default;
};

// Empty (monostate), Null, integer, real or text.
using DBVariant = std::variant<std::monostate, DBNull, std::int64_t, double, std::string>;

inline bool VarIsEmpty(const DBVariant& v) { return std::holds_alternative<std::monostate>(v); }
inline bool VarIsNull(const DBVariant& v) { return std::holds_alternative<DBNull>(v); }

// The value as an integer: integers as they are, reals truncated, text when
// it is (after trimming) a decimal number; nullopt for empty, Null and other text.
std::optional<std::int64_t> VarToInt(const DBVariant& v);
// The value as text: empty and Null give "", numbers their decimal form.
std::string VarToStr(const DBVariant& v);

}  // namespace encdec
