#pragma once
// The card's program image of one screen and the writers of its blocks.
//
// Layout (all integers little-endian; an offset counts from the image's first byte):
//   u32 length L | set table: 10-byte set records, u32 0 |
//   per set: [schedule block] program records (14 bytes each) content headers (10 each) |
//   content bodies: [u32 border block] [3-byte sound place] card actions (12 each)
//                   6-byte text head, then a command stream or the rendered form |
//   image sets, pictures, clock blocks, border blocks, field records, glyph sets,
//   code tables (in the order the encoder produces them) |
//   0xFF padding to a multiple of 4 | u16 0x00FF | u16 CRC-16/MODBUS of bytes 0..L-3.
// A USB-disk build may put a voice block behind the image, outside L and the CRC.
//
// Every writer goes through the image's ByteWriter and never passes its limit
// (0xFFFFF, or 0xFFFF for paged sending). A write past the limit, or a value that
// does not fit its field (a 16-bit offset, an 8-bit glyph size, ...), marks the
// image as failed; the writer then returns kEncodeTooLarge (offsets) or false, or an
// invalid place, and WriteImageEnd refuses to close a failed image.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "content/bytes.h"
#include "content/render/dissolve_random.h"
#include "content/model/field_objects.h"
#include "content/model/program_tree.h"
#include "content/model/records.h"

namespace ledsuite {

// The encoded content does not fit: the size limit, or a field too narrow for a value.
constexpr int kEncodeTooLarge = -4;

constexpr size_t kImageLimit = 0xFFFFF;      // sending and ".lcs" files
constexpr size_t kPagedImageLimit = 0xFFFF;  // paged sending

constexpr size_t kSetRecordSize = 10;
constexpr size_t kProgramRecordSize = 14;
constexpr size_t kContentHeaderSize = 10;
constexpr size_t kCardActionSize = 12;
constexpr size_t kTextHeadSize = 6;
constexpr size_t kStreamHeadSize = 6;
constexpr size_t kFrameHeaderSize = 14;  // LedPlanes header and the u32 offset of its planes
constexpr size_t kFieldRecordSize = 10;
constexpr size_t kBorderBlockSize = 28;
constexpr size_t kAdcRecordSize = 20;
constexpr size_t kAdcRowSize = 20;
constexpr size_t kTimerHeadSize = 64;
constexpr size_t kCounterRecordSize = 32;
constexpr size_t kVoiceBlockSize = 40;
constexpr uint16_t kImageEndMark = 0x00FF;
constexpr size_t kMaxSchedulePeriods = 24;

// The text form in byte 4 of the text head.
enum TextForm : uint8_t {
    kTextFormClocks = 1,     // rendered, with a clock table
    kTextFormRendered = 2,   // rendered
    kTextFormCommands = 10,  // command stream for the card's font chip
    kTextFormLyric = 14,     // lyric show: nothing follows
};

// The command bytes of the command stream.
enum CommandByte : uint8_t {
    kCmdFont = 0xF9,
    kCmdSize = 0xFA,
    kCmdColor = 0xFB,
    kCmdObject = 0xFC,    // parameter: 0x0E picture, 0x18 table, or a card field type
    kCmdPosition = 0xFD,  // parameter: 0x03 line start, 0x07 justified line start, 0x02 vertical offset
};
constexpr uint8_t kObjPicture = 0x0E;
constexpr uint8_t kObjTable = 0x18;
constexpr uint8_t kObjTableEnd = 0x19;
constexpr uint8_t kObjTableCell = 0x1A;
constexpr uint8_t kObjTableRule = 0x1B;

// The card field types of the dynamic-field records that point at something other
// than a glyph set.
constexpr uint8_t kCardFieldPicture = 14;
constexpr uint8_t kCardFieldAdc = 20;
constexpr uint8_t kCardFieldTimer = 21;
constexpr uint8_t kCardFieldCounter = 22;

// The string tables a dynamic field can show (the values are the encoder's sub-kinds).
enum FieldTable : uint8_t {
    kFieldTableDigits = 0,
    kFieldTableWeekdayCn = 9,
    kFieldTableWeekdayEn = 10,
    kFieldTableMonthName = 11,
    kFieldTableMonthAbbr = 12,
};

// The image under construction: its writer, its failure state and the blocks that
// are written once per image and shared by every later user.
class ProgramImage {
public:
    // Writes into an owned buffer of at most `limit` bytes.
    explicit ProgramImage(size_t limit = kImageLimit);
    // Writes into the caller's buffer (filled with 0xFF beforehand) of `limit` bytes.
    ProgramImage(uint8_t* buffer, size_t limit);

