#include "content/sound/kipvoice/speech_markup.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kipvoice_detail {

namespace {

// espeak-ng speaks 80 to 450 words a minute, but at 450 it switches to time-stretching its
// output, which comes out slower than 449: the fastest rate takes 449.
constexpr double kNormalWpm = 175, kSlowestWpm = 80, kFastestWpm = 449;
// espeak-ng keeps a short stack of prosody settings; elements nested deeper than this are
// dropped (their text is kept) instead of overflowing it.
constexpr size_t kMaxNested = 16;
// espeak-ng's longest pause is 40.95 s.
constexpr int kMaxSilenceMs = 40000;
// The longest entity worth looking at ("&#x10FFFF;").
constexpr size_t kMaxEntity = 10;

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsNameChar(char16_t c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == u'_' || c == u':' || c == u'-' || c == u'.';
}

struct Attribute {
    std::u16string name;  // lower case
    std::u16string_view value;
};

struct Tag {
    std::u16string name;  // lower case
    std::vector<Attribute> attributes;
    bool closing = false;  // </name>
    bool empty = false;    // <name/>
    size_t end = 0;        // the index behind its '>'
};

void SkipSpace(std::u16string_view t, size_t& i) {
    while (i < t.size() && IsSpace(t[i])) ++i;
}

// An element or attribute name at `i`, lower-cased (names are matched without case); empty
// when none starts there.
std::u16string ReadName(std::u16string_view t, size_t& i) {
    std::u16string name;
    if (i >= t.size() || !(IsAsciiLetter(t[i]) || t[i] == u'_' || t[i] == u':')) return name;
    for (; i < t.size() && IsNameChar(t[i]); ++i) name += IsAsciiLetter(t[i]) ? char16_t(t[i] | 0x20) : t[i];
    return name;
}

// One attribute (name="value" or name='value') at `i`; none unless well-formed. A value
// never holds '<', so no attempt reads past the next '<' and the whole text is read in
// linear time.
std::optional<Attribute> ReadAttribute(std::u16string_view t, size_t& i) {
    Attribute a;
    a.name = ReadName(t, i);
    SkipSpace(t, i);
    if (a.name.empty() || i >= t.size() || t[i] != u'=') return std::nullopt;
    ++i;
    SkipSpace(t, i);
    if (i >= t.size() || (t[i] != u'"' && t[i] != u'\'')) return std::nullopt;
    const char16_t quote = t[i++];
    const size_t end = t.find_first_of(quote == u'"' ? u"\"<" : u"'<", i);
    if (end == t.npos || t[end] != quote) return std::nullopt;
    a.value = t.substr(i, end - i);
    i = end + 1;
    return a;
}

// The tag whose '<' is at `at`, or none when what follows is not a well-formed tag.
std::optional<Tag> ReadTag(std::u16string_view t, size_t at) {
    Tag tag;
    size_t i = at + 1;
    if (i < t.size() && t[i] == u'/') tag.closing = true, ++i;
    tag.name = ReadName(t, i);
    if (tag.name.empty()) return std::nullopt;
    for (;;) {
        const size_t before = i;
        SkipSpace(t, i);
        if (i >= t.size()) return std::nullopt;
        if (t[i] == u'>' || (!tag.closing && t[i] == u'/' && i + 1 < t.size() && t[i + 1] == u'>')) {
            tag.empty = t[i] == u'/';
            tag.end = i + (tag.empty ? 2 : 1);
            return tag;
        }
        if (tag.closing || i == before) return std::nullopt;  // attributes follow a space; closing tags have none
        std::optional<Attribute> a = ReadAttribute(t, i);
        if (!a) return std::nullopt;
        tag.attributes.push_back(std::move(*a));
    }
}

// A whole number attribute (an optional sign and digits, held to +-1,000,000); none when
// the attribute is missing or not a number.
std::optional<int> IntAttribute(const Tag& tag, std::u16string_view name) {
    for (const Attribute& a : tag.attributes) {
        if (a.name != name) continue;
        std::u16string_view v = a.value;
        const bool negative = !v.empty() && v[0] == u'-';
        if (!v.empty() && (v[0] == u'-' || v[0] == u'+')) v.remove_prefix(1);
        if (v.empty() || !std::all_of(v.begin(), v.end(), IsDigit)) return std::nullopt;
        int n = 0;
        for (char16_t c : v) n = std::min(n * 10 + (c - u'0'), 1000000);
        return negative ? -n : n;
    }
    return std::nullopt;
}

// The character of an entity (&amp; &lt; &gt; &quot; &apos; &#N; &#xH;) at `at`, and the
// index behind it; none for anything else.
std::optional<std::pair<char32_t, size_t>> ReadEntity(std::u16string_view t, size_t at) {
    const size_t semi = t.substr(0, std::min(t.size(), at + kMaxEntity + 1)).find(u';', at);
    if (semi == t.npos) return std::nullopt;
    const std::u16string_view body = t.substr(at + 1, semi - at - 1);
    static constexpr std::pair<std::u16string_view, char32_t> kNamed[] = {
        {u"amp", U'&'}, {u"lt", U'<'}, {u"gt", U'>'}, {u"quot", U'"'}, {u"apos", U'\''}};
    for (const auto& [name, c] : kNamed)
        if (body == name) return std::pair(c, semi + 1);
    if (body.size() < 2 || body[0] != u'#') return std::nullopt;
    const bool hex = body[1] == u'x' || body[1] == u'X';
    const std::u16string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return std::nullopt;
    uint32_t c = 0;
    for (char16_t d : digits) {
        const int v = IsDigit(d) ? d - u'0' : (hex && d >= u'a' && d <= u'f') ? d - u'a' + 10
                                            : (hex && d >= u'A' && d <= u'F') ? d - u'A' + 10 : -1;
        if (v < 0) return std::nullopt;
        c = c * (hex ? 16 : 10) + uint32_t(v);  // at most 8 digits: no overflow
    }
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    return std::pair(char32_t(c), semi + 1);
}

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
        out += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
    } else {
        out += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)), char(0x80 | ((c >> 6) & 0x3F)),
                char(0x80 | (c & 0x3F))};
    }
}

