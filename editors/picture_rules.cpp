// The picture editor's rules.
#include "editors/picture_rules.h"

#include <algorithm>

#include "content/render/image_sources.h"

namespace ledsuite {

int ClampFrameIndex(int index, size_t count) {
    if (count == 0) return 0;
    return std::clamp(index, 0, int(count) - 1);
}

int PreviousFrameIndex(int index, size_t count) {
    index = ClampFrameIndex(index, count);
    return index >= 1 ? index - 1 : index;
}

int NextFrameIndex(int index, size_t count) {
    index = ClampFrameIndex(index, count);
    return index + 1 < int(count) ? index + 1 : index;
}

int ThresholdItem(uint8_t threshold) {
    return std::clamp<int>(threshold, kMinThresholdItem, kMaxThresholdItem) - kMinThresholdItem;
}

uint8_t ThresholdOfItem(int item) {
    return uint8_t(std::clamp(item + kMinThresholdItem, kMinThresholdItem, kMaxThresholdItem));
}

size_t AppendImageFile(FrameVector& frames, const std::string& path) {
    FrameVector loaded;
    if (!LoadImageFile(&loaded, path)) return 0;
    // The loaded frames move over to the edited vector; the temporary list ends empty.
    auto moved = ClearFramePointers(loaded);
    for (auto& frame : moved) frames.push_back(std::move(frame));
    FreeImageFrames(loaded);
    return moved.size();
}

ImageSizeValues ImageSizeValuesOf(const RawImage& frame) {
    ImageSizeValues v;
    v.width = frame.width;
    v.height = frame.height;
    v.pause = frame.pause;
    v.red = ThresholdOfItem(ThresholdItem(frame.redThreshold));
    v.green = ThresholdOfItem(ThresholdItem(frame.greenThreshold));
    v.blue = ThresholdOfItem(ThresholdItem(frame.blueThreshold));
    return v;
}

namespace {

// Resamples one frame to width x height, keeping its display height.
bool ResizeFrame(RawImage& frame, int width, int height) {
    if (frame.width == width && frame.height == height) return true;
    RawImage target = frame;
    target.displayWidth = width;
    target.displayHeight = height;
    auto scaled = ScaleImage(target);
    if (!scaled) return false;
    const int32_t displayHeight = frame.displayHeight;
    frame = std::move(*scaled);
    frame.displayHeight = displayHeight;
    frame.displayWidth = int32_t(int64_t(displayHeight) * width / height);
    return true;
}

}  // namespace

bool ApplyImageSize(FrameVector& frames, int index, const ImageSizeValues& values) {
    if (values.width <= 0 || values.height <= 0 || int64_t(values.width) * values.height > kMaxImagePixels)
        return false;
    if (index < 0 || size_t(index) >= frames.size()) return true;
    const size_t first = values.applyAll ? 0 : size_t(index);
    const size_t last = values.applyAll ? frames.size() : size_t(index) + 1;
    for (size_t i = first; i < last; ++i) {
        RawImage* frame = frames[i];
        if (!frame || !ResizeFrame(*frame, values.width, values.height)) continue;
        frame->pause = values.pause;
        frame->redThreshold = values.red;
        frame->greenThreshold = values.green;
        frame->blueThreshold = values.blue;
    }
    return true;
}

}  // namespace ledsuite