    ByteWriter& writer() { return w_; }
    size_t pos() const { return w_.size(); }
    bool ok() const { return !failed_ && w_.ok(); }
    // Marks the image as failed; returns false.
    bool Fail();
    // `at` when the image is still sound, else kEncodeTooLarge.
    int32_t Result(size_t at) const { return ok() ? int32_t(at) : kEncodeTooLarge; }

    // A checked write of a 16-bit field: a value outside 0..0xFFFF fails.
    bool PutU16(int64_t v);
    // An offset or length patched later; fails when the value does not fit the place.
    bool Patch(const ByteWriter::Place& place, int64_t value);
    bool PatchU16(size_t at, int64_t value) { return Patch(ByteWriter::Place{at, 2, at + 2 <= pos()}, value); }
    bool PatchU32(size_t at, int64_t value) { return Patch(ByteWriter::Place{at, 4, at + 4 <= pos()}, value); }

    std::span<const uint8_t> bytes() const { return w_.bytes(); }
    uint8_t* data() { return w_.data(); }
    std::vector<uint8_t> take() { return w_.take(); }

    // Shared blocks, keyed by what makes them equal.
    std::optional<uint32_t> Shared(uint64_t key) const;
    void Remember(uint64_t key, uint32_t offset) { shared_[key] = offset; }

private:
    ByteWriter w_;
    bool failed_ = false;
    std::map<uint64_t, uint32_t> shared_;
};

// ---- image frame ----------------------------------------------------------------

// The length word (filled by WriteImageEnd) and a set table of `setCount` records
// with its closing u32 0. Returns the offset of the first set record (4).
int32_t WriteImageHead(ProgramImage& image, size_t setCount);

// Pads to a multiple of 4 with 0xFF, writes the end mark and the CRC and stores the
// length L at offset 0. Returns L, or kEncodeTooLarge for a failed image.
int32_t WriteImageEnd(ProgramImage& image);
// (Re)computes the CRC of an image of `length` bytes into its last two bytes
// (after a voice pass has filled the sound places).
void StoreImageCrc(uint8_t* image, size_t length);

// The voice block head behind the image: "pde", 0, then 36 zero bytes.
bool WriteVoiceBlockHead(ProgramImage& image);
// Fills a 3-byte sound place with a sound-file index (0xFFFF: music missing) and the kind byte.
bool StoreSoundIndex(ProgramImage& image, size_t soundPlace, uint16_t index, uint8_t kind);

// ---- program sets and programs ----------------------------------------------------

// Fills bytes 0..8 of the zeroed 10-byte set record at `recordAt`: the schedule block of play-mode type 6
// is written at the write position, the program records follow it (`programCount`
// x 14 bytes reserved here). Returns the offset of the first program record.
int32_t WriteSetRecord(ProgramImage& image, size_t recordAt, const ProgramSetRecord& set, size_t programCount);

// The border type the image holds for a program: a custom border (type 1) without a
// frame and a type outside 1..8 count as no border. The content header's flag 0x02,
// the content body's border slot and the encoder's border item all follow it.
uint8_t EffectiveBorderType(const ProgramRecord& program);

// Fills the 14-byte program record at `recordAt` and writes the program's content
// header at the write position. Returns the place of the header's body offset.
ByteWriter::Place WriteProgramRecord(ProgramImage& image, size_t recordAt, const ProgramRecord& program);

// A program whose content body is still to be written.
struct PendingContent {
    const ProgramRecord* program = nullptr;
    ByteWriter::Place body;  // the content header's body offset
};

// The image head, every set record and program record and every content header of
// the tree, in tree order. The caller has checked that there is a set and that
// every set has a program. Returns the programs whose bodies come next, or
// kEncodeTooLarge.
int WriteImageSkeleton(ProgramImage& image, const ProgramTree& tree, std::vector<PendingContent>& pending);

// ---- content bodies -------------------------------------------------------------

// The text form for a content (`hasClockCells`: the text holds U+E030 cells).
uint8_t TextFormOf(const TextHeader& header, bool hasClockCells);
// The stream flags byte: the alignment byte, 0x04 added when header byte 4 is set.
uint8_t StreamFlags(const TextHeader& header);
// The byte-order flag of the command stream: the high byte of the font chip code.
inline uint8_t ByteOrderFlag(const HardwareParams& screen) { return uint8_t(screen.fontChip >> 8); }

struct ContentBody {
    ByteWriter::Place border;         // the border block's offset (invalid without a border)
    size_t soundPlace = 0;            // the 3-byte sound place, 0 without one
    std::array<size_t, 2> actions{};  // the stored card actions
    size_t actionCount = 0;
    size_t textHead = 0;              // the 6-byte text head
};

// Stores the body offset and writes the body up to and including the text head:
// the border slot, the sound place (u16 0 and the screen's subtype), the main and
// (when its effect is set) the secondary action in card form with the speed held
// to 1..253, and the text head with `textForm`; a lyric show gets the area's size,
// any other form 16 x 16 until SetTextSize. The program's sound alignment is not
// part of the image: it only shapes the speech that the voice pass builds.
ContentBody WriteContentBody(ProgramImage& image, const ProgramRecord& program, const HardwareParams& screen,
                             const ByteWriter::Place& bodyOffset, uint8_t textForm);
bool SetTextSize(ProgramImage& image, size_t textHead, int64_t width, int64_t height);

// The image set of the four built-in 16 x 16 images (border style 0x1000), written
// once per image.
int32_t WriteCardPatternImages(ProgramImage& image, uint16_t colorCode);
// The image set of the dissolve sequence (border style 0x1001), written once per
// image with masks drawn from `random`.
int32_t WriteDissolveImages(ProgramImage& image, uint16_t colorCode, DissolveRandom& random);
// Completes a stored card action: class 16 gets the dissolve set's offset at bytes
// 6..9 and 3 at byte 10, class 13 the built-in images' offset at bytes 7..10.
bool CompleteCardAction(ProgramImage& image, size_t actionAt, uint16_t colorCode, DissolveRandom& random);

// ---- command stream --------------------------------------------------------------

// u8 font-set mode, u8 stream flags, u8 byte-order flag, u8 0, u16 0.
bool WriteCommandStreamHead(ProgramImage& image, const TextHeader& header, uint8_t byteOrder);
// One 2-byte unit: with byte-order flag 0 the command byte first, else the parameter first.
bool PutCommandUnit(ProgramImage& image, uint8_t command, uint8_t parameter, uint8_t byteOrder);
// A character: flag 0, 00 and the character below 0x100, else its two code-page
// bytes ("?" when the code page lacks it); any other flag, the UTF-16 unit.
bool PutCommandChar(ProgramImage& image, char16_t ch, uint8_t byteOrder);
bool PutLineStart(ProgramImage& image, int64_t x, int64_t y, uint8_t byteOrder);
bool PutJustifiedLineStart(ProgramImage& image, int64_t x, int64_t y, int64_t spacing, uint8_t byteOrder);
bool PutLineOffset(ProgramImage& image, int64_t y, uint8_t byteOrder);
// 0xFC with a picture (0x0E) or card field type and a u32 place for the offset.
ByteWriter::Place PutObjectRef(ProgramImage& image, uint8_t type, uint8_t byteOrder);
// The table commands: the start follows the byte-order flag; rule, cell and end
// are the bytes FC 1B, FC 1A and FC 19 under either flag.
bool PutTableStart(ProgramImage& image, int64_t width, int64_t height, uint8_t columns, uint8_t rows,
                   uint32_t frameWord, uint8_t byteOrder);
bool PutTableRule(ProgramImage& image, uint32_t frameWord, int64_t x1, int64_t y1, int64_t x2, int64_t y2);
bool PutTableCell(ProgramImage& image, uint32_t cellWord);
bool PutTableEnd(ProgramImage& image);
// The 0 unit that ends a stream.
bool PutStreamEnd(ProgramImage& image);

// The colour code of a colour change (0 for no colour bits) and of a
// dynamic-field record (5 for no colour bits).
uint8_t CommandColorCode(uint32_t attr);
uint8_t FieldColorCode(uint32_t attr);

// ---- rendered form ---------------------------------------------------------------

// The clock table (u16 n + 1, entries of 8 bytes) and the bytes 2, 0 it points to.
// Returns the places of the clock blocks' offsets, one per clock.
std::vector<ByteWriter::Place> WriteClockTable(ProgramImage& image,
                                               std::span<const std::pair<int32_t, int32_t>> clocks);
// Bytes 4 and 0, half the clock's size, its style, then the image set of the
// frames the clock painter drew for it.
int32_t WriteClockBlock(ProgramImage& image, const ClockObject& clock, const FrameVector& drawn, uint16_t colorCode);
// A picture entry: the place of its planes' offset, then its line's x and y.
ByteWriter::Place WritePictureEntry(ProgramImage& image, int64_t x, int64_t y);
// A dynamic-field record; returns the place of its target's offset.
ByteWriter::Place WriteFieldRecord(ProgramImage& image, uint8_t colorCode, uint8_t cardType, int64_t x, int64_t y);
bool EndPictureEntry(ProgramImage& image);    // the 0 byte after a picture's field records
bool EndPictureEntries(ProgramImage& image);  // the u32 0 after the last picture
// A rendered text picture: its 14-byte image header and its planes, packed in the
// screen's colour code with all three thresholds set to 1 (any lit channel counts).
int32_t WritePicture(ProgramImage& image, RawImage& picture, uint16_t colorCode);

// ---- image sets and borders --------------------------------------------------------

// 3, 0, the frame count (at most 255), the 14-byte frame headers, then the planes,
// each frame packed (LedPlanes) in the screen's colour code at its pixel size (the
// caller scales pictures to their display size first). A side above 65535 fails;
// a frame that cannot be packed (not 32-bit, no pixels) goes out black.
int32_t WriteImageSet(ProgramImage& image, const FrameVector& frames, uint16_t colorCode);
int32_t WriteSingleImageSet(ProgramImage& image, const RawImage& frame, uint16_t colorCode);

// The pattern size of a border block: 8, 8, 16, 5, 8, 14, 5 for the built-in types
// 2..8, 0xFF for custom frames.
uint8_t BorderPatternSize(uint8_t type);
// The program's border block (type EffectiveBorderType) and its side image sets.
// The side frames come left, top, right, bottom (as the built-in patterns are
// made); frame i goes behind the offset word 12, 4, 16, 8 and the sets are written
// in that order. A custom border's missing frames reuse the last one's set. Types 6
// and 7 (ball, star) use one set, of the upright pattern (the second frame), for all
// four sides. The 8 bytes after the offset words are 0. The speed is raised to 10.
// A built-in pattern's side sets are written once per image: a later program with
// the same type gets a block of its own (its effect and speed) pointing at them.
int32_t WriteBorderBlock(ProgramImage& image, const ProgramRecord& program, uint16_t colorCode);

// ---- dynamic fields ----------------------------------------------------------------

// The strings of a field table, in table order.
std::span<const std::u16string_view> FieldTableStrings(FieldTable table);
// The table's distinct characters: strings in order, each from its last character
// to its first, a character taken the first time it is met.
std::u16string GlyphSetCharacters(FieldTable table);
// The entry width of the table's code table: 1, 1, 9, 9, 4.
uint8_t CodeTableWidth(FieldTable table);
// The table a field code shows (the weekday and month fields; digits for the rest).
FieldTable FieldTableOf(char16_t fieldCode);
// The card field type of a dynamic-field record (rendered form); -1 for a code
// that makes no record.
int CardFieldType(char16_t fieldCode);
// The card field type of a 0xFC unit in the command stream; -1 for a code written
// as a character (A-D, timer, counter) or not a field.
int CommandFieldType(char16_t fieldCode);

// The code table of a field table, written once per image.
int32_t WriteCodeTable(ProgramImage& image, FieldTable table);

// Draws the glyphs of a glyph set.
struct GlyphRenderer {
    // The cell extent of a character in the font of an attribute word.
    std::function<std::pair<int, int>(char16_t ch, uint32_t attr)> measure;
    // Paints a character as 1-bit rows of (width + 7) >> 3 bytes into zeroed `bits`.
    std::function<void(char16_t ch, uint32_t attr, int width, int height, std::span<uint8_t> bits)> paint;
};
// The glyph set of a field table for an attribute word; written once per image for
// each table and attribute word (colour bits ignored). The glyph size is the first
// distinct character's extent.
int32_t WriteGlyphSet(ProgramImage& image, FieldTable table, uint32_t attr, const GlyphRenderer& renderer);

// ---- field records -------------------------------------------------------------------

// A written field record and the place of its digit glyph set's offset.
struct FieldRecordPlace {
    int32_t offset = kEncodeTooLarge;
    ByteWriter::Place glyphSet;
};

// What the renderer measured and drew for a timer: the label of each unit in the
// field's font (null: none) and the width of "J" in that font.
struct TimerLabels {
    std::array<const RawImage*, 4> images{};
    int32_t digitWidth = 0;
};

// The 20-byte A-D record (u16 0, number, channel, calibration switch, digit format,
// flags, attribute word, glyph-set offset, row count, FF FF) and its calibration
// rows, only with the switch at 1 and only rows with x1 < x2 <= 4096.
FieldRecordPlace WriteAdcRecord(ProgramImage& image, const AdcField& field);
// The 64-byte timer head, the attribute word, the labels of the shown units (at
// most 31 units each and a 0 unit) and the label images (single-image sets).
FieldRecordPlace WriteTimerRecord(ProgramImage& image, const TimerField& field, const TimerLabels& labels,
                                  uint16_t colorCode);
// The label text a timer record keeps for unit `k`: at most 31 units, empty for a hidden unit.
std::u16string TimerLabelText(const TimerField& field, int k);
// The 32-byte counter record, its layout fixed here: u8 first byte, digit format,
// channel, unit, flags, 3 bytes 0, i32 start at 8, end at 12, start fraction at 16,
// end fraction at 20, the attribute word at 24 and the digit glyph set's offset at 28.
FieldRecordPlace WriteCounterRecord(ProgramImage& image, const CounterField& field);

}  // namespace ledsuite
