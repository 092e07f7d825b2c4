#include "content/model/raw_image.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "content/bytes.h"
#include "content/model/paths.h"

namespace ledsuite {

namespace {

bool SizeAllowed(int width, int height) {
    return width >= 1 && height >= 1 && int64_t(width) * height <= kMaxImagePixels;
}

// Blue, green and red of pixel x of a row of any depth.
void ReadBgr(const uint8_t* row, int x, int bpp, uint8_t& b, uint8_t& g, uint8_t& r) {
    const uint8_t* p = row + size_t(x) * bpp;
    switch (bpp) {
    case 1:
        b = g = r = p[0];
        break;
    case 2: {
        uint16_t v = LoadU16(p);
        b = uint8_t(v << 3);
        g = uint8_t((v >> 3) & 0xFC);
        r = uint8_t((v >> 8) & 0xF8);
        break;
    }
    default:
        b = p[0];
        g = p[1];
        r = p[2];
        break;
    }
}

void WriteBgr(uint8_t* row, int x, int bpp, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = row + size_t(x) * bpp;
    switch (bpp) {
    case 1:
        p[0] = uint8_t((b + g + r) / 3);
        break;
    case 2:
        StoreU16(p, uint16_t((r & 0xF8) << 8 | (g & 0xF8) << 3 | b >> 3));
        break;
    default:
        p[0] = b;
        p[1] = g;
        p[2] = r;
        if (bpp == 4) p[3] = 0;
        break;
    }
}

// A record with the same fields as `image` but the given size and depth, zero pixels.
std::unique_ptr<RawImage> BlankLike(const RawImage& image, int width, int height, int bpp) {
    auto out = std::make_unique<RawImage>(image);
    out->pixels.clear();
    out->width = width;
    out->height = height;
    out->bytesPerPixel = bpp;
    out->pixels.assign(size_t(out->stride()) * height, 0);
    return out;
}

// Clips x0..x1, y0..y1 to the image; false when nothing is left.
bool ClipToImage(const RawImage& image, int& x0, int& y0, int& x1, int& y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width);
    y1 = std::min(y1, image.height);
    return x0 < x1 && y0 < y1;
}

// Row y of a caller's 32-bit buffer whose rows are `stride` bytes apart.
template <typename Pixel>
Pixel* BufferRow(Pixel* pixels, int stride, int y) {
    using Byte = std::conditional_t<std::is_const_v<Pixel>, const uint8_t, uint8_t>;
    return reinterpret_cast<Pixel*>(reinterpret_cast<Byte*>(pixels) + size_t(y) * stride);
}

}  // namespace

// ---- creation, reset and release ----

void InitImage(RawImage& image) { image = RawImage{}; }

std::unique_ptr<RawImage> CreateImage(uint16_t width, uint16_t height) {
    auto image = std::make_unique<RawImage>();
    ResetImage(*image, width, height);
    return image;
}

int ResetImage(RawImage& image, int width, int height) {
    if (!SizeAllowed(width, height)) return 0;
    image.width = width;
    image.height = height;
    image.bytesPerPixel = 4;
    image.pixels.assign(size_t(width) * 4 * height, 0);
    image.displayWidth = width;
    image.displayHeight = height;
    return 1;
}

int ResizeImageCanvas(RawImage& image, int width, int height) {
    if (!SizeAllowed(width, height)) return 0;
    if (!image.hasPixels()) return ResetImage(image, width, height);
    if (width == image.width && height == image.height) return 1;
    RawImage resized = image;
    resized.width = width;
    resized.height = height;
    resized.pixels.assign(size_t(resized.stride()) * height, 0);
    size_t rowBytes = size_t(std::min(width, image.width)) * image.bytesPerPixel;
    for (int y = 0; y < std::min(height, image.height); ++y)
        std::memcpy(resized.pixels.data() + size_t(y) * resized.stride(),
                    image.pixels.data() + size_t(y) * image.stride(), rowBytes);
    image.pixels = std::move(resized.pixels);
    image.width = width;
    image.height = height;
    return 1;
}