// A character of the text, escaped for SSML when `escape` is set.
void AppendChar(std::string& out, char32_t c, bool escape) {
    if (escape && c == U'<') out += "&lt;";
    else if (escape && c == U'>') out += "&gt;";
    else if (escape && c == U'&') out += "&amp;";
    else AppendCodePoint(out, c);
}

void AppendUtf16(std::string& out, std::u16string_view text, bool escape) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        AppendChar(out, c, escape);
    }
}

// Walks the text once: markup becomes SSML, everything else escaped text.
class Translator {
public:
    Translator(std::u16string_view text, int rate) : t_(text), baseRate_(std::clamp(rate, -10, 10)) {}

    std::string Run() {
        for (size_t i = 0; i < t_.size();) i = Markup(i);
        WriteText(t_.size());
        while (!open_.empty()) Pop();
        return std::move(out_);
    }

private:
    // What the voice does inside an element: rate and pitch -10..10, volume 0..100.
    struct Prosodic {
        int rate, pitch, volume;
    };
    struct Open {
        std::u16string name;
        const char* close;  // the SSML that ends it ("" for an element dropped)
        bool implicit;      // an empty rate, volume or pitch: lasts until its parent ends
        Prosodic inside;    // as espeak-ng has it
    };

    // Writes the text before `end` that is not written yet.
    void WriteText(size_t end) {
        AppendUtf16(out_, t_.substr(written_, end - written_), true);
        written_ = end;
    }

    // Acts on the markup at `i` (entity, tag, comment, processing instruction) and returns
    // the index behind it; i + 1 when none starts there (the character is text). Once a
    // comment or instruction has no end, no later one has: nothing is searched twice.
    size_t Markup(size_t i) {
        size_t end = i;
        if (t_[i] == u'&') {
            if (const auto entity = ReadEntity(t_, i)) {
                WriteText(i);
                AppendChar(out_, entity->first, true);
                end = entity->second;
            }
        } else if (t_[i] == u'<' && (t_.substr(i).starts_with(u"<!--") || t_.substr(i).starts_with(u"<?"))) {
            const bool comment = t_[i + 1] == u'!';
            bool& unended = comment ? commentUnended_ : instructionUnended_;
            const size_t close = unended ? t_.npos : t_.find(comment ? u"-->" : u"?>", i + 2);
            unended = close == t_.npos;
            if (!unended) {
                WriteText(i);
                end = close + (comment ? 3 : 2);
            }
        } else if (t_[i] == u'<') {
            if (const std::optional<Tag> tag = ReadTag(t_, i)) {
                WriteText(i);
                Element(*tag);
                end = tag->end;
            }
        }
        if (end == i) return i + 1;
        written_ = end;
        return end;
    }

    Prosodic Current() const { return open_.empty() ? Prosodic{baseRate_, 0, 100} : open_.back().inside; }

