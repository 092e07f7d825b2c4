// The clip conversions, with expected samples worked out by hand.
#include <gtest/gtest.h>

#include "content/sound/sound_clip.h"
#include "tests/content/sound/sound_test_util.h"

using namespace ledsuite;
using namespace soundtest;

TEST(SoundClipFormat, CodesOfTheTables) {
    const uint32_t rates[8] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};
    for (uint8_t code = 0; code < 8; ++code) {
        EXPECT_EQ(RateCodeToHz(uint16_t(code << 3 | 0x43)), rates[code]);
        EXPECT_EQ(RateCodeOfHz(rates[code]), code);
    }
    EXPECT_EQ(RateCodeOfHz(48000), -1);
    const std::pair<int, uint8_t> widths[] = {{8, 0}, {10, 1}, {12, 2}, {16, 3}, {20, 4}, {24, 5}, {32, 6},
                                              {48, 7}, {14, 0}};
    for (auto [bits, code] : widths) EXPECT_EQ(WidthCodeOfBits(bits), code) << bits;
    const int bytes[8] = {1, 2, 2, 2, 3, 3, 4, 6};
    for (uint8_t w = 0; w < 8; ++w) {
        EXPECT_EQ(BytesPerSample(w), bytes[w]);
        EXPECT_EQ(BytesPerSample(uint16_t(w | 0x40)), 2 * bytes[w]);
    }
}

TEST(SoundClipFormat, ClearAndReset) {
    SoundClip c = Clip(kMono22k, {1, 2, 3});
    c.marks = {1, 2, 3, 4};
    ResetSoundClip(c);
    EXPECT_TRUE(c.data.empty() && c.marks.empty());
    EXPECT_EQ(c.format + c.length, 0u);
    EXPECT_GE(c.marks.capacity(), 4u);  // kept for the next join
    c.marks = {1};
    ClearSoundClip(c);
    EXPECT_EQ(c.marks.capacity(), 0u);
}

TEST(SoundClipConversions, CubicThroughFourSamples) {
    const std::pair<std::array<int16_t, 4>, int> cases[] = {
        {{0, 100, 200, 300}, 150}, {{0, 0, 1000, 0}, 562},  // 1000 * 0.5625
        {{0, 0, 1, 0}, 0},         {{0, 0, -1, 0}, 0},      // rounded toward zero on both sides
        {{-32768, 32767, 32767, -32768}, 32767}, {{32767, -32768, -32768, 32767}, -32767}};
    for (const auto& [s, v] : cases) EXPECT_EQ(CubicSample(s.data(), 0.5f), v) << s[1] << " " << s[2];
}

TEST(SoundClipConversions, ResampleClip) {
    // 8000 -> 16000: linear at the start, the cubic, linear at the last pair, then the last sample.
    SoundClip c = Clip(3, {0, 1000, 2000, 3000, 4000});
    ASSERT_TRUE(ResampleClip(3, c));
    EXPECT_EQ(c.format, 3 | 3 << 3);
    EXPECT_EQ(SamplesOf(c), (std::vector<int16_t>{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4000}));
    // 16000 -> 12000 over a peak: the cubic at thirds.
    c = Clip(3 | 3 << 3, {0, 0, 1000, 0, 0, 0});
    ASSERT_TRUE(ResampleClip(2, c));
    EXPECT_EQ(SamplesOf(c), (std::vector<int16_t>{0, 370, 370, 0}));
    // One sample has nothing to interpolate with.
    c = Clip(3, {77});
    ASSERT_TRUE(ResampleClip(3, c));
    EXPECT_EQ(SamplesOf(c), (std::vector<int16_t>{77, 77}));
    // Same rate, stereo, 8-bit, nothing: refused.
    for (auto [format, code, n] : {std::tuple(3, 0, 2), {3 | 0x40, 4, 2}, {0, 4, 2}, {3, 4, 0}}) {
        c = Clip(uint16_t(format), std::vector<int16_t>(size_t(n), 1));
        EXPECT_FALSE(ResampleClip(uint8_t(code), c)) << format << " " << code;
    }
}