void FreeImagePixels(RawImage& image) {
    image.pixels = {};
    image.width = image.height = image.displayWidth = image.displayHeight = image.bytesPerPixel = 0;
}

int ImageFromBitMask(RawImage* image, std::span<const uint8_t> bits, int width, int height) {
    if (!image || !SizeAllowed(width, height)) return 0;
    size_t rowBytes = size_t(width + 7) >> 3;
    if (bits.size() < rowBytes * height) return 0;
    ResetImage(*image, width, height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = bits.data() + rowBytes * y;
        uint32_t* row = image->row32(y);
        for (int x = 0; x < width; ++x)
            if (src[x >> 3] & (1u << (x & 7))) row[x] = 0xFFFFFF;
    }
    return 1;
}

int LoadImageFromBitmap(RawImage& image, const uint32_t* pixels, int width, int height, int stride) {
    if (!pixels || !SizeAllowed(width, height) || stride < width * 4) return 0;
    std::vector<uint8_t> buffer(size_t(width) * 4 * height);
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = BufferRow(pixels, stride, y);
        uint8_t* dst = buffer.data() + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x) StoreU32(dst + size_t(x) * 4, src[x] & 0xFFFFFF);
    }
    image.pixels = std::move(buffer);
    image.width = width;
    image.height = height;
    image.bytesPerPixel = 4;
    return 1;
}

// ---- geometry and pixels ----

ImageSize GetImageDisplaySize(const RawImage* image) {
    if (!image) return {};
    return {image->displayWidth, image->displayHeight};
}

std::unique_ptr<RawImage> RotateImage(const RawImage& image, int angle) {
    angle &= 0xFFFF;
    if (!image.is32() || (angle != 0 && angle != 90 && angle != 180 && angle != 270)) return nullptr;
    const int w = image.width, h = image.height;
    const bool quarter = angle == 90 || angle == 270;
    auto out = BlankLike(image, quarter ? h : w, quarter ? w : h, 4);
    if (quarter) std::swap(out->displayWidth, out->displayHeight);
    for (int y = 0; y < out->height; ++y) {
        uint32_t* row = out->row32(y);
        for (int x = 0; x < out->width; ++x) {
            switch (angle) {
            case 0: row[x] = image.row32(y)[x]; break;
            case 90: row[x] = image.row32(x)[w - 1 - y]; break;
            case 180: row[x] = image.row32(h - 1 - y)[w - 1 - x]; break;
            default: row[x] = image.row32(h - 1 - x)[y]; break;
            }
        }
    }
    return out;
}

void FlipImage(RawImage& image, bool horizontal) {
    if (!image.is32()) return;
    if (horizontal) {
        for (int y = 0; y < image.height; ++y) std::reverse(image.row32(y), image.row32(y) + image.width);
    } else {
        for (int y = 0; y < image.height / 2; ++y)
            std::swap_ranges(image.row32(y), image.row32(y) + image.width, image.row32(image.height - 1 - y));
    }
}

void ClearImageRect(RawImage& image, int x0, int y0, int x1, int y1) {
    if (!image.is32() || !ClipToImage(image, x0, y0, x1, y1)) return;
    for (int y = y0; y < y1; ++y) std::fill(image.row32(y) + x0, image.row32(y) + x1, 0u);
}

void InvertImageRect(RawImage& image, int x0, int y0, int x1, int y1) {
    if (!image.is32() || !ClipToImage(image, x0, y0, x1, y1)) return;
    for (int y = y0; y < y1; ++y)
        for (uint32_t* p = image.row32(y) + x0; p < image.row32(y) + x1; ++p) *p = ~*p & 0xFFFFFF;
}

