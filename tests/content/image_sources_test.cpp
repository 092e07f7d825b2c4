#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/bytes.h"
#include "content/dissolve_random.h"
#include "content/image_decode.h"
#include "content/image_sources.h"
#include "content/otsu_threshold.h"

using namespace ledsuite;
namespace fs = std::filesystem;

namespace {

// Palette of the test GIFs: 0 black, 1 red, 2 green, 3 blue, 4 white, then greys.
uint32_t PaletteColour(int i) {
    const uint32_t first[] = {0, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    return i < 5 ? first[i] : uint32_t(i * 2) * 0x010101u;
}

struct GifFrame {
    int x, y, w, h;
    std::vector<uint8_t> indices;
    int transparent = -1;
};

// A GIF with a 128-colour palette. Its LZW data uses 8-bit codes only: a clear code
// comes every 100 literals, before the code table would need wider codes.
std::vector<uint8_t> MakeGif(int width, int height, const std::vector<GifFrame>& frames) {
    ByteWriter w;
    w.put_bytes("GIF89a", 6);
    w.put_u16(uint16_t(width));
    w.put_u16(uint16_t(height));
    w.put_u8(0xF6);  // global table of 2^(6+1) colours
    w.put_u16(0);
    for (int i = 0; i < 128; ++i) {
        uint32_t c = PaletteColour(i);
        w.put_u8(uint8_t(c >> 16));
        w.put_u8(uint8_t(c >> 8));
        w.put_u8(uint8_t(c));
    }
    for (const GifFrame& f : frames) {
        const uint8_t gce[] = {0x21, 0xF9, 4, uint8_t(f.transparent >= 0), 10, 0, uint8_t(std::max(f.transparent, 0)), 0};
        w.put_bytes(gce, sizeof gce);
        w.put_u8(0x2C);
        for (int v : {f.x, f.y, f.w, f.h}) w.put_u16(uint16_t(v));
        w.put_u8(0);
        w.put_u8(7);  // LZW minimum code size: clear 128, end 129
        std::vector<uint8_t> codes{128};
        for (size_t i = 0; i < f.indices.size(); ++i) {
            if (i && i % 100 == 0) codes.push_back(128);
            codes.push_back(f.indices[i]);
        }
        codes.push_back(129);
        for (size_t at = 0; at < codes.size(); at += 255) {
            size_t n = std::min<size_t>(255, codes.size() - at);
            w.put_u8(uint8_t(n));
            w.put_bytes(codes.data() + at, n);
        }
        w.put_u8(0);
    }
    w.put_u8(0x3B);
    return w.take();
}

std::vector<uint8_t> MakePng(int w, int h, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) {
            auto* v = static_cast<std::vector<uint8_t>*>(ctx);
            v->insert(v->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

std::vector<uint8_t> MakeIco(const std::vector<std::vector<uint8_t>>& entries) {
    ByteWriter w;
    w.put_u16(0);
    w.put_u16(1);
    w.put_u16(uint16_t(entries.size()));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const auto& e : entries) {
        w.fill(0, 4);  // sizes in the directory are taken from the entries themselves
        w.put_u16(1);
        w.put_u16(32);
        w.put_u32(uint32_t(e.size()));
        w.put_u32(offset);
        offset += uint32_t(e.size());
    }
    for (const auto& e : entries) w.put_bytes(e.data(), e.size());
    return w.take();
}

// A DIB icon entry: header, palette, colour rows and AND rows as given (bottom-up).
std::vector<uint8_t> MakeDib(int w, int h, int bpp, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& xorRows, const std::vector<uint8_t>& andRows) {
    ByteWriter d;
    d.put_u32(40);
    d.put_i32(w);
    d.put_i32(h * 2);
    d.put_u16(1);
    d.put_u16(uint16_t(bpp));
    d.fill(0, 16);  // compression, image size, resolution
    d.put_u32(uint32_t(palette.size() / 4));
    d.put_u32(0);
    d.put_bytes(palette.data(), palette.size());
    d.put_bytes(xorRows.data(), xorRows.size());
    d.put_bytes(andRows.data(), andRows.size());
    return d.take();
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST(ImageDecode, GifFramesAreComposedOverBlack) {
    const auto gif = MakeGif(3, 2, {{0, 0, 3, 2, {1, 2, 3, 4, 0, 1}, 4}, {2, 1, 1, 1, {2}}});
    DecodedImage img = DecodeImage(gif);
    ASSERT_EQ(img.frames.size(), 2u);
    ASSERT_EQ(img.width, 3);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0xFF0000}));
    EXPECT_EQ(img.frames[1], (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0x00FF00}));

