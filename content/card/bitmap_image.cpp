#include "content/card/bitmap_image.h"

#include <algorithm>
#include <string>
#include <vector>

#include "content/model/crc16.h"
#include "content/render/font_renderer.h"
#include "content/card/program_image.h"
#include "content/render/surface.h"

namespace ledsuite {
namespace {

constexpr uint8_t kGifMark[4] = {'g', 'i', 'f', 1};
constexpr uint8_t kBmpMark[3] = {'b', 'm', 'p'};
constexpr int kLineHeight = 16;
constexpr int kWrapWidth = 31;  // a line holding more pixels than this ends before the next character
constexpr size_t kHeadSize = 22;
constexpr size_t kPictureHeadSize = 14;

bool Skipped(char16_t code) {
    return code == FC_PICTURE || code == FC_TABLE || code == FC_CLOCK || (code >= FC_YEAR && code <= FC_HUMIDITY) ||
           (code >= FC_WEEK_CN && code <= FC_MONTH_EN_SHORT) || (code >= FC_LYRIC && code <= FC_DIGITS);
}

// The colour byte of the picture from the display palette entry of a cell.
uint8_t PictureColor(int paletteIndex) {
    switch (paletteIndex) {
        case 10: return 2;
        case 12: case 17: return 3;
        case 11: return 4;
        case 14: case 15: return 5;
        case 13: case 16: return 6;
        case 7: return 7;
        default: return 1;  // 9 (red) and everything else
    }
}

int CharWidth(char16_t ch) { return ch < 0x100 ? 8 : 16; }

// Splits the characters into lines: one line for the moves to the left and
// right, else lines that end once they hold more than 31 pixels.
std::vector<std::u16string> BreakLines(const std::u16string& chars, uint8_t effectClass) {
    std::vector<std::u16string> lines(1);
    int width = 0;
    for (char16_t ch : chars) {
        if (effectClass != 1 && effectClass != 3 && width > kWrapWidth) {
            lines.emplace_back();
            width = 0;
        }
        lines.back() += ch;
        width += CharWidth(ch);
    }
    return lines;
}

int LineWidth(const std::u16string& line) {
    int w = 0;
    for (char16_t ch : line) w += CharWidth(ch);
    return w;
}

}  // namespace

uint8_t BitmapEffectClass(uint8_t effect) {
    switch (effect) {
        case kEffectMoveLeft: case kEffectMoveLeftContinue: return 1;
        case kEffectMoveUp: return 2;
        case kEffectMoveRight: case kEffectMoveRightContinue: return 3;
        case kEffectMoveDown: return 4;
        case kEffectTwinkle: return 6;
        default: return 0;
    }
}

uint8_t BitmapClassEffect(uint8_t effectClass) {
    if (effectClass >= 1 && effectClass <= 4) return effectClass;
    return effectClass == 6 ? kEffectTwinkle : kEffectStatic;
}

int32_t WriteBitmapProgramImage(const BitmapProgramImage& image, ByteWriter& w) {
    const size_t begin = w.size();
    w.put_u32(0);
    w.put_u32(kBitmapImageMark);
    w.put_bytes(kGifMark, 4);
    w.put_u8(image.effectClass);
    w.put_u8(image.speed);
    const ByteWriter::Place pictureAt = w.reserve(2);
    w.put_u16be(image.range.start);
    w.put_u16be(image.range.stop);
    w.put_u8(image.weekdays);
    if (image.periods.size() > 0xFF || image.chars.size() > kBitmapImageChars) return kEncodeTooLarge;
    w.put_u8(uint8_t(image.periods.size()));
    for (uint32_t p : image.periods) {
        w.put_u16be(uint16_t(p));
        w.put_u16be(uint16_t(p >> 16));
    }
    w.put_u32(image.attr);
    for (char16_t ch : image.chars) w.put_u16(ch);
    w.put_u16(0);

    const size_t picture = w.size() - begin;
    if (picture + kPictureHeadSize > 0xFFFF || image.bits.size() != size_t(image.width) / 8 * image.height)
        return kEncodeTooLarge;
    w.put_bytes(kBmpMark, 3);
    w.fill(0, 5);
    w.put_u8(image.width);
    w.put_u8(image.height);
    w.put_u8(image.colour);
    w.put_u8(0x1E);
    w.put_u16be(uint16_t(picture + kPictureHeadSize));
    w.put_bytes(image.bits);
    w.pad_to(begin + ((w.size() - begin + 3) & ~size_t(3)), 0xFF);
    w.put_u16(kImageEndMark);
    w.put_u16(0);
    if (!w.ok()) return kEncodeTooLarge;
    const size_t length = w.size() - begin;
    uint8_t* out = w.data() + begin;
    w.data()[pictureAt.offset] = uint8_t(picture >> 8);
    w.data()[pictureAt.offset + 1] = uint8_t(picture);
    StoreU32(out, uint32_t(length));
    StoreU16(out + length - 2, Crc16Modbus(length - 2, out));
    return int32_t(length);
}

bool ReadBitmapProgramImage(std::span<const uint8_t> bytes, BitmapProgramImage& image) {
    if (bytes.size() < kHeadSize + 8) return false;
    const size_t length = LoadU32(bytes.data());
    if (length < kHeadSize + 8 || length > bytes.size() || length % 4 ||
        LoadU32(bytes.data() + 4) != kBitmapImageMark || !std::equal(kGifMark, kGifMark + 4, bytes.data() + 8) ||
        LoadU16(bytes.data() + length - 4) != kImageEndMark ||
        LoadU16(bytes.data() + length - 2) != Crc16Modbus(length - 2, bytes.data()))
        return false;

    BitmapProgramImage in;
    ByteReader r(bytes.first(length - 4));
    r.skip(12);
    in.effectClass = r.u8();
    in.speed = r.u8();
    const size_t picture = r.u16be();
    in.range.start = r.u16be();
    in.range.stop = r.u16be();
    in.weekdays = r.u8();
    for (size_t i = 0, m = r.u8(); i < m && r.ok(); ++i) {
        const uint32_t start = r.u16be();
        in.periods.push_back(start | uint32_t(r.u16be()) << 16);
    }
    in.attr = r.u32();
    for (char16_t ch = r.u16(); ch != 0 && r.ok(); ch = r.u16()) in.chars += ch;
    if (!r.ok() || in.chars.size() > kBitmapImageChars || picture < r.pos() || !r.seek(picture)) return false;
    uint8_t mark[3] = {};
    r.bytes(mark, 3);
    r.skip(5);
    in.width = r.u8();
    in.height = r.u8();
    in.colour = r.u8();
    r.skip(1);
    const size_t bits = r.u16be();
    if (!r.ok() || !std::equal(kBmpMark, kBmpMark + 3, mark) || bits < r.pos() || !r.seek(bits)) return false;
    const std::span<const uint8_t> planes = r.view(size_t(in.width) / 8 * in.height);
    if (!r.ok()) return false;
    in.bits.assign(planes.begin(), planes.end());
    image = std::move(in);
    return true;
}

int32_t BuildBitmapProgramImage(const ProgramTree& tree, uint32_t* errorPosition, uint8_t* buffer, size_t limit) {
    if (errorPosition) *errorPosition = 0;
    if (!buffer || tree.sets().empty()) return -1;
    const ProgramSetNode& setNode = tree.sets().front();
    if (setNode.programs.empty()) return -2;
    const ProgramSetRecord& set = *setNode.record;
    const ProgramRecord& program = *setNode.programs.front().record;

    BitmapProgramImage image;
    const TextCell* first = nullptr;
    const int count = CountCells(program.content);
    for (int i = 0; i < count && image.chars.size() < kBitmapImageChars; ++i) {
        const TextCell& cell = program.content.cells[size_t(i)];
        if (Skipped(cell.code)) continue;
        if (!first) first = &cell;
        image.chars += cell.code;
    }
    if (!first) return -3;
    image.attr = first->attr;  // a character's own word: object cells are not collected
    image.colour = PictureColor(CellPaletteIndex(first));
    image.effectClass = BitmapEffectClass(program.mainAction.effect);
    image.speed = program.mainAction.speed;
    const auto range = std::find_if(set.dates.begin(), set.dates.end(),
                                    [](const DateRange& d) { return d.start <= d.stop; });
    if (range != set.dates.end()) image.range = *range;
    image.weekdays = set.weekdays;
    for (uint32_t p : set.periods)
        if (uint16_t(p) < uint16_t(p >> 16)) image.periods.push_back(p);

    // The text in the 16-pixel Song face, white on black; a pixel is lit when its green is.
    // Each character stands at its place on the 8 / 16 pixel grid the size was
    // measured with, whatever the face's own advances (a CJK glyph may take 15).
    const std::vector<std::u16string> lines = BreakLines(image.chars, image.effectClass);
    int width = 0;
    for (const auto& line : lines) width = std::max(width, LineWidth(line));
    const int height = kLineHeight * int(lines.size());  // 14 characters: both fit their bytes
    Surface surface(width, height);
    FontRenderer fonts;
    const FontDesc song{u"宋体", kLineHeight, 400};
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = 0;
        for (const char16_t& ch : lines[i]) {
            fonts.Draw(surface, x, kLineHeight * int(i), song, {&ch, 1}, 0xFFFFFF);
            x += CharWidth(ch);
        }
    }
    image.width = uint8_t(width);
    image.height = uint8_t(height);
    image.bits.assign(size_t(width) / 8 * size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (surface.row(y)[x] & 0x00FF00) image.bits[size_t(y * width + x) / 8] |= uint8_t(1u << (x % 8));

    ByteWriter out(buffer, std::min(limit, size_t(kImageLimit)));
    return WriteBitmapProgramImage(image, out);
}

int LoadBitmapProgramImage(std::span<const uint8_t> bytes, ProgramTree& tree) {
    BitmapProgramImage image;
    if (!ReadBitmapProgramImage(bytes, image)) return -1;
    ProgramSetRecord& set = *tree.AddProgramSet()->record;
    set.dates[0] = image.range;
    set.weekdays = image.weekdays;
    for (size_t i = 0; i < image.periods.size() && i < set.periods.size(); ++i) set.periods[i] = image.periods[i];
    ProgramRecord& p = *tree.AddProgram(tree.sets().size() - 1)->record;  // over the whole screen
    for (size_t i = 0; i < image.chars.size(); ++i) p.content.cells[i] = TextCell(image.chars[i], image.attr);
    p.mainAction.effect = BitmapClassEffect(image.effectClass);
    p.mainAction.speed = image.speed;
    return int(image.chars.size());
}

BitmapImageLoss BitmapImageLeftOut(const ProgramTree& tree) {
    BitmapImageLoss loss;
    for (const ProgramSetNode& set : tree.sets()) loss.programsLeftOut += set.programs.size();
    if (loss.programsLeftOut == 0) return loss;
    --loss.programsLeftOut;  // the first program of the first set is the one kept
    if (tree.sets().front().programs.empty()) return loss;
    const TextContent& content = tree.sets().front().programs.front().record->content;
    size_t drawable = 0;
    const int count = CountCells(content);
    for (int i = 0; i < count; ++i) drawable += Skipped(content.cells[size_t(i)].code) ? 0 : 1;
    loss.charsKept = std::min(drawable, kBitmapImageChars);
    loss.charsLeftOut = drawable - loss.charsKept;
    return loss;
}

}  // namespace ledsuite
