#include "tests/content/image_walker.h"

#include <cstdio>

#include "content/bytes.h"
#include "content/model/crc16.h"

namespace ledsuite {
namespace {

// The tables a field type shows: string count and the length of each string.
struct TableShape {
    int width;  // code-table entry width
    std::vector<int> lengths;
};

const TableShape& ShapeOfType(int type) {
    static const TableShape digits{1, std::vector<int>(16, 1)};
    static const TableShape weekCn{1, std::vector<int>(7, 1)};
    static const TableShape weekEn{9, {6, 6, 7, 9, 8, 6, 8}};
    static const TableShape months{9, {7, 8, 5, 5, 3, 4, 4, 6, 9, 7, 8, 8}};
    static const TableShape abbr{4, std::vector<int>(12, 4)};
    switch (type) {
        case 9: return weekCn;
        case 10:
        case 15: return weekEn;
        case 11: return months;
        case 12: return abbr;
        default: return digits;
    }
}

bool IsGlyphFieldType(int t) { return (t >= 0 && t <= 7) || (t >= 9 && t <= 13); }
bool IsCommandFieldType(int t) { return (t >= 0 && t <= 7) || (t >= 9 && t <= 13) || t == 15 || (t >= 17 && t <= 19); }
bool IsFieldColor(int c) { return c == 5 || c == 7 || (c >= 9 && c <= 14); }

std::string Hex(size_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%zX", v);
    return buf;
}

class Walker {
public:
    Walker(std::span<const uint8_t> bytes, ImageWalk& out) : b_(bytes), out_(out) {}

    void Run() {
        if (b_.size() < 12) return Problem("image shorter than 12 bytes");
        const size_t length = U32(0);
        out_.length = length;
        if (length > b_.size()) return Problem("length word " + Hex(length) + " beyond the " + Hex(b_.size()) + " bytes");
        if (length < 12 || length % 4) return Problem("length word " + Hex(length) + " not a multiple of 4 of at least 12");
        if (length < b_.size() && !(b_.size() - length >= 4 && b_[length] == 'p' && b_[length + 1] == 'd' &&
                                    b_[length + 2] == 'e' && b_[length + 3] == 0))
            Problem("bytes after the image are not a voice block");
        end_ = length - 4;
        if (U16(end_) != 0x00FF) Problem("no end mark FF 00 at " + Hex(end_));
        if (U16(length - 2) != Crc16Modbus(length - 2, b_.data())) Problem("CRC mismatch");
        if (U32(4) == 0xFFFF0000u) return Problem("a bitmap program image");
        WalkSetTable();
    }

private:
    void Problem(const std::string& what) { out_.problems.push_back(what); }
    bool Has(size_t off, size_t n) const { return off <= end_ && n <= end_ - off; }
    bool Need(size_t off, size_t n, const std::string& what) {
        if (Has(off, n)) return true;
        Problem(what + " at " + Hex(off) + " (" + std::to_string(n) + " bytes) outside the image");
        return false;
    }
    uint8_t U8(size_t off) const { return b_[off]; }
    uint16_t U16(size_t off) const { return LoadU16(b_.data() + off); }
    uint32_t U32(size_t off) const { return LoadU32(b_.data() + off); }

    void WalkSetTable() {
        size_t pos = 4;
        while (true) {
            if (!Need(pos, 4, "set table")) return;
            if (U32(pos) == 0) break;
            if (!Need(pos, 10, "set record")) return;
            WalkSet(pos);
            pos += 10;
        }
        if (out_.sets == 0) Problem("no set record");
    }

    void WalkSet(size_t rec) {
        const std::string name = "set " + std::to_string(out_.sets++);
        const size_t first = U16(rec), count = U16(rec + 2), type = U8(rec + 8);
        if (count == 0) Problem(name + ": no program record");
        if (U8(rec + 9) != 0) Problem(name + ": byte 9 not 0");
        if (type == 6) {
            const size_t sched = U16(rec + 4) | size_t(U16(rec + 6)) << 16;
            if (Need(sched, 7, name + " schedule")) {
                const size_t ranges = U8(sched + 1);
                if (ranges != 1) Problem(name + ": schedule with " + std::to_string(ranges) + " date ranges");
                const size_t mAt = sched + 2 + 4 * ranges;
                if (Need(mAt, 1, name + " schedule periods")) {
                    const size_t m = U8(mAt);
                    if (m > 24) Problem(name + ": more than 24 periods");
                    if (Need(mAt + 1, 4 * m, name + " schedule periods")) {
                        for (size_t i = 0; i < m; ++i)
                            if (U16(mAt + 1 + 4 * i) >= U16(mAt + 3 + 4 * i)) Problem(name + ": empty period stored");
                        if (mAt + 1 + 4 * m != first) Problem(name + ": schedule not right before the program records");
                    }
                }
            }
        }
        if (!Need(first, 14 * count, name + " program records")) return;
        for (size_t i = 0; i < count; ++i) WalkProgram(first + 14 * i, name + " program " + std::to_string(i));
    }

