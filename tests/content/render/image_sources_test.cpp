#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "content/bytes.h"
#include "content/render/dissolve_random.h"
#include "content/render/image_decode.h"
#include "content/render/image_sources.h"
#include "content/render/otsu_threshold.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
namespace fs = std::filesystem;

namespace {

// The colour table of the test GIFs: black, red, green, blue, white and three blacks.
const uint32_t kColours[8] = {0, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

// A GIF of frames that cover the canvas. Its LZW data uses 8-bit codes only (minimum
// code size 7): a clear code comes every 100 literals, before the table needs wider codes.
std::vector<uint8_t> MakeGif(int width, int height, const std::vector<std::vector<uint8_t>>& frames) {
    ByteWriter w;
    w.put_bytes("GIF89a", 6);
    for (int v : {width, height, 0xF2}) w.put_u16(uint16_t(v));  // a table of 8 colours, background 0
    w.put_u8(0);
    for (uint32_t c : kColours)
        for (int shift : {16, 8, 0}) w.put_u8(uint8_t(c >> shift));
    for (const auto& indices : frames) {
        w.put_u8(0x2C);
        for (int v : {0, 0, width, height, 7 << 8}) w.put_u16(uint16_t(v));  // no local table; clear 128, end 129
        std::vector<uint8_t> codes;
        for (size_t i = 0; i < indices.size(); ++i) {
            if (i % 100 == 0) codes.push_back(128);
            codes.push_back(indices[i]);
        }
        codes.push_back(129);
        for (size_t at = 0; at < codes.size(); at += 255) {
            const size_t n = std::min<size_t>(255, codes.size() - at);
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

// An ICO file of the given entries; the directory leaves the sizes to the entries.
std::vector<uint8_t> MakeIco(const std::vector<std::vector<uint8_t>>& entries) {
    ByteWriter w;
    for (size_t v : {size_t(0), size_t(1), entries.size()}) w.put_u16(uint16_t(v));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const auto& e : entries) {
        for (uint32_t v : {0u, 32u << 16 | 1, uint32_t(e.size()), offset}) w.put_u32(v);
        offset += uint32_t(e.size());
    }
    for (const auto& e : entries) w.put_bytes(e);
    return w.take();
}

// A DIB icon entry: header, palette, then the colour and AND rows as given (bottom-up).
std::vector<uint8_t> MakeDib(int w, int h, int bpp, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& rows) {
    ByteWriter d;
    for (int v : {40, w, h * 2}) d.put_i32(v);
    d.put_u16(1);
    d.put_u16(uint16_t(bpp));
    d.fill(0, 16);  // compression, image size, resolution
    d.put_u32(uint32_t(palette.size() / 4));
    d.put_u32(0);
    d.put_bytes(palette);
    d.put_bytes(rows);
    return d.take();
}

// A 32-bit BMP of one row: the file header, an info header of `headerSize` bytes (a longer
// one than 40 holds the masks 0xFF0000, 0xFF00, 0xFF and `alphaMask`), then the pixels as
// blue, green, red and fourth byte.
std::vector<uint8_t> MakeBmp32(uint32_t headerSize, uint32_t compression, const std::vector<uint8_t>& bgrx,
                               uint32_t alphaMask = 0) {
    ByteWriter d;
    d.put_bytes("BM", 2);
    const uint32_t offset = 14 + headerSize;
    for (uint32_t v : {uint32_t(offset + bgrx.size()), 0u, offset, headerSize, uint32_t(bgrx.size() / 4), 1u})
        d.put_u32(v);
    d.put_u16(1);
    d.put_u16(32);
    d.put_u32(compression);
    d.fill(0, 20);  // image size, resolution, colours
    if (headerSize > 40)
        for (uint32_t v : {0xFF0000u, 0xFF00u, 0xFFu, alphaMask}) d.put_u32(v);
    d.pad_to(offset);
    d.put_bytes(bgrx);
    return d.take();
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST(ImageDecode, GifFramesInOrderAndBrokenGifs) {
    const auto gif = MakeGif(3, 2, {{1, 2, 3, 4, 0, 1}, {1, 2, 3, 4, 0, 2}});
    DecodedImage img = DecodeImage(gif);
    ASSERT_EQ(img.frames.size(), 2u);
    ASSERT_EQ(img.width, 3);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0xFF0000}));
    EXPECT_EQ(img.frames[1], (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x00FF00}));

    // A prefix of the file may give fewer frames, but never a wrong size or a crash.
    for (size_t n = 0; n < gif.size(); ++n)
        for (const auto& f : DecodeImage(std::span(gif.data(), n)).frames) EXPECT_EQ(f.size(), 6u);
    // A canvas whose frames together exceed the pixel cap is refused before decoding.
    auto huge = MakeGif(1, 1, {{1}, {2}});
    StoreU16(&huge[6], 8192);
    StoreU16(&huge[8], 8192);
    EXPECT_TRUE(DecodeImage(huge).frames.empty());
}

TEST(ImageDecode, PngAndBrokenFiles) {
    const auto png = MakePng(2, 2, {255, 0, 0, 255, 0, 255, 0, 128, 1, 2, 3, 0, 10, 20, 30, 255});
    DecodedImage img = DecodeImage(png);
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x008000, 0, 0x0A141E}));  // alpha over black

    EXPECT_TRUE(DecodeImage(std::span(png.data(), png.size() / 2)).frames.empty());
    std::vector<uint8_t> garbage(300, 0x5A);
    EXPECT_TRUE(DecodeImage(garbage).frames.empty());
    garbage[0] = 'B', garbage[1] = 'M';
    EXPECT_TRUE(DecodeImage(garbage).frames.empty());
    // A header claiming 100000 x 100000 pixels is refused before anything is allocated.
    std::vector<uint8_t> big = png;
    StoreU32(&big[16], 0xA0860100);  // big-endian 100000
    StoreU32(&big[20], 0xA0860100);
    EXPECT_TRUE(DecodeImage(big).frames.empty());
}

