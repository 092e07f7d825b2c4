#include "music/flyric.h"

#include <algorithm>
#include <cstdio>

#include "content/model/paths.h"
#include "content/render/plain_text.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

constexpr size_t kTagLookMax = 29;  // characters of a tag that are looked at

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A signed decimal at the start of `s` ("-5", "12"); digits only, stops at anything else.
int64_t LeadingInt(std::u16string_view s) {
    const bool negative = s.starts_with(u'-');
    if (negative || s.starts_with(u'+')) s.remove_prefix(1);
    int64_t v = 0;
    for (char16_t c : s) {
        if (!IsDigit(c)) break;
        v = std::min<int64_t>(v * 10 + (c - u'0'), INT32_MAX);
    }
    return negative ? -v : v;
}

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::u16string_view AfterColon(std::u16string_view tag) {
    size_t colon = tag.find(u':');
    return colon == std::u16string_view::npos ? std::u16string_view{} : tag.substr(colon + 1);
}

// Splits at LF; each line ends at its first NUL, loses a trailing CR and is cut to `max` units.
template <typename Fn>
void ForEachLine(std::u16string_view text, size_t max, Fn fn) {
    for (;;) {
        const size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        line = line.substr(0, line.find(u'\0'));
        if (line.ends_with(u'\r')) line.remove_suffix(1);
        fn(line.substr(0, max));
        if (end == std::u16string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

int64_t ParseLyricTimeTag(std::u16string_view tag) {
    size_t colon = tag.find(u':');
    if (colon == std::u16string_view::npos || colon == 0 || !IsDigit(tag[0])) return -1;
    const int64_t minutes = std::max<int64_t>(0, LeadingInt(tag.substr(0, colon)));
    std::u16string_view rest = tag.substr(colon + 1);
    size_t dot = rest.find(u'.');
    const int64_t seconds = std::max<int64_t>(0, LeadingInt(rest.substr(0, dot)));
    int64_t fraction = 0;
    if (dot != std::u16string_view::npos) {
        std::u16string_view f = rest.substr(dot + 1);
        // One digit counts hundreds of milliseconds, two tens, three ones; other lengths nothing.
        static constexpr int64_t kScale[3] = {100, 10, 1};
        if (!f.empty() && f.size() <= 3) fraction = std::max<int64_t>(0, LeadingInt(f)) * kScale[f.size() - 1];
    }
    return (minutes * 60 + seconds) * 1000 + fraction;
}

void FLyric::Clear() {
    *this = FLyric{};
}

bool FLyric::Load(const std::string& path) {
    Clear();
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, kMaxLyricFileBytes, bytes) != ReadFileResult::Ok) {
        std::printf("FLyric::Load: read file %s failed!\r\n", path.c_str());
        std::fflush(stdout);
        return false;
    }
    LoadBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

void FLyric::LoadBytes(std::string_view bytes) {
    Clear();
    // UTF-16LE after FF FE; otherwise 8-bit text, UTF-8 (signature dropped) when valid, else the code page.
    ForEachLine(DecodeTextBytes(bytes), kLyricLineUnits, [this](std::u16string_view line) { ParseLine(line); });
}

void FLyric::TakeHeaderTag(std::u16string_view tag) {
    if (StartsWith(tag, u"ar")) ar = AfterColon(tag);
    else if (StartsWith(tag, u"ti")) ti = AfterColon(tag);
    else if (StartsWith(tag, u"al")) al = AfterColon(tag);
    else if (StartsWith(tag, u"by")) by = AfterColon(tag);
    else if (StartsWith(tag, u"offset")) offset = int32_t(LeadingInt(AfterColon(tag)));
    else if (StartsWith(tag, u"key")) key = AfterColon(tag);
}

void FLyric::ParseLine(std::u16string_view line) {
    if (line.find(u'[') == std::u16string_view::npos) return;
    // The run of bracketed tags at the start of the line; every time tag in it takes the
    // text after the whole run.
    std::vector<int64_t> times;
    size_t pos = 0;
    while (line.substr(pos).starts_with(u'[')) {
        size_t close = line.find(u']', pos + 1);
        if (close == std::u16string_view::npos) break;
        std::u16string_view tag = line.substr(pos + 1, std::min(close - pos - 1, kTagLookMax));
        pos = close + 1;
        // A header tag begins with a letter, so it never reads as a time tag.
        if (acceptHeader_) TakeHeaderTag(tag);
        if (int64_t t = ParseLyricTimeTag(tag); t >= 0) times.push_back(t);
    }
    std::u16string_view text = line.substr(pos);
    for (int64_t t : times) {
        int64_t at = t - int64_t(offset);  // the time shift is always 0
        AddLine(at < 1 ? 0 : uint32_t(std::min<int64_t>(at, UINT32_MAX)), text);
        acceptHeader_ = false;
    }
}

void FLyric::AddLine(uint32_t time, std::u16string_view text) {
    // After every line of the same or an earlier time: the array stays sorted and lines
    // of equal time keep the file's order.
    auto it = std::upper_bound(lines_.begin(), lines_.end(), time,
                               [](uint32_t t, const LineLyric& l) { return t < l.time; });
    lines_.insert(it, LineLyric{time, std::u16string(text)});
}

int FLyric::LineAt(uint32_t ms) const {
    auto it = std::upper_bound(lines_.begin(), lines_.end(), ms,
                               [](uint32_t t, const LineLyric& l) { return t < l.time; });
    return int(it - lines_.begin()) - 1;
}

}  // namespace ledsuite
