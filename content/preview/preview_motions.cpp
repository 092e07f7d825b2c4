// The motions of the preview by the card's effect class: how a pass is set up, how
// it advances one step, and how a step is drawn.
//
// Where the card's behaviour is not known in detail, the geometry here is a plain one:
// - class 2 (blinds, scroll, door, curtains): strips of 2h + 1 LEDs laid from the
//   area's left edge (direction flag 0) or top edge (flag 1), shifted by bytes 8-9 of
//   the card action; the LEDs within r of a strip's middle are dark, r = c while c <= h,
//   else 2h - c.
// - class 3 (interweave): even rows (columns) displaced by -s, odd ones by +s.
// - classes 5, 11, 12 (stack, snow, dance): rows past the line L fold back behind it
//   (preview_frames.cpp); dance folds its odd columns from the other edge.
// - a two-stroke pass that comes in and goes out waits its pause at the turn, where the
//   content is fully shown; a pass that ends fully shown before the secondary pass waits
//   it there; a pass that ends otherwise waits it only before a repeat.
// - classes 13, 14 (blackboard, laser): the column advances one LED per step while
//   its point runs kSweepPointStep LEDs along it, turning at the area's top and bottom.
// - classes 8 and 15 (flash, twinkle) run 2 x (byte 6 of the card action) steps.
#include <algorithm>
#include <cstdlib>

#include "content/bytes.h"
#include "content/preview/preview_player.h"

