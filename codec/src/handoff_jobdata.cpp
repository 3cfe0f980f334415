// The job record the port side fills in.
#include <zcodec/handoff.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace encdec {

ZINT::ZINT() : Value(0) {}

ZSystemTime CurrentSystemTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    ZSystemTime t;
    t.Year = std::uint16_t(utc.tm_year + 1900);
    t.Month = std::uint16_t(utc.tm_mon + 1);
    t.DayOfWeek = std::uint16_t(utc.tm_wday);
    t.Day = std::uint16_t(utc.tm_mday);
    t.Hour = std::uint16_t(utc.tm_hour);
    t.Minute = std::uint16_t(utc.tm_min);
    t.Second = std::uint16_t(std::min(utc.tm_sec, 59));   // no leap second in the record
    t.Milliseconds = std::uint16_t(ms < 0 ? 0 : ms);
    return t;
}

ZTP_JOBDATA::ZTP_JOBDATA() : Submited(CurrentSystemTime()) {}

}  // namespace encdec
