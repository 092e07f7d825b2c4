#include "music/lyric_line.h"

#include <opencc/opencc.h>

#include <algorithm>
#include <atomic>
#include <array>
#include <mutex>
#include <optional>
#include <span>

#include "content/bytes.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

constexpr size_t kSentenceSoftLimit = 50;
constexpr size_t kSentenceHardLimit = 60;

// The card's display codes: font height, colour, the fixed 0x03FD.
constexpr uint16_t kCodeHeight = 0xFA, kCodeColor = 0xFB, kCodeStart = 0x03FD;

bool IsSentenceMark(char16_t c) {
    switch (c) {
        case u'\n': case u'\r': case u'!': case u',': case u';': case u'?':
        case 0xFF0C: case 0x3002: case 0xFF01: case 0xFF1B: case 0xFF1F:
            return true;
        default:
            return false;
    }
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The two bytes of one character: a code below 256 as 0x00 and the code; another as its
// double-byte code, or 0x00 and its single byte, or 0x00 '?' when the code page lacks it,
// so that every character stays one 16-bit unit of the stream.
std::array<uint8_t, 2> CardCharBytes(char32_t cp) {
    if (cp < 256) return {0x00, uint8_t(cp)};
    std::string bytes = CharToAnsi(cp);
    if (bytes.size() == 2) return {uint8_t(bytes[0]), uint8_t(bytes[1])};
    if (bytes.size() == 1) return {0x00, uint8_t(bytes[0])};
    return {0x00, uint8_t('?')};
}

bool IsSkipped(char32_t cp) { return cp == u'\t' || cp == u'\n' || cp == u'\r'; }

std::u16string_view CutChars(std::u16string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t n = max;
    if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;  // never half a surrogate pair
    return text.substr(0, n);
}

// One converter per direction, opened on first use and shared under a lock.
class ScriptConverter {
public:
    std::u16string Convert(std::u16string_view text, const char* config) {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool toSimplified = config[0] == 't';
        std::optional<opencc_t>& od = toSimplified ? t2s_ : s2t_;
        if (!od) od = opencc_open(config);  // tried once; a converter that failed to open stays unusable
        if (*od == reinterpret_cast<opencc_t>(-1) || *od == nullptr) return std::u16string(text);
        std::string utf8 = WideToUtf8(text);
        char* out = opencc_convert_utf8(*od, utf8.data(), utf8.size());
        if (!out) return std::u16string(text);
        std::u16string result = Utf8ToWide(out);
        opencc_convert_utf8_free(out);
        return result;
    }

private:
    std::mutex mutex_;
    std::optional<opencc_t> t2s_, s2t_;
};

}  // namespace

uint32_t LyricTextWidth(std::u16string_view text, int height) {
    uint32_t width = 0;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        if (IsSkipped(cp)) continue;
        width += CardCharBytes(cp)[0] == 0 ? uint32_t(height / 2) : uint32_t(height);
    }
    return width;
}

LyricPlacement PlaceLyricLine(uint32_t width, int height, int signWidth, int signHeight, uint8_t alignment) {
    LyricPlacement p;
    if (width <= uint32_t(std::max(signWidth, 0))) {
        p.x = uint16_t((uint32_t(signWidth) - width) / 2);
        p.width = uint16_t(std::min(signWidth + 10, 0xFFFF));
    } else {
        p.width = uint16_t(std::min<uint32_t>(width, 0xFFFF));
    }
    // Center, Move, and anything above Move (taken as Center) centre the line vertically.
    const bool centred = alignment == kAlignCenter || alignment >= kAlignMove;
    if (height < signHeight && centred) p.y = uint16_t((signHeight - height) / 2);
    return p;
}

uint8_t LyricColor(uint8_t color, uint8_t screenColorMode, LyricFrameState& state) {
    static std::atomic<unsigned> autoTurn{0};
    const uint8_t mode = screenColorMode >= 12 && screenColorMode <= 17 ? screenColorMode : uint8_t(5);
    if (mode == 5) return uint8_t(kLrcColorMono);
    // The three colours of a colour screen: red, green and the mode's own on modes 12
    // and 17; green, the code 11 and the mode's own on modes 13 to 16.
    const std::array<uint8_t, 3> three = mode == 12 || mode == 17 ? std::array<uint8_t, 3>{9, 10, mode}
                                                                   : std::array<uint8_t, 3>{10, 11, mode};
    if (color == kLrcColorAuto) return three[autoTurn.fetch_add(1) % 3];
    if (color == kLrcColorRandom) {
        state.random = state.random * 214013u + 2531011u;
        return three[(state.random >> 16 & 0x7FFF) % 3];
    }
    return color;
}