TEST(ImageDecode, The32BitBmpFourthByteIsAlphaOnlyWithAnAlphaMask) {
    // Red, green, blue and white pixels whose fourth bytes are 0, 0x80, 0xFF and 0.
    const std::vector<uint8_t> pixels = {0, 0, 255, 0, 0, 255, 0, 0x80, 255, 0, 0, 0xFF, 255, 255, 255, 0};
    const std::vector<uint32_t> opaque = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    // Without compression the byte is unused, whatever the header's length.
    for (uint32_t headerSize : {40u, 108u, 124u}) {
        const DecodedImage img = DecodeImage(MakeBmp32(headerSize, 0, pixels, 0xFF000000));
        ASSERT_EQ(img.frames.size(), 1u) << headerSize;
        EXPECT_EQ(std::pair(img.width, img.frames[0]), std::pair(4, opaque)) << headerSize;
    }
    // Bit fields that name an alpha mask make it alpha: drawn over black.
    const DecodedImage masked = DecodeImage(MakeBmp32(124, 3, pixels, 0xFF000000));
    ASSERT_EQ(masked.frames.size(), 1u);
    EXPECT_EQ(masked.frames[0], (std::vector<uint32_t>{0, 0x008000, 0x0000FF, 0}));
}

TEST(ImageDecode, IcoTakesTheLargestEntryAndItsMask) {
    // 3 x 2, 24 bits: bottom row first, rows of 12 bytes; the AND mask hides the top row's middle pixel.
    const auto dib = MakeDib(3, 2, 24, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0,
                                            0, 0, 0, 0, 0x40, 0, 0, 0});
    DecodedImage img = DecodeImage(MakeIco({MakePng(2, 2, std::vector<uint8_t>(16, 0xFF)), dib}));
    ASSERT_EQ(img.frames.size(), 1u);
    ASSERT_EQ(img.width, 3);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0x0000FF, 0, 0xFF0000, 0x030201, 0x060504, 0x090807}));
    EXPECT_EQ(DecodeImage(MakeIco({dib, MakePng(4, 4, std::vector<uint8_t>(64, 0xFF))})).width, 4);

    // 4 bits per pixel through a palette: 1 red, 2 blue.
    std::vector<uint8_t> palette(64, 0);
    palette[4 * 1 + 2] = palette[4 * 2 + 0] = 0xFF;
    img = DecodeImage(MakeIco({MakeDib(3, 1, 4, palette, {0x12, 0x00, 0, 0, 0, 0, 0, 0})}));
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0}));

    // 32 bits with bit-field masks: the pixels start behind the three masks.
    const std::vector<uint8_t> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    auto fields = MakeDib(2, 1, 32, masks, {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0, 0x40, 0, 0, 0});
    StoreU32(&fields[16], 3);
    img = DecodeImage(MakeIco({fields}));
    ASSERT_EQ(img.frames.size(), 1u);
    EXPECT_EQ(img.frames[0], (std::vector<uint32_t>{0x302010, 0}));
    fields[40] = 0xFF;  // a layout other than 8-8-8 is refused
    EXPECT_TRUE(DecodeImage(MakeIco({fields})).frames.empty());

    auto broken = MakeIco({dib});
    StoreU32(&broken[18], 4000);  // entry beyond the file
    EXPECT_TRUE(DecodeImage(broken).frames.empty());
    broken = MakeIco({dib});
    for (size_t n = 0; n < broken.size(); ++n) EXPECT_TRUE(DecodeImage(std::span(broken.data(), n)).frames.empty());
}