    void WalkProgram(size_t rec, const std::string& name) {
        ++out_.programs;
        if (U16(rec + 2) != 1) Problem(name + ": word 2 not 1");
        if (U16(rec + 12) != 0) Problem(name + ": word 12 not 0");
        const size_t header = U16(rec);
        if (!Need(header, 10, name + " content header")) return;
        const int actions = U8(header), flags = U8(header + 1);
        if (actions != 1 && actions != 2) Problem(name + ": action count " + std::to_string(actions));
        if (U32(header + 2) != 0) Problem(name + ": reserved header word not 0");
        size_t p = U32(header + 6);
        if (!Need(p, 0, name + " content body")) return;
        if (flags & 0x02) {
            if (!Need(p, 4, name + " border slot")) return;
            WalkBorder(U32(p), name);
            p += 4;
        }
        if (flags & 0x01) p += 3;
        for (int i = 0; i < actions; ++i, p += 12) {
            if (!Need(p, 12, name + " action")) return;
            if (i == 0 && ((flags & 0x40) != 0) != (U8(p) == 1)) Problem(name + ": flag 0x40 against the main action's class");
            WalkAction(p, name);
        }
        if (!Need(p, 6, name + " text head")) return;
        const uint8_t form = U8(p + 4);
        if (U8(p + 5) != 0) Problem(name + ": text head byte 5 not 0");
        p += 6;
        switch (form) {
            case 14: break;
            case 10: WalkCommandStream(p, name); break;
            case 1: WalkClockForm(p, name); break;
            case 2: WalkRendered(p, name); break;
            default: Problem(name + ": text form " + std::to_string(form));
        }
    }

    void WalkAction(size_t a, const std::string& name) {
        const uint8_t cls = U8(a);
        if (U8(a + 1) < 1 || U8(a + 1) > 253) Problem(name + ": action speed " + std::to_string(U8(a + 1)));
        if (cls == 16) {
            if (U8(a + 10) != 3) Problem(name + ": class-16 action byte 10 not 3");
            WalkImageSet(U32(a + 6), name + " dissolve set", 0);
        } else if (cls == 13) {
            WalkImageSet(U32(a + 7), name + " class-13 images", 4);
        }
    }

    void WalkBorder(size_t blk, const std::string& name) {
        if (!out_.borderBlocks.insert(uint32_t(blk)).second) return;
        if (!Need(blk, 28, name + " border block")) return;
        static const int kPattern[9] = {0, 0xFF, 8, 8, 16, 5, 8, 14, 5};
        const int type = U8(blk);
        if (type < 1 || type > 8) return Problem(name + ": border type " + std::to_string(type));
        if (U8(blk + 2) < 10) Problem(name + ": border speed below 10");
        if (U8(blk + 3) != kPattern[type]) Problem(name + ": pattern size " + std::to_string(U8(blk + 3)));
        for (size_t i = 0; i < 4; ++i) WalkImageSet(U32(blk + 4 + 4 * i), name + " border side", 1);
    }

    // Frame or picture header (10 bytes) and its planes; returns false when out of range.
    bool WalkFrameHeader(size_t h, const std::string& name) {
        const int mode = U8(h + 1);
        if (mode != 5 && (mode < 12 || mode > 17)) Problem(name + ": colour mode " + std::to_string(mode));
        const size_t planes = mode == 5 ? 1 : 2;
        const size_t size = planes * U16(h + 4) * ((size_t(U16(h + 2)) + 7) >> 3);
        return Need(U32(h + 10), size, name + " planes");
    }

    void WalkImageSet(size_t s, const std::string& name, size_t expectFrames) {
        if (!Need(s, 3, name)) return;
        if (U8(s) != 3 || U8(s + 1) != 0) return Problem(name + ": image set at " + Hex(s) + " does not start 03 00");
        if (!out_.imageSets.insert(uint32_t(s)).second) return;
        const size_t c = U8(s + 2);
        if (expectFrames && c != expectFrames) Problem(name + ": " + std::to_string(c) + " frames");
        if (!Need(s + 3, 14 * c, name + " frame headers")) return;
        for (size_t i = 0; i < c; ++i) WalkFrameHeader(s + 3 + 14 * i, name);
    }

