#include "content/model/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>

namespace ledsuite {

size_t U16Len(const char16_t* s, size_t max) {
    if (!s) return 0;
    size_t n = 0;
    while (n < max && s[n]) ++n;
    return n;
}

std::u16string U16FromField(const char16_t* field, size_t cap) {
    return std::u16string(field, U16Len(field, cap));
}

void U16ToField(char16_t* field, size_t cap, std::u16string_view text) {
    if (cap == 0) return;
    size_t n = std::min(text.size(), cap - 1);
    // Do not keep the first half of a surrogate pair without its second half.
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    for (size_t i = 0; i < cap; ++i) field[i] = i < n ? text[i] : u'\0';
}

std::u16string U16FromAscii(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (unsigned char c : s) out.push_back(char16_t(c));
    return out;
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
        if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
        if (x != y) return false;
    }
    return true;
}

namespace {

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

}  // namespace

char32_t NextCodePoint(std::u16string_view s, size_t& i) {
    char16_t c = s[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
        char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i] - 0xDC00);
        ++i;
        return cp;
    }
    return c;
}

namespace {
std::mutex g_cpMutex;
std::string g_codePage;

bool IsCodePage936(const std::string& name) {
    std::string cp;
    for (char c : name) cp += char(c >= 'a' && c <= 'z' ? c - 32 : c);
    return cp == "CP936" || cp == "GBK" || cp == "WINDOWS-936" || cp == "MS936";
}

// Windows code page 936 gives the private-use characters U+E000..U+E765 the codes
// of its user-defined rows (AAA1-AFFE, F8A1-FEFE, A140-A7A0); iconv's CP936 and GBK
// leave them out. The card's field codes U+E029..U+E02B are among them (AA CA..AA CC).
std::string UserDefinedToGbk(char32_t ch) {
    if (ch < 0xE000 || ch > 0xE765) return {};
    unsigned i = unsigned(ch - 0xE000);
    if (i < 6 * 94) return {char(0xAA + i / 94), char(0xA1 + i % 94)};
    i -= 6 * 94;
    if (i < 7 * 94) return {char(0xF8 + i / 94), char(0xA1 + i % 94)};
    i -= 7 * 94;
    const unsigned trail = i % 96;  // 40..7E, then 80..A0
    return {char(0xA1 + i / 96), char(trail < 63 ? 0x40 + trail : 0x80 + trail - 63)};
}

// The reverse: the private-use character of a user-defined code, or 0.
char16_t GbkToUserDefined(uint8_t lead, uint8_t trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE)
        return char16_t(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1));
    if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE)
        return char16_t(0xE000 + 6 * 94 + (lead - 0xF8) * 94 + (trail - 0xA1));
    if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F) {
        unsigned t = trail < 0x7F ? trail - 0x40u : trail - 0x80u + 63u;
        return char16_t(0xE000 + 13 * 94 + (lead - 0xA1) * 96 + t);
    }
    return 0;
}

std::string CurrentCodePage() {
    std::lock_guard<std::mutex> lock(g_cpMutex);
    if (g_codePage.empty()) {
        const char* env = std::getenv("LEDSUITE_CODEPAGE");
        g_codePage = (env && *env) ? env : "CP936";
    }
    return g_codePage;
}

// A converter for one pair of encodings, in its initial state. Converters are
// opened once per thread and pair: iconv_open loads tables, and the encoder and
// the loader convert one character at a time.
struct Iconv {
    iconv_t cd;
    Iconv(const char* to, const char* from) : cd(Cached(to, from)) {
        if (valid()) iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    bool valid() const { return cd != (iconv_t)-1; }

private:
    static iconv_t Cached(const char* to, const char* from) {
        struct Cache {
            std::map<std::string, iconv_t> open;
            ~Cache() {
                for (auto& [key, cd] : open)
                    if (cd != (iconv_t)-1) iconv_close(cd);
            }
        };
        thread_local Cache cache;
        auto [it, added] = cache.open.try_emplace(std::string(to) + '\n' + from, (iconv_t)-1);
        if (added) it->second = iconv_open(to, from);
        return it->second;
    }
};

}  // namespace

std::u16string Utf8ToWide(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = s[i];
        char32_t cp;
        size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (i + len > s.size()) { out.push_back(0xFFFD); break; }
        bool bad = false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) { bad = true; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (bad || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ||
            (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += len;
    }
    return out;
}

std::u16string Utf8ToWideAlloc(std::string_view utf8) { return Utf8ToWide(utf8); }

std::string WideToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp = NextCodePoint(s, i);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        if (cp < 0x80) out.push_back(char(cp));
        else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

void SetLegacyCodePage(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_cpMutex);
    g_codePage = name;
}

std::string LegacyCodePage() { return CurrentCodePage(); }

