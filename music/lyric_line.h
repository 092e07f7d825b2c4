#pragma once
// The lyric line frame (card command 0x20) that shows one line of lyrics or spoken text
// on the sign, with its colour, move speed and placement rules, and the splitting of a
// text into the sentences that are spoken and shown one at a time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/card.h"
#include "music/playlist.h"

namespace ledsuite {

inline constexpr size_t kLyricLineMaxChars = 200;
inline constexpr int kLyricAnswerWaitMs = 200;  // for "SU"

// What the sender keeps from one frame to the next.
struct LyricFrameState {
    uint8_t lastSpeed = 0;        // the move speed last sent ("keep" resends it)
    uint32_t random = 0x1234567;  // seedable x * 214013 + 2531011 generator for the Random colour
};

// Where a line goes: its x and y on the sign and the width field of the frame.
struct LyricPlacement {
    uint16_t x = 0, y = 0, width = 0;
};

// The width of a line as the card measures cells of `height` pixels: a character that
// goes to the card as a single-byte code takes half the height, any other the height.
uint32_t LyricTextWidth(std::u16string_view text, int height);
// Centred when it fits (x = (W - width) / 2, the width sent becomes W + 10), else at 0;
// vertically centred for the alignments Center and Move (above 3 counts as Center)
// when the font is lower than the sign.
LyricPlacement PlaceLyricLine(uint32_t width, int height, int signWidth, int signHeight, uint8_t alignment);
// The colour code of the frame: 5 on a monochrome screen (and on screens whose mode is
// neither 5 nor 12..17); Auto takes the next of three colours in turn (process-wide),
// Random one of the three at random.
uint8_t LyricColor(uint8_t color, uint8_t screenColorMode, LyricFrameState& state);
// The speed byte for a card whose lyric protocol is not 1.
uint8_t LyricMoveSpeed(uint8_t setting, int height, const LyricFrameState& state);
// Font-chip language 1 maps to Simplified Chinese, 2 to Traditional; 0 leaves the text.
std::u16string MapChineseScript(std::u16string_view text, uint8_t fontChipLanguage);

// One frame: the 8-byte card frame "VUZUZE", 0x00, 0x20, and the body. Byte 6 is 0x00 on
// every adapter: the card takes a lyric line only so (the PL2303 mark is for the other commands).
struct LyricLineFrame {
    CardFrame head;
    std::vector<uint8_t> body;

    // Builds the frame for `text` (cut to 200 characters) with the settings; marks the
    // settings' frame-sent byte and remembers the speed in `state`.
    static LyricLineFrame Build(std::u16string_view text, LrcSettings& settings, uint8_t protocol,
                                LyricFrameState& state);
    std::vector<uint8_t> bytes() const;
};

// Writes a frame and waits for "SU"; true when it came.
bool SendLyricFrame(SerialPort& port, const LyricLineFrame& frame, int waitMs = kLyricAnswerWaitMs);

// A text's sentences in order: each ends after LF, CR, ! , ; ? or their full-width forms
// (U+FF0C U+3002 U+FF01 U+FF1B U+FF1F) once it holds a character other than these marks
// (a run of marks stays with the sentence it closes, so no sentence is marks alone), after
// the first character that is not an ASCII letter once it has 50 characters, and at 60
// characters in any case (never between the two halves of a surrogate pair).
std::vector<std::u16string> SplitSentences(std::u16string_view text);

}  // namespace ledsuite
