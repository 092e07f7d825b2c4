#include "content/card/program_image.h"

#include <algorithm>
#include <climits>

#include "content/model/crc16.h"
#include "content/render/image_sources.h"
#include "content/render/led_planes.h"
#include "content/model/text_codec.h"

namespace ledsuite {
namespace {

using Place = ByteWriter::Place;

// Kinds of the blocks written once per image.
enum SharedKind : uint8_t { kSharedCardImages, kSharedDissolve, kSharedBorder, kSharedGlyphSet, kSharedCodeTable };

uint64_t SharedKey(SharedKind kind, uint8_t sub = 0, uint32_t word = 0) {
    return uint64_t(kind) << 40 | uint64_t(sub) << 32 | word;
}

bool PatchU8(ProgramImage& image, size_t at, int64_t v) { return image.Patch(Place{at, 1, at + 1 <= image.pos()}, v); }

// A 16-bit field that holds the low 16 bits of a position which may be negative
// (area corners): fails for anything a 16-bit word cannot hold either way.
bool PatchWord(ProgramImage& image, size_t at, int64_t v) {
    if (v < -0x8000 || v > 0xFFFF) return image.Fail();
    return image.PatchU16(at, v & 0xFFFF);
}

// Zero-fills `count` records of `size` bytes; the count is checked against the
// room first, so that a huge count cannot wrap the product.
bool FillRecords(ProgramImage& image, size_t count, size_t size) {
    if (count > image.writer().remaining() / size) return image.Fail();
    return image.writer().fill(0, count * size);
}

// The 2-byte code of a character in the legacy code page: 00 and the character
// below `direct`, else its code-page bytes; "?" when the code page lacks it.
std::array<uint8_t, 2> CodePageUnit(char16_t ch, char16_t direct) {
    if (ch < direct) return {0, uint8_t(ch)};
    const std::string b = CharToAnsi(ch);
    if (b.size() == 2) return {uint8_t(b[0]), uint8_t(b[1])};
    if (b.size() == 1) return {0, uint8_t(b[0])};
    return {0, '?'};
}

uint8_t LedColorMode(uint16_t colorCode) { return colorCode >= 12 && colorCode <= 17 ? uint8_t(colorCode) : 5; }

// Packs a frame's planes at the write position and stores its 10-byte LedPlanes
// header at `headerAt`. A side above 65535 fails the image; a frame that cannot be
// packed (not 32-bit, no pixels) keeps its size with every plane bit clear.
bool PackFrame(ProgramImage& image, const RawImage& frame, uint16_t colorCode, size_t headerAt) {
    const int64_t width = std::max(frame.width, 0), height = std::max(frame.height, 0);
    if (width > 0xFFFF || height > 0xFFFF) return image.Fail();
    const uint8_t mode = LedColorMode(colorCode);
    LedPlanes header{frame.pause, mode, uint16_t(width), uint16_t(height), frame.placeX, frame.placeY};
    const size_t bytes = header.PlaneBytes();
    const size_t at = image.pos();
    if (!image.writer().fill(0, bytes) || headerAt + LedPlanes::kHeaderSize > at) return image.Fail();
    if (bytes) PackLedPlanes(&header, &frame, image.data() + at, bytes, colorCode);
    ByteWriter out(image.data() + headerAt, LedPlanes::kHeaderSize);
    return header.Write(out);
}

// Writes a shared block once: `write` runs only for the first request of `key`.
template <typename Write>
int32_t WriteShared(ProgramImage& image, uint64_t key, Write write) {
    if (auto at = image.Shared(key)) return int32_t(*at);
    const int32_t at = write();
    if (at >= 0) image.Remember(key, uint32_t(at));
    return at;
}

uint8_t RgbCode(uint32_t attr, uint8_t none) {
    // Index: bit 0 red, bit 1 green, bit 2 blue.
    const uint8_t codes[] = {none, 9, 10, 12, 11, 14, 13, 7};
    return codes[CellAttr::RgbOf(attr)];
}

constexpr std::u16string_view kDigitStrings[] = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7",
                                                 u"8", u"9", u".", u"+", u"-", u"*", u"/", u" "};
constexpr std::u16string_view kWeekdayCnStrings[] = {u"天", u"一", u"二", u"三", u"四", u"五", u"六"};
constexpr std::u16string_view kWeekdayEnStrings[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                     u"Thursday", u"Friday", u"Saturday"};
constexpr std::u16string_view kMonthNameStrings[] = {u"January", u"February", u"March",     u"April",
                                                     u"May",     u"June",     u"July",      u"August",
                                                     u"September", u"October", u"November", u"December"};
constexpr std::u16string_view kMonthAbbrStrings[] = {u"Jan.", u"Feb.", u"Mar.", u"Apr.", u"May.", u"Jun.",
                                                     u"Jul.", u"Aug.", u"Sep.", u"Oct.", u"Nov.", u"Dec."};

}  // namespace