void FillImage(RawImage& image, uint32_t colour) {
    if (!image.hasPixels()) return;
    if (image.bytesPerPixel == 4) {
        for (int y = 0; y < image.height; ++y) std::fill(image.row32(y), image.row32(y) + image.width, colour);
    } else if (image.bytesPerPixel != 2) {
        std::fill(image.pixels.begin(), image.pixels.end(), 0);
    }
}

uint32_t ColorCodeMask(int colorCode) {
    switch (colorCode) {
    case 12: case 17: return 0xFFFF00;
    case 13: case 16: return 0x00FFFF;
    case 14: case 15: return 0xFF00FF;
    default: return 0xFF0000;  // 5 and every code a record reads as 5
    }
}

void MaskImageToColorCode(RawImage& image, int colorCode) {
    if (!image.is32()) return;
    const uint32_t mask = ColorCodeMask(colorCode);
    for (int y = 0; y < image.height; ++y) {
        uint32_t* row = image.row32(y);
        for (int x = 0; x < image.width; ++x) row[x] &= mask;
    }
}

void MaskImageTiled(RawImage& image, int x0, int y0, int x1, int y1, const RawImage& mask) {
    if (!image.is32() || !mask.is32() || !ClipToImage(image, x0, y0, x1, y1)) return;
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = image.row32(y);
        const uint32_t* mrow = mask.row32((y - y0) % mask.height);
        for (int x = x0; x < x1; ++x) row[x] &= mrow[(x - x0) % mask.width];
    }
}

void CompositeImage(RawImage& dest, const RawImage& source, int x0, int y0, int x1, int y1, int ox, int oy,
                    int mode) {
    if (!dest.is32() || !source.is32() || !ClipToImage(dest, x0, y0, x1, y1)) return;
    const bool direct = source.displayWidth == source.width && source.displayHeight == source.height;
    const int spanW = direct ? source.width : source.displayWidth;
    const int spanH = direct ? source.height : source.displayHeight;
    const float rx = direct ? 1.0f : float(source.width) / float(std::max(spanW, 1));
    const float ry = direct ? 1.0f : float(source.height) / float(std::max(spanH, 1));
    for (int y = y0; y < y1; ++y) {
        int64_t dy = int64_t(y) - oy;
        if (dy < 0 || dy >= spanH) continue;
        int sy = direct ? int(dy) : std::min(int(float(dy) * ry), source.height - 1);
        const uint32_t* srow = source.row32(sy);
        uint32_t* drow = dest.row32(y);
        for (int x = x0; x < x1; ++x) {
            int64_t dx = int64_t(x) - ox;
            if (dx < 0 || dx >= spanW) continue;
            int sx = direct ? int(dx) : std::min(int(float(dx) * rx), source.width - 1);
            uint32_t s = srow[sx];
            if (mode == 1) {
                uint32_t d = drow[x], sum = d & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    sum |= std::min<uint32_t>(((d >> shift) & 0xFF) + ((s >> shift) & 0xFF), 0xFF) << shift;
                drow[x] = sum;
            } else {
                drow[x] = s;
            }
        }
    }
}

void CompositeImage32(const RawImage& source, RawImage& dest, int mode, int x0, int y0, int x1, int y1, int ox,
                      int oy) {
    if (source.bytesPerPixel == 4 && dest.bytesPerPixel == 4)
        CompositeImage(dest, source, x0, y0, x1, y1, ox, oy, mode);
}

void TileImageAlong(int offset, int direction, RawImage& dest, int x, int y, int xEnd, int yEnd,
                    const RawImage& tile) {
    const int64_t step = direction == 2 ? tile.displayWidth : direction == 3 ? tile.displayHeight : 0;
    if (step <= 0 || !dest.is32() || !tile.is32()) return;
    // The offset reduced into (-step, 0], so the first copy starts at or before the start.
    int64_t r = (offset % step + step) % step;
    if (r > 0) r -= step;
    // Copies that start past the destination draw nothing, so the walk stops there.
    const int64_t start = direction == 2 ? x : y;
    const int64_t end = direction == 2 ? std::min(xEnd, dest.width) : std::min(yEnd, dest.height);
    for (int64_t p = start + r; p < end; p += step) {
        int px = direction == 2 ? int(p) : x, py = direction == 2 ? y : int(p);
        CompositeImage(dest, tile, px, py, xEnd, yEnd, px, py, 0);
    }
}

