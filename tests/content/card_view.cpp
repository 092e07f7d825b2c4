#include "tests/content/card_view.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "content/bytes.h"
#include "content/render/builtin_font.h"

namespace ledsuite {
namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// The channels of the two planes of each two-plane mode (12 to 17); one plane (mode 5) is white.
std::array<uint32_t, 2> PlaneChannels(int mode) {
    switch (mode) {
        case 12: return {kRed, kGreen};
        case 13: return {kGreen, kBlue};
        case 14: return {kBlue, kRed};
        case 15: return {kRed, kBlue};
        case 16: return {kBlue, kGreen};
        case 17: return {kGreen, kRed};
        default: return {kWhite, 0};
    }
}

// What the screen's LEDs can show: two channels for the two-colour codes, red for the rest.
uint32_t ScreenChannels(int colorCode) {
    switch (colorCode) {
        case 12: case 17: return kRed | kGreen;
        case 13: case 16: return kGreen | kBlue;
        case 14: case 15: return kRed | kBlue;
        default: return kRed;
    }
}

// The colour of a field record's or a colour command's code.
uint32_t CodeColour(int code) {
    switch (code) {
        case 9: return kRed;
        case 10: return kGreen;
        case 11: return kBlue;
        case 12: return kRed | kGreen;
        case 13: return kGreen | kBlue;
        case 14: return kRed | kBlue;
        case 0: return 0;
        default: return kWhite;  // 7 all three, 5 a picture's own planes
    }
}

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The strings a field shows at a time: digits as text, the names as their table index.
std::string DigitValue(int type, const LocalTime& t) {
    char buf[16];
    switch (type) {
        case 0: std::snprintf(buf, sizeof buf, "%d", t.year); break;
        case 1: std::snprintf(buf, sizeof buf, "%02d", t.month); break;
        case 2: std::snprintf(buf, sizeof buf, "%02d", t.day); break;
        case 3: std::snprintf(buf, sizeof buf, "%02d", t.hour); break;
        case 4: std::snprintf(buf, sizeof buf, "%02d", t.minute); break;
        case 5: std::snprintf(buf, sizeof buf, "%02d", t.second); break;
        case 6: return "20";
        case 7: return "40";
        default: return "";
    }
    return buf;
}

int NameIndex(int type, const LocalTime& t) {
    if (type == 9 || type == 10 || type == 15) return std::clamp(t.weekday, 0, 6);
    if (type == 11 || type == 12) return std::clamp(t.month - 1, 0, 11);
    return -1;
}

// The digit table's string of a character: "0".."9", ".", "+", "-", "*", "/", " ".
int DigitIndex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    static const char kRest[] = ".+-*/ ";
    for (int i = 0; kRest[i]; ++i)
        if (kRest[i] == c) return 10 + i;
    return -1;
}

// A counter's start value as its digit format shows it.
std::string CounterValue(int format, int32_t start, int32_t startFraction, int32_t end, int32_t endFraction,
                         uint8_t flags) {
    const int n = format >> 4, d = format & 0xF;
    auto negative = [](int32_t v, int32_t f) { return v < 0 || (v == 0 && f < 0); };
    std::string s;
    if (negative(start, startFraction)) s += '-';
    else if (negative(start, startFraction) || negative(end, endFraction)) s += (flags & 1) ? '+' : ' ';
    auto digits = [&](int64_t v, int count) {
        std::string part(size_t(std::max(count, 1)), '0');
        v = v < 0 ? -v : v;
        for (int i = int(part.size()) - 1; i >= 0 && v; --i, v /= 10) part[size_t(i)] = char('0' + v % 10);
        s += part;
    };
    digits(n > 0 ? start : 0, n);
    if (d > 0) {
        s += '.';
        digits(startFraction, d);
    }
    return s;
}

class CardPainter {
public:
    CardPainter(std::span<const uint8_t> bytes, const CardScreen& screen, const LocalTime& now,
                std::span<const CardStep> steps, CardView& out)
        : b_(bytes), screen_(screen), now_(now), steps_(steps), out_(out) {}

