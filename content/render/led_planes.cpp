#include "content/render/led_planes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ledsuite {

namespace {

// Bit shifts of the channels of a 0x00RRGGBB pixel.
constexpr int kRed = 16, kGreen = 8, kBlue = 0;

// The two channels of colour modes 12..17, first plane first.
std::array<int, 2> ModeChannels(int mode) {
    switch (mode) {
    case 12: return {kRed, kGreen};
    case 13: return {kGreen, kBlue};
    case 14: return {kBlue, kRed};
    case 15: return {kRed, kBlue};
    case 16: return {kBlue, kGreen};
    default: return {kGreen, kRed};  // 17
    }
}

}  // namespace

bool LedPlanes::Write(ByteWriter& out) const {
    uint8_t b[kHeaderSize] = {pause, colorMode};
    StoreU16(b + 2, width);
    StoreU16(b + 4, height);
    StoreU16(b + 6, placeX);
    StoreU16(b + 8, placeY);
    return out.put_bytes(b, kHeaderSize);  // all or nothing
}

bool LedPlanes::Read(ByteReader& in, LedPlanes& out) {
    if (!in.has(kHeaderSize)) return false;
    out.pause = in.u8();
    out.colorMode = in.u8();
    out.width = in.u16();
    out.height = in.u16();
    out.placeX = in.u16();
    out.placeY = in.u16();
    return true;
}

size_t PackLedPlanes(LedPlanes* header, const RawImage* image, uint8_t* buffer, size_t capacity, int colorMode) {
    if (!header || !buffer || !image || !image->is32() || image->width > 0xFFFF || image->height > 0xFFFF) return 0;
    LedPlanes h;
    h.pause = image->pause;
    h.colorMode = uint8_t(LedPlanes::PlaneCount(colorMode) == 2 ? colorMode : 5);
    h.width = uint16_t(image->width);
    h.height = uint16_t(image->height);
    h.placeX = image->placeX;
    h.placeY = image->placeY;
    const size_t total = h.PlaneBytes(), rowBytes = (size_t(h.width) + 7) >> 3;
    if (total > capacity) return 0;
    std::memset(buffer, 0, total);

    // One plane per channel the mode lights (the grey plane: any channel of white).
    const std::array<uint32_t, 2> planes =
        h.colorMode == 5 ? std::array<uint32_t, 2>{0xFFFFFF, 0}
                         : std::array<uint32_t, 2>{0xFFu << ModeChannels(h.colorMode)[0],
                                                   0xFFu << ModeChannels(h.colorMode)[1]};
    uint8_t* out = buffer;
    for (int plane = 0; plane < LedPlanes::PlaneCount(h.colorMode); ++plane)
        for (int y = 0; y < image->height; ++y, out += rowBytes) {
            const uint32_t* row = image->row32(y);
            for (int x = 0; x < image->width; ++x)
                if (PlaneLitColour(row[x], *image, h.colorMode) & planes[size_t(plane)])
                    out[x >> 3] |= uint8_t(1u << (x & 7));
        }
    *header = h;
    return total;
}

uint32_t PlaneLitColour(uint32_t pixel, const RawImage& t, int colorCode) {
    const uint32_t r = (pixel >> kRed) & 0xFF, g = (pixel >> kGreen) & 0xFF, b = pixel & 0xFF;
    if (LedPlanes::PlaneCount(colorCode) == 1) {
        const uint32_t mean = (uint32_t(t.redThreshold) + t.greenThreshold + t.blueThreshold) / 3;
        return (r + g + b) / 3 >= mean ? 0xFFFFFFu : 0;
    }
    const uint32_t lit = (r >= t.redThreshold ? 0xFFu << kRed : 0) | (g >= t.greenThreshold ? 0xFFu << kGreen : 0) |
                         (b >= t.blueThreshold ? 0xFFu << kBlue : 0);
    return lit & ColorCodeMask(colorCode);
}

RawImage ShowPictureAsCard(const RawImage& picture, int colorCode) {
    if (!picture.is32()) return RawImage{};
    RawImage lit = picture;
    for (int y = 0; y < lit.height; ++y) {
        uint32_t* row = lit.row32(y);
        for (int x = 0; x < lit.width; ++x) row[x] = PlaneLitColour(row[x], picture, colorCode);
    }
    return lit;
}

uint32_t ScreenLedColour(uint32_t pixel, int colorCode) {
    if (LedPlanes::PlaneCount(colorCode) == 2) return pixel & ColorCodeMask(colorCode);
    return std::max({(pixel >> kRed) & 0xFF, (pixel >> kGreen) & 0xFF, (pixel >> kBlue) & 0xFF}) << kRed;
}

void ShowImageAsScreen(RawImage& image, int colorCode) {
    ShowImageAsScreen(image, colorCode, 0, 0, image.width, image.height);
}

void ShowImageAsScreen(RawImage& image, int colorCode, int x0, int y0, int x1, int y1) {
    if (!image.is32()) return;
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
    uint32_t lastIn = 0, lastOut = 0;  // a text's pixels come in few colours: the last one's light is reused
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = image.row32(y);
        for (int x = x0; x < x1; ++x) {
            if (row[x] == 0) continue;  // a dark LED stays dark
            if (row[x] != lastIn) lastIn = row[x], lastOut = ScreenLedColour(lastIn, colorCode);
            row[x] = lastOut;
        }
    }
}

void InvertAsScreen(RawImage& image, int x0, int y0, int x1, int y1, int colorCode) {
    if (!image.is32()) return;
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
    const uint32_t all = ColorCodeMask(colorCode);  // the channels the screen lights
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = image.row32(y);
        for (int x = x0; x < x1; ++x) row[x] = ScreenLedColour(row[x], colorCode) ^ all;
    }
}

int ImageFromLedPlanes(int width, int height, const uint8_t* bits, size_t length, int mode, RawImage& image) {
    InitImage(image);
    std::array<uint32_t, 2> colours{};  // what a set bit of each plane adds
    int planes = 0;
    if (mode == 5) {
        colours[0] = 0xFFFFFF, planes = 1;
    } else if (mode >= 9 && mode <= 11) {
        colours[0] = 0xFFu << (mode == 9 ? kRed : mode == 10 ? kGreen : kBlue), planes = 1;
    } else if (mode >= 12 && mode <= 17) {
        auto ch = ModeChannels(mode);
        colours = {0xFFu << ch[0], 0xFFu << ch[1]};
        planes = 2;
    }
    if (width < 1 || height < 1 || int64_t(width) * height > kMaxImagePixels) return 0;
    const size_t rowBytes = (size_t(width) + 7) >> 3;
    if ((planes > 0 && !bits) || length < size_t(planes) * rowBytes * height) return 0;
    ResetImage(image, width, height);
    for (int plane = 0; plane < planes; ++plane) {
        const uint8_t* in = bits + size_t(plane) * rowBytes * height;
        for (int y = 0; y < height; ++y, in += rowBytes) {
            uint32_t* row = image.row32(y);
            for (int x = 0; x < width; ++x)
                if (in[x >> 3] & (1u << (x & 7))) row[x] |= colours[plane];
        }
    }
    return 1;
}

}  // namespace ledsuite
