#include "content/render/plain_text.h"


#include "content/model/paths.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

bool IsPunctuation(char16_t c) {
    switch (c) {
    case u'\n': case u'\r': case u'!': case u',': case u'.': case u':': case u';': case u'?':
    case 0xFF0C: case 0x3002: case 0xFF01: case 0xFF1A: case 0xFF1B: case 0xFF1F:
        return true;
    default:
        return false;
    }
}

template <class Codes>
std::vector<int> PunctuationBreaks(const Codes& codes) {
    std::vector<int> breaks{0};
    int since = 0;  // characters other than punctuation since the last break
    for (size_t i = 0; i < codes.size(); ++i) {
        if (!IsPunctuation(codes[i])) {
            ++since;
        } else if (since > 0) {
            breaks.push_back(int(i) + 1);
            since = 0;
        }
    }
    return breaks;
}

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsStrictUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        size_t len = 0;
        char32_t cp = 0, min = 0;
        if (c < 0x80) len = 1, cp = c;
        else if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07, min = 0x10000;
        else return false;
        if (i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

std::u16string Utf16Units(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = uint8_t(bytes[i + (bigEndian ? 1 : 0)]), hi = uint8_t(bytes[i + (bigEndian ? 0 : 1)]);
        out.push_back(char16_t(lo | hi << 8));
    }
    return out;
}

}  // namespace

std::u16string PlainTextOf(const TextView& text) {
    std::u16string out;
    for (const TextCell& cell : text.cells.first(size_t(text.count())))
        if (!IsFieldCell(cell.code)) out += cell.code;
    return out;
}

std::vector<int> ListPunctuationBreaks(std::u16string_view text) { return PunctuationBreaks(text); }

std::vector<int> ListPunctuationBreaksInCells(const TextView& text) {
    std::u16string codes;
    for (const TextCell& cell : text.cells.first(size_t(text.count()))) codes += cell.code;
    return PunctuationBreaks(codes);
}

std::u16string DecodeTextBytes(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return Utf16Units(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return Utf16Units(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) return Utf8ToWide(bytes.substr(3));
    return IsStrictUtf8(bytes) ? Utf8ToWide(bytes) : AnsiToWide(bytes);
}

std::optional<std::u16string> DecodeTextFile(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    // Without a signature the bytes after a NUL take no part in choosing the encoding.
    const bool marked = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
                        bytes.starts_with("\xEF\xBB\xBF");
    std::u16string text = DecodeTextBytes(marked ? bytes : bytes.substr(0, bytes.find('\0')));
    return text.substr(0, text.find(u'\0'));
}

std::optional<std::u16string> LoadTextFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, kMaxTextFileBytes, bytes) != ReadFileResult::Ok) return std::nullopt;
    return DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace ledsuite
