#include "content/render/otsu_threshold.h"

#include <array>
#include <cstddef>

namespace ledsuite {

int OtsuThreshold(int height, int width, const uint8_t* pixels, int bytesPerPixel) {
    if (!pixels || height < 1 || width < 1 || bytesPerPixel < 1) return 1;
    const size_t stride = (size_t(width) * bytesPerPixel + 3) & ~size_t(3);
    std::array<double, 256> p{};
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + stride * y;
        for (int x = 0; x < width; ++x) p[row[size_t(x) * bytesPerPixel]] += 1.0;
    }
    const double unit = 1.0 / (double(width) * height);
    double meanTotal = 0;
    for (int t = 0; t < 256; ++t) {
        p[t] *= unit;
        meanTotal += t * p[t];
    }
    // t is the last level of the darker class; the result is the first level of the
    // brighter one, since a channel counts as lit at or above its threshold.
    double w0 = 0, s0 = 0, best = 0;
    int result = 0;
    for (int t = 0; t < 255; ++t) {
        w0 += p[t];
        s0 += t * p[t];
        const double w1 = 1.0 - w0;
        if (w0 < unit) continue;
        if (w1 < unit) break;
        const double d = s0 / w0 - (meanTotal - s0) / w1;
        const double between = w0 * w1 * d * d;
        if (between > best) {
            best = between;
            result = t;
        }
    }
    return result + 1;
}

}  // namespace ledsuite
