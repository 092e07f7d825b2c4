#pragma once
// Test-only checker of program images. It walks the image the way a card or the
// loader would: the length word, the end mark and CRC, the set table, schedules,
// program records, content headers and bodies, card actions, command streams and
// their code tables, rendered forms with their pictures, clock blocks and field
// records, glyph sets, image sets and border blocks. Every offset must land inside
// the image (before the end mark) on a block of the kind it names.
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

struct ImageWalk {
    std::vector<std::string> problems;  // empty: the image is valid
    size_t length = 0;                  // the length word
    size_t sets = 0;
    size_t programs = 0;
    // Offsets of the distinct blocks reached (a shared block is counted once).
    std::set<uint32_t> imageSets, pictures, borderBlocks, glyphSets, codeTables, fieldRecords, clockBlocks;
};

// Walks a whole image; bytes may follow it only as a voice block ("pde", 0).
ImageWalk WalkProgramImage(std::span<const uint8_t> image);

// The problems alone, for EXPECT_THAT(CheckProgramImage(bytes), IsEmpty()).
inline std::vector<std::string> CheckProgramImage(std::span<const uint8_t> image) {
    return WalkProgramImage(image).problems;
}

}  // namespace ledsuite