TEST(ImageSources, TallGifFramesAreScaledTo512Rows) {
    std::vector<std::vector<uint8_t>> frames;
    for (uint8_t i = 0; i < 3; ++i) {
        frames.emplace_back(30 * 600, 0);
        std::fill(frames[i].begin() + 30 * 300, frames[i].end(), uint8_t(1 + i));  // the lower half red, green, blue
    }
    FrameVector loaded;
    ASSERT_EQ(LoadGdiplusFrames(DecodeImage(MakeGif(30, 600, frames)), loaded), 1);
    ASSERT_EQ(loaded.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const RawImage& f = *loaded[i];
        // (30 << 9) / 600 = 25 columns
        EXPECT_EQ(std::vector<int>({f.width, f.height, f.displayWidth, f.displayHeight}),
                  (std::vector<int>{25, 512, 25, 512}));
        EXPECT_EQ(f.row32(511)[24], kColours[i + 1]);
        EXPECT_EQ(f.row32(0)[0], 0u);
    }
    EXPECT_EQ(loaded[0]->redThreshold, 1);  // black against full red: the first level above black
}

TEST(ImageSources, OtsuSplitsTwoLevels) {
    const uint8_t flat[8] = {7, 7, 7, 7, 7, 7, 7, 7}, two[8] = {40, 40, 200, 200, 40, 200, 40, 200};
    EXPECT_EQ(OtsuThreshold(2, 4, flat, 1), 1);  // one value, or none: 1
    EXPECT_EQ(OtsuThreshold(0, 0, nullptr, 4), 1);
    EXPECT_EQ(OtsuThreshold(2, 4, two, 1), 41);  // the first level above the darker class
    const uint8_t column[16] = {40, 0, 0, 0, 200, 0, 0, 0, 40, 0, 0, 0, 200, 0, 0, 0};
    EXPECT_EQ(OtsuThreshold(4, 1, column, 4), 41);  // a one-pixel column of 4-byte pixels
    const uint8_t near[4] = {10, 11, 10, 11};    // levels one apart split too
    EXPECT_EQ(OtsuThreshold(1, 4, near, 1), 11);
    const uint8_t spread[8] = {0, 200, 250, 100, 100, 0, 150, 0};  // black against four greys: the black alone
    EXPECT_EQ(OtsuThreshold(2, 4, spread, 1), 1);
    EXPECT_EQ(OtsuThreshold(2, 4, nullptr, 1), 1);  // no pixels
}

TEST(ImageSources, BorderSidesRepeatTheLastFrameAndTheTopOfTypesSixAndSeven) {
    FrameVector frames;
    using Sides = std::array<const RawImage*, 4>;
    EXPECT_EQ(BorderSideFrames(frames, 1), Sides{});  // no frame: none drawn
    frames.push_back(std::make_unique<RawImage>());  // one tile of the frame editor: every side
    EXPECT_EQ(BorderSideFrames(frames, 1), (Sides{frames[0], frames[0], frames[0], frames[0]}));
    frames.push_back(std::unique_ptr<RawImage>());  // a null frame is passed over
    frames.push_back(std::make_unique<RawImage>());
    EXPECT_EQ(BorderSideFrames(frames, 1), (Sides{frames[0], frames[2], frames[2], frames[2]}));
    frames.clear();
    ASSERT_EQ(MakeBorderFrames(&frames, 6), 1);
    for (int type : {6, 7})  // the card keeps one image for these patterns: the top frame
        EXPECT_EQ(BorderSideFrames(frames, type), (Sides{frames[1], frames[1], frames[1], frames[1]}));
    EXPECT_EQ(BorderSideFrames(frames, 5), (Sides{frames[0], frames[1], frames[2], frames[3]}));
}

