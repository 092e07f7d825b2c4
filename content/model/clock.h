#pragma once
// The local clock, injectable: date and time fields, new records and the card
// clock read it through CurrentLocalTime(), which tests can pin.
#include <functional>

namespace ledsuite {

struct LocalTime {
    int year = 2000;   // four digits
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 6;   // 0 Sunday .. 6 Saturday
    int millisecond = 0;
};

LocalTime SystemLocalTime();
LocalTime CurrentLocalTime();

// While alive, CurrentLocalTime() returns what `source` gives (one per process at a time).
class ScopedClockOverride {
public:
    explicit ScopedClockOverride(std::function<LocalTime()> source);
    explicit ScopedClockOverride(const LocalTime& fixed);
    ~ScopedClockOverride();
    ScopedClockOverride(const ScopedClockOverride&) = delete;
    ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;

private:
    std::function<LocalTime()> previous_;
};

}  // namespace ledsuite
