#pragma once
// Decoding of picture files into 32-bit frames: PNG, JPEG and BMP through
// stb_image, every frame of a GIF (composed as the animation shows it), and ICO
// through a small reader of our own (the largest entry; PNG entries through
// stb_image, DIB entries with their AND mask). Transparent parts are drawn over
// black. Hostile input fails cleanly: sizes are checked before anything is decoded.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Every frame: width x height packed rows of 0x00RRGGBB.
    std::vector<std::vector<uint32_t>> frames;
};

// No file larger than this is read.
constexpr size_t kMaxImageFileBytes = size_t(256) << 20;

// An empty result (no frames) for anything that is not a readable picture, or
// whose frames together exceed kMaxImagePixels.
DecodedImage DecodeImage(std::span<const uint8_t> bytes);
// Reads the file (at most kMaxImageFileBytes) and decodes it.
DecodedImage DecodeImageFile(const std::string& path);

}  // namespace ledsuite