// ---- ProgramImage ------------------------------------------------------------------

// Offsets are returned as int32_t, so no image grows past INT32_MAX.
ProgramImage::ProgramImage(size_t limit) : w_(std::min<size_t>(limit, INT32_MAX)) {}
ProgramImage::ProgramImage(uint8_t* buffer, size_t limit) : w_(buffer, std::min<size_t>(limit, INT32_MAX)) {}

bool ProgramImage::Fail() {
    failed_ = true;
    return false;
}

bool ProgramImage::PutU16(int64_t v) {
    if (v < 0 || v > 0xFFFF) return Fail();
    return w_.put_u16(uint16_t(v));
}

bool ProgramImage::Patch(const ByteWriter::Place& place, int64_t value) {
    if (!place.valid || place.width == 0 || place.width > 4) return Fail();
    const int64_t max = (int64_t(1) << (8 * place.width)) - 1;
    if (value < 0 || value > max) return Fail();
    return w_.patch(place, uint32_t(value));
}

std::optional<uint32_t> ProgramImage::Shared(uint64_t key) const {
    auto it = shared_.find(key);
    if (it == shared_.end()) return std::nullopt;
    return it->second;
}

// ---- image frame ----------------------------------------------------------------

int32_t WriteImageHead(ProgramImage& image, size_t setCount) {
    if (image.pos() != 0) return image.Fail(), kEncodeTooLarge;
    ByteWriter& w = image.writer();
    w.reserve(4);  // the image's length, set when it is finished
    FillRecords(image, setCount, kSetRecordSize);
    w.put_u32(0);
    return image.Result(4);
}

int32_t WriteImageEnd(ProgramImage& image) {
    ByteWriter& w = image.writer();
    if (image.pos() < 4) return image.Fail(), kEncodeTooLarge;
    w.pad_to((image.pos() + 3) & ~size_t(3), 0xFF);
    w.put_u16(kImageEndMark);
    w.reserve(2);  // the CRC, stored below
    if (!image.ok()) return kEncodeTooLarge;
    const size_t length = image.pos();
    image.PatchU32(0, int64_t(length));
    StoreImageCrc(image.data(), length);
    return int32_t(length);
}

void StoreImageCrc(uint8_t* image, size_t length) {
    if (length < 4) return;
    StoreU16(image + length - 2, Crc16Modbus(length - 2, image));
}

bool WriteVoiceBlockHead(ProgramImage& image) {
    static constexpr uint8_t kMagic[] = {'p', 'd', 'e', 0};
    return image.writer().put_bytes(kMagic, sizeof kMagic) && image.writer().fill(0, kVoiceBlockSize - sizeof kMagic);
}

bool StoreSoundIndex(ProgramImage& image, size_t soundPlace, uint16_t index, uint8_t kind) {
    return image.PatchU16(soundPlace, index) && PatchU8(image, soundPlace + 2, kind);
}

// ---- program sets and programs ----------------------------------------------------

namespace {

// Weekday byte, one date range, then the play periods whose start is before their end.
void WriteScheduleBlock(ProgramImage& image, const ProgramSetRecord& set) {
    ByteWriter& w = image.writer();
    w.put_u8(set.weekdays);
    w.put_u8(1);
    w.put_u32(uint32_t(set.dates[0].start) | uint32_t(set.dates[0].stop) << 16);
    auto valid = [](uint32_t p) { return uint16_t(p) < uint16_t(p >> 16); };
    w.put_u8(uint8_t(std::count_if(set.periods.begin(), set.periods.end(), valid)));
    for (uint32_t p : set.periods)
        if (valid(p)) w.put_u32(p);
}

}  // namespace

