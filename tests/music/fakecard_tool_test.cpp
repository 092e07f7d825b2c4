// The fake card program as a user runs it to try the music pane: `fakecard --pty --voice`
// reports a card that shows lyrics, answers the sign size and the lyric lines, and prints
// each line it receives.
#include <gtest/gtest.h>

#include "content/model/text_codec.h"
#include "music/playback.h"
#include "music_test_util.h"
#include "playback_fakes.h"
#include "tests/link/link_test_util.h"
#include "tests/music/fakecard_program.h"
#include "tools/fakecard_lyric.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

HardwareParams Screen() {
    HardwareParams hw;  // a new screen's baud rate: the fake card's own
    hw.colorCode = 5;
    return hw;
}

// Plays a text of two sentences on the card the program plays.
StartResult PlayText(const std::string& slave, const std::string& text, PlaybackShared& shared) {
    ScopedPorts ports({slave});
    MusicTempDir dir;
    WriteBytes(dir.file("talk.txt"), text);
    shared.rows.push_back({Utf8ToWide(dir.file("talk.txt")), 0, 0, 10, 0, 0});
    ClockMediaPlayer media(100);
    TimedSpeech speech;
    MusicPlayback playback(shared, media, speech, nullptr);
    const StartResult started = playback.Start(Screen());
    WaitFor([&] { return shared.runState == kRunStopped; }, 5000);
    return started;
}

TEST(FakeCardProgram, VoiceModelAnswersAndLogsTheLyricLines) {
    FakeCardProgram card({"--pty", "--voice", "--sign", "64x16", "--lyric-protocol", "2"});
    const std::string slave = card.Line();
    ASSERT_TRUE(slave.starts_with("/dev/pts/")) << slave;
    PlaybackShared shared;
    EXPECT_EQ(PlayText(slave, "Hello, world!", shared), StartResult::Started);
    EXPECT_EQ(std::tuple(shared.Settings().signWidth, shared.Settings().signHeight), std::tuple(64, 16));
    EXPECT_EQ(card.Line(), "sign size asked");
    // Protocol 2: the automatic speed of a 16-pixel font; the lines centred on the 64-pixel sign.
    EXPECT_EQ(card.Line(), "lyric x=8 y=0 width=74 height=16 colour=5 speed=18 text=\"Hello,\"");
    EXPECT_EQ(card.Line(), "lyric x=4 y=0 width=74 height=16 colour=5 speed=18 text=\" world!\"");
}

TEST(FakeCardProgram, WithoutVoiceTheCardRefusesTheLyricShow) {
    FakeCardProgram card({"--pty"});
    const std::string slave = card.Line();
    ASSERT_FALSE(slave.empty());
    PlaybackShared shared;
    EXPECT_EQ(PlayText(slave, "Hello", shared), StartResult::NoLyricSupport);
    FakeCardProgram wrong({"--pty", "--voice", "--sign", "64x0"});
    EXPECT_EQ(wrong.Line(), "");  // refused with the usage on standard error
}

TEST(FakeCardLyricLog, BadFramesAndSignSizes) {
    LrcSettings s;
    LyricFrameState state;
    auto body = LyricLineFrame::Build(u"中a", s, 1, state).body;
    EXPECT_EQ(DescribeLyricBody(body), "lyric x=0 y=0 width=24 height=16 colour=5 speed=0 text=\"中a\"");
    body[20] ^= 1;
    EXPECT_EQ(DescribeLyricBody(body), "lyric: bad frame (" + std::to_string(body.size()) + " bytes)");
    EXPECT_EQ(DescribeLyricBody({0, 1, 0, 0}), "lyric: bad frame (4 bytes)");
    EXPECT_EQ(DescribeLyricBody({}), "lyric: bad frame (0 bytes)");
    EXPECT_EQ(ParseSignSize("192x32"), std::pair(uint16_t(192), uint16_t(32)));
    for (const char* bad : {"192", "0x32", "65536x1", "x", "1x-1", "12x3a"}) EXPECT_FALSE(ParseSignSize(bad)) << bad;
}

}  // namespace
}  // namespace ledsuite
