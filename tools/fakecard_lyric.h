#pragma once
// What a lyric-capable card makes of the lyric line frames it receives, for the fake
// card's log: the frame's fields and its text, one line each.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ledsuite {

// One lyric line body (the bytes after the 8-byte frame) as a log line:
//   lyric x=46 y=8 width=202 height=16 colour=5 speed=0 text="Hello"
// A body too short for its display codes, or whose XOR or length is wrong, is logged as
// "lyric: bad frame" with its size, so a fault on the sender's side shows.
std::string DescribeLyricBody(const std::vector<uint8_t>& body);

// "WIDTHxHEIGHT" (each 1 to 65535), as given to the fake card's --sign option.
std::optional<std::pair<uint16_t, uint16_t>> ParseSignSize(const std::string& text);

}  // namespace ledsuite
