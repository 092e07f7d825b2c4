#pragma once
// RawImage: one picture held as plain pixels; FrameVector: the owned frames of a
// picture, an animation or a border; and the plain functions over both records.
// Only 32-bit images (bytesPerPixel 4, value 0x00RRGGBB) are accepted by rotation,
// flipping, clearing, inverting, masking, compositing and plane packing; those
// functions do nothing (or return 0 or null) for other depths.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

struct RawImage {
    int32_t width = 0;           // pixel columns of the buffer
    int32_t displayWidth = 0;    // width at which it is shown or scaled
    int32_t height = 0;          // pixel rows of the buffer
    int32_t displayHeight = 0;   // height at which it is shown or scaled
    int32_t bytesPerPixel = 0;   // 1 grey, 2 RGB565, 3 BGR, 4 BGR0 (the value 0x00RRGGBB)
    std::vector<uint8_t> pixels; // rows top-down, each padded to a multiple of 4 bytes
    uint8_t redThreshold = 0x80;
    uint8_t greenThreshold = 0x80;
    uint8_t blueThreshold = 0x80;
    uint8_t pause = 30;
    uint16_t placeX = 0;
    uint16_t placeY = 0;

    int32_t stride() const { return ((width * bytesPerPixel) + 3) & ~3; }
    // A 32-bit pixel (the caller checks bounds and depth).
    uint32_t* row32(int32_t y) { return reinterpret_cast<uint32_t*>(pixels.data() + size_t(y) * stride()); }
    const uint32_t* row32(int32_t y) const {
        return reinterpret_cast<const uint32_t*>(pixels.data() + size_t(y) * stride());
    }
    // True when the buffer holds every row of the stated size and depth.
    bool hasPixels() const {
        return width > 0 && height > 0 && bytesPerPixel >= 1 && bytesPerPixel <= 4 &&
               pixels.size() >= size_t(stride()) * size_t(height);
    }
    bool is32() const { return bytesPerPixel == 4 && hasPixels(); }
};

// Owns its frames; copies are deep.
struct FrameVector {
    std::vector<std::unique_ptr<RawImage>> frames;

    FrameVector() = default;
    FrameVector(FrameVector&&) noexcept = default;
    FrameVector& operator=(FrameVector&&) noexcept = default;
    FrameVector(const FrameVector& o) { *this = o; }
    FrameVector& operator=(const FrameVector& o) {
        if (this == &o) return *this;
        frames.clear();
        frames.reserve(o.frames.size());
        for (const auto& f : o.frames) frames.push_back(f ? std::make_unique<RawImage>(*f) : nullptr);
        return *this;
    }

    size_t size() const { return frames.size(); }
    bool empty() const { return frames.empty(); }
    RawImage* operator[](size_t i) const { return frames[i].get(); }
    void push_back(std::unique_ptr<RawImage> img) { frames.push_back(std::move(img)); }
    void clear() { frames.clear(); }
};

// No image is made larger than this many pixels (about 64 Mpx, 256 MiB at 32 bits);
// a larger request is refused like a size below 1.
constexpr int64_t kMaxImagePixels = int64_t(64) << 20;

// ---- creation, reset and release ----
// Back to a fresh record: no size, no pixels, thresholds 0x80, pause 30, placement 0.
void InitImage(RawImage& image);
// A new 32-bit image of zero pixels, display size = pixel size; an empty record
// when a size is 0 (or too large).
std::unique_ptr<RawImage> CreateImage(uint16_t width, uint16_t height);
// Makes the image 32-bit width x height, zero-filled, display size = pixel size.
// 0 for a size below 1 or above kMaxImagePixels, else 1.
int ResetImage(RawImage& image, int width, int height);
// Changes the pixel size keeping the top-left part (new area zero, same depth);
// display sizes stay. An image without pixels is reset. 0 for a bad size, else 1.
int ResizeImageCanvas(RawImage& image, int width, int height);
// Frees the buffer and zeroes the sizes and depth (thresholds and the rest stay).
void FreeImagePixels(RawImage& image);
// A white-on-black 32-bit image from 1-bit rows of (width + 7) >> 3 bytes, lowest
// bit leftmost. 0 for a null image, a bad size or fewer bits than the size needs.
int ImageFromBitMask(RawImage* image, std::span<const uint8_t> bits, int width, int height);
// Takes a 32-bit 0x00RRGGBB pixel buffer (`stride` in bytes) into the image as
// its pixels (width, height, depth 4; display sizes are left to the caller).
// 0 for a null buffer, a size below 1 or a stride shorter than a row.
int LoadImageFromBitmap(RawImage& image, const uint32_t* pixels, int width, int height, int stride);

