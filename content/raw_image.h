#pragma once
// RawImage: one picture held as plain pixels; FrameVector: the owned frames of a
// picture, an animation or a border. The image functions build on these records.
#include <cstdint>
#include <memory>
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

}  // namespace ledsuite