    void WalkPicture(size_t p, const std::string& name) {
        if (!out_.pictures.insert(uint32_t(p)).second) return;
        if (Need(p, 14, name + " picture")) WalkFrameHeader(p, name + " picture");
    }

    void WalkCommandStream(size_t p, const std::string& name) {
        if (!Need(p, 6, name + " command stream head")) return;
        const uint8_t order = U8(p + 2);
        if (U8(p + 3) != 0 || U16(p + 4) != 0) Problem(name + ": command stream head bytes 3-5 not 0");
        p += 6;
        bool inTable = false;
        while (true) {
            if (!Need(p, 2, name + " command unit")) return;
            const uint8_t a = U8(p), b = U8(p + 1);
            p += 2;
            if (a == 0 && b == 0) break;
            if (inTable && a == 0xFC && (b == 0x19 || b == 0x1A || b == 0x1B)) {
                const size_t operands = b == 0x1B ? 10 : b == 0x1A ? 4 : 0;
                if (!Need(p, operands, name + " table command")) return;
                p += operands;
                if (b == 0x19) inTable = false;
                continue;
            }
            const uint8_t cmd = order ? b : a, param = order ? a : b;
            if (cmd < 0xF9 || cmd > 0xFD) continue;  // a character
            size_t operands = 0;
            if (cmd == 0xFD) {
                operands = param == 0x03 ? 4 : param == 0x07 ? 6 : param == 0x02 ? 2 : 0;
                if (!operands) Problem(name + ": position command " + Hex(param));
            } else if (cmd == 0xFB && param != 0 && !IsFieldColor(param)) {
                Problem(name + ": colour code " + std::to_string(param));
            } else if (cmd == 0xFC) {
                operands = param == 0x18 ? 14 : 4;
                if (!Need(p, operands, name + " object command")) return;
                if (param == 0x0E) WalkImageSet(U32(p), name + " picture", 0);
                else if (param == 0x18) inTable = true;
                else if (IsCommandFieldType(param)) WalkCodeTable(U32(p), param, name);
                else Problem(name + ": object command " + Hex(param));
            }
            if (!Need(p, operands, name + " command operands")) return;
            p += operands;
        }
        if (inTable) Problem(name + ": table not closed");
    }

    void WalkCodeTable(size_t t, int type, const std::string& name) {
        if (!Need(t, 1, name + " code table")) return;
        if (!out_.codeTables.insert(uint32_t(t)).second) return;
        const TableShape& shape = ShapeOfType(type);
        if (U8(t) != shape.width) Problem(name + ": code table width " + std::to_string(U8(t)));
        Need(t + 1, 2 * shape.width * shape.lengths.size(), name + " code table entries");
    }

    void WalkClockForm(size_t p, const std::string& name) {
        if (!Need(p, 2, name + " clock table")) return;
        const size_t n = U16(p);
        if (n == 0 || !Need(p + 2, 8 * n, name + " clock table")) return Problem(name + ": bad clock table");
        const size_t stream = U32(p + 6);
        if (!Need(stream, 2, name + " stream form")) return;
        if (U8(stream) != 2 || U8(stream + 1) != 0) Problem(name + ": clock table entry 0 not at the bytes 2, 0");
        for (size_t i = 1; i < n; ++i) {
            const size_t blk = U32(p + 2 + 8 * i + 4);
            if (!Need(blk, 4, name + " clock block")) continue;
            if (U8(blk) != 4 || U8(blk + 1) != 0) Problem(name + ": clock block does not start 04 00");
            if (out_.clockBlocks.insert(uint32_t(blk)).second) WalkImageSet(blk + 4, name + " clock", 0);
        }
        WalkRendered(stream + 2, name);
    }

