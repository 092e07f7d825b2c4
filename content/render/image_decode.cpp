#include "content/render/image_decode.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "content/bytes.h"
#include "content/model/paths.h"
#include "content/model/raw_image.h"

namespace ledsuite {

namespace {

struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};
using StbPixels = std::unique_ptr<uint8_t, StbFree>;

bool StartsWith(std::span<const uint8_t> b, const char* magic, size_t n) {
    return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
}

bool IsPng(std::span<const uint8_t> b) { return StartsWith(b, "\x89PNG\r\n\x1a\n", 8); }

uint32_t OverBlack(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    auto mul = [a](uint8_t c) { return uint32_t((c * a + 127) / 255); };
    return mul(r) << 16 | mul(g) << 8 | mul(b);
}

// RGBA bytes (stb's order) to 0x00RRGGBB over black.
std::vector<uint32_t> FromRgba(const uint8_t* rgba, size_t count) {
    std::vector<uint32_t> out(count);
    for (size_t i = 0; i < count; ++i, rgba += 4) out[i] = OverBlack(rgba[0], rgba[1], rgba[2], rgba[3]);
    return out;
}

bool SizeFits(int64_t width, int64_t height, int64_t frames = 1) {
    return width >= 1 && height >= 1 && frames >= 1 && width * height <= kMaxImagePixels / frames;
}

// RGB bytes (stb's order) to 0x00RRGGBB.
std::vector<uint32_t> FromRgb(const uint8_t* rgb, size_t count) {
    std::vector<uint32_t> out(count);
    for (size_t i = 0; i < count; ++i, rgb += 3) out[i] = uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
    return out;
}

// A 32-bit BMP without compression (BI_RGB): its fourth byte is unused, not alpha. stb_image
// takes it for alpha as soon as one pixel's is not 0, which would blacken every pixel whose
// byte is 0; such a file is read without alpha. (The bit count and compression lie at 28
// and 30 behind every info header but the old 12-byte one, whose pictures have no alpha.)
bool IsBmpWithUnusedFourthByte(std::span<const uint8_t> b) {
    return StartsWith(b, "BM", 2) && b.size() >= 34 && LoadU16(&b[28]) == 32 && LoadU32(&b[30]) == 0;
}

// One still picture through stb_image (PNG, JPEG, BMP).
DecodedImage DecodeStill(std::span<const uint8_t> b) {
    DecodedImage out;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(b.data(), int(b.size()), &w, &h, &comp) || !SizeFits(w, h))
        return out;
    const int channels = IsBmpWithUnusedFourthByte(b) ? 3 : 4;
    StbPixels pixels(stbi_load_from_memory(b.data(), int(b.size()), &w, &h, &comp, channels));
    if (!pixels || !SizeFits(w, h)) return out;
    out.width = w;
    out.height = h;
    const size_t count = size_t(w) * h;
    out.frames.push_back(channels == 3 ? FromRgb(pixels.get(), count) : FromRgba(pixels.get(), count));
    return out;
}

// Skips a chain of GIF data sub-blocks.
void SkipSubBlocks(ByteReader& r) {
    while (r.ok()) {
        uint8_t n = r.u8();
        if (n == 0) break;
        r.skip(n);
    }
}

// Counts the image descriptors of a GIF so the size of all frames is known
// before they are decoded.
int64_t CountGifFrames(std::span<const uint8_t> b) {
    ByteReader r(b);
    r.skip(10);
    uint8_t flags = r.u8();
    r.skip(2);
    if (flags & 0x80) r.skip(3u << ((flags & 7) + 1));
    int64_t frames = 0;
    while (r.ok() && !r.at_end()) {
        uint8_t kind = r.u8();
        if (kind == 0x21) {
            r.skip(1);
            SkipSubBlocks(r);
        } else if (kind == 0x2C) {
            r.skip(8);
            uint8_t local = r.u8();
            if (local & 0x80) r.skip(3u << ((local & 7) + 1));
            r.skip(1);  // LZW minimum code size
            SkipSubBlocks(r);
            ++frames;
        } else {
            break;  // trailer or a broken block
        }
    }
    return frames;
}

DecodedImage DecodeGif(std::span<const uint8_t> b) {
    DecodedImage out;
    int w = 0, h = 0, comp = 0, layers = 0;
    if (!stbi_info_from_memory(b.data(), int(b.size()), &w, &h, &comp) || !SizeFits(w, h, CountGifFrames(b)))
        return out;
    StbPixels rgba(stbi_load_gif_from_memory(b.data(), int(b.size()), nullptr, &w, &h, &layers, &comp, 4));
    if (!rgba || !SizeFits(w, h, layers)) return out;
    out.width = w;
    out.height = h;
    const size_t frameSize = size_t(w) * h;
    for (int i = 0; i < layers; ++i) out.frames.push_back(FromRgba(rgba.get() + frameSize * 4 * i, frameSize));
    return out;
}

