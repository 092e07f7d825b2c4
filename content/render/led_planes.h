#pragma once
// LedPlanes: the card form of a 32-bit image. A 10-byte little-endian header
// (pause, colour mode, width, height, placement x, placement y) and, stored apart
// by the caller, one grey plane (mode 5) or two colour planes (modes 12 to 17).
// A plane is height rows of (width + 7) >> 3 bytes; pixel x is bit (x & 7) of
// byte x >> 3, lowest bit first; unused bits of a row's last byte are 0.
#include <cstddef>
#include <cstdint>

#include "content/bytes.h"
#include "content/model/raw_image.h"

namespace ledsuite {

struct LedPlanes {
    static constexpr size_t kHeaderSize = 10;

    uint8_t pause = 30;
    uint8_t colorMode = 5;  // 5 or 12..17
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t placeX = 0;
    uint16_t placeY = 0;

    // Number of planes a colour mode is written with: 2 for 12..17, else 1.
    static int PlaneCount(int colorMode) { return colorMode >= 12 && colorMode <= 17 ? 2 : 1; }
    // The plane bytes that follow this header.
    size_t PlaneBytes() const { return size_t(PlaneCount(colorMode)) * height * ((size_t(width) + 7) >> 3); }

    bool Write(ByteWriter& out) const;
    // Reads a header; false (and `out` unchanged) when fewer than 10 bytes remain.
    static bool Read(ByteReader& in, LedPlanes& out);
};

// The mode of one grey plane, white where set.
constexpr int kGreyPlaneMode = 5;

// Packs a 32-bit image into `buffer` (at most `capacity` bytes) and fills `header`.
// Colour codes 12..17 give two channel planes (a bit is set when the channel is at
// least its threshold); every other code is written as mode 5, one grey plane
// ((b + g + r) / 3 against the mean of the three thresholds). Returns the plane
// byte count (the header not counted), or 0, writing nothing, for a missing
// output, an image that is not 32-bit, a side above 65535, or planes that do not
// fit in `capacity`.
size_t PackLedPlanes(LedPlanes* header, const RawImage* image, uint8_t* buffer, size_t capacity, int colorMode);

// The card's rule for a pixel of an image packed for a screen of `colorCode` with the
// image's thresholds, as the colour its LED lights: on a two-colour screen (12..17) each
// of the screen's two channels full where the pixel's channel reaches its threshold; on
// every other screen (one grey plane) white where the mean of red, green and blue reaches
// the mean of the three thresholds. The packing and the views both use it.
uint32_t PlaneLitColour(uint32_t pixel, const RawImage& thresholds, int colorCode);
// A picture as the card lights it on a screen of `colorCode`: a copy (display size,
// placement and the other fields kept) with every pixel PlaneLitColour. An image the card
// cannot pack (not 32-bit) lights nothing: an empty image.
RawImage ShowPictureAsCard(const RawImage& picture, int colorCode);

// What an LED of a screen of `colorCode` shows for a pixel, as the card lights the
// planes of text packed with thresholds of 1: a two-colour screen (12..17) shows the
// two channels of its planes, a colour it lacks staying dark; a one-colour screen (5
// and every other code, one grey plane) lights in its red whatever channel is lit, as
// bright as the brightest one.
uint32_t ScreenLedColour(uint32_t pixel, int colorCode);
// Every pixel of a 32-bit image replaced by ScreenLedColour; other depths are left alone.
void ShowImageAsScreen(RawImage& image, int colorCode);
// The same for the pixels of columns x0..x1 - 1 and rows y0..y1 - 1 (clipped to the image).
void ShowImageAsScreen(RawImage& image, int colorCode, int x0, int y0, int x1, int y1);
// Columns x0..x1-1 of rows y0..y1-1 (clipped to a 32-bit image) become the negative of
// what the screen lights for them, as a card inverting its planes shows: dark where an LED
// was lit, lit in the screen's colours where it was dark.
void InvertAsScreen(RawImage& image, int x0, int y0, int x1, int y1, int colorCode);

// Makes `image` a 32-bit width x height picture of the planes in `bits` (`length`
// bytes): mode 5 white where set; 9, 10, 11 one plane into red, green or blue;
// 12..17 two planes into their two channels; 6..8 and other codes stay black.
// Returns 1, or 0 (image left fresh) for a bad size or fewer bytes than the planes need.
int ImageFromLedPlanes(int width, int height, const uint8_t* bits, size_t length, int mode, RawImage& image);

}  // namespace ledsuite
