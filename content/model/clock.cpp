#include "content/model/clock.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace ledsuite {

namespace {
std::mutex g_clockMutex;
std::function<LocalTime()> g_source;
}  // namespace

LocalTime SystemLocalTime() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    lt.weekday = tm.tm_wday;
    lt.millisecond = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return lt;
}

LocalTime CurrentLocalTime() {
    std::function<LocalTime()> src;
    {
        std::lock_guard<std::mutex> lock(g_clockMutex);
        src = g_source;
    }
    return src ? src() : SystemLocalTime();
}

ScopedClockOverride::ScopedClockOverride(std::function<LocalTime()> source) {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    previous_ = std::move(g_source);
    g_source = std::move(source);
}

ScopedClockOverride::ScopedClockOverride(const LocalTime& fixed)
    : ScopedClockOverride(std::function<LocalTime()>([fixed] { return fixed; })) {}

ScopedClockOverride::~ScopedClockOverride() {
    std::lock_guard<std::mutex> lock(g_clockMutex);
    g_source = std::move(previous_);
}

}  // namespace ledsuite