// A DIB icon entry: BITMAPINFOHEADER, palette, colour rows, AND-mask rows; rows bottom-up,
// height counting both bitmaps.
DecodedImage DecodeIconDib(std::span<const uint8_t> b) {
    DecodedImage out;
    ByteReader r(b);
    const uint32_t headerSize = r.u32();
    const int32_t w = r.i32(), h = r.i32() / 2;
    r.skip(2);
    const uint16_t bpp = r.u16();
    const uint32_t compression = r.u32();
    r.skip(12);
    uint32_t colours = r.u32();
    if (!r.ok() || headerSize < 40 || !SizeFits(w, h) || w > 0xFFFF || h > 0xFFFF) return out;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return out;
    if (compression != 0 && !(compression == 3 && bpp == 32)) return out;
    if (bpp <= 8 && (colours == 0 || colours > (1u << bpp))) colours = 1u << bpp;
    if (bpp > 8) colours = 0;
    // Bit fields: the three channel masks at offset 40 (behind a 40-byte header, inside a
    // longer one); only the usual 8-8-8 layout is taken.
    size_t paletteAt = headerSize;
    if (compression == 3) {
        if (b.size() < 52 || LoadU32(&b[40]) != 0xFF0000 || LoadU32(&b[44]) != 0xFF00 || LoadU32(&b[48]) != 0xFF)
            return out;
        if (headerSize == 40) paletteAt += 12;
    }
    const size_t xorStride = ((size_t(w) * bpp + 31) / 32) * 4, andStride = ((size_t(w) + 31) / 32) * 4;
    const size_t xorAt = paletteAt + size_t(colours) * 4;
    const size_t andAt = xorAt + xorStride * h, end = andAt + andStride * h;
    const bool hasMask = end <= b.size();
    if (andAt > b.size() || (!hasMask && bpp != 32)) return out;

    auto masked = [&](int x, int fileRow) {
        return hasMask && (b[andAt + andStride * fileRow + (x >> 3)] & (0x80 >> (x & 7)));
    };
    bool alphaUsed = false;
    if (bpp == 32)
        for (int y = 0; y < h && !alphaUsed; ++y)
            for (int x = 0; x < w && !alphaUsed; ++x) alphaUsed = b[xorAt + xorStride * y + size_t(x) * 4 + 3] != 0;

    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const int fileRow = h - 1 - y;
        const uint8_t* row = b.data() + xorAt + xorStride * fileRow;
        for (int x = 0; x < w; ++x) {
            const uint8_t* c;
            uint8_t alpha = 0xFF;
            if (bpp <= 8) {
                const int shift = 8 - bpp - (x * bpp) % 8;
                const uint32_t index = (row[(size_t(x) * bpp) / 8] >> shift) & ((1u << bpp) - 1);
                if (index >= colours) continue;
                c = b.data() + paletteAt + index * 4;
            } else {
                c = row + size_t(x) * (bpp / 8);
                if (alphaUsed) alpha = c[3];
            }
            if (!alphaUsed && masked(x, fileRow)) alpha = 0;
            pixels[size_t(y) * w + x] = OverBlack(c[2], c[1], c[0], alpha);
        }
    }
    out.width = w;
    out.height = h;
    out.frames.push_back(std::move(pixels));
    return out;
}

// An ICO file: the entry with the most pixels (then the most bits per pixel) that decodes.
DecodedImage DecodeIco(std::span<const uint8_t> b) {
    struct Entry {
        int64_t area;
        int bpp;
        std::span<const uint8_t> data;
    };
    std::vector<Entry> entries;
    ByteReader r(b);
    r.skip(4);
    const uint16_t count = r.u16();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        const int w = r.u8(), h = r.u8();
        r.skip(4);
        const int bpp = r.u16();
        const uint32_t size = r.u32(), offset = r.u32();
        if (!r.ok() || offset > b.size() || size > b.size() - offset) continue;
        auto data = b.subspan(offset, size);
        int64_t area = int64_t(w ? w : 256) * (h ? h : 256);
        int pw = 0, ph = 0, comp = 0;
        if (IsPng(data) && stbi_info_from_memory(data.data(), int(data.size()), &pw, &ph, &comp))
            area = int64_t(pw) * ph;
        else if (data.size() >= 12)
            area = int64_t(int32_t(LoadU32(data.data() + 4))) * (int32_t(LoadU32(data.data() + 8)) / 2);
        entries.push_back({area, bpp, data});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& e) {
        return a.area != e.area ? a.area > e.area : a.bpp > e.bpp;
    });
    for (const Entry& e : entries) {
        DecodedImage img = IsPng(e.data) ? DecodeStill(e.data) : DecodeIconDib(e.data);
        if (!img.frames.empty()) return img;
    }
    return {};
}

}  // namespace

DecodedImage DecodeImage(std::span<const uint8_t> bytes) {
    if (bytes.size() > kMaxImageFileBytes) return {};  // also keeps every length inside stb's int
    if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) return DecodeGif(bytes);
    if (StartsWith(bytes, "\0\0\1\0", 4)) return DecodeIco(bytes);
    if (IsPng(bytes) || StartsWith(bytes, "\xFF\xD8\xFF", 3) || StartsWith(bytes, "BM", 2)) return DecodeStill(bytes);
    return {};
}

DecodedImage DecodeImageFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, kMaxImageFileBytes, bytes) != ReadFileResult::Ok) return {};
    return DecodeImage(bytes);
}

}  // namespace ledsuite