uint8_t LyricMoveSpeed(uint8_t setting, int height, const LyricFrameState& state) {
    if (setting == kMoveSpeedKeep) return state.lastSpeed;
    if (setting != kMoveSpeedAuto) return std::clamp<uint8_t>(setting, kMoveSpeedMin, kMoveSpeedMax);
    // Automatic: slower for smaller fonts; 12 px moves a little slower than 16 px.
    switch (height) {
        case 12: return 20;
        case 24: return 16;
        case 32: return 15;
        case 48: return 12;
        case 64: return 9;
        default: return 18;
    }
}

std::u16string MapChineseScript(std::u16string_view text, uint8_t fontChipLanguage) {
    static ScriptConverter converter;
    if (fontChipLanguage == 1) return converter.Convert(text, "t2s.json");
    if (fontChipLanguage == 2) return converter.Convert(text, "s2t.json");
    return std::u16string(text);
}

LyricLineFrame LyricLineFrame::Build(std::u16string_view text, LrcSettings& settings, uint8_t protocol,
                                     LyricFrameState& state) {
    const std::u16string line = MapChineseScript(CutChars(text, kLyricLineMaxChars), settings.fontChipLanguage);
    const int height = settings.fontHeight;
    const uint8_t color = LyricColor(settings.color, settings.screenColorMode, state);
    const LyricPlacement place =
        PlaceLyricLine(LyricTextWidth(line, height), height, settings.signWidth, settings.signHeight, settings.alignment);

    ByteWriter w;
    const auto xorPlace = w.reserve(1);  // filled in last, with the length
    const auto lengthPlace = w.reserve(2);
    const bool plain = protocol == 1;
    const uint8_t speed = plain ? 0 : LyricMoveSpeed(settings.moveSpeed, height, state);
    w.put_u8(speed);
    w.put_u8(plain ? 0 : 1);
    w.put_u16(place.width);
    w.put_u16(uint16_t(height));
    if (!plain) w.fill(0, 4);  // bytes 9-12 carry nothing of their own on these cards
    w.put_u16(uint16_t(height << 8 | kCodeHeight));
    w.put_u16(uint16_t(color << 8 | kCodeColor));
    w.put_u16(kCodeStart);
    w.put_u16(place.x);
    w.put_u16(place.y);
    for (size_t i = 0; i < line.size();) {
        char32_t cp = NextCodePoint(line, i);
        if (!IsSkipped(cp)) w.put_bytes(CardCharBytes(cp).data(), 2);
    }
    w.put_u32(0);
    w.patch(lengthPlace, uint16_t(w.size() - 3));
    uint8_t x = 0;
    for (uint8_t b : std::span(w.data(), w.size()).subspan(1)) x ^= b;
    w.patch(xorPlace, x);

    if (!plain) {
        state.lastSpeed = speed;
        settings.frameSent = 1;
    }
    return {CardFrame::Command(0x00, CardCommand::LyricLine), w.take()};
}

std::vector<uint8_t> LyricLineFrame::bytes() const {
    std::vector<uint8_t> out(head.view().begin(), head.view().end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool SendLyricFrame(SerialPort& port, const LyricLineFrame& frame, int waitMs) {
    SerialPurgeInput(port);
    const auto bytes = frame.bytes();
    if (SerialWrite(port, bytes.data(), bytes.size()) != int(bytes.size())) return false;
    return SerialExpectString(port, "SU", waitMs);
}

std::vector<std::u16string> SplitSentences(std::u16string_view text) {
    std::vector<std::u16string> out;
    std::u16string current;
    bool holdsText = false;  // a character other than a sentence mark is in `current`
    for (char16_t c : text) {
        const bool mark = IsSentenceMark(c);
        if (mark && !holdsText && current.empty() && !out.empty()) {
            out.back().push_back(c);  // a run of marks stays with the sentence it closes
            continue;
        }
        current.push_back(c);
        holdsText = holdsText || !mark;
        const size_t n = current.size();
        const bool halfPair = c >= 0xD800 && c <= 0xDBFF;  // never cut between the halves of a pair
        const bool end = (mark && holdsText) ||
                         (!halfPair && (n >= kSentenceHardLimit || (n >= kSentenceSoftLimit && !IsAsciiLetter(c))));
        if (end) out.push_back(std::move(current)), current.clear(), holdsText = false;
    }
    // Marks alone at the start (nothing before them) are a sentence only when they show something.
    if (!current.empty() && (holdsText || current.find_first_not_of(u"\r\n") != std::u16string::npos))
        out.push_back(std::move(current));
    return out;
}

}  // namespace ledsuite