    void Run(size_t set) {
        ResetImage(out_.picture, std::max(screen_.width, 1), std::max(screen_.height, 1));
        if (b_.size() < 12 || LoadU32(b_.data()) > b_.size() || LoadU32(b_.data()) < 12)
            return Problem("no program image");
        end_ = LoadU32(b_.data()) - 4;
        size_t rec = 4 + 10 * set;
        for (size_t i = 0; i <= set; ++i)
            if (!Has(4 + 10 * i, 4) || U32(4 + 10 * i) == 0) return Problem("no set " + std::to_string(set));
        const size_t first = U16(rec), count = U16(rec + 2);
        for (size_t i = 0; i < count && Has(first + 14 * i, 14); ++i) Program(first + 14 * i, StepOf(i));
        for (int y = 0; y < out_.picture.height; ++y)
            for (int x = 0; x < out_.picture.width; ++x) out_.picture.row32(y)[x] = Shown(out_.picture.row32(y)[x]);
    }

private:
    // A two-colour screen shows its two channels; a one-colour screen has one plane, and
    // whatever colour a field or a colour command names, the LEDs it draws light.
    uint32_t Shown(uint32_t px) const {
        const bool oneColour = PlaneChannels(screen_.colorCode)[1] == 0;
        return oneColour ? (px ? kRed : 0) : px & ScreenChannels(screen_.colorCode);
    }

    // Every LED of the area lit where it was dark and dark where it was lit, in the
    // screen's channels.
    void Invert() {
        for (int y = std::max(area_.top, 0); y < std::min(area_.bottom, out_.picture.height); ++y)
            for (int x = std::max(area_.left, 0); x < std::min(area_.right, out_.picture.width); ++x) {
                uint32_t& px = out_.picture.row32(y)[x];
                px = Shown(px) ^ ScreenChannels(screen_.colorCode);
            }
    }

    void Problem(const std::string& what) { out_.problems.push_back(what); }
    bool Has(size_t off, size_t n) const { return off <= end_ && n <= end_ - off; }
    bool Need(size_t off, size_t n, const char* what) {
        if (Has(off, n)) return true;
        Problem(std::string(what) + " outside the image");
        return false;
    }
    uint8_t U8(size_t off) const { return b_[off]; }
    uint16_t U16(size_t off) const { return LoadU16(b_.data() + off); }
    uint32_t U32(size_t off) const { return LoadU32(b_.data() + off); }

    // Adds a colour to an LED of the area (OR: what overlaps adds up).
    void Light(int x, int y, uint32_t colour) {
        if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return;
        if (x < 0 || y < 0 || x >= out_.picture.width || y >= out_.picture.height) return;
        out_.picture.row32(y)[x] |= colour;
    }

    const CardStep* StepOf(size_t program) const {
        for (const CardStep& step : steps_)
            if (step.program == program) return &step;
        return nullptr;
    }

    void Program(size_t rec, const CardStep* step) {
        area_ = {int16_t(U16(rec + 4)), int16_t(U16(rec + 6)), int16_t(U16(rec + 8)), int16_t(U16(rec + 10))};
        CardProgram& info = out_.programs.emplace_back();
        info.left = area_.left, info.top = area_.top, info.right = area_.right, info.bottom = area_.bottom;
        const size_t header = U16(rec);
        if (!Need(header, 10, "content header")) return;
        const int actions = U8(header), flags = U8(header + 1);
        size_t p = U32(header + 6);
        size_t border = 0;
        if (flags & 0x02) {
            if (!Need(p, 4, "border slot")) return;
            border = U32(p);
            p += 4;
        }
        if (flags & 0x01) p += 3;
        if (!Need(p, 12 * size_t(actions) + 6, "actions and text head")) return;
        for (size_t a = p; a < p + 12 * size_t(actions); a += 12)
            info.actions.push_back({U8(a), U8(a + 8), int16_t(U16(a + 6))});
        p += 12 * size_t(actions);
        info.textWidth = U16(p), info.textHeight = U16(p + 2);
        const int form = U8(p + 4);
        p += 6;
        if (form != 1 && form != 2 && form != 10 && form != 14) Problem("text form " + std::to_string(form));
        // A text moving left or right (card class 1, direction 0 or 2) is drawn lower by the
        // offset of its action; a move up or down keeps its rows where its pictures put them.
        const size_t shown = step && step->action < info.actions.size() ? step->action : 0;
        const CardProgram::Action action = shown < info.actions.size() ? info.actions[shown] : CardProgram::Action{};
        const bool across = action.cardClass == 1 && (action.direction & 1) == 0;
        shiftY_ = across ? action.offset : 0;
        shiftX_ = 0;
        if (step) shiftX_ = step->dx, shiftY_ += step->dy;
        Text(form, p);
        if (step && across && 2 * info.textWidth > area_.right - area_.left) {  // the trailing copy
            shiftX_ += (action.direction & 3) == 0 ? info.textWidth + kCardSecondCopyGap
                                                   : -(info.textWidth + kCardSecondCopyGap);
            Text(form, p);
        }
        if (step && step->inverted) Invert();
        if (border) Border(border);
    }

