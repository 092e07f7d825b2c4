#pragma once
// Checks of an ".lcs" program file before any of it reaches a tree: the screen header's
// length word and end mark, the file's size bounds and, when the file carries an image,
// the image's length word, end mark and CRC. The header's CRC is not checked (the
// USB-disk export rewrites byte 16 of the files it copies); a wrong image CRC only warns.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ledsuite {

enum class ProgramFileError {
    None,
    TooShort,       // not even a whole screen header
    TooLarge,       // past the header area and the largest image
    HeaderLength,   // the header's first word is not 64
    HeaderEndMark,  // no 0x00FF at byte 60 of the header
    ImageLength,    // the image's length word is below 16 or is not the rest of the file
    ImageEndMark,   // no 0x00FF before the image's CRC
};

struct ProgramFileCheck {
    ProgramFileError error = ProgramFileError::None;
    bool hasImage = false;     // the file is long enough to carry programs
    bool crcMismatch = false;  // the image's CRC differs from its bytes (the file still loads)
    uint32_t imageLength = 0;  // the image's own length word; bytes after it (sounds) are not the image
};

ProgramFileCheck CheckProgramFile(std::span<const uint8_t> file);

// The message for a refused file in the current UI language; empty for None.
std::u16string ProgramFileErrorText(ProgramFileError error);
// The warning shown when the image's CRC does not match.
std::u16string ProgramFileCrcWarning();

}  // namespace ledsuite