namespace ledsuite {

namespace {

bool InStroke(const PlayState& s) { return s.stage == 0 || s.stage == 2; }

// The counter value at which a stroke class shows the content fully.
bool ShownAtLength(int cls) { return cls == 13 || cls == 14 || cls == 16; }

// Sets up a two-stroke counter of length n (classes 3, 5, 11, 12, 13, 14, 16).
void BeginStroke(PlayState& s, int n) {
    const int shown = ShownAtLength(s.effectClass) ? n : 0;
    s.strokeLength = n;
    s.limit = n;
    s.position = InStroke(s) ? n - shown : shown;
}

// A two-stroke pass turns in two steps: the step that reaches the turn leaves the stroke
// as it is, so the turn is drawn as the end of the first stroke (and held for the pause
// when the content is fully shown there); the next step starts the other stroke. A sweep
// starts it in place, its first column being the one the point now clears; the others move on.
bool AdvanceStroke(PlayState& s) {
    if (s.limit <= 0 && (s.stage == 2 || s.stage == 3)) {
        s.stage = s.stage == 2 ? 1 : 0;
        s.limit = s.strokeLength;
        if (s.effectClass == 13 || s.effectClass == 14) return false;
    }
    const int shown = ShownAtLength(s.effectClass) ? s.strokeLength : 0;
    const int target = InStroke(s) ? shown : s.strokeLength - shown;
    if (s.position != target) s.position += s.position < target ? 1 : -1;
    if (--s.limit > 0) return false;
    if (s.stage == 2 || s.stage == 3) {
        s.turnedShown = s.stage == 2;
        return false;
    }
    return true;
}

void SetUpMove(PlayState& s, const CardAction& a, int w, int h, int cw, int ch, bool pending) {
    const int dir = a[8] & 3;
    s.direction = uint8_t(dir);
    const int start = dir == 0 ? w : dir == 1 ? h : dir == 2 ? -cw : -ch;
    int end = dir == 0 ? -cw : dir == 1 ? -ch : dir == 2 ? w : h;
    if ((dir == 0 || dir == 2) && cw > w / 2) {
        s.secondCopy = dir == 0 ? 1 : 4;
        end += dir == 0 ? -kSecondCopyGap : kSecondCopyGap;
    }
    if (!pending) s.position = start;
    s.startPosition = s.position;
    s.limit = end;
}

void SetUpStrips(PlayState& s) {
    const int h = std::clamp<int>(s.stepValue, 1, 0x3FFF);
    s.strokeLength = h;
    s.position = s.stage == 0 || s.stage == 2 ? h + 1 : 0;
}

// The counter opens the strips up to 2h + 1 (fully open) and closes them up to h (fully
// closed); both end states are drawn. An in-then-out pass stays open for one step (the
// pause), then closes from 0.
bool AdvanceStrips(PlayState& s) {
    const int h = s.strokeLength;
    if (s.stage == 2 && s.position >= 2 * h + 1) {
        s.position = 0;
        s.stage = 1;
        return false;
    }
    ++s.position;
    if (s.stage == 2) {
        s.turnedShown = s.position >= 2 * h + 1;
        return false;
    }
    if (s.stage == 1) return s.position >= h;
    return s.position >= 2 * h + 1;
}

bool AdvanceSweep(PlayState& s, int areaHeight) {
    s.point += s.pointDirection * kSweepPointStep;
    if (s.point >= areaHeight - 1) s.point = std::max(areaHeight - 1, 0), s.pointDirection = -1;
    if (s.point <= 0) s.point = 0, s.pointDirection = 1;
    return AdvanceStroke(s);
}

}  // namespace

void StepEffectState(PlayState& s, int passes, const CardAction& a, int left, int top, int right, int bottom,
                     int contentWidth, int contentHeight, bool continuous) {
    const int w = std::max(right - left, 0), h = std::max(bottom - top, 0);
    const bool first = s.phase == kPhaseNotStarted || s.phase == kPhaseMain;  // a repeat is set up as its pass
    const bool pending = s.phase == kPhaseStartPending;
    s.effectClass = a[0];
    s.stepValue = LoadU16(&a[10]);
    s.direction = a[6] != 0;
    s.secondCopy = 0;
    s.stage = passes <= 1 ? 2 : first ? 0 : continuous ? 3 : 1;
    switch (s.effectClass) {
    case 1: SetUpMove(s, a, w, h, contentWidth, contentHeight, pending); break;
    case 2: SetUpStrips(s); break;
    case 3: BeginStroke(s, s.direction ? h : w); break;
    case 5:
    case 11:
    case 12:
        s.direction = a[6];
        BeginStroke(s, h);
        break;
    case 13:
    case 14:
        s.point = 0;
        s.pointDirection = 1;
        BeginStroke(s, w);
        break;
    case 16: BeginStroke(s, kDissolveMaskCount - 1); break;
    case 8:
    case 15:
        s.position = 0;
        s.limit = 2 * std::max<int>(a[6], 1);
        break;
    default:  // 0 static, 17 random: drawn in place
        s.position = 0;
        s.limit = 0;
        break;
    }
}

bool PassEndsShown(const PlayState& s) {
    switch (s.effectClass) {
    case 1: return false;  // a move ends when the content has left
    case 2: return s.position > 2 * s.strokeLength;
    case 3:
    case 5:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16: return s.stage == 0;
    default: return true;  // static, random, and flash and twinkle, which end shown
    }
}

int PageCount(const PlayState& s, int contentHeight, int areaHeight) {
    if (s.effectClass == 1 || areaHeight < 1 || contentHeight <= areaHeight) return 1;
    return int((int64_t(contentHeight) + areaHeight - 1) / areaHeight);
}

bool AdvanceMotion(PlayState& s, int areaHeight) {
    switch (s.effectClass) {
    case 1:
        if (s.direction <= 1) return --s.position <= s.limit;
        return ++s.position >= s.limit;
    case 2: return AdvanceStrips(s);
    case 3:
    case 5:
    case 11:
    case 12:
    case 16: return AdvanceStroke(s);
    case 13:
    case 14: return AdvanceSweep(s, areaHeight);
    case 8:
    case 15: return ++s.position >= s.limit;
    default: return true;
    }
}

std::array<uint16_t, 4> BorderOffsets(uint8_t effect, uint8_t step, const std::array<uint16_t, 4>& current) {
    const uint16_t a = uint16_t(-int(step));     // -s
    const uint16_t b = uint16_t(int(step) - 256);  // s - 256
    switch (effect) {
    case 2: return {a, b, b, a};
    case 3: return {b, a, a, b};
    case 4: return {b, b, b, b};
    case 5: return {a, b, a, b};
    case 6: return {a, a, a, a};
    case 7: return {b, a, b, a};
    default: return current;
    }
}

}  // namespace ledsuite
