// The speech facade as a caller sees it: the exported symbols, the voice list, WAV
// rendering and speaking aloud into a fake sink.
#include "content/sound/kipvoice/kipvoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// GLib and GStreamer keep process-wide allocations (type system, plugin registry, thread
// pools) for the life of the process; the leak checker of the sanitizer build skips them.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgstreamer-1.0.so\n";
}

namespace {

// The WAV bytes of a render (empty for a failed one).
std::vector<uint8_t> Render(const std::u16string& text, int voice, int rate = 0) {
    uint8_t* buf = nullptr;
    const int n = kipvoice_towavstream(text.c_str(), voice, rate, &buf);
    std::vector<uint8_t> out;
    if (n > 0) out.assign(buf, buf + n);
    kipvoice_delete(buf);
    return out;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// The engine carries a little state (pitch flutter) from one text to the next, so two
// renders of one text differ by a few samples: lengths are compared within 1%.
bool SameLength(size_t a, size_t b) { return a * 100 < b * 101 && b * 100 < a * 101; }

// The samples of a render and measures of them.
std::vector<int16_t> Samples(const std::u16string& text, int rate = 0) {
    const std::vector<uint8_t> wav = Render(text, 2, rate);
    std::vector<int16_t> s;
    for (size_t at = 44; at + 1 < wav.size(); at += 2) s.push_back(int16_t(U16(wav, at)));
    return s;
}
double Seconds(const std::u16string& text, int rate = 0) { return Samples(text, rate).size() / 22050.0; }
// The longest run of near-silent samples, in seconds.
double LongestQuiet(const std::vector<int16_t>& s) {
    size_t longest = 0, run = 0;
    for (int16_t v : s) longest = std::max(longest, run = std::abs(v) < 256 ? run + 1 : 0);
    return longest / 22050.0;
}
int Peak(const std::vector<int16_t>& s) {
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    return peak;
}
// The period (in samples, 44 to 367: 60..500 Hz) of the 1024 samples from `at`, by the
// normalised difference of the signal with itself shifted (as YIN does): the first dip
// below 0.15 of the running mean, else the deepest.
size_t Period(const std::vector<int16_t>& s, size_t at) {
    constexpr size_t kLength = 1024, kShortest = 22050 / 500, kLongest = 22050 / 60;
    std::vector<double> normalised(kLongest + 2, 1.0);
    double sum = 0;
    for (size_t l = 1; l <= kLongest + 1; ++l) {
        double d = 0;
        for (size_t i = 0; i < kLength; ++i) {
            const double diff = double(s[at + i]) - s[at + i + l];
            d += diff * diff;
        }
        sum += d;
        normalised[l] = sum > 0 ? d * double(l) / sum : 1.0;
    }
    size_t lag = kShortest;
    for (size_t l = kShortest; l <= kLongest; ++l) {
        if (normalised[l] < 0.15) {
            while (l < kLongest && normalised[l + 1] < normalised[l]) ++l;  // the bottom of that dip
            return l;
        }
        if (normalised[l] < normalised[lag]) lag = l;
    }
    return lag;
}

// The fundamental frequency of the voiced part: the median of the periods of the loud
// stretches (a quarter of the loudest energy at least), every 256 samples. One stretch
// alone may show a multiple of the period, which varies with the engine's pitch flutter
// (it goes on from one text to the next).
double Fundamental(const std::vector<int16_t>& s) {
    constexpr size_t kStretch = 1024 + 22050 / 60 + 2;
    std::vector<std::pair<size_t, double>> stretches;  // start, energy
    double loudest = 0;
    for (size_t at = 0; at + kStretch < s.size(); at += 256) {
        double e = 0;
        for (size_t i = 0; i < 1024; ++i) e += double(s[at + i]) * s[at + i];
        stretches.emplace_back(at, e);
        loudest = std::max(loudest, e);
    }
    std::vector<size_t> periods;
    for (const auto& [at, e] : stretches)
        if (e >= loudest / 4) periods.push_back(Period(s, at));
    if (periods.empty()) return 0;
    std::nth_element(periods.begin(), periods.begin() + long(periods.size() / 2), periods.end());
    return 22050.0 / double(periods[periods.size() / 2]);
}
bool Within(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance * b; }

class Facade : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(kipvoice_initial(), 1); }
    void TearDown() override { kipvoice_free(); }
};

}  // namespace

