// Date-times from the YYYYMMDD and HHMMSS numbers of database rows.
#include <zcodec/utilities.h>

#include <chrono>

namespace encdec {

std::optional<std::tm> GetDateTime(long date, long time) {
    using namespace std::chrono;
    // Day zero of the date-time scale the rows were written for.
    year_month_day day = year(1899) / December / 30;
    if (date != 0) {
        if (date < 0) return std::nullopt;
        day = year(static_cast<int>(date / 10000)) / month(static_cast<unsigned>(date / 100 % 100)) /
              std::chrono::day(static_cast<unsigned>(date % 100));
        if (!day.ok() || date / 10000 < 1 || date / 10000 > 9999) return std::nullopt;
    }
    if (time < 0 || time / 10000 > 23 || time / 100 % 100 > 59 || time % 100 > 59) return std::nullopt;

    std::tm result{};
    result.tm_year = static_cast<int>(day.year()) - 1900;
    result.tm_mon = static_cast<int>(static_cast<unsigned>(day.month())) - 1;
    result.tm_mday = static_cast<int>(static_cast<unsigned>(day.day()));
    result.tm_hour = static_cast<int>(time / 10000);
    result.tm_min = static_cast<int>(time / 100 % 100);
    result.tm_sec = static_cast<int>(time % 100);
    result.tm_wday = static_cast<int>(weekday(sys_days(day)).c_encoding());
    result.tm_yday = static_cast<int>((sys_days(day) - sys_days(day.year() / January / 1)).count());
    result.tm_isdst = -1;
    return result;
}

}  // namespace encdec
