// The rules of the A/D value, counter and timer dialogs.
#include "editors/item_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ledsuite {

namespace {

constexpr size_t kMaxDecimalChars = 30;
constexpr size_t kMaxNumberChars = 64;
constexpr int64_t kMaxParsedValue = std::numeric_limits<int32_t>::max();

// The typed text as ASCII (anything else cannot be part of a number), at most `limit` units.
std::string Narrow(std::u16string_view text, size_t limit) {
    std::string s;
    for (char16_t c : text.substr(0, std::min(text.size(), limit))) s += c < 0x80 ? char(c) : '?';
    return s;
}

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Adds a digit to a magnitude held at the 32-bit maximum (64 bits never overflow here).
int64_t AddDigit(int64_t value, char16_t digit) {
    return std::min(value * 10 + (digit - u'0'), kMaxParsedValue);
}

// A fraction as typed, scaled to the field's shared decimal count (1.5 beside 2.25 is
// 1.50: fraction 50, not 5). A negative value whose integer part is 0 keeps its sign in
// the fraction, which is the only place left for it.
int32_t StoredFraction(const ParsedDecimal& value, int decimals) {
    int64_t f = value.fraction;
    for (int d = AdcDecimals(value.format); d < decimals; ++d) f = std::min<int64_t>(f * 10, kMaxParsedValue);
    return int32_t(value.negative && value.integer == 0 ? -f : f);
}

}  // namespace

// ---- A/D value --------------------------------------------------------------------

bool AdcRowValid(const AdcCalibration& row) { return row.x1 < row.x2 && row.x2 <= kAdcMaxX2; }

std::array<AdcListRow, kAdcListRows> AdcListFromField(const AdcField& field) {
    std::array<AdcListRow, kAdcListRows> list{};
    size_t next = 0;
    for (size_t i = 0; i < kAdcListRows; ++i) {
        if (!AdcRowValid(field.rows[i])) continue;
        list[next].row = field.rows[i];
        list[next++].checked = true;
    }
    return list;
}

AdcDialogValues AdcValuesFromField(const AdcField& field) {
    AdcDialogValues v;
    v.channel = std::min<int>(field.channel, kAdcChannels - 1);
    v.showSign = field.flags & AdcField::FlagSign;
    v.fillZero = field.flags & AdcField::FlagFillZero;
    v.intDigits = AdcIntDigits(field.digitFormat);
    v.decimals = AdcDecimals(field.digitFormat);
    v.number = field.number;
    const auto list = AdcListFromField(field);
    v.rows.assign(list.begin(), list.end());
    return v;
}

AdcCheck CheckAdcValues(const AdcDialogValues& values) {
    if (values.intDigits == 0 && values.decimals == 0) return AdcCheck::NoDigits;
    if (values.rows.empty()) return AdcCheck::NoRows;
    bool any = false;
    for (const AdcListRow& r : values.rows) {
        if (!r.checked) continue;
        if (r.row.x1 >= r.row.x2) return AdcCheck::X1NotBelowX2;
        if (r.row.x2 > kAdcMaxX2) return AdcCheck::X2Above4096;
        any = true;
    }
    return any ? AdcCheck::Ok : AdcCheck::NoRows;
}

const char16_t* AdcCheckMessage(AdcCheck check) {
    static const LangText kNoDigits{{u"整数位数和小数位数不能同时为零", u"整數位數和小數位數不能同時為零",
                                     u"The integer and decimal digits cannot both be zero"}};
    static const LangText kNoRows{{u"请输入参数", u"請輸入參數", u"Please enter the parameters"}};
    static const LangText kX1NotBelowX2{{u"X1应小于X2", u"X1應小於X2", u"X1 must be less than X2"}};
    static const LangText kX2Above4096{{u"X2不能大于4096", u"X2不能大於4096", u"X2 cannot be greater than 4096"}};
    switch (check) {
    case AdcCheck::NoDigits: return kNoDigits();
    case AdcCheck::NoRows: return kNoRows();
    case AdcCheck::X1NotBelowX2: return kX1NotBelowX2();
    case AdcCheck::X2Above4096: return kX2Above4096();
    case AdcCheck::Ok: break;
    }
    return u"";
}