TEST(KipvoiceLibrary, ExportsExactlyTheFifteenFunctions) {
    const std::string cmd = std::string("nm -D --defined-only '") + KIPVOICE_LIBRARY + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::set<std::string> symbols;
    char type = 0, name[256];
    while (fscanf(pipe.get(), "%*s %c %255s", &type, name) == 2) {
        EXPECT_EQ(type, 'T') << name;  // functions, nothing else
        symbols.insert(name);
    }
    EXPECT_EQ(symbols, (std::set<std::string>{
                           "kipvoice_initial", "kipvoice_free", "kipvoice_getvoicecount", "kipvoice_getvoicename",
                           "kipvoice_selvoice", "kipvoice_speak", "kipvoice_stop", "kipvoice_pause", "kipvoice_resume",
                           "kipvoice_getrate", "kipvoice_setrate", "kipvoice_setvolume", "kipvoice_waituntildone",
                           "kipvoice_towavstream", "kipvoice_delete"}));
}

TEST(KipvoiceLibrary, UninitialisedCallsAreHarmless) {
    kipvoice_free();
    char16_t name[8] = u"x";
    for (const int called : {kipvoice_getvoicecount(), kipvoice_getvoicename(name, 8, 0),
                             kipvoice_speak(u"hello", KIPVOICE_SPEAK_ASYNC), kipvoice_setrate(3), kipvoice_getrate(),
                             kipvoice_stop()})
        EXPECT_EQ(called, 0);
    EXPECT_EQ(kipvoice_waituntildone(0), 1);
    kipvoice_delete(nullptr);
    // Rendering needs no speaking voice.
    EXPECT_FALSE(Render(u"one", 0).empty());
}

TEST_F(Facade, VoicesComeInAFixedOrderWithBoundedNames) {
    ASSERT_GE(kipvoice_getvoicecount(), 3);
    EXPECT_EQ(kipvoice_initial(), 1);  // a second start changes nothing
    const int count = kipvoice_getvoicecount();
    std::vector<std::u16string> names;
    for (int i = 0; i < count; ++i) {
        char16_t buf[64];
        ASSERT_EQ(kipvoice_getvoicename(buf, 64, i), 1);
        names.emplace_back(buf);
    }
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 3), (std::vector<std::u16string>{u"cmn", u"yue", u"en"}));
    char16_t small[3] = {u'x', u'x', u'x'};
    ASSERT_EQ(kipvoice_getvoicename(small, 2, 0), 1);
    EXPECT_EQ(std::u16string(small, 3), std::u16string(u"c\0x", 3));  // cut and terminated
    for (auto [size, index] : {std::pair{0, 0}, {2, count}, {2, -1}})
        EXPECT_EQ(kipvoice_getvoicename(small, size, index), 0) << size << " " << index;
    EXPECT_EQ(kipvoice_selvoice(count), 0);
    EXPECT_EQ(kipvoice_selvoice(2), 1);
    EXPECT_EQ(kipvoice_setrate(25), 1);
    EXPECT_EQ(kipvoice_getrate(), 10);
}

TEST_F(Facade, RendersWaveBytesOfTheCardRate) {
    const std::vector<uint8_t> wav = Render(u"Hello world", 2);
    ASSERT_GT(wav.size(), 44u + 22050u);  // more than half a second of speech
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4) + std::string(wav.begin() + 8, wav.begin() + 16),
              "RIFFWAVEfmt ");
    // PCM, mono, 22,050 Hz, 16 bits, the data's size.
    EXPECT_EQ(std::tuple(U16(wav, 20), U16(wav, 22), U32(wav, 24), U16(wav, 34), U32(wav, 40)),
              std::tuple(1, 1, 22050u, 16, wav.size() - 44));
    uint8_t* none = nullptr;
    EXPECT_EQ(std::tuple(Render(u"", 0).size(), Render(u"x", -1).size(), kipvoice_towavstream(nullptr, 0, 0, &none)),
              std::tuple(0u, 0u, 0));
    EXPECT_EQ(none, nullptr);
    // Faster speech is shorter; rate 10 is about five times as fast as -10.
    const size_t fast = Render(u"Hello world", 2, 10).size(), slow = Render(u"Hello world", 2, -10).size();
    EXPECT_GT(slow, fast * 3);
    EXPECT_TRUE(SameLength(Render(u"Hello world", 2).size(), wav.size()));
}

