#pragma once
// What the picture editor and its frame property dialog decide, as plain functions:
// stepping through the frames, the threshold items, appending the frames of a picture
// file, and the new size, pause and thresholds of one frame or all frames.
#include <cstdint>
#include <string>

#include "content/model/raw_image.h"

namespace ledsuite {

inline constexpr int kMinThresholdItem = 1;  // the threshold combos show "1" to "254"
inline constexpr int kMaxThresholdItem = 254;

// The index held inside 0..count - 1 (0 when there is no frame).
int ClampFrameIndex(int index, size_t count);
// Previous and next frame: one step while one is left, else the same index.
int PreviousFrameIndex(int index, size_t count);
int NextFrameIndex(int index, size_t count);
// The combo item that shows a threshold (held to 1..254) and the threshold of an item.
int ThresholdItem(uint8_t threshold);
uint8_t ThresholdOfItem(int item);

// Appends every frame of the picture file to the frames; the number appended (0 when the
// file is not a picture: the frames are untouched).
size_t AppendImageFile(FrameVector& frames, const std::string& path);

// What the frame property dialog holds.
struct ImageSizeValues {
    int width = 0;
    int height = 0;
    uint8_t pause = 0;
    uint8_t red = 0x80, green = 0x80, blue = 0x80;
    bool applyAll = false;
};
ImageSizeValues ImageSizeValuesOf(const RawImage& frame);
// A size of 0 or below (or too large for an image) is refused: nothing changes, false.
// Otherwise the chosen frame (or every frame) whose pixel size differs is resampled to the
// entered size keeping its display height, its display width becoming display height x
// width / height; each treated frame gets the pause and thresholds. A frame index outside
// the frames changes nothing (true: there is nothing to refuse).
bool ApplyImageSize(FrameVector& frames, int index, const ImageSizeValues& values);

}  // namespace ledsuite
