// Field and date-time access for database rows.
#pragma once

#include <zcodec/dbquery.h>
#include <zcodec/dbvariant.h>

#include <ctime>
#include <optional>

namespace encdec {

// A field of the data set's current row: a text key names the field, any
// other key is its index (from 0). Empty for a null data set or no such field.
DBVariant GetField(const TDBQuery* dataSet, const DBVariant& key);

// The date-time of a YYYYMMDD date value and an HHMMSS time value (numbers or
// numeric text); empty, null or zero values count as 0 (see the numeric
// GetDateTime). nullopt when a value is no number or names no real day or time.
std::optional<std::tm> GetDateTime(const DBVariant& date, const DBVariant& time);
// The same for two fields of the data set's current row.
std::optional<std::tm> GetDateTime(const TDBQuery* dataSet, const DBVariant& dateKey, const DBVariant& timeKey);

}  // namespace encdec