    void Element(const Tag& tag) {
        if (tag.closing) return Close(tag.name);
        const std::u16string& n = tag.name;
        if (n == u"silence") {  // always empty: an opening one has no end either
            if (const std::optional<int> ms = IntAttribute(tag, u"msec"))
                out_ += "<break time=\"" + std::to_string(std::clamp(*ms, 0, kMaxSilenceMs)) + "ms\"/>";
            return;
        }
        if (n == u"rate" || n == u"volume" || n == u"pitch") return Prosody(tag);
        if (tag.empty) return;  // nothing inside to act on
        if (n == u"emph") return Push(n, "<emphasis>", "</emphasis>", false, Current());
        if (n == u"spell") return Push(n, "<say-as interpret-as=\"characters\">", "</say-as>", false, Current());
        if (n == u"p") return Push(n, "<p>", "</p>", false, Current());
        if (n == u"s") return Push(n, "<s>", "</s>", false, Current());
        Push(n, "", "", false, Current());  // voice, lang, pron, bookmark, sapi...: their text only
    }

    // rate (absspeed, or speed relative to the rate in effect), volume (level, percent of
    // the voice's) and pitch (absmiddle, or middle relative; -10..10, about a semitone a
    // step). espeak-ng takes prosody percentages of what the enclosing element has.
    void Prosody(const Tag& tag) {
        const Prosodic outside = Current();
        Prosodic inside = outside;
        std::string ssml;
        const auto percent = [](double ratio) { return std::to_string(std::lround(100 * ratio)) + "%\">"; };
        if (tag.name == u"rate") {
            const std::optional<int> abs = IntAttribute(tag, u"absspeed"), rel = IntAttribute(tag, u"speed");
            if (abs || rel) {
                inside.rate = std::clamp(abs ? *abs : outside.rate + *rel, -10, 10);
                ssml = "<prosody rate=\"" +
                       percent(double(RateToWordsPerMinute(inside.rate)) / RateToWordsPerMinute(outside.rate));
            }
        } else if (tag.name == u"volume") {
            if (const std::optional<int> level = IntAttribute(tag, u"level")) {
                inside.volume = outside.volume ? std::clamp(*level, 0, 100) : 0;  // nothing undoes a silent voice
                ssml = "<prosody volume=\"" + percent(outside.volume ? inside.volume / double(outside.volume) : 1);
            }
        } else {
            const std::optional<int> abs = IntAttribute(tag, u"absmiddle"), rel = IntAttribute(tag, u"middle");
            if (abs || rel) {
                inside.pitch = std::clamp(abs ? *abs : outside.pitch + *rel, -10, 10);
                ssml = "<prosody pitch=\"" + percent(std::pow(2.0, (inside.pitch - outside.pitch) / 12.0));
            }
        }
        if (ssml.empty() && tag.empty) return;
        Push(tag.name, ssml, ssml.empty() ? "" : "</prosody>", tag.empty, inside);
    }

    // Opens an element; one nested too deep for espeak-ng is kept for its closing tag but
    // gives no SSML and changes nothing.
    void Push(const std::u16string& name, const std::string& ssml, const char* close, bool implicit, Prosodic inside) {
        if (*close && nested_ >= kMaxNested) close = "", inside = Current();
        if (*close) out_ += ssml, ++nested_;
        if (!implicit) ++closable_[name];
        open_.push_back({name, close, implicit, inside});
    }

    void Pop() {
        const Open& top = open_.back();
        if (*top.close) out_ += top.close, --nested_;
        if (!top.implicit) --closable_[top.name];
        open_.pop_back();
    }

    // Ends the innermost open element of that name and whatever is open inside it; a closing
    // tag without its opening one is dropped.
    void Close(const std::u16string& name) {
        if (closable_[name] == 0) return;  // not searched for: stray closing tags cost no time
        auto it =
            std::find_if(open_.rbegin(), open_.rend(), [&](const Open& o) { return !o.implicit && o.name == name; });
        if (it == open_.rend()) return;
        const size_t keep = size_t(open_.rend() - it) - 1;
        while (open_.size() > keep) Pop();
    }

    std::u16string_view t_;
    int baseRate_;
    std::string out_;
    size_t written_ = 0;  // the text before this index is in out_
    std::vector<Open> open_;
    size_t nested_ = 0;                           // open elements given to espeak-ng
    std::map<std::u16string, size_t> closable_;  // open elements by name, those a closing tag ends
    bool commentUnended_ = false, instructionUnended_ = false;
};

}  // namespace

int RateToWordsPerMinute(int rate) {
    rate = std::clamp(rate, -10, 10);
    const double end = rate < 0 ? kSlowestWpm : kFastestWpm;
    return int(std::lround(kNormalWpm * std::pow(end / kNormalWpm, std::abs(rate) / 10.0)));
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    AppendUtf16(out, text, false);
    return out;
}

std::string MarkupToSsml(std::u16string_view text, int rate) { return Translator(text, rate).Run(); }

}  // namespace kipvoice_detail
