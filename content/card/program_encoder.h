#pragma once
// The program encoder: compiles the program tree of one screen into the card's
// program image (program_image.h), or into the compact bitmap image for card
// type 0 (bitmap_image.h).
//
// A run checks the tree, writes the image head, the set and program records and
// the content headers, then every content body: the card actions and the text,
// either as a command stream for the card's font chip or rendered into one
// picture per laid-out line with a code stream beside it. What the bodies refer
// to is queued as pending items and written after them, in passes: pictures,
// borders and field records in queue order, the card actions' shared image
// sets, the glyph sets of the dynamic fields (one per field table and attribute
// word, colour bits ignored) and the code tables (one per field table). Then
// the image is closed with its end mark and CRC.
//
// The encoder owns its FontRenderer; nothing is shared with other threads.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "content/card/program_image.h"
#include "content/model/lang.h"
#include "content/model/program_tree.h"
#include "content/render/card_layout.h"
#include "content/render/render_context.h"
#include "content/render/text_layout.h"

namespace ledsuite {

// Result codes of BuildProgramImage besides the length and kEncodeTooLarge.
constexpr int kEncodeNoSet = -1;         // no program set (or no buffer, or a limit below 0xFFFF)
constexpr int kEncodeEmptySet = -2;      // a set without programs; position set << 16
constexpr int kEncodeEmptyProgram = -3;  // a program without content; position set << 16 | program

// The kinds of pending items.
enum ItemKind : uint8_t {
    kItemPicture = 2,    // image set of a picture's frames
    kItemBorder = 3,     // border block of a program
    kItemGlyphSet = 5,   // glyph set of a dynamic field (sub-kind: field table)
    kItemCodeTable = 6,  // code table of a dynamic field (sub-kind: field table)
    kItemVoice = 7,      // a program whose speech the voice pass builds
    kItemAdc = 8,
    kItemTimer = 9,
    kItemCounter = 10,
};

// Something a content body refers to, written after the bodies; its offset goes
// to `place`.
struct PendingItem {
    uint8_t kind = 0;
    uint8_t subKind = 0;
    uint32_t attr = 0;
    ByteWriter::Place place;
    const CellObject* object = nullptr;     // pictures and field records
    const ProgramRecord* program = nullptr;  // borders and voice programs
};

// A program of the voice pass: its record and its 3-byte sound place.
struct VoiceProgram {
    const ProgramRecord* program = nullptr;
    size_t soundPlace = 0;
};

// A progress report of a long run (the voice pass): the voice programs, those
// done, and the fraction done of the current one.
struct EncodeProgress {
    uint32_t programs = 0;
    uint32_t done = 0;
    float fraction = 0;
};
using EncodeProgressFn = std::function<void(const EncodeProgress&)>;
// The text a voice pass shows with its reports.
inline const LangText kVoiceProgressText{{u"编译语音", u"編譯語音", u"Compiling speech"}};

// The voice pass of a USB-disk build: called with the closed image of length L
// (written up to L, the writer at L) and the voice programs in order. It stores
// each program's sound index in its place (StoreSoundIndex), may append a voice
// block behind L (WriteVoiceBlockHead) and writes the sound files; the encoder
// then stores the CRC again. A build without a drive record has none.
using VoicePass = std::function<void(ProgramImage& image, size_t length, std::span<const VoiceProgram> programs,
                                     const EncodeProgressFn& progress)>;

struct EncodeHooks {
    VoicePass voicePass;
    EncodeProgressFn progress;
};

// ---- the run ---------------------------------------------------------------------

// Compiles the tree into `buffer` (filled with 0xFF by the caller, `limit`
// bytes: 0xFFFFF for sending and files, 0xFFFF for paged sending). Returns the
// image length L, or kEncodeNoSet, kEncodeEmptySet, kEncodeEmptyProgram (with
// the error position) or kEncodeTooLarge (the content does not fit the limit or
// a field of the format). A screen of card type 0 gets the bitmap image. No
// byte at or beyond `limit` is ever written.
int32_t BuildProgramImage(uint8_t* buffer, uint32_t* errorPosition, const ProgramTree& tree, size_t limit,
                          const EncodeHooks& hooks = {});

// The checks of a run, in tree order: 0, or the first failure and its position.
int CheckProgramTree(const ProgramTree& tree, uint32_t* errorPosition);

// The message of a failed run in the current UI language (numbers 1-based).
std::u16string FormatEncodeError(int result, uint32_t errorPosition);

// Writes every pending program's content body and queues what the bodies refer
// to; the stored card actions are added to `actions`. 0 or kEncodeTooLarge.
int EncodeProgramContents(ProgramImage& image, RenderContext& rc, std::span<const PendingContent> contents,
                          std::vector<PendingItem>& items, std::vector<size_t>& actions,
                          const HardwareParams& screen);

// The passes after the bodies: items in queue order (kinds 5, 6 and 7 are set
// aside; field records queue their glyph sets), the card actions, the glyph
// sets, the code tables. The voice programs are returned in `voice`.
int WritePendingItems(ProgramImage& image, RenderContext& rc, std::vector<PendingItem>& items,
                      std::span<const size_t> actions, const HardwareParams& screen,
                      std::vector<VoiceProgram>& voice);

// The image set of a picture's frames, each packed at its display size.
int32_t WritePictureFrames(ProgramImage& image, const PictureObject& picture, uint16_t colorCode);

// ---- card glyph rendering ----------------------------------------------------------

// Writes the command units of the laid-out text, each line started at (cellX,
// cellY) plus its place, and the 0 unit. A table cell's text (`tableCell`) has
// no 0 unit and skips tables. Pictures and dynamic fields queue their items.
// Returns the laid-out size, or -1 x -1 after a failed write.
CellSize EncodeCommandStream(ProgramImage& image, RenderContext& rc, const TextView& text, int areaWidth,
                             int areaHeight, int effect, uint8_t byteOrder, int cellX, int cellY,
                             std::vector<PendingItem>& items, bool tableCell = false);
// A table: its start, rules, cells (each cell's text laid out as a page in the
// cell) and end.
bool EncodeTableCommands(ProgramImage& image, RenderContext& rc, const GridObject& grid, uint8_t byteOrder,
                         std::vector<PendingItem>& items);

// A field, picture or clock cell of a rendered line and its top-left on the
// line's picture.
struct FieldPosition {
    int32_t x = 0;
    int32_t y = 0;
    const TextCell* cell = nullptr;
};
// One rendered line: its picture (32-bit) and its place in the area.
struct TextPicture {
    RawImage image;
    int32_t x = 0;
    int32_t y = 0;
    std::vector<FieldPosition> fields;
};
struct RenderedText {
    std::vector<TextPicture> pictures;
    std::vector<FieldPosition> clocks;  // in the area
    CellSize size;
};

// Renders the text of a system-font program into one picture per laid-out line.
// Fields, pictures and clocks are not drawn but listed; tables are drawn with
// their fields listed. The packed pictures must fit `room` bytes (their 14-byte
// headers included): the sizes are checked before any line is drawn. 0, or
// kEncodeTooLarge for pictures that do not fit `room`, a 16-bit side or memory.
int RenderTextPictures(RenderContext& rc, const TextContent& text, int effect, int areaWidth, int areaHeight,
                       uint16_t colorCode, size_t room, RenderedText& out);

// The glyph renderer of the glyph sets: the cell extent of a character in the
// font of an attribute word (installed faces), and the character drawn white
// into a 1-bit glyph (one grey plane, threshold 0x80).
GlyphRenderer CardGlyphRenderer(RenderContext& rc);

}  // namespace ledsuite