int32_t WriteSetRecord(ProgramImage& image, size_t recordAt, const ProgramSetRecord& set, size_t programCount) {
    uint32_t p1 = 0, p2 = 0;
    switch (set.playMode) {
        case 1: p1 = set.duration; break;
        case 2: p1 = set.periods[0] & 0xFFFF, p2 = set.periods[0] >> 16; break;
        case 3: p1 = p2 = set.weekdays; break;
        case 4: p1 = set.dates[0].start, p2 = set.dates[0].stop; break;
        case 6: {
            const size_t at = image.pos();
            WriteScheduleBlock(image, set);
            p1 = at & 0xFFFF, p2 = uint32_t(at >> 16);
            break;
        }
        default: break;  // 5, 0 and any other type: no parameter
    }
    const size_t records = image.pos();
    if (!FillRecords(image, programCount, kProgramRecordSize)) return kEncodeTooLarge;
    image.PatchU16(recordAt, int64_t(records));
    image.PatchU16(recordAt + 2, int64_t(programCount));
    image.PatchU16(recordAt + 4, p1);
    image.PatchU16(recordAt + 6, p2);
    PatchU8(image, recordAt + 8, set.playMode);  // byte 9 stays as the set table's zero fill
    return image.Result(records);
}

uint8_t EffectiveBorderType(const ProgramRecord& program) {
    if (program.borderType == 1) {  // a custom border needs at least one frame
        const FrameVector& frames = program.borderFrames;
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i]) return 1;
        return 0;
    }
    return program.borderType <= 8 ? program.borderType : 0;
}

ByteWriter::Place WriteProgramRecord(ProgramImage& image, size_t recordAt, const ProgramRecord& program) {
    const size_t header = image.pos();
    image.PatchU16(recordAt, int64_t(header));
    image.PatchU16(recordAt + 2, 1);
    PatchWord(image, recordAt + 4, program.left);
    PatchWord(image, recordAt + 6, program.top);
    PatchWord(image, recordAt + 8, program.right);
    PatchWord(image, recordAt + 10, program.bottom);
    image.PatchU16(recordAt + 12, 0);

    const CardAction main =
        EffectToCardAction(program.mainAction, program.left, program.top, program.right, program.bottom);
    uint8_t flags = 0;
    if (EffectiveBorderType(program)) flags |= 0x02;
    if (program.content.header.kind) flags |= 0x01;
    if (main[0] == 1) flags |= 0x40;
    ByteWriter& w = image.writer();
    w.put_u8(program.secondaryAction.effect ? 2 : 1);
    w.put_u8(flags);
    w.put_u32(0);
    return w.reserve(4);
}

int WriteImageSkeleton(ProgramImage& image, const ProgramTree& tree, std::vector<PendingContent>& pending) {
    const auto& sets = tree.sets();
    const int32_t table = WriteImageHead(image, sets.size());
    if (!image.ok()) return kEncodeTooLarge;
    for (size_t s = 0; s < sets.size(); ++s) {
        const ProgramSetNode& set = sets[s];
        const int32_t records = WriteSetRecord(image, table + s * kSetRecordSize, *set.record, set.programs.size());
        if (!image.ok()) return kEncodeTooLarge;
        for (size_t p = 0; p < set.programs.size(); ++p) {
            const ProgramRecord* program = set.programs[p].record.get();
            pending.push_back({program, WriteProgramRecord(image, records + p * kProgramRecordSize, *program)});
        }
    }
    return image.ok() ? 0 : kEncodeTooLarge;
}

// ---- content bodies -------------------------------------------------------------

uint8_t TextFormOf(const TextHeader& header, bool hasClockCells) {
    if (header.fontSet) return header.kind == kKindLyricShow ? kTextFormLyric : kTextFormCommands;
    return hasClockCells ? kTextFormClocks : kTextFormRendered;
}

uint8_t StreamFlags(const TextHeader& header) { return uint8_t(header.align | ((header.spread & 0xFF) ? 0x04 : 0)); }

ContentBody WriteContentBody(ProgramImage& image, const ProgramRecord& program, const HardwareParams& screen,
                             const ByteWriter::Place& bodyOffset, uint8_t textForm) {
    ByteWriter& w = image.writer();
    ContentBody body;
    image.Patch(bodyOffset, int64_t(image.pos()));
    if (EffectiveBorderType(program)) body.border = w.reserve(4);
    if (program.content.header.kind) {
        body.soundPlace = image.pos();
        w.put_u16(0);
        w.put_u8(screen.cardSubtype);
    }
    auto putAction = [&](const ActionRecord& action) {
        CardAction card = EffectToCardAction(action, program.left, program.top, program.right, program.bottom);
        card[1] = std::clamp<uint8_t>(card[1], 1, 253);
        body.actions[body.actionCount++] = image.pos();
        w.put_bytes(card.data(), card.size());
    };
    putAction(program.mainAction);
    if (program.secondaryAction.effect) putAction(program.secondaryAction);

    body.textHead = image.pos();
    if (textForm == kTextFormLyric) {
        image.PutU16(program.width());
        image.PutU16(program.height());
    } else {
        w.reserve(4);  // width and height, set once the text is written
    }
    w.put_u8(textForm);
    w.put_u8(0);
    return body;
}

