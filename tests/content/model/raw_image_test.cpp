#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "content/render/led_planes.h"
#include "content/model/raw_image.h"

using namespace ledsuite;

namespace {

// A 32-bit image whose pixel (x, y) is f(x, y).
template <typename F>
RawImage MakeImage(int w, int h, F f) {
    RawImage img;
    ResetImage(img, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.row32(y)[x] = f(x, y);
    return img;
}

RawImage Numbered(int w, int h) {
    return MakeImage(w, h, [](int x, int y) { return uint32_t(y * 100 + x + 1); });
}

uint32_t At(const RawImage& img, int x, int y) { return img.row32(y)[x]; }

std::vector<uint32_t> Row(const RawImage& img, int y) { return {img.row32(y), img.row32(y) + img.width}; }

}  // namespace

TEST(LedPlanes, PacksTwoColourPlanesLowestBitFirstWithinCapacity) {
    RawImage green = MakeImage(12, 1, [](int, int) { return 0x00FF00u; });
    green.placeX = 0x0102;
    uint8_t buf[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    LedPlanes header;
    EXPECT_EQ(PackLedPlanes(&header, &green, buf, 3, 13), 0u);  // needs 4
    EXPECT_EQ(buf[0], 0xEE);
    EXPECT_EQ(PackLedPlanes(nullptr, &green, buf, 4, 13), 0u);
    EXPECT_EQ(PackLedPlanes(&header, &green, buf, 4, 13), 4u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 6), (std::vector<uint8_t>{0xFF, 0x0F, 0x00, 0x00, 0xEE, 0xEE}));
    ByteWriter w;
    ASSERT_TRUE(header.Write(w));
    EXPECT_EQ(std::vector<uint8_t>(w.bytes().begin(), w.bytes().end()),
              (std::vector<uint8_t>{30, 13, 12, 0, 1, 0, 0x02, 0x01, 0, 0}));
    ByteReader r(w.bytes());
    LedPlanes back;
    ASSERT_TRUE(LedPlanes::Read(r, back));
    EXPECT_EQ(back.PlaneBytes(), 4u);
}

TEST(LedPlanes, ThresholdsAreInclusiveAndOtherCodesPackGrey) {
    const uint32_t v[] = {0x800000, 0x7F0000, 0x808080, 0x7F7F7F};
    RawImage img = MakeImage(4, 1, [&](int x, int) { return v[x]; });
    uint8_t buf[2];
    LedPlanes header;
    ASSERT_EQ(PackLedPlanes(&header, &img, buf, sizeof buf, 12), 2u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 2), (std::vector<uint8_t>{0x05, 0x04}));  // red: 0 and 2; green: 2
    ASSERT_EQ(PackLedPlanes(&header, &img, buf, sizeof buf, 7), 1u);  // one grey plane
    EXPECT_EQ(header.colorMode, 5);
    EXPECT_EQ(buf[0], 0x04);  // only the grey 0x80 reaches the mean threshold
    img.redThreshold = 0x90;  // the mean of the three thresholds is 48
    img.greenThreshold = img.blueThreshold = 0;
    ASSERT_EQ(PackLedPlanes(&header, &img, buf, sizeof buf, 5), 1u);
    EXPECT_EQ(buf[0], 0x0C);  // the greys 128 and 127; red alone averages 42
}