TEST_F(Facade, RendersPlainTextTheFirst1024CharactersAndClampsTheVoice) {
    // A "<" or "&" that is not markup is text: what follows it is still spoken.
    EXPECT_GT(Render(u"one < two & three", 2).size(), Render(u"one", 2).size() + 22050);
    std::u16string longText;
    while (longText.size() < 3000) longText += u"go. ";
    longText.resize(3000);
    const size_t first = Render(longText.substr(0, 1024), 2).size();
    EXPECT_TRUE(SameLength(Render(longText, 2).size(), first));
    EXPECT_GT(first, Render(longText.substr(0, 512), 2).size() * 3 / 2);
    // An index past the list (99 with the three voices of a small system; this engine
    // has more) speaks with the last voice.
    const int last = kipvoice_getvoicecount() - 1;
    const std::u16string number = u"seven hundred and twelve";
    const size_t clamped = Render(number, std::max(99, last + 1)).size();
    EXPECT_TRUE(SameLength(clamped, Render(number, last).size()));
    EXPECT_FALSE(SameLength(clamped, Render(number, 2).size()));
}

TEST_F(Facade, SpeaksPausesResumesAndStops) {
    ASSERT_EQ(kipvoice_selvoice(2), 1);
    ASSERT_EQ(kipvoice_speak(u"This sentence takes a couple of seconds to say.", KIPVOICE_SPEAK_ASYNC), 1);
    EXPECT_EQ(kipvoice_waituntildone(0), 0);
    ASSERT_EQ(kipvoice_pause(), 1);
    EXPECT_EQ(kipvoice_waituntildone(300), 0);  // paused speech does not finish
    ASSERT_EQ(kipvoice_resume(), 1);
    EXPECT_EQ(kipvoice_waituntildone(20000), 1);

    ASSERT_EQ(kipvoice_speak(u"A long text that will be stopped before its end, well before.", KIPVOICE_SPEAK_ASYNC),
              1);
    ASSERT_EQ(kipvoice_speak(u"And a queued one.", KIPVOICE_SPEAK_ASYNC), 1);
    EXPECT_EQ(kipvoice_waituntildone(0), 0);
    ASSERT_EQ(kipvoice_stop(), 1);
    EXPECT_EQ(kipvoice_waituntildone(2000), 1);
    // A synchronous speak returns when its text is done.
    ASSERT_EQ(kipvoice_speak(u"ok", KIPVOICE_SPEAK_PURGE), 1);
    EXPECT_EQ(kipvoice_waituntildone(0), 1);
}

TEST_F(Facade, TwentyOneRatesAreTwentyOneSpeeds) {
    const std::u16string text = u"The quick brown fox jumps over the lazy dog.";
    std::vector<double> seconds;
    for (int rate = -10; rate <= 10; ++rate) seconds.push_back(Seconds(text, rate));
    // Every step is faster than the one before; -10 is about 5.6 times as slow as 10 (80
    // and 449 words a minute), and 0 is the voice's normal speed.
    for (size_t i = 1; i < seconds.size(); ++i) EXPECT_LT(seconds[i], seconds[i - 1] * 0.97) << int(i) - 10;
    EXPECT_GT(seconds.front(), 4 * seconds.back());
    EXPECT_TRUE(Within(seconds[10], Seconds(text), 0.02));
}

TEST_F(Facade, SilenceMarkupIsAPauseNotWords) {
    const std::vector<int16_t> plain = Samples(u"Hello. World.");
    const std::vector<int16_t> marked = Samples(u"Hello. <silence msec=\"2000\"/> World.");
    EXPECT_LT(LongestQuiet(plain), 1.0);
    EXPECT_GE(LongestQuiet(marked), 1.9);
    EXPECT_GT(marked.size(), plain.size() + 3 * 22050 / 2);  // the sentence pause gives way to the silence
}

