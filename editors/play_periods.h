#pragma once
// The daily play periods of a program set: how a stored time shows in a picker, the
// hourly fill, the total play time and the bars of the four-row day timeline.
#include <cstdint>
#include <string>
#include <vector>

#include "content/model/records.h"

namespace ledsuite {

inline constexpr int kPeriodRows = 6;      // rows of pickers the dialog shows
inline constexpr int kMaxPeriodScroll = 18;  // 24 periods less 6 rows

struct PeriodTime {
    int hour = 0, minute = 0, second = 0;
};
// A stored half as a picker shows it: an hour above 23, or a minute or second above 59, as 0.
PeriodTime ShownPeriodTime(uint16_t word);
// hour % 100 << 11 | minute << 5 | second / 2
uint16_t PackPeriodTime(const PeriodTime& t);
// Writes the start (low) or end (high) half of entry `index`; false past the table.
bool StorePeriodHalf(PlayPeriodTable& periods, size_t index, bool end, uint16_t word);

// Fills every hour h with start S + h hours and end E + h hours (S, E minutes and seconds).
void FillHourlyPeriods(PlayPeriodTable& periods, const PeriodTime& start, const PeriodTime& end);

// The length of an entry in seconds; 0 when its end is not after its start.
uint32_t PeriodSeconds(uint32_t entry);
uint32_t TotalPeriodSeconds(const PlayPeriodTable& periods);
// "总时间: %02d:%02d:%02d"
std::u16string FormatPeriodTotal(uint32_t seconds);

// One bar of the timeline: its row (0..3, six hours each) and its span in seconds from the row's start.
struct TimelineBar {
    int row = 0;
    uint32_t from = 0, to = 0;
};
inline constexpr uint32_t kTimelineRowSeconds = 6 * 3600;
std::vector<TimelineBar> TimelineBars(const PlayPeriodTable& periods);

}  // namespace ledsuite
