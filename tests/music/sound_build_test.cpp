#include <gtest/gtest.h>

#include <cmath>

#include "content/model/text_codec.h"
#include "content/sound/ssf_file.h"
#include "music/sound_build.h"
#include "music_test_util.h"

namespace ledsuite {
namespace {

using testing::MusicTempDir;
namespace fs = std::filesystem;

TEST(SoundBuild, ProgressBars) {
    EXPECT_EQ(OverallPercent({3, 1, 0.5f}), 33);
    EXPECT_EQ(OverallPercent({3, 2, 0.5f}), 66);
    EXPECT_EQ(CurrentPercent({1, 0, -0.5f}), 0);
    EXPECT_EQ(CurrentPercent({3, 1, 0.5f}), 50);
    EXPECT_EQ(OverallPercent({0, 0, 0}), 0);  // no step yet: no division
    EXPECT_EQ(OverallPercent({2, 5, 0}), 100);
    EXPECT_EQ(CurrentPercent({1, 0, 2.0f}), 100);
    EXPECT_EQ(CurrentPercent({1, 0, std::nanf("")}), 0);
}

TEST(SoundBuild, MusicFilesConvertUntilTheFirstFailure) {
    MusicTempDir dir;
    ASSERT_TRUE(soundtest::MakeToneWav(dir.file("a.wav"), 44100, 1, 0.2));
    testing::WriteBytes(dir.file("junk.wav"), "not a sound");
    std::vector<std::u16string> shown;
    std::vector<int> overall;
    MusicBuildCallbacks cb;
    cb.show = [&](const std::u16string& t) { shown.push_back(t); };
    cb.overall = [&](int v) { overall.push_back(v); };

    // The second source is missing: the first target is written, then the build stops.
    auto r = BuildMusicFiles({dir.file("a.wav"), dir.file("gone.wav")}, {dir.file("001.ssf"), dir.file("002.ssf")}, cb);
    EXPECT_EQ(r.status, MusicBuildStatus::SourceMissing);
    EXPECT_EQ(r.written, 1u);
    EXPECT_EQ(MusicBuildMessage(r), u"The file does not exist: " + Utf8ToWide(dir.file("gone.wav")));
    EXPECT_EQ(overall, std::vector<int>{50});
    ASSERT_TRUE(fs::exists(dir.file("001.ssf")));
    EXPECT_FALSE(fs::exists(dir.file("002.ssf")));
    // 44,100 Hz comes out at 22,050 Hz: 200 ms is 4,410 samples behind the 512-byte header.
    const std::string ssf = testing::ReadBytes(dir.file("001.ssf"));
    EXPECT_EQ(ssf.substr(2, 3), "kip");
    EXPECT_EQ(ssf.size(), 512u + 4410 * 2);
    EXPECT_EQ(ssf.substr(18, 4), std::string("a\0\0\0", 4));  // titled by the music, not by "001"
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3);  // nothing left over
    EXPECT_EQ(shown.front(), u"Loading the music file: " + Utf8ToWide(dir.file("a.wav")));

    r = BuildMusicFiles({dir.file("junk.wav")}, {dir.file("003.ssf")}, cb);
    EXPECT_EQ(r.status, MusicBuildStatus::NotSound);
    EXPECT_EQ(MusicBuildMessage(r), u"Neither a WAV nor an MP3 file: " + Utf8ToWide(dir.file("junk.wav")));

    r = BuildMusicFiles({dir.file("a.wav")}, {dir.file("no/such/folder/004.ssf")}, cb);
    EXPECT_EQ(r.status, MusicBuildStatus::WriteFailed);
    EXPECT_EQ(r.written, 0u);

    r = BuildMusicFiles({dir.file("a.wav")}, {}, cb);
    EXPECT_EQ(r.status, MusicBuildStatus::ListsDiffer);

    // Three files: the overall bar after each, the current bar up to 100 while each is written.
    overall.clear();
    std::vector<int> current;
    cb.current = [&](int v) { current.push_back(v); };
    r = BuildMusicFiles({dir.file("a.wav"), dir.file("a.wav"), dir.file("a.wav")},
                        {dir.file("005.ssf"), dir.file("006.ssf"), dir.file("007.ssf")}, cb);
    EXPECT_EQ(std::pair(r.status, r.written), std::pair(MusicBuildStatus::Saved, size_t(3)));
    EXPECT_EQ(MusicBuildMessage(r), u"Save");
    EXPECT_EQ(overall, (std::vector<int>{33, 66, 100}));
    ASSERT_FALSE(current.empty());
    EXPECT_EQ(current.back(), 100);
    EXPECT_TRUE(std::all_of(current.begin(), current.end(), [](int v) { return v >= 0 && v <= 100; }));
    // Music files are mode 0: the samples right behind the two headers, no mark table.
    const std::string music = testing::ReadBytes(dir.file("007.ssf"));
    EXPECT_EQ(std::tuple(music[276], music[277], music[272], music[273]), std::tuple(0, 0, 0, 2));
}

// Music whose file the slot list (and the card) could not read back is refused with its own
// message, and nothing is written.
TEST(SoundBuild, MusicTooLongForTheReaderIsRefused) {
    constexpr uint64_t kLargestData = kMaxMusicSsfBytes - kSsfHeaderSize;
    EXPECT_TRUE(FitsMusicSsf(kLargestData));
    EXPECT_TRUE(FitsMusicSsf(kLargestData + 3));  // the writer keeps whole pairs of samples
    EXPECT_FALSE(FitsMusicSsf(kLargestData + 4));
    EXPECT_EQ(MusicSsfFileSize(kLargestData + 3), kMaxMusicSsfBytes);

    MusicTempDir dir;
    ASSERT_TRUE(soundtest::MakeSilentWavSparse(dir.file("long.wav"), uint32_t(kLargestData + 4)));
    ASSERT_TRUE(soundtest::MakeToneWav(dir.file("a.wav"), 22050, 1, 0.1));
    const auto r = BuildMusicFiles({dir.file("a.wav"), dir.file("long.wav")}, {dir.file("000.ssf"), dir.file("001.ssf")}, {});
    EXPECT_EQ(r.status, MusicBuildStatus::TooLong);
    EXPECT_EQ(r.written, 1u);
    EXPECT_EQ(MusicBuildMessage(r), u"The music file is too long for the card: " + Utf8ToWide(dir.file("long.wav")));
    EXPECT_TRUE(fs::exists(dir.file("000.ssf")));
    EXPECT_FALSE(fs::exists(dir.file("001.ssf")));
}

}  // namespace
}  // namespace ledsuite
