#pragma once
// Reads a stored program image back into a program tree: one "Programs" set per set
// record, one program per program record, with the schedule, area, border, actions and
// the text with its fields. Rendered pictures and glyph sets are not read.
//
// Every read is bounded by the image. The first read that would leave it, or that meets
// bytes no writer produces where a value must be, stops the whole load; the sets and
// programs made until then stay in the tree. What one load may allocate is capped in
// proportion to the image's size, so offsets that point many records at the same bytes
// cannot blow a small image up into unbounded memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "content/bytes.h"
#include "content/model/field_objects.h"
#include "content/model/program_tree.h"

namespace ledsuite {

// The image of one load and the memory it may still take.
class ProgramImageView {
public:
    explicit ProgramImageView(std::span<const uint8_t> image);

    std::span<const uint8_t> bytes() const { return image_; }
    size_t size() const { return image_.size(); }
    // A reader at `offset`; already failed when the offset lies past the end.
    ByteReader At(size_t offset) const;
    // Takes `bytes` of the load's allocation allowance; false (and nothing left) when
    // the allowance is used up.
    bool Charge(size_t bytes);

private:
    std::span<const uint8_t> image_;
    size_t allowance_;
};

// The three words of a program record.
struct ProgramRecordWords {
    uint16_t contentOffset = 0;  // offset of the content header
    uint16_t one = 0;            // 1 in every written record; 0 leaves the content unread
    int16_t left = 0, top = 0, right = 0, bottom = 0;
};

// The 10-byte content header of a program.
struct ContentHeaderFields {
    uint8_t actions = 0;      // 1, or 2 with a secondary action
    uint8_t flags = 0;        // 0x02 border, 0x01 sound place, 0x40 moving main action
    uint32_t bodyOffset = 0;  // offset of the content body
};

// Appends new program sets and programs for the image's set table to the tree. Does
// nothing for fewer than 16 bytes or when the length word differs from the byte count.
// An image whose second word is 0xFFFF0000 is a bitmap image (LoadBitmapProgramImage).
void LoadProgramImage(ProgramTree& tree, std::span<const uint8_t> image);

// Appends one program to the set: a new record over the record's area, its content
// read when the record asks for it. False when the load must stop.
bool LoadProgram(ProgramSetNode& set, ProgramImageView& image, const ProgramRecordWords& record);
// Reads border, actions and text of a program from its content body.
bool LoadProgramContent(ProgramRecord& program, ProgramImageView& image, const ContentHeaderFields& header);
// Reads the text behind the 6-byte text head at `textHead` by its form byte.
bool LoadContentText(TextContent& text, ProgramImageView& image, size_t textHead);
// Rebuilds the cells from a code stream (kTextFormRendered, followed by the rendered
// pictures' field records, which give the picture, A-D, timer and counter cells their
// objects) or a command stream (kTextFormCommands, whose fields come back as codes
// without objects).
bool DecodeTextStream(TextContent& text, ProgramImageView& image, size_t stream, int form);

// The frames of the image set at `offset`, thresholds 0x80; none when the set does not
// begin with 3 or does not fit the image.
std::optional<FrameVector> ReadImageSet(ProgramImageView& image, size_t offset);
// Field objects from their records; null when a record does not fit the image.
std::unique_ptr<AdcField> ReadAdcField(ProgramImageView& image, size_t offset);
std::unique_ptr<TimerField> ReadTimerField(ProgramImageView& image, size_t offset);
std::unique_ptr<CounterField> ReadCounterField(ProgramImageView& image, size_t offset);

}  // namespace ledsuite