    // A prefix of the file may give fewer frames, but never a wrong size or a crash.
    for (size_t n = 0; n < gif.size(); ++n) {
        DecodedImage part = DecodeImage(std::span(gif.data(), n));
        for (const auto& f : part.frames) EXPECT_EQ(f.size(), 6u);
    }
    // A canvas whose frames together exceed the pixel cap is refused before decoding.
    auto huge = MakeGif(8192, 8192, {{0, 0, 1, 1, {1}}, {0, 0, 1, 1, {2}}});
    EXPECT_TRUE(DecodeImage(huge).frames.empty());
}

TEST(ImageDecode, PngBmpAndBrokenFiles) {
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 1, 2, 3, 0, 10, 20, 30, 255};
    const auto png = MakePng(2, 2, rgba);
    DecodedImage img = DecodeImage(png);
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x008000, 0, 0x0A141E}));  // alpha over black

    EXPECT_TRUE(DecodeImage(std::span(png.data(), png.size() / 2)).frames.empty());
    const std::vector<uint8_t> garbage(300, 0x5A);
    EXPECT_TRUE(DecodeImage(garbage).frames.empty());
    std::vector<uint8_t> bm = garbage;
    bm[0] = 'B', bm[1] = 'M';
    EXPECT_TRUE(DecodeImage(bm).frames.empty());
    // A header claiming 100000 x 100000 pixels is refused before anything is allocated.
    std::vector<uint8_t> big = png;
    StoreU32(&big[16], 0xA0860100);  // big-endian 100000
    StoreU32(&big[20], 0xA0860100);
    EXPECT_TRUE(DecodeImage(big).frames.empty());

    const auto dir = fs::path(testing::TempDir()) / "decode_test";
    fs::create_directories(dir);
    RawImage bmpImage;
    ResetImage(bmpImage, 2, 1);
    bmpImage.row32(0)[1] = 0x345678;
    ASSERT_EQ(WriteBmpFile(bmpImage, (dir / "a.bmp").string()), 1);
    EXPECT_EQ(DecodeImageFile((dir / "a.bmp").string()).frames.at(0), (std::vector<uint32_t>{0, 0x345678}));
    FrameVector frames;
    EXPECT_EQ(LoadImageFile(&frames, (dir / "none.png").string()), 0);
    EXPECT_EQ(LoadImageFile(&frames, dir.string()), 0);
    EXPECT_EQ(LoadImageFile(nullptr, (dir / "a.bmp").string()), 0);
    EXPECT_TRUE(frames.empty());
    fs::remove_all(dir);
}