TEST(LedPlanes, EveryModeRoundTripsThroughImageFromLedPlanes) {
    const uint32_t colours[] = {0, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    for (int mode : {5, 12, 13, 14, 15, 16, 17}) {
        SCOPED_TRACE(mode);
        RawImage img = MakeImage(13, 3, [&](int x, int y) {
            return mode == 5 ? ((x + y) % 3 ? 0xFFFFFF : 0) : colours[(x * 7 + y * 3) % 8];
        });
        if (mode != 5) MaskImageToColorCode(img, mode);
        std::vector<uint8_t> planes(12, 0xEE);
        LedPlanes header;
        const size_t n = PackLedPlanes(&header, &img, planes.data(), planes.size(), mode);
        ASSERT_EQ(n, mode == 5 ? 6u : 12u);
        for (size_t row = 1; row < n; row += 2) EXPECT_EQ(planes[row] & 0xE0, 0);  // unused bits stay 0
        RawImage back;
        ASSERT_EQ(ImageFromLedPlanes(13, 3, planes.data(), n, mode, back), 1);
        EXPECT_EQ(back.pixels, img.pixels);
        EXPECT_EQ(ImageFromLedPlanes(13, 3, planes.data(), n - 1, mode, back), 0);  // short input
    }
    // Single-channel modes light their colour; modes 6 to 8 read no planes and stay black.
    const uint8_t bits[] = {0x01, 0x02};
    RawImage img;
    ASSERT_EQ(ImageFromLedPlanes(2, 1, bits, 1, 10, img), 1);
    EXPECT_EQ(Row(img, 0), (std::vector<uint32_t>{0x00FF00, 0}));
    ASSERT_EQ(ImageFromLedPlanes(2, 1, nullptr, 0, 7, img), 1);
    EXPECT_EQ(Row(img, 0), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(ImageFromLedPlanes(0, 1, bits, 2, 5, img), 0);
    EXPECT_EQ(ImageFromLedPlanes(8, 1, nullptr, 1, 5, img), 0);  // a length without its bytes
}

TEST(RawImage, RotationsAndFlipsMapPixelsAndUndoThemselves) {
    const RawImage img = Numbered(3, 2);
    EXPECT_EQ(RotateImage(img, 45), nullptr);
    auto cw = RotateImage(img, 270);
    ASSERT_NE(cw, nullptr);
    ASSERT_EQ(std::vector<int>({cw->width, cw->height}), (std::vector<int>{2, 3}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(At(*cw, x, y), At(img, y, 1 - x));
    EXPECT_EQ(RotateImage(*RotateImage(img, 90), 270)->pixels, img.pixels);

    FrameVector frames;
    frames.push_back(std::make_unique<RawImage>(img));
    frames[0]->displayWidth = 6;  // display sizes turn with the pixels
    RotateImageFrames(frames, 90);
    EXPECT_EQ(frames[0]->displayHeight, 6);
    for (int i = 0; i < 3; ++i) RotateImageFrames(frames, 90);
    EXPECT_EQ(frames[0]->pixels, img.pixels);
    EXPECT_EQ(frames[0]->displayWidth, 6);

    FlipImageFrames(frames, 1);  // left to right
    EXPECT_EQ(Row(*frames[0], 1), (std::vector<uint32_t>{103, 102, 101}));
    FlipImageFrames(frames, 0);  // top to bottom
    EXPECT_EQ(Row(*frames[0], 0), (std::vector<uint32_t>{103, 102, 101}));
    FlipImageFrames(frames, 0);
    FlipImageFrames(frames, 1);
    EXPECT_EQ(frames[0]->pixels, img.pixels);
}

TEST(RawImage, RectangleOperationsClipAndEmptyMasksChangeNothing) {
    RawImage img = Numbered(4, 3);
    ClearImageRect(img, -5, 1, 2, 99);
    InvertImageRect(img, 3, -1, 50, 1);
    EXPECT_EQ(Row(img, 0), (std::vector<uint32_t>{1, 2, 3, 0xFFFFFF & ~4u}));
    EXPECT_EQ(Row(img, 2), (std::vector<uint32_t>{0, 0, 203, 204}));

    RawImage before = img;
    MaskImageTiled(img, 0, 0, 4, 3, RawImage{});
    EXPECT_EQ(img.pixels, before.pixels);
    // A 2 x 1 mask keeping every other column, repeated from the clipped corner.
    MaskImageTiled(img, -1, 1, 4, 3, MakeImage(2, 1, [](int x, int) { return x ? 0u : 0xFFFFFFu; }));
    EXPECT_EQ(Row(img, 1), (std::vector<uint32_t>{0, 0, 103, 0}));
    EXPECT_EQ(Row(img, 0), Row(before, 0));

    MaskImageToColorCode(img, 99);  // an unknown code is a single-colour screen
    EXPECT_EQ(At(img, 3, 0), 0xFF0000u & ~4u);
}

TEST(RawImage, CompositeAddsWithSaturationAndSamplesDisplaySize) {
    RawImage dst = MakeImage(3, 3, [](int, int) { return 0x01808080u; });
    CompositeImage(dst, MakeImage(1, 1, [](int, int) { return 0xC08040u; }), 0, 0, 3, 3, 1, 1, 1);
    EXPECT_EQ(Row(dst, 1), (std::vector<uint32_t>{0x01808080, 0x01FFFFC0, 0x01808080}));  // the fourth byte is left alone

    RawImage two = MakeImage(2, 1, [](int x, int) { return x ? 0x2u : 0x1u; });
    two.displayWidth = 4, two.displayHeight = 2;  // shown twice as wide
    RawImage canvas;
    ResetImage(canvas, 6, 3);
    CompositeImage(canvas, two, 0, 0, 4, 3, 1, 1, 0);  // clipped before column 4
    EXPECT_EQ(Row(canvas, 2), (std::vector<uint32_t>{0, 1, 1, 2, 0, 0}));
    EXPECT_EQ(Row(canvas, 0), (std::vector<uint32_t>(6, 0)));

    // Tiles 2 wide along a strip from x = 1 with offset 1: copies start at 0, 2, 4;
    // offset -3 is the same phase; no step draws nothing (and does not loop).
    const RawImage tile = MakeImage(2, 1, [](int x, int) { return uint32_t(x + 1); });
    RawImage flat = tile;
    flat.displayWidth = 0;
    const std::tuple<int, const RawImage*, std::vector<uint32_t>> tiles[] = {
        {1, &tile, {1, 2, 1, 2, 1, 0}}, {-3, &tile, {1, 2, 1, 2, 1, 0}}, {1, &flat, {0, 0, 0, 0, 0, 0}}};
    for (const auto& [offset, t, expected] : tiles) {
        RawImage strip;
        ResetImage(strip, 6, 1);
        TileImageAlong(offset, 2, strip, 1, 0, 5, 1, *t);
        EXPECT_EQ(Row(strip, 0), expected) << offset;
    }
}

TEST(RawImage, DepthConversionScalingAndCanvasResize) {
    RawImage grey;
    grey.width = grey.displayWidth = grey.height = grey.displayHeight = 1;
    grey.bytesPerPixel = 1;
    grey.pixels = {0xAB, 0, 0, 0};
    auto w16 = ConvertImageDepth(grey, 2);
    EXPECT_EQ(LoadU16(w16->pixels.data()), (0xA8 << 8) | (0xA8 << 3) | (0xAB >> 3));
    auto w32 = ConvertImageDepth(*w16, 4);
    EXPECT_EQ(At(*w32, 0, 0), 0xA8A8A8u);
    EXPECT_EQ(ConvertImageDepth(*w32, 3)->pixels, (std::vector<uint8_t>{0xA8, 0xA8, 0xA8, 0}));  // rows of 4 bytes
    EXPECT_EQ(ConvertImageDepth(grey, 5), nullptr);

    RawImage img = Numbered(2, 2);
    img.displayWidth = 4, img.displayHeight = 1;
    auto scaled = ScaleImage(img);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(Row(*scaled, 0), (std::vector<uint32_t>{1, 1, 2, 2}));
    img.displayWidth = 0;
    EXPECT_EQ(ScaleImage(img), nullptr);

    ASSERT_EQ(ResizeImageCanvas(img, 3, 1), 1);
    EXPECT_EQ(Row(img, 0), (std::vector<uint32_t>{1, 2, 0}));
    EXPECT_EQ(ResizeImageCanvas(img, 0, 1), 0);
    const uint8_t bits[] = {0x05};
    EXPECT_EQ(ImageFromBitMask(&img, bits, 3, 2), 0);  // needs two rows
    ASSERT_EQ(ImageFromBitMask(&img, bits, 3, 1), 1);
    EXPECT_EQ(Row(img, 0), (std::vector<uint32_t>{0xFFFFFF, 0, 0xFFFFFF}));
}

TEST(RawImage, PixelBufferExchange) {
    uint32_t buffer[2 * 4] = {0x100, 0x200, 0xFF000001, 0, 0x300, 0x400, 0, 0};  // stride of 4 pixels
    RawImage img;
    ASSERT_EQ(LoadImageFromBitmap(img, buffer, 3, 2, 16), 1);
    EXPECT_EQ(LoadImageFromBitmap(img, buffer, 5, 2, 16), 0);  // stride shorter than a row
    img.displayWidth = 3, img.displayHeight = 2;
    EXPECT_EQ(ImageToHBitmap(img), (std::vector<uint32_t>{0x100, 0x200, 1, 0x300, 0x400, 0}));  // no top byte
    DrawImageOnDC(img, buffer, 4, 2, 16, 2, 1, 4, 2);  // ORs only what fits
    EXPECT_EQ(std::vector<uint32_t>(buffer + 4, buffer + 8), (std::vector<uint32_t>{0x300, 0x400, 0x100, 0x200}));
    AddBitmapToImage(img, buffer, 1, 1, 16, 1, 1, 3, 2);
    EXPECT_EQ(At(img, 1, 1), 0x500u);
}

TEST(RawImage, BmpFileIsWrittenWhole) {
    const auto dir = std::filesystem::path(testing::TempDir()) / ("bmp_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string one = (dir / "one.bmp").string();
    ASSERT_EQ(WriteBmpFile(MakeImage(1, 1, [](int, int) { return 0x123456u; }), one), 1);
    std::ifstream in(one, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.size(), 58u);
    EXPECT_EQ(LoadU32(&bytes[2]), 58u);  // the file size in the header
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.end()), (std::vector<uint8_t>{0x56, 0x34, 0x12, 0}));

    const RawImage img = Numbered(3, 2);
    const std::string path = (dir / "three.bmp").string();
    ASSERT_EQ(WriteBmpFile(img, path), 1);
    int w = 0, h = 0, comp = 0;
    uint8_t* rgb = stbi_load(path.c_str(), &w, &h, &comp, 3);
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(w * h, 6);
    for (int i = 0; i < 6; ++i)  // rows come back top first
        EXPECT_EQ(uint32_t(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]), At(img, i % 3, i / 3));
    stbi_image_free(rgb);

    EXPECT_EQ(WriteBmpFile(img, (dir / "missing" / "x.bmp").string()), 0);
    EXPECT_EQ(WriteBmpFile(RawImage{}, (dir / "empty.bmp").string()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.bmp"));
    std::filesystem::remove_all(dir);
}