TEST_F(Facade, NoMarkupElementIsReadOut) {
    // Each element around the "x" (or in front of it), the structural ones around the whole
    // text: it takes about as long as without the element. Read out, the shortest element
    // name would add more than a tenth.
    const std::u16string before = u"Mark the letter ",
                         after = u" on the map, then walk north until you reach the old stone bridge by the river. "
                                 u"Cross it, and wait for us there.";
    const double plain = Seconds(before + u"x" + after);
    struct Case {
        std::u16string open, close;
        bool whole;
    };
    const Case cases[] = {
        {u"<silence msec=\"0\"/>", u"", false},
        {u"<rate absspeed=\"0\">", u"</rate>", false},
        {u"<rate speed=\"1\">", u"</RATE>", false},
        {u"<rate absspeed=\"0\"/>", u"", false},
        {u"<volume level=\"60\">", u"</volume>", false},
        {u"<pitch absmiddle=\"4\">", u"</pitch>", false},
        {u"<pitch middle='-3'/>", u"", false},
        {u"<emph>", u"</emph>", false},
        {u"<spell>", u"</spell>", false},
        {u"<bookmark mark=\"here\"/>", u"", false},
        {u"<context id=\"date_mdy\">", u"</context>", false},
        {u"<partofsp part=\"noun\">", u"</partofsp>", false},
        {u"<pron sym=\"eh k s\">", u"</pron>", false},
        {u"<unknown a=\"1\">", u"</unknown>", false},
        {u"</emph>", u"<emph/>", false},
        {u"<sapi>", u"</sapi>", true},
        {u"<p>", u"</p>", true},
        {u"<s>", u"</s>", true},
        {u"<voice required=\"Gender=Female;Age!=Child\">", u"</voice>", true},
        {u"<lang langid=\"409\">", u"</lang>", true},
        {u"<?xml version=\"1.0\"?>", u"<!-- a note -->", true},
    };
    for (const Case& c : cases) {
        const std::u16string text =
            c.whole ? c.open + before + u"x" + after + c.close : before + c.open + u"x" + c.close + after;
        EXPECT_TRUE(Within(Seconds(text), plain, 0.1)) << std::string(c.open.begin(), c.open.end());
    }
    // The same element escaped is text, and is read out.
    EXPECT_FALSE(Within(Seconds(before + u"&lt;p&gt;x&lt;/p&gt;" + after), plain, 0.1));
}

TEST_F(Facade, MarkupSetsRateVolumeAndPitch) {
    const std::u16string s = u"The quick brown fox jumps over the lazy dog.";
    const double at10 = Seconds(s, 10), at0 = Seconds(s), atMinus10 = Seconds(s, -10);
    // Absolute and relative rates, nested and for the rest of the text.
    EXPECT_TRUE(Within(Seconds(u"<rate absspeed=\"10\">" + s + u"</rate>"), at10, 0.05));
    EXPECT_TRUE(Within(Seconds(u"<rate speed=\"-5\">" + s + u"</rate>", 5), at0, 0.05));
    EXPECT_TRUE(Within(Seconds(u"<rate absspeed=\"10\"><rate absspeed=\"-10\">" + s + u"</rate></rate>"),
                       atMinus10, 0.05));
    EXPECT_TRUE(Within(Seconds(u"<rate absspeed=\"10\"/><rate speed=\"0\"/>" + s), at10, 0.05));
    EXPECT_TRUE(Within(Seconds(u"<sapi><rate absspeed=\"10\"/></sapi>" + s), at0, 0.05));  // ends with its parent
    // Volume in percent of the voice's, nested ones not multiplied.
    const int loud = Peak(Samples(s));
    EXPECT_TRUE(Within(Peak(Samples(u"<volume level=\"50\">" + s + u"</volume>")), loud / 2.0, 0.1));
    EXPECT_TRUE(Within(Peak(Samples(u"<volume level=\"20\"><volume level=\"50\">" + s + u"</volume></volume>")),
                       loud / 2.0, 0.1));
    // Pitch: the voice's fundamental frequency on a vowel rises and falls.
    const double f0 = Fundamental(Samples(u"Ah."));
    EXPECT_GT(Fundamental(Samples(u"<pitch absmiddle=\"10\">Ah.</pitch>")), f0 * 1.2);
    EXPECT_LT(Fundamental(Samples(u"<pitch middle=\"-10\">Ah.</pitch>")), f0 * 0.95);
    // Spelling reads the letters.
    EXPECT_GT(Seconds(u"<spell>dog</spell>"), Seconds(u"dog") * 1.5);
}