bool SetTextSize(ProgramImage& image, size_t textHead, int64_t width, int64_t height) {
    return image.PatchU16(textHead, width) && image.PatchU16(textHead + 2, height);
}

int32_t WriteCardPatternImages(ProgramImage& image, uint16_t colorCode) {
    return WriteShared(image, SharedKey(kSharedCardImages), [&] {
        FrameVector frames;
        MakeBorderFrames(&frames, kBorderCorners);
        return WriteImageSet(image, frames, colorCode);
    });
}

int32_t WriteDissolveImages(ProgramImage& image, uint16_t colorCode, DissolveRandom& random) {
    return WriteShared(image, SharedKey(kSharedDissolve), [&] {
        FrameVector frames;
        MakeBorderFrames(&frames, kBorderDissolve, &random);
        return WriteImageSet(image, frames, colorCode);
    });
}

bool CompleteCardAction(ProgramImage& image, size_t actionAt, uint16_t colorCode, DissolveRandom& random) {
    if (actionAt + kCardActionSize > image.pos()) return image.Fail();
    const uint8_t cls = image.data()[actionAt];
    if (cls == 16) {
        const int32_t set = WriteDissolveImages(image, colorCode, random);
        return image.PatchU32(actionAt + 6, set) && PatchU8(image, actionAt + 10, 3);  // a failed set fails the patch
    }
    if (cls == 13) {
        const int32_t set = WriteCardPatternImages(image, colorCode);
        return image.PatchU32(actionAt + 7, set);
    }
    return image.ok();
}

// ---- command stream --------------------------------------------------------------

bool WriteCommandStreamHead(ProgramImage& image, const TextHeader& header, uint8_t byteOrder) {
    ByteWriter& w = image.writer();
    return w.put_u8(header.fontSet) && w.put_u8(StreamFlags(header)) && w.put_u8(byteOrder) && w.put_u8(0) &&
           w.put_u16(0);
}

bool PutCommandUnit(ProgramImage& image, uint8_t command, uint8_t parameter, uint8_t byteOrder) {
    const uint8_t unit[] = {byteOrder ? parameter : command, byteOrder ? command : parameter};
    return image.writer().put_bytes(unit, sizeof unit);
}

bool PutCommandChar(ProgramImage& image, char16_t ch, uint8_t byteOrder) {
    if (byteOrder) return image.writer().put_u16(ch);
    const auto unit = CodePageUnit(ch, 0x100);
    return image.writer().put_bytes(unit.data(), 2);
}

bool PutLineStart(ProgramImage& image, int64_t x, int64_t y, uint8_t byteOrder) {
    return PutCommandUnit(image, kCmdPosition, 0x03, byteOrder) && image.PutU16(x) && image.PutU16(y);
}

bool PutJustifiedLineStart(ProgramImage& image, int64_t x, int64_t y, int64_t spacing, uint8_t byteOrder) {
    return PutCommandUnit(image, kCmdPosition, 0x07, byteOrder) && image.PutU16(x) && image.PutU16(y) &&
           image.PutU16(spacing);
}

bool PutLineOffset(ProgramImage& image, int64_t y, uint8_t byteOrder) {
    return PutCommandUnit(image, kCmdPosition, 0x02, byteOrder) && image.PutU16(y);
}

ByteWriter::Place PutObjectRef(ProgramImage& image, uint8_t type, uint8_t byteOrder) {
    PutCommandUnit(image, kCmdObject, type, byteOrder);
    return image.writer().reserve(4);
}

bool PutTableStart(ProgramImage& image, int64_t width, int64_t height, uint8_t columns, uint8_t rows,
                   uint32_t frameWord, uint8_t byteOrder) {
    ByteWriter& w = image.writer();
    return PutCommandUnit(image, kCmdObject, kObjTable, byteOrder) && w.put_u16(0) && w.put_u16(5) &&
           image.PutU16(width) && image.PutU16(height) && w.put_u8(columns) && w.put_u8(rows) &&
           w.put_u32(frameWord);
}

