// Picture editor rules: stepping, thresholds, appending a file, frame size.
#include "editors/picture_rules.h"

#include <array>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

std::unique_ptr<RawImage> Frame(int width, int height, int displayHeight) {
    auto f = CreateImage(uint16_t(width), uint16_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) f->row32(y)[x] = (x + y) & 1 ? 0xFFFFFF : 0;
    f->displayHeight = displayHeight;
    return f;
}

TEST(PictureRules, SteppingAndThresholdItems) {
    // index, frames -> previous, next, clamped (an index outside is held inside first); without
    // frames the index is 0, never -1
    const std::array<int, 5> steps[] = {
        {0, 5, 0, 1, 0}, {3, 5, 2, 4, 3}, {4, 5, 3, 4, 4}, {1, 5, 0, 2, 1}, {9, 5, 3, 4, 4}, {-3, 5, 0, 1, 0},
        {0, 0, 0, 0, 0}};
    for (const auto& [index, count, previous, next, clamped] : steps) {
        EXPECT_EQ(PreviousFrameIndex(index, count), previous) << index;
        EXPECT_EQ(NextFrameIndex(index, count), next) << index;
        EXPECT_EQ(ClampFrameIndex(index, count), clamped) << index;
    }
    // The items show 1..254: a threshold above 254 shows as 254, below 1 as 1.
    const std::pair<int, int> shown[] = {{128, 127}, {255, 253}, {254, 253}, {0, 0}, {1, 0}};
    for (auto [threshold, item] : shown) EXPECT_EQ(ThresholdItem(threshold), item) << threshold;
    const std::pair<int, int> read[] = {{127, 128}, {0, 1}, {253, 254}, {-1, 1}};
    for (auto [item, threshold] : read) EXPECT_EQ(ThresholdOfItem(item), threshold) << item;
}

TEST(PictureRules, ApplyAllResamplesEveryFrame) {
    FrameVector frames;
    frames.push_back(Frame(128, 64, 32));
    frames.push_back(Frame(128, 64, 16));
    ImageSizeValues v{64, 32, 7, 128, 2, 254, true};
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(std::tuple(frames[i]->width, frames[i]->height, frames[i]->pause, frames[i]->redThreshold,
                             frames[i]->blueThreshold),
                  std::tuple(64, 32, 7, 128, 254));
    EXPECT_EQ(std::tuple(frames[0]->displayHeight, frames[0]->displayWidth), std::tuple(32, 64));  // 32 x 64 / 32
    EXPECT_EQ(std::tuple(frames[1]->displayHeight, frames[1]->displayWidth), std::tuple(16, 32));
}

TEST(PictureRules, OneFrameAndRefusedSizes) {
    FrameVector frames;
    for (int i = 0; i < 2; ++i) frames.push_back(Frame(10, 10, 10));
    ImageSizeValues v{30, 7, 1, 2, 3, 4, false};
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->pause), std::tuple(10, uint8_t(30)));
    // 10 x 30 / 7, integer division
    EXPECT_EQ(std::tuple(frames[1]->width, frames[1]->displayWidth, frames[1]->greenThreshold),
              std::tuple(30, 42, uint8_t(3)));
    // Same size: no resampling, only pause and thresholds.
    v = ImageSizeValuesOf(*frames[0]);
    v.pause = 99;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(std::tuple(frames[0]->pause, frames[0]->displayWidth), std::tuple(uint8_t(99), 10));
    // Sizes of 0 or below are refused, so nothing divides by them.
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-4, 5}, {5, -1}, {70000, 70000}}) {
        v.width = w;
        v.height = h;
        EXPECT_FALSE(ApplyImageSize(frames, 0, v));
    }
    EXPECT_EQ(frames[0]->width, 10);
    EXPECT_TRUE(ApplyImageSize(frames, 2, ImageSizeValues{5, 5}));  // outside: nothing to do
    EXPECT_EQ(frames[1]->width, 30);
    ASSERT_TRUE(ApplyImageSize(frames, 1, ImageSizeValues{30, 9}));  // the same width, another height
    EXPECT_EQ(frames[1]->height, 9);
    v = ImageSizeValues{6, 1, 4};  // one row is a size
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(std::tuple(frames[1]->height, frames[1]->pause), std::tuple(1, uint8_t(4)));
    // A frame without pixels cannot be resampled and is left alone.
    frames.push_back(std::make_unique<RawImage>());
    v.applyAll = true;
    v.pause = 77;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(std::tuple(frames[0]->pause, frames[2]->pause), std::tuple(uint8_t(77), uint8_t(30)));
}

TEST(PictureRules, AppendingAFileAddsEveryFrame) {
    testing::TempDir dir;
    const std::string bmp = (dir.path / "one.bmp").string();
    ASSERT_EQ(WriteBmpFile(*Frame(4, 3, 3), bmp), 1);
    FrameVector frames;
    frames.push_back(Frame(2, 2, 2));
    EXPECT_EQ(AppendImageFile(frames, bmp), 1u);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1]->width, 4);
    EXPECT_EQ(AppendImageFile(frames, (dir.path / "missing.png").string()), 0u);
    EXPECT_EQ(frames.size(), 2u);
}

}  // namespace
}  // namespace ledsuite