    void WalkRendered(size_t p, const std::string& name) {
        if (!Need(p, 6, name + " code stream head")) return;
        if (U16(p + 2) != 0xFF00) Problem(name + ": code stream word 2 not 0xFF00");
        const size_t count = U16(p + 4);
        if (count == 0 || !Need(p + 6, 2 * count, name + " code stream units")) return Problem(name + ": bad code stream");
        if (U16(p + 6 + 2 * (count - 1)) != 0) Problem(name + ": code stream does not end with a 0 unit");
        size_t q = p + 6 + 2 * count;
        while (true) {
            if (!Need(q, 4, name + " picture entry")) return;
            const size_t planes = U32(q);
            if (planes == 0) break;
            if (!Need(q, 8, name + " picture entry")) return;
            WalkPicture(planes, name);
            q += 8;
            while (true) {
                if (!Need(q, 1, name + " field records")) return;
                if (U8(q) == 0) {
                    ++q;
                    break;
                }
                if (!Need(q, 10, name + " field record")) return;
                WalkField(q, name);
                q += 10;
            }
        }
    }

    void WalkField(size_t r, const std::string& name) {
        const int color = U8(r), type = U8(r + 1);
        const size_t target = U32(r + 6);
        if (!IsFieldColor(color) || (type == 14 && color != 5)) Problem(name + ": field colour " + std::to_string(color));
        if (IsGlyphFieldType(type)) return WalkGlyphSet(target, type, name);
        switch (type) {
            case 14: return WalkImageSet(target, name + " picture field", 0);
            case 20: return WalkAdc(target, name);
            case 21: return WalkTimer(target, name);
            case 22: return WalkCounter(target, name);
            default: Problem(name + ": field type " + std::to_string(type));
        }
    }

    void WalkGlyphSet(size_t g, int type, const std::string& name) {
        if (!Need(g, 2, name + " glyph set")) return;
        if (!out_.glyphSets.insert(uint32_t(g)).second) return;
        const size_t glyph = ((size_t(U8(g)) + 7) >> 3) * U8(g + 1);
        const TableShape& shape = ShapeOfType(type);
        if (!Need(g + 2, 2 * shape.lengths.size(), name + " glyph string offsets")) return;
        for (size_t i = 0; i < shape.lengths.size(); ++i) {
            size_t list = g + U16(g + 2 + 2 * i);
            for (int c = 0;; ++c, list += 2) {
                if (!Need(list, 2, name + " glyph list")) return;
                const size_t off = U16(list);
                if (off == 0) {
                    if (c != shape.lengths[i]) Problem(name + ": glyph list " + std::to_string(i) + " has " + std::to_string(c) + " glyphs");
                    break;
                }
                if (c > shape.lengths[i]) return Problem(name + ": glyph list " + std::to_string(i) + " not terminated");
                Need(g + off, glyph, name + " glyph");
            }
        }
    }

    void WalkAdc(size_t a, const std::string& name) {
        if (!out_.fieldRecords.insert(uint32_t(a)).second) return;
        if (!Need(a, 20, name + " A-D record")) return;
        if (U16(a) != 0 || U16(a + 18) != 0xFFFF) Problem(name + ": A-D record words 0 and 18");
        Need(a + 20, 20 * size_t(U16(a + 16)), name + " A-D rows");
        WalkGlyphSet(U32(a + 12), 0, name);
    }

    void WalkTimer(size_t t, const std::string& name) {
        if (!out_.fieldRecords.insert(uint32_t(t)).second) return;
        if (!Need(t, 64, name + " timer")) return;
        const size_t units = U16(t + 6);
        if (units < 2 || !Need(t + 64, 2 * units, name + " timer labels")) return Problem(name + ": bad timer unit count");
        size_t shown = 0, zeros = 0;
        for (size_t k = 0; k < 4; ++k) shown += U8(t + 36 + k) == k + 1;
        for (size_t i = 2; i < units; ++i) zeros += U16(t + 64 + 2 * i) == 0;
        const bool closed = shown == 0 || U16(t + 64 + 2 * (units - 1)) == 0;
        if (zeros != shown || !closed)
            Problem(name + ": timer labels do not match the shown units");
        for (size_t k = 0; k < 4; ++k)
            if (U32(t + 44 + 4 * k)) WalkImageSet(U32(t + 44 + 4 * k), name + " timer label", 1);
        WalkGlyphSet(U32(t + 60), 0, name);
    }

    void WalkCounter(size_t c, const std::string& name) {
        if (!out_.fieldRecords.insert(uint32_t(c)).second) return;
        if (!Need(c, 32, name + " counter")) return;
        WalkGlyphSet(U32(c + 28), 0, name);
    }

    std::span<const uint8_t> b_;
    ImageWalk& out_;
    size_t end_ = 0;
};

}  // namespace

ImageWalk WalkProgramImage(std::span<const uint8_t> image) {
    ImageWalk out;
    Walker(image, out).Run();
    return out;
}

}  // namespace ledsuite
