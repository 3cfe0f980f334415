// GetField and GetDateTime for database rows.
#include <zcodec/dbrow.h>
#include <zcodec/utilities.h>

namespace encdec {

DBVariant GetField(const TDBQuery* dataSet, const DBVariant& key) {
    if (!dataSet) return {};
    if (const auto* name = std::get_if<std::string>(&key)) return dataSet->FieldByName(*name);
    const auto index = VarToInt(key);
    if (!index || *index < 0 || *index >= dataSet->FieldCount()) return {};
    return dataSet->Field(static_cast<int>(*index));
}

std::optional<std::tm> GetDateTime(const DBVariant& date, const DBVariant& time) {
    auto number = [](const DBVariant& v) -> std::optional<long> {
        if (VarIsEmpty(v) || VarIsNull(v)) return 0L;
        if (const auto* s = std::get_if<std::string>(&v); s && s->find_first_not_of(" \t") == std::string::npos)
            return 0L;
        const auto n = VarToInt(v);
        if (!n) return std::nullopt;
        return static_cast<long>(*n);
    };
    const auto d = number(date);
    const auto t = number(time);
    if (!d || !t) return std::nullopt;
    return GetDateTime(*d, *t);
}

std::optional<std::tm> GetDateTime(const TDBQuery* dataSet, const DBVariant& dateKey, const DBVariant& timeKey) {
    return GetDateTime(GetField(dataSet, dateKey), GetField(dataSet, timeKey));
}

}  // namespace encdec
