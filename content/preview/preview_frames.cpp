// One frame of a program's play state drawn into the LED image (see the geometry
// notes in preview_motions.cpp).
#include <algorithm>
#include <cstdlib>

#include "content/bytes.h"
#include "content/preview/preview_player.h"
#include "content/render/led_planes.h"

namespace ledsuite {

namespace {

struct Area {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

bool HorizontalMove(uint8_t effect) {
    return effect == kEffectMoveLeft || effect == kEffectMoveRight || effect == kEffectMoveLeftContinue ||
           effect == kEffectMoveRightContinue;
}

// The shift that brings the pass's screenful of the text into the area.
int PageShift(const PlayedProgram& p, const Area& a) { return -p.state.page * a.height(); }

// The text at the offsets, taken from its picture when it has one (it is the same at
// every step), else drawn.
void DrawStatic(LayoutCanvas& c, const PlayedProgram& p, const Area& a, int x, int y) {
    if (c.rc && MakeContentPicture(*c.rc, p.record.content, p.layout, p.picture))
        return AddContentPicture(c, p.picture, a.left, a.top, a.right, a.bottom, x, y + PageShift(p, a));
    RenderProgramStatic(c, p.record.content, p.layout, a.left, a.top, a.right, a.bottom, x, y + PageShift(p, a));
}

// The content of the whole area rendered alone, for the classes that move its rows or
// columns apart (rows off the screen can be moved onto it).
Surface ContentSurface(LayoutCanvas& c, const PlayedProgram& p, const Area& a) {
    if (!c.rc) return Surface();
    return RenderAreaSurface(*c.rc, p.record.content, p.layout, 0, 0, a.width(), a.height(), 0, PageShift(p, a),
                             c.tick, a.width(), a.height());
}

// Adds the surface pixel (sx, sy) at LED (x, y) when that lies inside the area.
void PutPixel(RawImage& led, const Area& a, const Surface& s, int sx, int sy, int x, int y) {
    const PixelRect clip = PixelRect{a.left, a.top, a.right, a.bottom}.Intersect({0, 0, led.width, led.height});
    if (!clip.Contains(x, y)) return;
    uint32_t& d = led.row32(y)[x];
    d |= s.row(sy)[sx];
}

// Calls fn(x, y) for every lit pixel of an area's surface.
template <class F>
void ForEachLit(const Surface& s, F&& fn) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.row(y)[x] != 0) fn(x, y);
}

void DrawMove(LayoutCanvas& c, const PlayedProgram& p, const Area& a, int shift) {
    const PlayState& s = p.state;
    const bool horizontal = s.direction == 0 || s.direction == 2;
    if (!horizontal) return DrawStatic(c, p, a, 0, s.position);
    DrawStatic(c, p, a, s.position, shift);
    const int gap = p.layout.size.width + kSecondCopyGap;
    if (s.secondCopy != 0) DrawStatic(c, p, a, s.position + (s.direction == 0 ? gap : -gap), shift);
}

void DrawStrips(LayoutCanvas& c, const PlayedProgram& p, const Area& a) {
    DrawStatic(c, p, a, 0, 0);
    const PlayState& s = p.state;
    const int h = s.strokeLength, period = 2 * h + 1;
    const int r = s.position <= h ? s.position : 2 * h - s.position;
    const int n = s.direction ? a.height() : a.width();
    // Bytes 8-9 of the card action shift the strips: a strip's middle lies at h + offset
    // (modulo the period). Curtain-Left's middle is just past the right edge (offset 0, h the
    // width), Curtain-Right's just before the left edge (offset the width): they open from
    // opposite edges. Door's middles lie just outside both edges, so it opens from the middle
    // where Scroll (offset 0) opens from both edges.
    const int offset = LoadU16(&p.action[8]) % period;
    for (int i = 0; i < n; ++i) {
        if (std::abs((i - offset + period) % period - h) > r) continue;
        if (s.direction) ClearImageRect(c.ledImage, a.left, a.top + i, a.right, a.top + i + 1);
        else ClearImageRect(c.ledImage, a.left + i, a.top, a.left + i + 1, a.bottom);
    }
}

void DrawInterweave(LayoutCanvas& c, const PlayedProgram& p, const Area& a) {
    const Surface s = ContentSurface(c, p, a);
    const int d = p.state.position;
    const bool vertical = p.state.direction != 0;
    ForEachLit(s, [&](int ax, int ay) {
        const int shift = ((vertical ? ax : ay) & 1) ? d : -d;
        PutPixel(c.ledImage, a, s, ax, ay, a.left + ax + (vertical ? 0 : shift), a.top + ay + (vertical ? shift : 0));
    });
}

// Stack, snow and dance. The line L runs from the area's height to 0 while the content
// comes in. Going down (direction 3) the rows at or below the line are in place and those
// above it fold back behind it: row y shows the content's row 2y - L, so the rows still to
// come are packed into the band above the line. Going up (1) is the same upside down. Snow
// draws a folded row only where its diagonal dither allows (bit (x & 7) of 0x11 << (y & 3))
// and repeats each folded row one row further back with the patterns 0x44, 0x88, 0x11,
// 0x22 by row; dance folds its odd columns the other way. Rows count from the edge the
// content comes from (the top going down).
void DrawLines(LayoutCanvas& c, const PlayedProgram& p, const Area& a) {
    static constexpr uint8_t kRepeatPatterns[4] = {0x44, 0x88, 0x11, 0x22};
    const Surface s = ContentSurface(c, p, a);
    if (s.width() < 1 || s.height() < 1) return;
    const PlayState& st = p.state;
    const int line = st.position, h = s.height();
    // A line at the far edge still shows the packed rows; going out, that is the step at
    // which the content has gone, and the area is left empty.
    if (st.stage == 1 && line >= h) return;
    const bool snow = st.effectClass == 11;
    for (int x = 0; x < s.width(); ++x) {
        const bool down = (st.direction == 3) != (st.effectClass == 12 && (x & 1));
        auto row = [&](int y) { return down ? y : h - 1 - y; };  // an oriented row as a surface row
        auto put = [&](int from, int to) { PutPixel(c.ledImage, a, s, x, row(from), a.left + x, a.top + row(to)); };
        for (int y = 0; y < h; ++y) {
            if (y >= line) {
                if (s.row(row(y))[x]) put(y, y);
                continue;
            }
            const int folded = 2 * y - line;
            if (folded >= 0 && s.row(row(folded))[x] && (!snow || ((0x11u << (y & 3)) >> (x & 7)) & 1)) put(folded, y);
            const int behind = 2 * (y + 1) - line;  // the folded row one further on, repeated here
            if (snow && y + 1 < line && behind >= 0 && s.row(row(behind))[x] && (kRepeatPatterns[y & 3] >> (x & 7)) & 1)
                put(behind, y);
        }
    }
}

void DrawSweep(LayoutCanvas& c, const PlayedProgram& p, const Area& a, const FrameVector& corners) {
    DrawStatic(c, p, a, 0, 0);
    RawImage& led = c.ledImage;
    const PlayState& s = p.state;
    const bool in = s.stage == 0 || s.stage == 2;
    const int done = in ? s.position : s.strokeLength - s.position;  // columns passed
    const bool fromRight = s.direction != 0;
    auto columnX = [&](int i) { return fromRight ? a.right - 1 - i : a.left + i; };
    const int x = columnX(done), y = a.top + s.point;
    const bool onScreen = done < a.width() && PixelRect{0, 0, led.width, led.height}.Contains(x, y);
    const uint32_t beam = onScreen ? led.row32(y)[x] : 0;  // the content's colour at the point
    for (int i = 0; i < a.width(); ++i) {
        const bool passed = i < done;
        if (i != done && passed == in) continue;  // shown: passed columns coming in, others going out
        const int cx = columnX(i);
        if (i != done) ClearImageRect(led, cx, a.top, cx + 1, a.bottom);
        else if (s.pointDirection > 0) ClearImageRect(led, cx, y, cx + 1, a.bottom);  // from the point on
        else ClearImageRect(led, cx, a.top, cx + 1, y + 1);
    }
    if (!onScreen) return;
    if (s.effectClass == 14) {  // the laser's beam from the column to the far edge
        const int x0 = fromRight ? std::max(a.left, 0) : x, x1 = fromRight ? x + 1 : std::min(a.right, led.width);
        std::fill(led.row32(y) + x0, led.row32(y) + x1, beam);
    }
    const RawImage* sprite = GetImageFrame(&corners, size_t((fromRight ? 2 : 0) + (s.stage & 1)));
    if (!sprite) return;
    const int sx = fromRight ? x - sprite->displayWidth + 1 : x;
    CompositeImage(led, *sprite, a.left, a.top, a.right, a.bottom, sx, y - 16, 0);
}

}  // namespace

