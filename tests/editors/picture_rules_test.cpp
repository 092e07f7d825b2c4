// Picture editor rules: stepping, thresholds, appending a file, frame size.
#include "editors/picture_rules.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include <gtest/gtest.h>

namespace ledsuite {
namespace {

std::unique_ptr<RawImage> Frame(int width, int height, int displayHeight) {
    auto f = CreateImage(uint16_t(width), uint16_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) f->row32(y)[x] = (x + y) & 1 ? 0xFFFFFF : 0;
    f->displayHeight = displayHeight;
    return f;
}

TEST(PictureRules, SteppingStaysInsideTheFrames) {
    EXPECT_EQ(PreviousFrameIndex(0, 5), 0);
    EXPECT_EQ(PreviousFrameIndex(3, 5), 2);
    EXPECT_EQ(NextFrameIndex(4, 5), 4);
    EXPECT_EQ(NextFrameIndex(1, 5), 2);
    EXPECT_EQ(NextFrameIndex(3, 5), 4);
    EXPECT_EQ(NextFrameIndex(9, 5), 4);
    EXPECT_EQ(ClampFrameIndex(-3, 5), 0);
    EXPECT_EQ(ClampFrameIndex(9, 5), 4);
    // Without frames the index is 0, never -1.
    EXPECT_EQ(ClampFrameIndex(0, 0), 0);
    EXPECT_EQ(NextFrameIndex(0, 0), 0);
    EXPECT_EQ(PreviousFrameIndex(0, 0), 0);
}

TEST(PictureRules, ThresholdItemsShowOneTo254) {
    EXPECT_EQ(ThresholdItem(128), 127);  // the item showing "128"
    EXPECT_EQ(ThresholdOfItem(127), 128);
    EXPECT_EQ(ThresholdItem(255), 253);  // above 254 shown as 254
    EXPECT_EQ(ThresholdItem(0), 0);      // below 1 shown as 1
    EXPECT_EQ(ThresholdOfItem(0), 1);
    EXPECT_EQ(ThresholdOfItem(253), 254);
    EXPECT_EQ(ThresholdOfItem(-1), 1);
}

TEST(PictureRules, ApplyAllResamplesEveryFrame) {
    FrameVector frames;
    frames.push_back(Frame(128, 64, 32));
    frames.push_back(Frame(128, 64, 16));
    ImageSizeValues v{64, 32, 7, 128, 2, 254, true};
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(frames[i]->width, 64);
        EXPECT_EQ(frames[i]->height, 32);
        EXPECT_EQ(frames[i]->pause, 7);
        EXPECT_EQ(frames[i]->redThreshold, 128);
        EXPECT_EQ(frames[i]->blueThreshold, 254);
    }
    EXPECT_EQ(frames[0]->displayHeight, 32);
    EXPECT_EQ(frames[0]->displayWidth, 64);  // 32 x 64 / 32
    EXPECT_EQ(frames[1]->displayHeight, 16);
    EXPECT_EQ(frames[1]->displayWidth, 32);
}

TEST(PictureRules, OneFrameAndRefusedSizes) {
    FrameVector frames;
    frames.push_back(Frame(10, 10, 10));
    frames.push_back(Frame(10, 10, 10));
    ImageSizeValues v{30, 7, 1, 2, 3, 4, false};
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(frames[0]->width, 10);
    EXPECT_EQ(frames[0]->pause, 30);
    EXPECT_EQ(frames[1]->width, 30);
    EXPECT_EQ(frames[1]->displayWidth, 42);  // 10 x 30 / 7, integer division
    EXPECT_EQ(frames[1]->greenThreshold, 3);
    // Same size: no resampling, only pause and thresholds.
    v = ImageSizeValuesOf(*frames[0]);
    EXPECT_EQ(v.width, 10);
    v.pause = 99;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(frames[0]->pause, 99);
    EXPECT_EQ(frames[0]->displayWidth, 10);
    // Sizes of 0 or below are refused, so nothing divides by them.
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-4, 5}, {5, -1}, {70000, 70000}}) {
        v.width = w;
        v.height = h;
        EXPECT_FALSE(ApplyImageSize(frames, 0, v));
    }
    EXPECT_EQ(frames[0]->width, 10);
    v = ImageSizeValues{5, 5};
    EXPECT_TRUE(ApplyImageSize(frames, 2, v));  // outside: nothing to do
    EXPECT_EQ(frames[1]->width, 30);
    v = ImageSizeValues{30, 9};  // the same width, another height
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(frames[1]->height, 9);
    v = ImageSizeValues{6, 1};  // one row is a size
    v.pause = 4;
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(frames[1]->height, 1);
    EXPECT_EQ(frames[1]->pause, 4);
    // A frame without pixels cannot be resampled and is left alone.
    frames.push_back(std::make_unique<RawImage>());
    v.applyAll = true;
    v.pause = 77;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(frames[0]->pause, 77);
    EXPECT_EQ(frames[2]->pause, 30);
}

TEST(PictureRules, AppendingAFileAddsEveryFrame) {
    const auto dir = std::filesystem::temp_directory_path() / ("picture_rules_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string bmp = (dir / "one.bmp").string();
    ASSERT_EQ(WriteBmpFile(*Frame(4, 3, 3), bmp), 1);
    FrameVector frames;
    frames.push_back(Frame(2, 2, 2));
    EXPECT_EQ(AppendImageFile(frames, bmp), 1u);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1]->width, 4);
    EXPECT_EQ(AppendImageFile(frames, (dir / "missing.png").string()), 0u);
    EXPECT_EQ(frames.size(), 2u);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ledsuite