TEST(ImageSources, BorderPatternsAndSprites) {
    FrameVector frames;
    ASSERT_EQ(MakeBorderFrames(&frames, 7), 1);  // a 14 x 12 pattern without symmetry
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_GT(CountLit(*frames[1]), 0);
    // The sides: the pattern turned by 90, as it is, by 270, by 180.
    for (auto [i, turn] : {std::pair{0, 90}, {2, 270}, {3, 180}})
        EXPECT_EQ(frames[i]->pixels, RotateImage(*frames[1], turn)->pixels) << turn;
    frames.clear();
    ASSERT_EQ(MakeBorderFrames(&frames, kBorderCorners), 1);
    EXPECT_EQ(frames.size(), 4u);
    for (int style : {1, 9}) EXPECT_EQ(MakeBorderFrames(&frames, style), 0);
    EXPECT_EQ(MakeBorderFrames(nullptr, 2), 0);
}

TEST(ImageSources, DissolveMasksGrowFromEmptyToFull) {
    DissolveRandom first;
    for (int v : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(first.Next(), v);

    for (uint32_t seed : {1u, 2u, 77u, 123456u}) {
        DissolveRandom random(seed);
        FrameVector masks;
        ASSERT_EQ(MakeBorderFrames(&masks, kBorderDissolve, &random), 1);
        ASSERT_LE(masks.size(), 16u);
        EXPECT_EQ(CountLit(*masks[0]), 0);
        EXPECT_EQ(CountLit(*masks[masks.size() - 1]), 256);
        for (size_t i = 1; i < masks.size(); ++i)  // a lit LED stays lit
            for (size_t p = 0; p < masks[i]->pixels.size(); ++p) ASSERT_GE(masks[i]->pixels[p], masks[i - 1]->pixels[p]);
    }
    FrameVector a, b;  // no generator: a fresh one seeded with 1
    MakeBorderFrames(&a, kBorderDissolve);
    DissolveRandom seedOne(1);
    MakeBorderFrames(&b, kBorderDissolve, &seedOne);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i]->pixels, b[i]->pixels);
}

TEST(ImageSources, FolderScanKeepsPicturesAndPathsSideBySide) {
    const auto root = fs::path(testing::TempDir()) / ("scan_res_" + std::to_string(::getpid()));
    const auto dir = root / "zu_img";
    fs::create_directories(dir / "sub.png");
    const auto png = MakePng(2, 1, {1, 2, 3, 255, 4, 5, 6, 255});
    WriteFile(dir / "b.png", png);
    WriteFile(dir / "a.PNG", png);
    WriteFile(dir / "d.bmp", {'B', 'M', 1, 2, 3});
    WriteFile(dir / "e.txt", png);
    WriteFile(dir / "f.GIF", MakeGif(1, 700, {std::vector<uint8_t>(700, 2)}));
    WriteFile(dir / "ng", png);
    WriteFile(dir / ".png", png);  // four characters: all extension, still a picture
    RawImage tall;
    ResetImage(tall, 1, 600);
    tall.row32(599)[0] = 0x345678;
    ASSERT_EQ(WriteBmpFile(tall, (dir / "c.bmp").string()), 1);
    setenv("LEDSUITE_RESOURCES", root.c_str(), 1);

    FrameVector bitmaps;
    std::vector<std::string> paths;
    EXPECT_EQ(ScanImageFolder("zu_img", bitmaps, &paths), 5u);
    const std::string base = (root / "zu_img").string() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{base + ".png", base + "a.PNG", base + "b.png", base + "c.bmp",
                                               base + "f.GIF"}));
    ASSERT_EQ(bitmaps.size(), 5u);
    EXPECT_EQ(bitmaps[1]->row32(0)[1], 0x040506u);
    EXPECT_EQ(bitmaps[3]->height, 600);  // a .bmp is taken as it is, bottom row last
    EXPECT_EQ(bitmaps[3]->row32(599)[0], 0x345678u);
    EXPECT_EQ(bitmaps[4]->height, 512);  // other pictures as loaded
    EXPECT_EQ(bitmaps[4]->width, 1);     // (1 << 9) / 700 would be 0 columns
    EXPECT_EQ(ScanImageFolder("zu_none", bitmaps, nullptr), 0u);

    // Files that are no picture, a folder, or no vector: nothing loaded.
    FrameVector frames;
    for (const fs::path& p : {dir / "d.bmp", dir / "none.png", dir / "sub.png"})
        EXPECT_EQ(LoadImageFile(&frames, p.string()), 0) << p;
    EXPECT_EQ(LoadImageFile(nullptr, (dir / "c.bmp").string()), 0);
    EXPECT_TRUE(frames.empty());
    unsetenv("LEDSUITE_RESOURCES");
    fs::remove_all(root);
}
