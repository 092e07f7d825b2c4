#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "music/media_player.h"
#include "music_test_util.h"

// GLib and GStreamer keep process-wide allocations (type system, plugin registry, thread
// pools) for the life of the process; the leak checker of the sanitizer build skips them.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgstreamer-1.0.so\n";
}

namespace ledsuite {
namespace {

TEST(GstMediaPlayer, PlaysAFileMadeHereToItsEnd) {
    testing::MusicTempDir dir;
    ASSERT_TRUE(soundtest::MakeToneWav(dir.file("tone.wav"), 8000, 1, 0.3));
    testing::WriteBytes(dir.file("junk.mp3"), "not a sound");
    auto player = MakeGstMediaPlayer("fakesink sync=true");
    EXPECT_FALSE(player->Open(dir.file("missing.wav")));
    EXPECT_FALSE(player->Open(dir.file("junk.mp3")));
    EXPECT_TRUE(player->Ended());
    ASSERT_TRUE(player->Open(dir.file("tone.wav")));
    EXPECT_NEAR(double(player->LengthMs()), 300, 20);
    player->SetVolume(250);
    player->Play();
    int64_t seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!player->Ended() && std::chrono::steady_clock::now() < deadline) {
        seen = std::max(seen, player->PositionMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(player->Ended());
    EXPECT_GT(seen, 100);
    player->Stop();
    EXPECT_EQ(player->PositionMs(), 0);
}

}  // namespace
}  // namespace ledsuite