void ApplyAdcValues(const AdcDialogValues& values, AdcField& field) {
    const uint32_t attr = field.attr;
    InitAdcSettings(field);
    field.attr = attr;
    field.channel = uint8_t(std::clamp(values.channel, 0, kAdcChannels - 1));
    field.flags = uint8_t((values.showSign ? AdcField::FlagSign : 0) | (values.fillZero ? AdcField::FlagFillZero : 0));
    field.digitFormat = MakeDigitFormat(values.intDigits, values.decimals);
    field.number = values.number;
    size_t next = 0;
    for (const AdcListRow& r : values.rows)
        if (r.checked && next < field.rows.size()) field.rows[next++] = r.row;
}

double ParseAdcReal(std::u16string_view text) {
    const std::string s = Narrow(text, kMaxNumberChars);
    const double v = std::strtod(s.c_str(), nullptr);
    // A calibration factor is stored as a float: out-of-range and NaN typing is held.
    if (std::isnan(v)) return 0;
    return std::clamp(v, double(std::numeric_limits<float>::lowest()), double(std::numeric_limits<float>::max()));
}

uint16_t ParseLeadingInteger(std::u16string_view text) {
    const std::string s = Narrow(text, kMaxNumberChars);
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    return uint16_t(std::clamp<long long>(v, 0, std::numeric_limits<uint16_t>::max()));
}

std::u16string AdcCellText(const AdcCalibration& row, int column) {
    const float reals[] = {row.a, row.b, row.c, row.d};
    char buf[64];
    if (column >= 1 && column <= 4) std::snprintf(buf, sizeof buf, "%lf", double(reals[column - 1]));
    else if (column == 5) std::snprintf(buf, sizeof buf, "%d", row.x1);
    else if (column == 6) std::snprintf(buf, sizeof buf, "%d", row.x2);
    else return {};
    return Widen(buf);
}

void SetAdcCell(AdcCalibration& row, int column, std::u16string_view text) {
    float* reals[] = {&row.a, &row.b, &row.c, &row.d};
    if (column >= 1 && column <= 4) *reals[column - 1] = float(ParseAdcReal(text));
    else if (column == 5) row.x1 = ParseLeadingInteger(text);
    else if (column == 6) row.x2 = ParseLeadingInteger(text);
}

// ---- counter ----------------------------------------------------------------------

ParsedDecimal ParseDecimalText(std::u16string_view text) {
    text = text.substr(0, std::min(text.size(), kMaxDecimalChars));
    bool negative = false, signOrDigit = false, inFraction = false;
    int intDigits = 0, decimals = 0;
    int64_t integer = 0, fraction = 0;
    for (char16_t c : text) {
        if ((c == u'+' || c == u'-') && !signOrDigit && !inFraction) {
            negative = c == u'-';
            signOrDigit = true;
        } else if (c == u'.' && signOrDigit && !inFraction) {
            inFraction = true;
        } else if (c >= u'0' && c <= u'9') {
            signOrDigit = true;
            if (inFraction) fraction = AddDigit(fraction, c), ++decimals;
            else integer = AddDigit(integer, c), ++intDigits;
        }
    }
    ParsedDecimal r;
    intDigits = std::min(intDigits, kMaxDigitCount);
    decimals = std::min(decimals, kMaxDigitCount);
    if (intDigits + decimals > 0) r.format = MakeDigitFormat(intDigits, decimals);
    r.integer = int32_t(negative ? -integer : integer);
    r.fraction = int32_t(fraction);
    r.negative = negative;
    return r;
}

uint8_t MaxDigitFormat(uint8_t a, uint8_t b) {
    return MakeDigitFormat(std::max(AdcIntDigits(a), AdcIntDigits(b)), std::max(AdcDecimals(a), AdcDecimals(b)));
}

int CounterTriggerCode(int index) { return index < 7 ? index : index + 1; }

int CounterTriggerIndex(int code) {
    if (code >= 0 && code <= 6) return code;
    if (code >= 8 && code <= 15) return code - 1;
    return 0;
}