TEST(ImageDecode, IcoTakesTheLargestEntryAndItsMask) {
    // 3 x 2, 24 bits: bottom row first, rows of 12 bytes; AND mask hides the top row's middle pixel.
    std::vector<uint8_t> xorRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
    const auto dib = MakeDib(3, 2, 24, {}, xorRows, {0, 0, 0, 0, 0x40, 0, 0, 0});
    const auto png4 = MakePng(4, 4, std::vector<uint8_t>(64, 0xFF));
    const auto png2 = MakePng(2, 2, std::vector<uint8_t>(16, 0xFF));

    DecodedImage img = DecodeImage(MakeIco({png2, dib}));
    ASSERT_EQ(img.frames.size(), 1u);
    ASSERT_EQ(img.width, 3);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0x0000FF, 0, 0xFF0000, 0x030201, 0x060504, 0x090807}));
    img = DecodeImage(MakeIco({dib, png4}));
    EXPECT_EQ(img.width, 4);

    // 4 bits per pixel through a palette.
    std::vector<uint8_t> palette(64, 0);
    palette[4 * 1 + 2] = 0xFF;  // 1 red
    palette[4 * 2 + 0] = 0xFF;  // 2 blue
    img = DecodeImage(MakeIco({MakeDib(3, 1, 4, palette, {0x12, 0x00, 0, 0}, {0, 0, 0, 0})}));
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0}));

    // 32 bits with bit-field masks: the pixels start behind the three masks.
    const std::vector<uint8_t> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    auto fields = MakeDib(2, 1, 32, masks, {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0}, {0x40, 0, 0, 0});
    StoreU32(&fields[16], 3);
    img = DecodeImage(MakeIco({fields}));
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0x302010, 0}));
    fields[40] = 0xFF;  // a layout other than 8-8-8 is refused
    EXPECT_TRUE(DecodeImage(MakeIco({fields})).frames.empty());

    auto broken = MakeIco({dib});
    StoreU32(&broken[18], 4000);  // entry beyond the file
    EXPECT_TRUE(DecodeImage(broken).frames.empty());
    auto cut = MakeIco({dib});
    for (size_t n = 0; n < cut.size(); ++n) EXPECT_TRUE(DecodeImage(std::span(cut.data(), n)).frames.empty());
}

TEST(ImageSources, TallGifFramesAreScaledTo512Rows) {
    std::vector<GifFrame> frames;
    for (uint8_t i = 0; i < 3; ++i) {
        std::vector<uint8_t> px(30 * 600);
        for (size_t p = 0; p < px.size(); ++p) px[p] = (p / 30) < 300 ? 0 : uint8_t(1 + i);
        frames.push_back({0, 0, 30, 600, px});
    }
    const auto dir = fs::path(testing::TempDir()) / "tall_gif";
    fs::create_directories(dir);
    WriteFile(dir / "tall.gif", MakeGif(30, 600, frames));
    FrameVector loaded;
    ASSERT_EQ(LoadImageFile(&loaded, (dir / "tall.gif").string()), 1);
    ASSERT_EQ(loaded.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const RawImage& f = *loaded[i];
        EXPECT_EQ(f.height, 512);
        EXPECT_EQ(f.width, 25);  // (30 << 9) / 600
        EXPECT_EQ(f.displayHeight, 512);
        EXPECT_EQ(f.displayWidth, 25);
        EXPECT_EQ(f.row32(511)[24], PaletteColour(int(i) + 1));
        EXPECT_EQ(f.row32(0)[0], 0u);
    }
    EXPECT_EQ(loaded[0]->redThreshold, 1);  // black against full red: the darker level (0, given as 1)
    EXPECT_EQ(loaded[0]->greenThreshold, 1);
    fs::remove_all(dir);
}

TEST(ImageSources, OtsuSplitsTwoLevels) {
    const uint8_t flat[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_EQ(OtsuThreshold(2, 4, flat, 1), 1);
    const uint8_t two[8] = {40, 40, 200, 200, 40, 200, 40, 200};
    EXPECT_EQ(OtsuThreshold(2, 4, two, 1), 40);
}

TEST(ImageSources, BorderPatternsAndSprites) {
    FrameVector frames;
    ASSERT_EQ(MakeBorderFrames(&frames, 6), 1);
    ASSERT_EQ(frames.size(), 4u);
    RawImage pattern;
    const uint8_t bits[] = {0x00, 0x18, 0x3C, 0x7E, 0x7E, 0x3C, 0x18, 0x00};
    ImageFromBitMask(&pattern, bits, 8, 8);
    EXPECT_EQ(frames[0]->pixels, RotateImage(pattern, 90)->pixels);
    EXPECT_EQ(frames[1]->pixels, pattern.pixels);
    EXPECT_EQ(frames[2]->pixels, RotateImage(pattern, 270)->pixels);
    EXPECT_EQ(frames[3]->pixels, RotateImage(pattern, 180)->pixels);

    frames.clear();
    MakeBorderFrames(&frames, 7);
    EXPECT_EQ(frames[0]->width, 12);
    EXPECT_EQ(frames[1]->width, 14);
    frames.clear();
    ASSERT_EQ(MakeBorderFrames(&frames, kBorderCorners), 1);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0]->row32(0)[11], 0xFFFFFFu);  // first row 00 38: columns 11 to 13
    EXPECT_EQ(frames[0]->row32(0)[10], 0u);
    EXPECT_EQ(MakeBorderFrames(&frames, 1), 0);
    EXPECT_EQ(MakeBorderFrames(&frames, 9), 0);
    EXPECT_EQ(MakeBorderFrames(nullptr, 2), 0);
}