bool PutTableRule(ProgramImage& image, uint32_t frameWord, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    ByteWriter& w = image.writer();
    return w.put_u8(kCmdObject) && w.put_u8(kObjTableRule) && w.put_u16(uint16_t(((frameWord >> 2) & 0xFF) << 4)) &&
           image.PutU16(x1) && image.PutU16(y1) && image.PutU16(x2) && image.PutU16(y2);
}

bool PutTableCell(ProgramImage& image, uint32_t cellWord) {
    ByteWriter& w = image.writer();
    return w.put_u8(kCmdObject) && w.put_u8(kObjTableCell) && w.put_u32(cellWord);
}

bool PutTableEnd(ProgramImage& image) {
    return image.writer().put_u8(kCmdObject) && image.writer().put_u8(kObjTableEnd);
}

bool PutStreamEnd(ProgramImage& image) { return image.writer().put_u16(0); }

uint8_t CommandColorCode(uint32_t attr) { return RgbCode(attr, 0); }
uint8_t FieldColorCode(uint32_t attr) { return RgbCode(attr, 5); }

// ---- rendered form ---------------------------------------------------------------

std::vector<ByteWriter::Place> WriteClockTable(ProgramImage& image,
                                               std::span<const std::pair<int32_t, int32_t>> clocks) {
    ByteWriter& w = image.writer();
    std::vector<Place> blocks;
    image.PutU16(int64_t(clocks.size()) + 1);
    w.put_u32(0);
    const Place stream = w.reserve(4);
    for (const auto& [x, y] : clocks) {
        image.PutU16(x);
        image.PutU16(y);
        blocks.push_back(w.reserve(4));
    }
    image.Patch(stream, int64_t(image.pos()));
    w.put_u8(2);
    w.put_u8(0);
    return blocks;
}

int32_t WriteClockBlock(ProgramImage& image, const ClockObject& clock, const FrameVector& drawn, uint16_t colorCode) {
    const size_t at = image.pos();
    ByteWriter& w = image.writer();
    w.put_u8(4);
    w.put_u8(0);
    w.put_u8(clock.size / 2);
    w.put_u8(clock.style);
    WriteImageSet(image, drawn, colorCode);
    return image.Result(at);
}

ByteWriter::Place WritePictureEntry(ProgramImage& image, int64_t x, int64_t y) {
    const Place planes = image.writer().reserve(4);
    image.PutU16(x);
    image.PutU16(y);
    return planes;
}

ByteWriter::Place WriteFieldRecord(ProgramImage& image, uint8_t colorCode, uint8_t cardType, int64_t x, int64_t y) {
    image.writer().put_u8(colorCode);
    image.writer().put_u8(cardType);
    image.PutU16(x);
    image.PutU16(y);
    return image.writer().reserve(4);
}

bool EndPictureEntry(ProgramImage& image) { return image.writer().put_u8(0); }
bool EndPictureEntries(ProgramImage& image) { return image.writer().put_u32(0); }

int32_t WritePicture(ProgramImage& image, RawImage& picture, uint16_t colorCode) {
    picture.redThreshold = picture.greenThreshold = picture.blueThreshold = 1;
    const size_t at = image.pos();
    image.writer().reserve(LedPlanes::kHeaderSize);  // stored by PackFrame
    image.writer().put_u32(uint32_t(at + kFrameHeaderSize));
    PackFrame(image, picture, colorCode, at);
    return image.Result(at);
}

// ---- image sets and borders --------------------------------------------------------

namespace {

int32_t WriteImageSetOf(ProgramImage& image, std::span<const RawImage* const> frames, uint16_t colorCode) {
    if (frames.size() > 0xFF) return image.Fail(), kEncodeTooLarge;
    const size_t at = image.pos();
    ByteWriter& w = image.writer();
    w.put_u8(3);
    w.put_u8(0);
    w.put_u8(uint8_t(frames.size()));
    FillRecords(image, frames.size(), kFrameHeaderSize);
    for (size_t i = 0; i < frames.size() && image.ok(); ++i) {
        const size_t header = at + 3 + i * kFrameHeaderSize;
        image.PatchU32(header + LedPlanes::kHeaderSize, int64_t(image.pos()));
        PackFrame(image, frames[i] ? *frames[i] : RawImage{}, colorCode, header);
    }
    return image.Result(at);
}

}  // namespace

int32_t WriteImageSet(ProgramImage& image, const FrameVector& frames, uint16_t colorCode) {
    std::vector<const RawImage*> list;
    for (size_t i = 0; i < frames.size(); ++i) list.push_back(frames[i]);
    return WriteImageSetOf(image, list, colorCode);
}

