#include "tools/fakecard_lyric.h"

#include <cstdlib>

#include "content/bytes.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

// The display codes start at body offset 9 on cards of lyric protocol 1 (byte 4 is 0),
// at 13 on the others (byte 4 is 1); five codes before the characters.
constexpr size_t kCodesPlain = 9, kCodesMoving = 13, kHeadCodes = 5;

std::string Bad(size_t size) { return "lyric: bad frame (" + std::to_string(size) + " bytes)"; }

}  // namespace

std::string DescribeLyricBody(const std::vector<uint8_t>& body) {
    // The shortest frame: the plain head, the five codes and the two closing zeros.
    if (body.size() < kCodesPlain + 2 * kHeadCodes + 4 || size_t(LoadU16(&body[1])) + 3 != body.size())
        return Bad(body.size());
    uint8_t x = 0;
    for (size_t i = 1; i < body.size(); ++i) x ^= body[i];
    const size_t codes = body[4] ? kCodesMoving : kCodesPlain;
    // Head codes, at least the two closing zeros, whole 16-bit units.
    if (x != body[0] || body.size() < codes + 2 * kHeadCodes + 4 || (body.size() - codes) % 2) return Bad(body.size());
    auto code = [&](size_t k) { return LoadU16(&body[codes + 2 * k]); };
    std::string text;
    for (size_t at = codes + 2 * kHeadCodes, end = body.size() - 4; at < end; at += 2) {
        const uint8_t lead = body[at], trail = body[at + 1];
        if (lead == 0) text += WideToUtf8(std::u16string(1, char16_t(trail)));
        else text += WideToUtf8(AnsiToWide(std::string{char(lead), char(trail)}));
    }
    return "lyric x=" + std::to_string(code(3)) + " y=" + std::to_string(code(4)) +
           " width=" + std::to_string(LoadU16(&body[5])) + " height=" + std::to_string(LoadU16(&body[7])) +
           " colour=" + std::to_string(code(1) >> 8) + " speed=" + std::to_string(body[3]) + " text=\"" + text + "\"";
}

std::optional<std::pair<uint16_t, uint16_t>> ParseSignSize(const std::string& text) {
    const size_t cross = text.find('x');
    if (cross == std::string::npos) return std::nullopt;
    auto number = [](const std::string& part) -> long {
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) return 0;
        return std::strtol(part.c_str(), nullptr, 10);
    };
    const long w = number(text.substr(0, cross)), h = number(text.substr(cross + 1));
    if (w < 1 || w > 0xFFFF || h < 1 || h > 0xFFFF) return std::nullopt;
    return std::pair(uint16_t(w), uint16_t(h));
}

}  // namespace ledsuite