void DrawPlayFrame(LayoutCanvas& c, const PlayedProgram& p, const FrameVector& corners, const FrameVector& masks) {
    const ProgramRecord& r = p.record;
    const Area a{r.left, r.top, r.right, r.bottom};
    if (!c.ledImage.is32() || a.width() < 1 || a.height() < 1 || a.width() > kMaxAreaSide ||
        a.height() > kMaxAreaSide)
        return;
    ClearImageRect(c.ledImage, a.left, a.top, a.right, a.bottom);
    if (p.state.phase == kPhaseNotStarted) return;
    const uint8_t effect = p.state.phase == kPhaseSecondary ? r.secondaryAction.effect : r.mainAction.effect;
    const int shift = HorizontalMove(effect) ? int16_t(LoadU16(&p.action[6])) : 0;
    switch (p.state.effectClass) {
    case 1: return DrawMove(c, p, a, shift);
    case 2: return DrawStrips(c, p, a);
    case 3: return DrawInterweave(c, p, a);
    case 5:
    case 11:
    case 12: return DrawLines(c, p, a);
    case 8:
        DrawStatic(c, p, a, 0, 0);
        // The card inverts its planes: the negative of what the screen lights.
        if (p.state.position & 1) InvertAsScreen(c.ledImage, a.left, a.top, a.right, a.bottom, p.layout.colorCode);
        return;
    case 15:
        if (!(p.state.position & 1)) DrawStatic(c, p, a, 0, 0);
        return;
    case 13:
    case 14: return DrawSweep(c, p, a, corners);
    case 16:
        DrawStatic(c, p, a, 0, 0);
        if (const RawImage* mask = GetImageFrame(&masks, size_t(std::max(p.state.position, 0))))
            MaskImageTiled(c.ledImage, a.left, a.top, a.right, a.bottom, *mask);
        return;
    default: return DrawStatic(c, p, a, 0, 0);
    }
}

}  // namespace ledsuite