std::unique_ptr<RawImage> ScaleImage(const RawImage& image) {
    const int dw = image.displayWidth, dh = image.displayHeight, bpp = image.bytesPerPixel;
    if (!image.hasPixels() || !SizeAllowed(dw, dh)) return nullptr;
    if (dw == image.width && dh == image.height) return std::make_unique<RawImage>(image);
    auto out = BlankLike(image, dw, dh, bpp);
    const float rx = float(image.width) / float(dw), ry = float(image.height) / float(dh);
    for (int y = 0; y < dh; ++y) {
        const int sy = std::min(int(float(y) * ry), image.height - 1);
        const uint8_t* src = image.pixels.data() + size_t(sy) * image.stride();
        uint8_t* dst = out->pixels.data() + size_t(y) * out->stride();
        for (int x = 0; x < dw; ++x) {
            int sx = std::min(int(float(x) * rx), image.width - 1);
            std::memcpy(dst + size_t(x) * bpp, src + size_t(sx) * bpp, bpp);
        }
    }
    return out;
}

std::unique_ptr<RawImage> ConvertImageDepth(const RawImage& image, int bytesPerPixel) {
    if (!image.hasPixels() || bytesPerPixel < 1 || bytesPerPixel > 4) return nullptr;
    if (bytesPerPixel == image.bytesPerPixel) return std::make_unique<RawImage>(image);
    auto out = BlankLike(image, image.width, image.height, bytesPerPixel);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* src = image.pixels.data() + size_t(y) * image.stride();
        uint8_t* dst = out->pixels.data() + size_t(y) * out->stride();
        for (int x = 0; x < image.width; ++x) {
            uint8_t b, g, r;
            ReadBgr(src, x, image.bytesPerPixel, b, g, r);
            WriteBgr(dst, x, bytesPerPixel, b, g, r);
        }
    }
    return out;
}

// ---- exchange with 32-bit pixel buffers ----

std::vector<uint32_t> ImageToHBitmap(const RawImage& image) {
    auto deep = ConvertImageDepth(image, 4);
    if (!deep) return {};
    std::vector<uint32_t> out(size_t(deep->width) * deep->height);
    for (int y = 0; y < deep->height; ++y)
        std::copy(deep->row32(y), deep->row32(y) + deep->width, out.begin() + ptrdiff_t(y) * deep->width);
    return out;
}

std::vector<uint32_t> ImageToScaledHBitmap(const RawImage& image) {
    auto deep = ConvertImageDepth(image, 4);
    auto scaled = deep ? ScaleImage(*deep) : nullptr;
    return scaled ? ImageToHBitmap(*scaled) : std::vector<uint32_t>{};
}

void DrawImageOnDC(const RawImage& image, uint32_t* pixels, int width, int height, int stride, int x0, int y0,
                   int x1, int y1) {
    if (!pixels || width < 1 || height < 1 || stride < int64_t(width) * 4) return;
    std::vector<uint32_t> scaled = ImageToScaledHBitmap(image);
    if (scaled.empty()) return;
    const int sw = image.displayWidth, sh = image.displayHeight;
    const int cx0 = std::max(x0, 0), cy0 = std::max(y0, 0);
    const int cx1 = int(std::min<int64_t>({x1, width, int64_t(x0) + sw}));
    const int cy1 = int(std::min<int64_t>({y1, height, int64_t(y0) + sh}));
    for (int y = cy0; y < cy1; ++y) {
        uint32_t* row = BufferRow(pixels, stride, y);
        const uint32_t* src = scaled.data() + size_t(y - y0) * sw;
        for (int x = cx0; x < cx1; ++x) row[x] |= src[x - x0];
    }
}