TEST(ImageSources, DissolveMasksGrowFromEmptyToFull) {
    DissolveRandom first;
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int v : expected) EXPECT_EQ(first.Next(), v);

    auto lit = [](const RawImage& m) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) n += m.row32(y)[x] != 0;
        return n;
    };
    for (uint32_t seed : {1u, 2u, 77u, 123456u}) {
        DissolveRandom random(seed);
        FrameVector masks;
        ASSERT_EQ(MakeBorderFrames(&masks, kBorderDissolve, &random), 1);
        ASSERT_LE(masks.size(), 16u);
        EXPECT_EQ(lit(*masks[0]), 0);
        EXPECT_EQ(lit(*masks[masks.size() - 1]), 256);
        for (size_t i = 1; i < masks.size(); ++i)  // a lit LED stays lit
            for (size_t p = 0; p < masks[i]->pixels.size(); ++p)
                ASSERT_GE(masks[i]->pixels[p], masks[i - 1]->pixels[p]);
    }
    FrameVector a, b;
    MakeBorderFrames(&a, kBorderDissolve);
    DissolveRandom seedOne(1);
    MakeBorderFrames(&b, kBorderDissolve, &seedOne);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i]->pixels, b[i]->pixels);
}

TEST(ImageSources, FolderScanKeepsPicturesAndPathsSideBySide) {
    const auto root = fs::path(testing::TempDir()) / "scan_res";
    const auto dir = root / "zu_img";
    fs::create_directories(dir / "sub.png");
    const auto png = MakePng(2, 1, {1, 2, 3, 255, 4, 5, 6, 255});
    WriteFile(dir / "b.png", png);
    WriteFile(dir / "a.PNG", png);
    WriteFile(dir / "d.bmp", {'B', 'M', 1, 2, 3});
    WriteFile(dir / "e.txt", png);
    WriteFile(dir / "f.GIF", MakeGif(1, 700, {{0, 0, 1, 700, std::vector<uint8_t>(700, 2)}}));
    WriteFile(dir / "ng", png);
    RawImage tall;
    ResetImage(tall, 1, 600);
    ASSERT_EQ(WriteBmpFile(tall, (dir / "c.bmp").string()), 1);
    setenv("LEDSUITE_RESOURCES", root.c_str(), 1);

    FrameVector bitmaps;
    std::vector<std::string> paths;
    EXPECT_EQ(ScanImageFolder("zu_img", bitmaps, &paths), 4u);
    const std::string base = (root / "zu_img").string() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{base + "a.PNG", base + "b.png", base + "c.bmp", base + "f.GIF"}));
    ASSERT_EQ(bitmaps.size(), 4u);
    EXPECT_EQ(bitmaps[0]->row32(0)[1], 0x040506u);
    EXPECT_EQ(bitmaps[2]->height, 600);  // a .bmp is taken as it is
    EXPECT_EQ(bitmaps[3]->height, 512);  // other pictures as loaded
    EXPECT_EQ(bitmaps[3]->width, 1);     // (1 << 9) / 700 would be 0 columns

    EXPECT_EQ(ScanImageFolder("zu_none", bitmaps, nullptr), 0u);
    unsetenv("LEDSUITE_RESOURCES");
    fs::remove_all(root);
}