TEST(SoundClipConversions, HalveRateAndStereo) {
    SoundClip c = Clip(3 | 7 << 3, {100, 201, -100, -201, 7});
    ASSERT_TRUE(HalveRate(c));
    EXPECT_EQ(std::pair(c.format, SamplesOf(c)), std::pair(uint16_t(0x23), std::vector<int16_t>{150, -150}));
    ASSERT_TRUE(HalveRate(c));  // 22,050 Hz stays
    EXPECT_EQ(SamplesOf(c).size(), 2u);
    for (uint8_t code : {5, 6}) {  // 24,000 and 32,000 Hz come down to 22,050 Hz
        c = Clip(uint16_t(3 | code << 3), std::vector<int16_t>(3200, 9));
        ASSERT_TRUE(HalveRate(c));
        EXPECT_EQ(c.format, 0x23);
        EXPECT_NEAR(double(c.length) / 2, 3200.0 * 22050 / RateCodeToHz(uint16_t(code << 3)), 1.0);
    }
    c = Clip(3 | 2 << 3, {1, 2});  // 12,000 Hz stays
    ASSERT_TRUE(HalveRate(c));
    EXPECT_EQ(c.format, 3 | 2 << 3);
    c.format = 0;
    EXPECT_FALSE(HalveRate(c));

    c = Clip(3 | 0x40, {10, -10, 20, -20});
    StereoToMono(c);
    EXPECT_EQ(std::pair(c.format, SamplesOf(c)), std::pair(uint16_t(3), std::vector<int16_t>{10, 20}));
    // 8-bit stereo is expanded first and then taken to mono.
    c.format = 0x40, c.data = {0, 255, 128, 1}, c.length = 4;
    MakeMono16(c);
    EXPECT_EQ(std::pair(c.format, SamplesOf(c)), std::pair(uint16_t(3), std::vector<int16_t>{-32768, 0}));
}

TEST(SoundClipConversions, PadAppendJoin) {
    SoundClip c = Clip(kMono22k, {5});
    ASSERT_TRUE(PadClip(c, 3, 1));  // rounded up to 4 and 2
    EXPECT_EQ(c.data, (Bytes{0, 0, 0, 0, 5, 0, 0, 0}));
    SoundClip none;
    EXPECT_FALSE(PadClip(none, 2, 2));

    SoundClip a = Clip(kMono22k, {1, 2}), front = Clip(kMono22k, {9});
    ASSERT_TRUE(AppendClip(a, front, true));
    EXPECT_EQ(SamplesOf(a), (std::vector<int16_t>{9, 1, 2}));
    SoundClip eight = Clip(4 << 3, {});  // 8-bit 22,050 Hz mono is expanded to match
    eight.data = {128 + 1}, eight.length = 1;
    ASSERT_TRUE(AppendClip(a, eight, false));
    EXPECT_EQ(SamplesOf(a), (std::vector<int16_t>{9, 1, 2, 256}));
    SoundClip other = Clip(3 | 3 << 3, {4});
    EXPECT_FALSE(AppendClip(a, other, false));  // 16,000 Hz does not join 22,050 Hz
    SoundClip empty;
    ASSERT_TRUE(AppendClip(empty, other, false));
    EXPECT_EQ(empty.format, 3 | 3 << 3);

    const std::vector<SoundClip> clips = {Clip(kMono22k, {1, 2, 3}), Clip(kMono22k | 0x40, {4, 0, 5, 0})};
    SoundClip joined;
    joined.marks = {99};
    ASSERT_TRUE(JoinClipList(joined, clips, true));
    EXPECT_EQ(std::tuple(joined.format, SamplesOf(joined), joined.marks),
              std::tuple(kMono22k, std::vector<int16_t>{1, 2, 3, 4, 5}, std::vector<uint32_t>{3, 5}));
    ASSERT_TRUE(JoinClipList(joined, clips, false));
    EXPECT_TRUE(joined.marks.empty());
    EXPECT_FALSE(JoinClipList(joined, std::vector<SoundClip>{clips[0], other}, true));
    EXPECT_FALSE(JoinClipList(joined, {}, true));
    SoundClip wide = Clip(5 | 4 << 3, {1, 2, 3});  // 24-bit samples have no conversion here
    EXPECT_FALSE(JoinClipList(joined, std::vector<SoundClip>{clips[0], wide}, true));
}