// ---- geometry and pixels ----
struct ImageSize {
    int32_t width = 0;
    int32_t height = 0;
};
// The display size, or 0 x 0 for a null image.
ImageSize GetImageDisplaySize(const RawImage* image);
// A rotated copy: 0, 90 (a quarter counter-clockwise), 180 or 270 (a quarter
// clockwise); 90 and 270 swap both the pixel and the display sizes. Null for
// another angle or an image that is not 32-bit.
std::unique_ptr<RawImage> RotateImage(const RawImage& image, int angle);
// Mirrors a 32-bit image in place: columns within each row when `horizontal`,
// else rows top with bottom.
void FlipImage(RawImage& image, bool horizontal);
// Columns x0..x1-1 of rows y0..y1-1 (clipped to the image) become 0, or their
// complement within 0xFFFFFF.
void ClearImageRect(RawImage& image, int x0, int y0, int x1, int y1);
void InvertImageRect(RawImage& image, int x0, int y0, int x1, int y1);
// 32-bit: every pixel the colour; 1- and 3-byte: zero-filled; 2-byte: unchanged.
void FillImage(RawImage& image, uint32_t colour);
// ANDs every pixel with the channels a screen of that colour code shows: 5 red,
// 12 and 17 red and green, 13 and 16 green and blue, 14 and 15 red and blue.
// Any other code is a single-colour screen and is treated as 5.
void MaskImageToColorCode(RawImage& image, int colorCode);
// The pixel mask of a colour code: 12 and 17 red and green, 13 and 16 green and blue, 14
// and 15 red and blue, every other code red.
uint32_t ColorCodeMask(int colorCode);
// ANDs the rectangle (clipped to the image) with the mask repeated from the
// clipped top-left corner. A mask without pixels changes nothing.
void MaskImageTiled(RawImage& image, int x0, int y0, int x1, int y1, const RawImage& mask);
// Draws the source with its top-left at (ox, oy) into the destination, clipped to
// x0..x1-1, y0..y1-1 and to the destination. A source whose display size differs
// from its pixel size is shown at its display size (nearest sampling). Mode 1 adds
// blue, green and red with saturation; any other mode copies the pixel.
void CompositeImage(RawImage& dest, const RawImage& source, int x0, int y0, int x1, int y1, int ox, int oy,
                    int mode);
// CompositeImage when both are 32-bit, nothing otherwise.
void CompositeImage32(const RawImage& source, RawImage& dest, int mode, int x0, int y0, int x1, int y1, int ox,
                      int oy);
// Repeats the tile along a strip starting at (x, y): direction 2 steps right by the
// tile's display width, 3 down by its display height; `offset` shifts the tiles so
// that the first copy starts at or before the strip's start.
void TileImageAlong(int offset, int direction, RawImage& dest, int x, int y, int xEnd, int yEnd,
                    const RawImage& tile);
// A copy at the image's display size (nearest sampling, same depth and fields).
// Null for a depth outside 1..4, no pixels, or a display size below 1 or too large.
std::unique_ptr<RawImage> ScaleImage(const RawImage& image);
// A copy with another depth (1 grey, 2 RGB565, 3 BGR, 4 BGR0). Null for a depth
// outside 1..4 or an image without pixels.
std::unique_ptr<RawImage> ConvertImageDepth(const RawImage& image, int bytesPerPixel);

// ---- exchange with 32-bit pixel buffers (0x00RRGGBB, `stride` in bytes) ----
// The image's pixels at its pixel size, width x height packed rows, converted
// to 32 bits; empty for an image without pixels.
std::vector<uint32_t> ImageToHBitmap(const RawImage& image);
// The same at the display size (displayWidth x displayHeight packed rows).
std::vector<uint32_t> ImageToScaledHBitmap(const RawImage& image);
// ORs the image, at its display size with its top-left at (x0, y0), into the
// rectangle x0..x1-1, y0..y1-1 of the buffer (clipped to the buffer).
void DrawImageOnDC(const RawImage& image, uint32_t* pixels, int width, int height, int stride, int x0, int y0,
                   int x1, int y1);
// Adds (mode 1) the buffer's pixels into the rectangle of a 32-bit image, the
// buffer's top-left at (x0, y0).
void AddBitmapToImage(RawImage& image, const uint32_t* pixels, int width, int height, int stride, int x0, int y0,
                      int x1, int y1);

// ---- files ----
// Writes the image (any depth 1..4, converted) as an uncompressed 24-bit BMP,
// through a temporary file and a rename. 1 on success, 0 when the image has no
// pixels or the file cannot be written completely (nothing is left behind).
int WriteBmpFile(const RawImage& image, const std::string& path);

// ---- frame vectors ----
// Appends; 0 for a null vector or image, else 1.
int AddImageFrame(FrameVector* frames, std::unique_ptr<RawImage> image);
// Frame min(i, count - 1); null for a null or empty vector.
RawImage* GetImageFrame(const FrameVector* frames, size_t i);
// Drops null entries; every frame with rows gets display height `height` and the
// display width that keeps its aspect.
void FitFramesToHeight(FrameVector& frames, int height);
// Each 32-bit frame replaced by its rotation / inverted / mirrored; others stay.
void RotateImageFrames(FrameVector& frames, int angle);
void InvertImageFrames(FrameVector& frames);
void FlipImageFrames(FrameVector& frames, int horizontal);
// Takes the first frame out of the vector and hands it to the caller (who then
// owns it); null when the vector is empty.
std::unique_ptr<RawImage> RemoveFirstFrame(FrameVector& frames);
// Empties the vector without deleting its images: they are handed to the caller
// in order (a caller that keeps them elsewhere takes them over).
std::vector<std::unique_ptr<RawImage>> ClearFramePointers(FrameVector& frames);
// Deletes every image, last first, and empties the vector.
void ClearImageFrames(FrameVector& frames);
// ClearImageFrames, then releases the vector's storage.
void FreeImageFrames(FrameVector& frames);

}  // namespace ledsuite