void AddBitmapToImage(RawImage& image, const uint32_t* pixels, int width, int height, int stride, int x0, int y0,
                      int x1, int y1) {
    RawImage temp;
    if (!LoadImageFromBitmap(temp, pixels, width, height, stride)) return;
    temp.displayWidth = width;
    temp.displayHeight = height;
    CompositeImage(image, temp, x0, y0, x1, y1, x0, y0, 1);
}

// ---- files ----

int WriteBmpFile(const RawImage& image, const std::string& path) {
    auto deep = ConvertImageDepth(image, 4);
    if (!deep) return 0;
    const int w = deep->width, h = deep->height;
    const uint32_t row = (uint32_t(w) * 3 + 3) & ~3u;
    const uint64_t fileSize = uint64_t(row) * h + 54;
    if (fileSize > UINT32_MAX) return 0;
    ByteWriter out;
    out.put_bytes("BM", 2);
    out.put_u32(uint32_t(fileSize));
    out.put_u32(0);   // two reserved words
    out.put_u32(54);  // pixel offset
    out.put_u32(40);
    out.put_i32(w);
    out.put_i32(h);  // positive: rows bottom-up
    out.put_u16(1);
    out.put_u16(24);
    out.fill(0, 24);  // compression, image size, resolution, palette counts
    for (int y = h - 1; y >= 0; --y) {
        const uint32_t* src = deep->row32(y);
        for (int x = 0; x < w; ++x) {
            out.put_u8(uint8_t(src[x]));
            out.put_u8(uint8_t(src[x] >> 8));
            out.put_u8(uint8_t(src[x] >> 16));
        }
        out.fill(0, row - size_t(w) * 3);
    }
    return WriteFileAtomic(path, out.data(), out.size()) ? 1 : 0;
}

// ---- frame vectors ----

int AddImageFrame(FrameVector* frames, std::unique_ptr<RawImage> image) {
    if (!frames || !image) return 0;
    frames->push_back(std::move(image));
    return 1;
}

RawImage* GetImageFrame(const FrameVector* frames, size_t i) {
    if (!frames || frames->empty()) return nullptr;
    return (*frames)[std::min(i, frames->size() - 1)];
}

void FitFramesToHeight(FrameVector& frames, int height) {
    std::erase(frames.frames, nullptr);
    for (auto& f : frames.frames) {
        if (f->height <= 0) continue;
        f->displayHeight = height;
        f->displayWidth = int32_t(std::clamp<int64_t>(int64_t(height) * f->width / f->height, INT32_MIN, INT32_MAX));
    }
}

void RotateImageFrames(FrameVector& frames, int angle) {
    for (auto& f : frames.frames)
        if (f)
            if (auto rotated = RotateImage(*f, angle)) f = std::move(rotated);
}

void InvertImageFrames(FrameVector& frames) {
    for (auto& f : frames.frames)
        if (f) InvertImageRect(*f, 0, 0, f->width, f->height);
}

void FlipImageFrames(FrameVector& frames, int horizontal) {
    for (auto& f : frames.frames)
        if (f) FlipImage(*f, horizontal != 0);
}

std::unique_ptr<RawImage> RemoveFirstFrame(FrameVector& frames) {
    if (frames.empty()) return nullptr;
    auto first = std::move(frames.frames.front());
    frames.frames.erase(frames.frames.begin());
    return first;
}

std::vector<std::unique_ptr<RawImage>> ClearFramePointers(FrameVector& frames) {
    return std::exchange(frames.frames, std::vector<std::unique_ptr<RawImage>>{});
}

void ClearImageFrames(FrameVector& frames) {
    while (!frames.empty()) frames.frames.pop_back();
}

void FreeImageFrames(FrameVector& frames) {
    ClearImageFrames(frames);
    std::vector<std::unique_ptr<RawImage>>().swap(frames.frames);
}

}  // namespace ledsuite
