#pragma once
// What the A/D value, counter and timer dialogs decide, as plain functions: which stored
// calibration rows are shown, the checks of OK and the whole field they write back, the
// decimal text reader of the counter, the counter's trigger items, and the timer's packing.
// The dialogs only move values between their controls and these records.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/clock.h"
#include "content/model/field_objects.h"
#include "content/model/lang.h"

namespace ledsuite {

// ---- A/D value --------------------------------------------------------------------

inline constexpr int kAdcListRows = 16;
inline constexpr int kAdcMaxX2 = 4096;
inline constexpr int kAdcChannels = 16;
inline constexpr int kMaxDigitCount = 15;

// A stored row is shown (and accepted) when X1 < X2 <= 4096.
bool AdcRowValid(const AdcCalibration& row);

// One row of the dialog's list: the calibration and its check box.
struct AdcListRow {
    AdcCalibration row;
    bool checked = false;
};
// The list as the dialog opens: the first 16 stored rows walked in order, each valid one
// in the next list row, checked; the rest of the 16 rows empty and unchecked.
std::array<AdcListRow, kAdcListRows> AdcListFromField(const AdcField& field);

// Everything the dialog's controls hold.
struct AdcDialogValues {
    int channel = 0;
    bool showSign = false;
    bool fillZero = false;
    int intDigits = 0;
    int decimals = 0;
    uint16_t number = 0;
    std::vector<AdcListRow> rows;
};
AdcDialogValues AdcValuesFromField(const AdcField& field);

enum class AdcCheck { Ok, NoDigits, NoRows, X1NotBelowX2, X2Above4096 };
// The checks of OK in their order: both digit counts 0; an empty list; for each checked
// row in order X1 < X2, then X2 <= 4096; no checked row.
AdcCheck CheckAdcValues(const AdcDialogValues& values);
// The message of a failed check ("" for Ok).
const char16_t* AdcCheckMessage(AdcCheck check);
// Writes the field whole from values that passed the check: initial settings with the
// field's own attribute word kept, then channel, flags, digit format, sampling number and
// the checked rows packed from the first row.
void ApplyAdcValues(const AdcDialogValues& values, AdcField& field);

// Typed numbers: a floating-point number for the cells A to D, an integer held to 0..65535
// for X1, X2, the sampling number and the picture sizes; both read their leading number
// and ignore what follows ("12abc" is 12, "16px" is 16, no number is 0).
double ParseAdcReal(std::u16string_view text);
uint16_t ParseLeadingInteger(std::u16string_view text);
// A cell's text: "%lf" for A to D (columns 1 to 4), "%d" for X1 and X2 (5 and 6).
std::u16string AdcCellText(const AdcCalibration& row, int column);
// Stores a typed text into the row's column (1 to 6); other columns change nothing.
void SetAdcCell(AdcCalibration& row, int column, std::u16string_view text);

// ---- counter ----------------------------------------------------------------------

// A decimal number typed by the user: the digit format (integer digits << 4 | decimals,
// each held to 15; 0 when no digit was read), the integer part (negated for "-", held to
// the 32-bit range) and the fraction as its digits read (held likewise).
struct ParsedDecimal {
    uint8_t format = 0;
    int32_t integer = 0;
    int32_t fraction = 0;
    bool negative = false;  // a "-" came first (also for -0.5, whose integer part is 0)
};
// Reads at most 30 characters: a sign before anything else, digits, one "." after a
// digit or the sign, fraction digits; every other character is skipped.
ParsedDecimal ParseDecimalText(std::u16string_view text);
// The nibble-wise larger of two digit formats.
uint8_t MaxDigitFormat(uint8_t a, uint8_t b);

inline constexpr int kCounterTriggerItems = 15;
inline constexpr int kCounterChannels = 12;
// Trigger item index -> stored code: 0..6 the time units, from 7 on the code is one more
// (code 7 is not used).
int CounterTriggerCode(int index);
// Stored code -> item index: 0..6 as they are, 8..15 one less, anything else 0.
int CounterTriggerIndex(int code);

struct CounterDialogValues {
    std::u16string startText;
    std::u16string endText;
    int triggerIndex = 0;
    int channel = 0;
    bool showSign = false;
};
enum class CounterCheck { Ok, NoStart, NoEnd };
const char16_t* CounterCheckMessage(CounterCheck check);
// Checks the texts and, when both hold a digit, writes the field whole (the rest of the
// field as it was). The field is untouched on a failed check.
CounterCheck ApplyCounterValues(const CounterDialogValues& values, CounterField& field);
// The working field as the dialog opens: a copy of the field with the trigger code of
// an unknown item read as 0 and the channel held to 11.
CounterField CounterForDialog(const CounterField& field);

// ---- timer ------------------------------------------------------------------------

// The picker values of a packed date-time (weekday and milliseconds from `now`).
LocalTime UnpackTimerDateTime(const TimerDateTime& packed, const LocalTime& now);

struct TimerDialogValues {
    LocalTime a, b;
    int mode = 0;
    int dayLengthIndex = 0;  // item "1".."8"
    std::array<bool, 4> units{};
    std::array<std::u16string, 4> labels;
};
TimerDialogValues TimerValuesFromField(const TimerField& field, const LocalTime& now);
// False (field untouched) when no unit is checked. Otherwise the field is written whole:
// both date-times packed, mode, day length, unit bytes (k + 1 for a checked unit, else 0)
// and the labels cut to 31 units and a terminator. The cell's attribute word stays.
bool ApplyTimerValues(const TimerDialogValues& values, TimerField& field);
inline const LangText kTimerNoUnitMessage{{u"请选择显示项！", u"請選擇顯示項！", u"Please choose what to show!"}};

// ---- clock ------------------------------------------------------------------------

inline constexpr uint8_t kClockFaceStyle = 3;  // drawn over its face image
// The clock's face after a pick: the old frames cleared; a picture becomes the one frame
// (fitted to the clock's size as display height) with style 3, no picture gives style 0.
void SetClockFace(ClockObject& clock, std::unique_ptr<RawImage> face);

}  // namespace ledsuite
