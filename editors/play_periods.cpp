#include "editors/play_periods.h"

#include <algorithm>
#include <cstdio>

#include "content/model/lang.h"

namespace ledsuite {

namespace {
uint32_t WordSeconds(uint16_t word) {
    int h = 0, m = 0, s = 0;
    UnpackTime(word, h, m, s);
    return uint32_t(h * 3600 + m * 60 + s);
}
}  // namespace

PeriodTime ShownPeriodTime(uint16_t word) {
    PeriodTime t;
    UnpackTime(word, t.hour, t.minute, t.second);
    if (t.hour > 23) t.hour = 0;
    if (t.minute > 59) t.minute = 0;
    if (t.second > 59) t.second = 0;
    return t;
}

uint16_t PackPeriodTime(const PeriodTime& t) {
    return uint16_t((t.hour % 100) << 11 | (t.minute & 63) << 5 | (t.second / 2 & 31));
}

bool StorePeriodHalf(PlayPeriodTable& periods, size_t index, bool end, uint16_t word) {
    if (index >= periods.size()) return false;
    uint32_t& e = periods[index];
    e = end ? (e & 0xFFFFu) | uint32_t(word) << 16 : (e & 0xFFFF0000u) | word;
    return true;
}

void FillHourlyPeriods(PlayPeriodTable& periods, const PeriodTime& start, const PeriodTime& end) {
    const uint16_t s = PackPeriodTime({0, start.minute, start.second});
    const uint16_t e = PackPeriodTime({0, end.minute, end.second});
    for (uint32_t h = 0; h < periods.size(); ++h)
        periods[h] = uint32_t(uint16_t(s + (h << 11))) | uint32_t(uint16_t(e + (h << 11))) << 16;
}

uint32_t PeriodSeconds(uint32_t entry) {
    const uint32_t from = WordSeconds(uint16_t(entry & 0xFFFF));
    const uint32_t to = WordSeconds(uint16_t(entry >> 16));
    return to > from ? to - from : 0;
}

uint32_t TotalPeriodSeconds(const PlayPeriodTable& periods) {
    uint32_t total = 0;
    for (uint32_t e : periods) total += PeriodSeconds(e);
    return total;
}

std::u16string FormatPeriodTotal(uint32_t seconds) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    static const LangText kTotal{{u"总时间: ", u"總時間: ", u"Total time: "}};
    std::u16string out = kTotal();
    for (const char* c = digits; *c; ++c) out += char16_t(*c);
    return out;
}

std::vector<TimelineBar> TimelineBars(const PlayPeriodTable& periods) {
    std::vector<TimelineBar> bars;
    for (uint32_t e : periods) {
        if (PeriodSeconds(e) == 0) continue;
        const uint32_t from = WordSeconds(uint16_t(e & 0xFFFF));
        const uint32_t to = WordSeconds(uint16_t(e >> 16));
        for (int row = 0; row < 4; ++row) {
            const uint32_t rowStart = uint32_t(row) * kTimelineRowSeconds;
            const uint32_t a = std::max(from, rowStart);
            const uint32_t b = std::min(to, rowStart + kTimelineRowSeconds);
            if (a < b) bars.push_back({row, a - rowStart, b - rowStart});
        }
    }
    return bars;
}

}  // namespace ledsuite