int32_t WriteSingleImageSet(ProgramImage& image, const RawImage& frame, uint16_t colorCode) {
    const RawImage* one = &frame;
    return WriteImageSetOf(image, std::span<const RawImage* const>(&one, 1), colorCode);
}

namespace {

// A border side as an image set. A custom tile holds the LED colours the frame editor
// drew (pure red, green, blue and their mixes): every channel that is not 0 lights, as
// in the rendered text, so a red tile lights on a one-colour screen, whose grey plane
// would otherwise average it below the default threshold.
int32_t WriteBorderSide(ProgramImage& image, const RawImage& side, bool builtIn, uint16_t colorCode) {
    if (builtIn) return WriteSingleImageSet(image, side, colorCode);
    RawImage lit = side;
    lit.redThreshold = lit.greenThreshold = lit.blueThreshold = 1;
    return WriteSingleImageSet(image, lit, colorCode);
}

}  // namespace

uint8_t BorderPatternSize(uint8_t type) {
    switch (type) {
        case 2: case 3: case 6: return 8;
        case 4: return 16;
        case 5: case 8: return 5;
        case 7: return 14;
        default: return 0xFF;
    }
}

int32_t WriteBorderBlock(ProgramImage& image, const ProgramRecord& program, uint16_t colorCode) {
    ByteWriter& w = image.writer();
    const uint8_t type = EffectiveBorderType(program);
    if (type == 0) return image.Fail(), kEncodeTooLarge;  // the caller asked for a border the program lacks
    const bool builtIn = type >= 2;
    const uint64_t key = SharedKey(kSharedBorder, type);
    const size_t at = image.pos();
    w.put_u8(type);
    w.put_u8(program.borderEffect);
    w.put_u8(std::max<uint8_t>(program.borderSpeed, 10));

    if (auto first = builtIn ? image.Shared(key) : std::nullopt) {
        // Same pattern as an earlier program: its pattern size and side sets, this program's effect and speed.
        uint8_t shared[1 + 16];
        std::copy_n(image.data() + *first + 3, sizeof shared, shared);
        w.put_bytes(shared, sizeof shared);
        w.fill(0, 8);
        return image.Result(at);
    }

    w.put_u8(BorderPatternSize(type));
    std::array<Place, 4> words;  // the offset words at 4, 8, 12 and 16
    for (Place& p : words) p = w.reserve(4);
    w.fill(0, 8);
    FrameVector pattern;  // a built-in pattern's four side frames
    if (builtIn) MakeBorderFrames(&pattern, type);
    const auto sides = BorderSideFrames(builtIn ? pattern : program.borderFrames, type);
    if (std::find(sides.begin(), sides.end(), nullptr) != sides.end()) return image.Fail(), kEncodeTooLarge;

    // The loader reads the words 12, 4, 16, 8 as the frames left, top, right, bottom; a
    // frame that serves several sides in a row is written once.
    static constexpr size_t kWordOfFrame[] = {2, 0, 3, 1};
    const RawImage* previous = nullptr;
    int32_t set = kEncodeTooLarge;
    for (size_t i = 0; i < 4; ++i) {
        if (sides[i] != previous) set = WriteBorderSide(image, *sides[i], builtIn, colorCode);
        previous = sides[i];
        image.Patch(words[kWordOfFrame[i]], set);
    }
    if (builtIn && image.ok()) image.Remember(key, uint32_t(at));  // later programs share a built-in pattern
    return image.Result(at);
}

// ---- dynamic fields ----------------------------------------------------------------

std::span<const std::u16string_view> FieldTableStrings(FieldTable table) {
    switch (table) {
        case kFieldTableWeekdayCn: return kWeekdayCnStrings;
        case kFieldTableWeekdayEn: return kWeekdayEnStrings;
        case kFieldTableMonthName: return kMonthNameStrings;
        case kFieldTableMonthAbbr: return kMonthAbbrStrings;
        default: return kDigitStrings;
    }
}

std::u16string GlyphSetCharacters(FieldTable table) {
    std::u16string chars;
    for (std::u16string_view s : FieldTableStrings(table))
        for (auto it = s.rbegin(); it != s.rend(); ++it)
            if (chars.find(*it) == std::u16string::npos) chars += *it;
    return chars;
}

