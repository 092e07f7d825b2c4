#pragma once
// Picks the threshold that best splits one byte per pixel into dark and light.
#include <cstdint>

namespace ledsuite {

// Otsu's method over the byte at `pixels` of each pixel of an image of
// `bytesPerPixel` bytes per pixel whose rows are padded to a multiple of 4 bytes
// (point `pixels` at a channel byte of the first pixel to threshold that channel).
// The result is the first level of the brighter class (1..255): a value lights
// when it is at or above it. An image of a single value gives 1.
int OtsuThreshold(int height, int width, const uint8_t* pixels, int bytesPerPixel);

}  // namespace ledsuite
