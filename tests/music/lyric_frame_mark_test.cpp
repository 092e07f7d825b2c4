// Byte 6 of the lyric line frame: 0x00 on every adapter, a PL2303 one included, while the
// other frames of a playback carry the adapter's mark; the fake card refuses a lyric line
// with any other byte 6, as the card does.
#include <gtest/gtest.h>

#include "content/model/text_codec.h"
#include "music/lyric_line.h"
#include "music/playback.h"
#include "music_test_util.h"
#include "playback_fakes.h"
#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

std::vector<uint8_t> MarksOf(const FakeCardLog& log, CardCommand command) {
    std::vector<uint8_t> marks;
    for (const auto& f : log.frames)
        if (f[7] == uint8_t(command)) marks.push_back(f[6]);
    return marks;
}

TEST(LyricFrameMark, APl2303AdapterMarksTheQueriesButNotTheLyricLines) {
    FakeCard card(LyricCard());
    card.Start();
    ScopedPorts ports({card.slavePath()});
    ScopedPl2303 adapter(card.slavePath());
    MusicTempDir dir;
    WriteBytes(dir.file("talk.txt"), "Hello, world!");
    PlaybackShared shared;
    shared.rows.push_back({Utf8ToWide(dir.file("talk.txt")), 0, 0, 10, 0, 0});
    ClockMediaPlayer media(100);
    TimedSpeech speech;
    RecordingChannel channel(&speech);
    MusicPlayback playback(shared, media, speech, &channel);
    HardwareParams screen;
    screen.baudIndex = 8;  // 115200, the fake card's rate
    ASSERT_EQ(playback.Start(screen), StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return shared.runState == kRunStopped; }, 5000));
    playback.Join();

    const FakeCardLog log = card.log();
    EXPECT_EQ(MarksOf(log, CardCommand::Info), std::vector<uint8_t>{0xFE});
    EXPECT_EQ(MarksOf(log, CardCommand::PartitionSize), std::vector<uint8_t>{0xFE});
    EXPECT_EQ(MarksOf(log, CardCommand::LyricLine), (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(log.lyricBodies.size(), 2u);  // both sentences shown, the link never broken
    EXPECT_TRUE(log.refused.empty());
    EXPECT_TRUE(channel.log().posted.empty());
}

TEST(LyricFrameMark, TheFakeCardRefusesAByteSixItsFrameDoesNotCarry) {
    FakeCard card(LyricCard());
    card.Start();
    ScopedPorts ports({card.slavePath()});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 115200), 0);
    LrcSettings settings;
    LyricFrameState state;
    std::vector<uint8_t> line = LyricLineFrame::Build(u"Hi", settings, 1, state).bytes();
    const auto answered = [&](std::vector<uint8_t> bytes, uint8_t mark, const char* expect) {
        bytes[6] = mark;
        SerialPurgeInput(port);
        EXPECT_EQ(SerialWrite(port, bytes.data(), bytes.size()), int(bytes.size()));
        return SerialExpectString(port, expect, 200);
    };
    EXPECT_FALSE(answered(line, 0xFE, "SU"));
    EXPECT_FALSE(answered(line, 0x01, "SU"));
    EXPECT_TRUE(answered(line, 0x00, "SU"));  // the refused bodies were taken off the line
    const std::vector<uint8_t> probe = {'V', 'U', 'Z', 'U', 'Z', 'E', 0, 0xFF};
    EXPECT_TRUE(answered(probe, 0xFE, "BAUDR"));  // the probe carries the adapter's mark
    EXPECT_TRUE(answered(probe, 0x00, "BAUDR"));
    EXPECT_FALSE(answered(probe, 0x7F, "BAUDR"));
    const std::vector<uint8_t> power = {'V', 'U', 'Z', 'U', 'Z', 'E', 0, 0x16};
    EXPECT_FALSE(answered(power, 0xFE, "\x01"));  // power and clock: 0x00 on every adapter
    SerialClose(port);

    const FakeCardLog log = card.log();
    EXPECT_EQ(log.lyricBodies.size(), 1u);
    std::vector<uint8_t> refusedMarks;
    for (const auto& f : log.refused) refusedMarks.push_back(f[6]);
    EXPECT_EQ(refusedMarks, (std::vector<uint8_t>{0xFE, 0x01, 0x7F, 0xFE}));
}

}  // namespace
}  // namespace ledsuite