const char16_t* CounterCheckMessage(CounterCheck check) {
    static const LangText kNoStart{{u"请输入开始数值", u"請輸入開始數值", u"Please enter the start value"}};
    static const LangText kNoEnd{{u"请输入结束数值", u"請輸入結束數值", u"Please enter the end value"}};
    switch (check) {
    case CounterCheck::NoStart: return kNoStart();
    case CounterCheck::NoEnd: return kNoEnd();
    case CounterCheck::Ok: break;
    }
    return u"";
}

CounterCheck ApplyCounterValues(const CounterDialogValues& values, CounterField& field) {
    const ParsedDecimal start = ParseDecimalText(values.startText);
    if (start.format == 0) return CounterCheck::NoStart;
    const ParsedDecimal end = ParseDecimalText(values.endText);
    if (end.format == 0) return CounterCheck::NoEnd;
    field.digitFormat = MaxDigitFormat(start.format, end.format);
    field.flags = values.showSign ? CounterField::FlagSign : 0;
    field.unit = uint8_t(CounterTriggerCode(std::clamp(values.triggerIndex, 0, kCounterTriggerItems - 1)));
    field.channel = uint8_t(std::clamp(values.channel, 0, kCounterChannels - 1));
    const int decimals = AdcDecimals(field.digitFormat);
    field.start = start.integer;
    field.startFraction = StoredFraction(start, decimals);
    field.end = end.integer;
    field.endFraction = StoredFraction(end, decimals);
    return CounterCheck::Ok;
}

CounterField CounterForDialog(const CounterField& field) {
    CounterField work = field;
    work.unit = uint8_t(CounterTriggerCode(CounterTriggerIndex(work.unit)));
    work.channel = uint8_t(std::min<int>(work.channel, kCounterChannels - 1));
    return work;
}

// ---- timer ------------------------------------------------------------------------

LocalTime UnpackTimerDateTime(const TimerDateTime& packed, const LocalTime& now) {
    LocalTime t = now;
    t.year = packed.year;
    t.month = packed.monthDayHour >> 10 & 0x3F;
    t.day = packed.monthDayHour >> 5 & 0x1F;
    t.hour = packed.monthDayHour & 0x1F;
    t.minute = packed.minuteSecond >> 6 & 0x3FF;
    t.second = packed.minuteSecond & 0x3F;
    return t;
}

TimerDialogValues TimerValuesFromField(const TimerField& field, const LocalTime& now) {
    TimerDialogValues v;
    v.a = UnpackTimerDateTime(field.a, now);
    v.b = UnpackTimerDateTime(field.b, now);
    v.mode = std::min<int>(field.mode, 1);
    v.dayLengthIndex = std::clamp<int>(field.dayDigits, 1, kMaxTimerDayDigits) - 1;
    for (int k = 0; k < 4; ++k) {
        v.units[size_t(k)] = field.UnitShown(k);
        v.labels[size_t(k)] = field.Label(k).substr(0, kTimerLabelUnits - 1);
    }
    return v;
}

bool ApplyTimerValues(const TimerDialogValues& values, TimerField& field) {
    if (std::none_of(values.units.begin(), values.units.end(), [](bool on) { return on; })) return false;
    TimerField work;
    InitTimerField(work);
    work.attr = field.attr;
    work.a = PackTimerDateTime(values.a);
    work.b = PackTimerDateTime(values.b);
    work.mode = uint8_t(std::clamp(values.mode, 0, 1));
    work.dayDigits = uint8_t(std::clamp(values.dayLengthIndex, 0, kMaxTimerDayDigits - 1) + 1);
    for (size_t k = 0; k < 4; ++k) {
        work.units[k] = values.units[k] ? uint8_t(k + 1) : 0;
        const std::u16string& label = values.labels[k];
        const size_t n = std::min(label.size(), size_t(kTimerLabelUnits - 1));
        std::copy_n(label.begin(), n, work.labels[k].begin());
        work.labels[k][n] = 0;
    }
    field = work;
    return true;
}

// ---- clock ------------------------------------------------------------------------

void SetClockFace(ClockObject& clock, std::unique_ptr<RawImage> face) {
    ClearImageFrames(clock.face);
    if (!face || !face->hasPixels()) {
        clock.style = 0;
        return;
    }
    clock.style = kClockFaceStyle;
    clock.face.push_back(std::move(face));
    FitFramesToHeight(clock.face, clock.size);
}

}  // namespace ledsuite