uint8_t CodeTableWidth(FieldTable table) {
    switch (table) {
        case kFieldTableWeekdayEn:
        case kFieldTableMonthName: return 9;
        case kFieldTableMonthAbbr: return 4;
        default: return 1;
    }
}

FieldTable FieldTableOf(char16_t fieldCode) {
    switch (fieldCode) {
        case FC_WEEK_CN: return kFieldTableWeekdayCn;
        case FC_WEEK_EN:
        case FC_WEEK_EN_SHORT: return kFieldTableWeekdayEn;
        case FC_MONTH_EN: return kFieldTableMonthName;
        case FC_MONTH_EN_SHORT: return kFieldTableMonthAbbr;
        default: return kFieldTableDigits;
    }
}

int CardFieldType(char16_t code) {
    if (code >= FC_YEAR && code <= FC_TEMPERATURE) return code - FC_YEAR;
    switch (code) {
        case FC_HUMIDITY: return 7;
        case FC_CARD13: return 13;
        case FC_WEEK_CN: return 9;
        case FC_WEEK_EN:
        case FC_WEEK_EN_SHORT: return 10;
        case FC_MONTH_EN: return 11;
        case FC_MONTH_EN_SHORT: return 12;
        case FC_PICTURE: return kCardFieldPicture;
        case FC_ADC: return kCardFieldAdc;
        case FC_TIMER: return kCardFieldTimer;
        case FC_COUNTER: return kCardFieldCounter;
        default: return -1;
    }
}

int CommandFieldType(char16_t code) {
    switch (code) {
        case FC_PICTURE:
        case FC_ADC:
        case FC_TIMER:
        case FC_COUNTER: return -1;
        case FC_WEEK_EN_SHORT: return 15;
        case FC_CARD17: return 17;
        case FC_CARD18: return 18;
        case FC_CARD19: return 19;
        case FC_LYRIC:
        case FC_DIGITS: return 0;
        default: return CardFieldType(code);
    }
}

int32_t WriteCodeTable(ProgramImage& image, FieldTable table) {
    return WriteShared(image, SharedKey(kSharedCodeTable, table), [&] {
        const size_t at = image.pos();
        const uint8_t width = CodeTableWidth(table);
        image.writer().put_u8(width);
        for (std::u16string_view s : FieldTableStrings(table)) {
            std::array<uint8_t, 18> entry;
            entry.fill(0x20);
            const size_t n = std::min(s.size(), size_t(width));
            for (size_t i = 0; i < n; ++i) {
                const auto unit = CodePageUnit(s[i], 0x80);
                entry[2 * i] = unit[0], entry[2 * i + 1] = unit[1];
            }
            image.writer().put_bytes(entry.data(), 2 * size_t(width));
        }
        return image.Result(at);
    });
}

int32_t WriteGlyphSet(ProgramImage& image, FieldTable table, uint32_t attr, const GlyphRenderer& renderer) {
    return WriteShared(image, SharedKey(kSharedGlyphSet, table, attr & ~CellAttr::ColorMask), [&] {
        const std::u16string chars = GlyphSetCharacters(table);
        const auto strings = FieldTableStrings(table);
        if (!renderer.measure || !renderer.paint) return image.Fail(), kEncodeTooLarge;
        const auto [w, h] = renderer.measure(chars[0], attr);
        if (w < 0 || w > 0xFF || h < 0 || h > 0xFF) return image.Fail(), kEncodeTooLarge;
        const size_t glyphBytes = size_t((w + 7) >> 3) * size_t(h);
        size_t listsSize = 0;
        for (std::u16string_view s : strings) listsSize += 2 * (s.size() + 1);
        const size_t listsAt = 2 + 2 * strings.size();
        const size_t glyphsAt = listsAt + listsSize;
        // Every offset inside the set is 16 bits wide.
        if (glyphsAt + (chars.size() - 1) * glyphBytes > 0xFFFF) return image.Fail(), kEncodeTooLarge;

        ByteWriter& out = image.writer();
        const size_t at = image.pos();
        out.put_u8(uint8_t(w));
        out.put_u8(uint8_t(h));
        size_t list = listsAt;
        for (std::u16string_view s : strings) {
            out.put_u16(uint16_t(list));
            list += 2 * (s.size() + 1);
        }
        for (std::u16string_view s : strings) {
            for (char16_t ch : s) out.put_u16(uint16_t(glyphsAt + chars.find(ch) * glyphBytes));
            out.put_u16(0);
        }
        for (char16_t ch : chars) {
            const size_t g = image.pos();
            if (!out.fill(0, glyphBytes)) break;
            renderer.paint(ch, attr, w, h, std::span<uint8_t>(image.data() + g, glyphBytes));
        }
        return image.Result(at);
    });
}