std::u16string AnsiToWide(std::string_view bytes, const std::string& codepage) {
    std::string cp = codepage.empty() ? CurrentCodePage() : codepage;
    Iconv conv("UTF-16LE", cp.c_str());
    std::u16string out;
    if (!conv.valid()) return U16FromAscii(bytes);
    const bool cp936 = IsCodePage936(cp);
    std::string in(bytes);
    char* inp = in.data();
    size_t inleft = in.size();
    char buf[256];
    while (inleft > 0) {
        char* outp = buf;
        size_t outleft = sizeof buf;
        size_t r = iconv(conv.cd, &inp, &inleft, &outp, &outleft);
        for (char* q = buf; q + 1 < outp; q += 2)
            out.push_back(char16_t(uint8_t(q[0]) | (uint8_t(q[1]) << 8)));
        if (r == (size_t)-1) {
            if (errno == E2BIG) continue;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
            char16_t pua = cp936 && inleft >= 2 ? GbkToUserDefined(uint8_t(inp[0]), uint8_t(inp[1])) : 0;
            if (pua) {
                out.push_back(pua);
                inp += 2;
                inleft -= 2;
                continue;
            }
            // An invalid or incomplete sequence: one replacement, skip one byte. Some
            // converters (glibc's CP949) report a bad pair after consuming it: then
            // there may be nothing left to skip.
            out.push_back(0xFFFD);
            if (inleft > 0) {
                ++inp;
                --inleft;
            }
        }
    }
    return out;
}

std::u16string AnsiToWideAlloc(std::string_view bytes) { return AnsiToWide(bytes); }

std::u16string AnsiToWideStatic(std::string_view bytes) {
    std::u16string w = AnsiToWide(bytes);
    if (w.size() > 1024) w.resize(1024);
    return w;
}

namespace {
std::string CharBytes(iconv_t cd, char32_t cp) {
    std::u16string one;
    AppendCodePoint(one, cp);
    std::string in;
    for (char16_t u : one) {
        in.push_back(char(u & 0xFF));
        in.push_back(char(u >> 8));
    }
    char* inp = in.data();
    size_t inleft = in.size();
    char buf[16];
    char* outp = buf;
    size_t outleft = sizeof buf;
    size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
    if (r == (size_t)-1 || inleft != 0) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return {};
    }
    // Close any shift state so each character stands alone.
    iconv(cd, nullptr, nullptr, &outp, &outleft);
    return std::string(buf, outp);
}
}  // namespace

// Converts one character at a time into a code page (empty: it cannot hold it).
class CharEncoder {
public:
    explicit CharEncoder(const std::string& codepage)
        : name_(codepage.empty() ? CurrentCodePage() : codepage), conv_(name_.c_str(), "UTF-16LE"),
          cp936_(IsCodePage936(name_)) {}
    std::string operator()(char32_t cp) const {
        std::string b;
        if (conv_.valid()) b = CharBytes(conv_.cd, cp);
        else if (cp < 0x80) b = std::string(1, char(cp));
        if (b.empty() && cp936_) b = UserDefinedToGbk(cp);
        return b;
    }

private:
    std::string name_;
    Iconv conv_;
    bool cp936_;
};

std::string CharToAnsi(char32_t cp, const std::string& codepage) { return CharEncoder(codepage)(cp); }

std::string WideToAnsi(std::u16string_view text, const std::string& codepage) {
    CharEncoder encode(codepage);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        std::string b = encode(NextCodePoint(text, i));
        out += b.empty() ? std::string("?") : b;
    }
    return out;
}

size_t WideToAnsi(std::u16string_view text, char* dest, size_t size) {
    if (!dest || size == 0) return 0;
    std::fill(dest, dest + size, '\0');
    CharEncoder encode({});
    size_t used = 0;
    size_t i = 0;
    while (i < text.size()) {
        char32_t cp = NextCodePoint(text, i);
        if (cp == 0) break;
        std::string b = encode(cp);
        if (b.empty()) b = "?";
        if (used + b.size() > size - 1) break;  // keep room for the terminator
        std::copy(b.begin(), b.end(), dest + used);
        used += b.size();
    }
    return used;
}

std::u16string FormatIntStatic(int value) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return U16FromAscii(std::string_view(buf, r.ptr - buf));
}

std::string FormatDouble(double value, int decimals) {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    return std::string(buf, r.ptr);
}

std::u16string FormatDoubleStatic(float value) { return U16FromAscii(FormatDouble(double(value), 6)); }

bool HasTxtExtension(const char16_t* path) {
    if (!path) return false;
    size_t n = U16Len(path);
    if (n < 4) return false;
    return EqualsIgnoreAsciiCase(std::u16string_view(path + n - 4, 4), u".TXT");
}

}  // namespace ledsuite
