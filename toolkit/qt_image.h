#pragma once
// RawImage pictures as Qt images and back (32-bit 0x00RRGGBB on both sides).
#include <memory>

#include <QImage>

#include "content/model/raw_image.h"

namespace ledsuite {

// A 32-bit image of the bitmap's pixels, display size = pixel size, default
// thresholds and pause; null for a null bitmap.
std::unique_ptr<RawImage> CreateImageFromHBitmap(const QImage& bitmap);
// The image at its display size (ImageToScaledHBitmap); a null QImage when it has
// no pixels or no display size.
QImage ImageToQImage(const RawImage& image);

}  // namespace ledsuite