// ---- field records -------------------------------------------------------------------

FieldRecordPlace WriteAdcRecord(ProgramImage& image, const AdcField& field) {
    ByteWriter& w = image.writer();
    FieldRecordPlace rec;
    const size_t at = image.pos();
    w.put_u16(0);
    w.put_u16(field.number);
    for (uint8_t v : {field.channel, field.calibrated, field.digitFormat, field.flags}) w.put_u8(v);
    w.put_u32(field.attr);
    rec.glyphSet = w.reserve(4);
    auto stored = [&](const AdcCalibration& r) { return field.calibrated == 1 && r.x1 < r.x2 && r.x2 <= 4096; };
    image.PutU16(std::count_if(field.rows.begin(), field.rows.end(), stored));
    w.put_u8(0xFF);
    w.put_u8(0xFF);
    for (const AdcCalibration& r : field.rows) {
        if (!stored(r)) continue;
        w.put_u16(r.x1);
        w.put_u16(r.x2);
        for (float v : {r.a, r.b, r.c, r.d}) w.put_f32(v);
    }
    rec.offset = image.Result(at);
    return rec;
}

FieldRecordPlace WriteTimerRecord(ProgramImage& image, const TimerField& field, const TimerLabels& labels,
                                  uint16_t colorCode) {
    ByteWriter& w = image.writer();
    FieldRecordPlace rec;
    const size_t at = image.pos();
    struct LabelImage {
        const RawImage* picture = nullptr;
        Place offset;
    };
    std::array<LabelImage, 4> images;
    std::u16string labelUnits;  // the labels of the shown units, each ending in a 0 unit
    int unit = 0;  // days, hours, minutes, seconds
    for (LabelImage& l : images) {
        const std::u16string text = TimerLabelText(field, unit);
        if (!text.empty()) l.picture = labels.images[unit];
        if (field.UnitShown(unit)) labelUnits.append(text).push_back(0);
        ++unit;
    }

    w.put_u8(0);
    w.put_u8(field.mode);
    w.put_u8(field.dayDigits);
    w.fill(0, 3);
    const Place units = w.reserve(2);
    for (const TimerDateTime& t : {field.a, field.b}) {
        w.put_u16(t.year);
        w.put_u16(t.monthDayHour);
        w.put_u16(t.minuteSecond);
    }
    int64_t x = 0;  // each shown unit: its digits, then its label
    for (int k = 0; k < 4; ++k) {
        image.PutU16(field.UnitShown(k) ? x : 0);
        w.put_u16(0);
        if (!field.UnitShown(k)) continue;
        x += int64_t(k == 0 ? field.dayDigits : 2) * labels.digitWidth;
        if (images[k].picture) x += images[k].picture->width;
    }
    for (int k = 0; k < 4; ++k) w.put_u8(field.UnitShown(k) ? uint8_t(k + 1) : 0);
    for (int k = 0; k < 4; ++k) w.put_u8(uint8_t(CellAttr::RgbOf(field.attr)));
    for (LabelImage& l : images) l.offset = w.reserve(4);
    rec.glyphSet = w.reserve(4);

    w.put_u32(field.attr);
    for (char16_t c : labelUnits) w.put_u16(c);
    image.Patch(units, int64_t(2 + labelUnits.size()));
    for (const LabelImage& l : images)
        if (l.picture) image.Patch(l.offset, WriteSingleImageSet(image, *l.picture, colorCode));
    rec.offset = image.Result(at);
    return rec;
}

std::u16string TimerLabelText(const TimerField& field, int k) {
    return field.UnitShown(k) ? field.Label(k).substr(0, 31) : std::u16string();
}

FieldRecordPlace WriteCounterRecord(ProgramImage& image, const CounterField& field) {
    ByteWriter& w = image.writer();
    FieldRecordPlace rec;
    const size_t at = image.pos();
    for (uint8_t v : {field.reserved, field.digitFormat, field.channel, field.unit, field.flags}) w.put_u8(v);
    w.fill(0, 3);
    for (int32_t v : {field.start, field.end, field.startFraction, field.endFraction}) w.put_i32(v);
    w.put_u32(field.attr);
    rec.glyphSet = w.reserve(4);
    rec.offset = image.Result(at);
    return rec;
}

}  // namespace ledsuite
