#include "toolkit/qt_image.h"

namespace ledsuite {

std::unique_ptr<RawImage> CreateImageFromHBitmap(const QImage& bitmap) {
    if (bitmap.isNull()) return nullptr;
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    auto image = std::make_unique<RawImage>();
    if (!LoadImageFromBitmap(*image, reinterpret_cast<const uint32_t*>(rgb.constBits()), rgb.width(), rgb.height(),
                             int(rgb.bytesPerLine())))
        return nullptr;
    image->displayWidth = image->width;
    image->displayHeight = image->height;
    return image;
}

QImage ImageToQImage(const RawImage& image) {
    const std::vector<uint32_t> pixels = ImageToScaledHBitmap(image);
    if (pixels.empty()) return {};
    QImage out(image.displayWidth, image.displayHeight, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t* src = pixels.data() + size_t(y) * out.width();
        for (int x = 0; x < out.width(); ++x) row[x] = 0xFF000000u | src[x];  // RGB32 wants an opaque alpha byte
    }
    return out;
}

}  // namespace ledsuite
