// The speech facade as a caller sees it: the exported symbols, the voice list, WAV
// rendering and speaking aloud into a fake sink.
#include "content/sound/kipvoice/kipvoice.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // Faster speech is shorter; rate 10 is about nine times as fast as -10 (held to 450
    // and 80 words a minute, so a little less).
    const size_t fast = Render(u"Hello world", 2, 10).size(), slow = Render(u"Hello world", 2, -10).size();
    EXPECT_GT(slow, fast * 3);
    EXPECT_TRUE(SameLength(Render(u"Hello world", 2).size(), wav.size()));
}

TEST_F(Facade, RendersPlainTextTheFirst1024CharactersAndClampsTheVoice) {
    // Markup characters are text: what follows them is still spoken.
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