    void Text(int form, size_t p) {
        if (form == 2) Rendered(p);
        else if (form == 1) ClockForm(p);
        else if (form == 10) CommandStream(p);
    }

    // ---- planes and image sets --------------------------------------------------------

    // Planes of a w x h image in `mode` at (x0, y0) of the screen; `colour` replaces white.
    void Planes(size_t at, int mode, int w, int h, int x0, int y0, uint32_t colour = kWhite, bool copy = false) {
        const auto channels = PlaneChannels(mode);
        const size_t row = (size_t(w) + 7) >> 3, plane = row * size_t(h);
        const int count = channels[1] ? 2 : 1;
        if (!Need(at, plane * size_t(count), "planes")) return;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t px = 0;
                for (int k = 0; k < count; ++k)
                    if (U8(at + plane * size_t(k) + row * size_t(y) + size_t(x >> 3)) >> (x & 7) & 1)
                        px |= count == 1 ? colour : channels[size_t(k)];
                if (copy) Put(x0 + x, y0 + y, px);
                else if (px) Light(x0 + x, y0 + y, px);
            }
    }

    void Put(int x, int y, uint32_t colour) {
        if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return;
        if (x < 0 || y < 0 || x >= out_.picture.width || y >= out_.picture.height) return;
        out_.picture.row32(y)[x] = colour;
    }

    // A 10-byte frame header and its plane offset; returns the frame's width and height.
    std::pair<int, int> Frame(size_t h, int x0, int y0, bool copy = false) {
        if (!Need(h, 14, "frame header")) return {0, 0};
        const int w = U16(h + 2), ht = U16(h + 4);
        Planes(U32(h + 10), U8(h + 1), w, ht, x0, y0, kWhite, copy);
        return {w, ht};
    }

    // The first frame of an image set: what a still picture shows.
    std::pair<int, int> FirstFrame(size_t set, int x0, int y0, bool copy = false) {
        if (!Need(set, 3, "image set")) return {0, 0};
        if (U8(set) != 3 || U8(set + 2) == 0) {
            Problem("not an image set");
            return {0, 0};
        }
        return Frame(set + 3, x0, y0, copy);
    }

    // ---- rendered form ------------------------------------------------------------------

    void ClockForm(size_t p) {
        if (!Need(p, 2, "clock table")) return;
        const size_t n = U16(p);
        if (n == 0 || !Need(p + 2, 8 * n, "clock table")) return;
        for (size_t i = 1; i < n; ++i) {
            const size_t e = p + 2 + 8 * i, block = U32(e + 4);
            if (Need(block, 4, "clock block"))
                FirstFrame(block + 4, area_.left + int16_t(U16(e)) + shiftX_,
                           area_.top + int16_t(U16(e + 2)) + shiftY_);
        }
        Rendered(U32(p + 6) + 2);
    }

    void Rendered(size_t p) {
        if (!Need(p, 6, "code stream")) return;
        size_t q = p + 6 + 2 * size_t(U16(p + 4));
        while (Need(q, 4, "picture entry") && U32(q) != 0) {
            if (!Need(q, 8, "picture entry")) return;
            const int x = area_.left + int16_t(U16(q + 4)) + shiftX_, y = area_.top + int16_t(U16(q + 6)) + shiftY_;
            Frame(U32(q), x, y);
            for (q += 8; Need(q, 1, "field records") && U8(q) != 0; q += 10)
                if (Need(q, 10, "field record")) Field(q, x, y);
            ++q;
        }
    }

    void Field(size_t r, int px, int py) {
        const int colour = U8(r), type = U8(r + 1);
        const int x = px + int16_t(U16(r + 2)), y = py + int16_t(U16(r + 4));
        const size_t target = U32(r + 6);
        if (type <= 7) return GlyphString(target, DigitValue(type, now_), x, y, CodeColour(colour));
        if (type >= 9 && type <= 12) return GlyphName(target, NameIndex(type, now_), x, y, CodeColour(colour));
        if (type == 14) return void(FirstFrame(target, x, y));
        if (type == 22 && Need(target, 32, "counter record")) {
            const std::string value =
                CounterValue(U8(target + 1), int32_t(U32(target + 8)), int32_t(U32(target + 16)),
                             int32_t(U32(target + 12)), int32_t(U32(target + 20)), U8(target + 4));
            return GlyphString(U32(target + 28), value, x, y, CodeColour(colour));
        }
        Problem("field type " + std::to_string(type) + " not drawn");
    }

    // The glyphs of glyph list `index` of a glyph set, side by side from (x, y); returns x after them.
    int GlyphList(size_t g, int index, int x, int y, uint32_t colour) {
        if (!Need(g, 2, "glyph set") || index < 0) return x;
        const int w = U8(g), h = U8(g + 1);
        if (!Need(g + 2 + 2 * size_t(index), 2, "glyph string")) return x;
        for (size_t list = g + U16(g + 2 + 2 * size_t(index)); Need(list, 2, "glyph list") && U16(list); list += 2) {
            Planes(g + U16(list), 5, w, h, x, y, colour);
            x += w;
        }
        return x;
    }

    void GlyphString(size_t g, const std::string& value, int x, int y, uint32_t colour) {
        for (char c : value) x = GlyphList(g, DigitIndex(c), x, y, colour);
    }

    void GlyphName(size_t g, int index, int x, int y, uint32_t colour) { GlyphList(g, index, x, y, colour); }

    // ---- border -----------------------------------------------------------------------

    // The four sides' image sets (left, top, right, bottom at the words 12, 4, 16, 8), each
    // tiled from the area's corner along its side over what the content drew.
    void Border(size_t blk) {
        if (!Need(blk, 28, "border block")) return;
        static constexpr size_t kWord[4] = {12, 4, 16, 8};
        for (int side = 0; side < 4; ++side) {
            const size_t set = U32(blk + kWord[side]);
            if (!Need(set, 17, "border side")) continue;
            const int w = U16(set + 5), h = U16(set + 7);
            if (w < 1 || h < 1) continue;
            const bool down = side == 0 || side == 2;
            const int x0 = side == 2 ? area_.right - w : area_.left, y0 = side == 3 ? area_.bottom - h : area_.top;
            const Rect keep = area_;
            area_ = {x0, y0, down ? x0 + w : area_.right, down ? area_.bottom : y0 + h};
            area_ = {std::max(area_.left, keep.left), std::max(area_.top, keep.top), std::min(area_.right, keep.right),
                     std::min(area_.bottom, keep.bottom)};
            for (int y = area_.top; y < area_.bottom; ++y)  // the strip is the tiles' alone
                for (int x = area_.left; x < area_.right; ++x) Put(x, y, 0);
            for (int at = down ? y0 : x0; at < (down ? area_.bottom : area_.right); at += down ? h : w)
                FirstFrame(set, down ? x0 : at, down ? at : y0, true);
            area_ = keep;
        }
    }

    // ---- command stream -----------------------------------------------------------------

    struct Pen {
        int x = 0, y = 0, lineY = 0, spacing = 0, size = 0;
        uint32_t colour = 0;
    };

    void CommandStream(size_t p) {
        if (!Need(p, 6, "command stream head")) return;
        const bool swapped = U8(p + 2) != 0;
        Pen pen;
        for (p += 6; Need(p, 2, "command unit");) {
            const uint8_t a = U8(p), b = U8(p + 1);
            p += 2;
            if (a == 0 && b == 0) return;
            const uint8_t cmd = swapped ? b : a, param = swapped ? a : b;
            if (cmd >= 0xF9 && cmd <= 0xFD) {
                if (!Command(p, cmd, param, pen)) return;
                continue;
            }
            const char16_t code = swapped ? char16_t(a | b << 8) : a == 0 ? char16_t(b) : char16_t(0x8000);
            pen.x += pen.spacing;
            pen.x += ChipCharacter(code, pen);
        }
    }

    // One command with its operands; false when the stream cannot go on.
    bool Command(size_t& p, uint8_t cmd, uint8_t param, Pen& pen) {
        switch (cmd) {
            case 0xFD: {
                const size_t n = param == 0x03 ? 4 : param == 0x07 ? 6 : param == 0x02 ? 2 : 0;
                if (n == 0 || !Need(p, n, "position command")) return false;
                if (param == 0x02) {
                    pen.y = area_.top + int16_t(U16(p)) + shiftY_;
                } else {
                    pen.x = area_.left + int16_t(U16(p)) + shiftX_;
                    pen.y = pen.lineY = area_.top + int16_t(U16(p + 2)) + shiftY_;
                    pen.spacing = param == 0x07 ? int16_t(U16(p + 4)) : 0;
                }
                p += n;
                return true;
            }
            case 0xFB: pen.colour = CodeColour(param); return true;
            case 0xFA: pen.size = param; return true;
            case 0xF9: return true;
            default: break;
        }
        if (param == 0x18) {  // a table: walked over, not drawn
            Problem("table in a command stream not drawn");
            return SkipTable(p);
        }
        if (!Need(p, 4, "object command")) return false;
        const size_t target = U32(p);
        p += 4;
        pen.x += pen.spacing;  // a justified line spaces every cell, fields and pictures too
        if (param == 0x0E) pen.x += FirstFrame(target, pen.x, pen.y).first;
        else pen.x += ChipField(target, param, pen);
        return true;
    }

    bool SkipTable(size_t& p) {
        for (p += 14; Need(p, 2, "table command");) {
            const uint8_t a = U8(p), b = U8(p + 1);
            p += 2;
            if (a == 0xFC && b == 0x19) return true;
            if (a == 0xFC && b == 0x1B) p += 10;
            else if (a == 0xFC && b == 0x1A) p += 4;
        }
        return false;
    }

    // A character of the chip: the built-in 5x7 font at size 8; returns its advance.
    int ChipCharacter(char16_t code, const Pen& pen) {
        if (pen.size != 8) {
            Problem("chip character of size " + std::to_string(pen.size) + " not drawn");
            return pen.size;
        }
        const uint8_t* glyph = BuiltinGlyph(code);
        if (!glyph) {
            Problem("chip character outside the built-in font");
            return kBuiltinGlyphAdvance;
        }
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 8; ++col)
                if (glyph[row] >> col & 1) Light(pen.x + col, pen.y + row, pen.colour);
        return kBuiltinGlyphAdvance;
    }

    // A dynamic field of the chip: digits from the time, names from the code table.
    int ChipField(size_t table, int type, const Pen& pen) {
        Pen at = pen;
        std::u16string text;
        if (type <= 7 || type == 13) {
            for (char c : DigitValue(type, now_)) text += char16_t(c);
        } else if (const int index = NameIndex(type, now_); index >= 0 && Need(table, 1, "code table")) {
            const size_t width = U8(table), entry = table + 1 + 2 * width * size_t(index);
            for (size_t i = 0; i < width && Need(entry + 2 * i, 2, "code table entry"); ++i) {
                if (U8(entry + 2 * i) == 0x20 && U8(entry + 2 * i + 1) == 0x20) break;
                text += U8(entry + 2 * i) == 0 ? char16_t(U8(entry + 2 * i + 1)) : char16_t(0x8000);
            }
            for (size_t i = text.size(); i < width; ++i) text += u' ';
        }
        for (char16_t c : text) at.x += ChipCharacter(c, at);
        return at.x - pen.x;
    }

    std::span<const uint8_t> b_;
    const CardScreen& screen_;
    const LocalTime& now_;
    std::span<const CardStep> steps_;
    CardView& out_;
    size_t end_ = 0;
    Rect area_;
    int shiftX_ = 0, shiftY_ = 0;  // where the content stands against its pictures' places
};

}  // namespace

CardView DrawCardView(std::span<const uint8_t> image, size_t set, const CardScreen& screen, const LocalTime& now,
                      std::span<const CardStep> steps) {
    CardView view;
    CardPainter(image, screen, now, steps, view).Run(set);
    return view;
}

}  // namespace ledsuite
