#include "content/render/image_sources.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "content/render/otsu_threshold.h"
#include "content/model/paths.h"

namespace ledsuite {

namespace {

struct BorderPattern {
    int width;
    int height;
    std::vector<uint8_t> bits;
};

// Side patterns of styles 2 to 8: 1-bit rows, lowest bit leftmost.
const BorderPattern* SidePattern(int style) {
    static const std::array<BorderPattern, 7> kPatterns = {{
        {8, 1, {0xFF}},
        {8, 1, {0x0F}},
        {16, 1, {0xF0, 0x0F}},
        {5, 3, {0x1F, 0x0E, 0x04}},
        {8, 8, {0x00, 0x18, 0x3C, 0x7E, 0x7E, 0x3C, 0x18, 0x00}},
        {14, 12, {0x40, 0x00, 0xC0, 0x00, 0xE0, 0x00, 0xE0, 0x01, 0xFF, 0x3F, 0xFE, 0x1F,
                  0xFC, 0x0F, 0xF0, 0x03, 0xF0, 0x03, 0xF8, 0x07, 0x38, 0x07, 0x0C, 0x0C}},
        {5, 2, {0x0E, 0x04}},
    }};
    return style >= 2 && style <= 8 ? &kPatterns[size_t(style - 2)] : nullptr;
}

// The four 16 x 16 sprites of style 0x1000, two bytes per row.
constexpr uint8_t kCornerSprites[4][32] = {
    {0x00, 0x38, 0x00, 0x7C, 0x00, 0x7E, 0x00, 0x7F, 0x80, 0x3F, 0xC0, 0x1F, 0xE0, 0x0F, 0xF0, 0x07,
     0xF8, 0x03, 0xFC, 0x01, 0xFE, 0x00, 0x7E, 0x00, 0x3F, 0x00, 0x1F, 0x00, 0x03, 0x00, 0x00, 0x00},
    {0x00, 0x03, 0x80, 0x07, 0xC0, 0x0F, 0xE0, 0x1F, 0xF0, 0x3F, 0xF8, 0x5F, 0xFC, 0x6F, 0xFC, 0x77,
     0xFA, 0x3B, 0xF6, 0x1D, 0xEE, 0x0E, 0x5E, 0x07, 0xBC, 0x03, 0xB8, 0x01, 0xB0, 0x00, 0x00, 0x00},
    {0x1C, 0x00, 0x3E, 0x00, 0x7E, 0x00, 0xFE, 0x00, 0xFC, 0x01, 0xF8, 0x03, 0xF0, 0x07, 0xE0, 0x0F,
     0xC0, 0x1F, 0x80, 0x3F, 0x00, 0x7F, 0x00, 0x7E, 0x00, 0xFC, 0x00, 0xF8, 0x00, 0xC0, 0x00, 0x00},
    {0xC0, 0x00, 0xE0, 0x01, 0xF0, 0x03, 0xF8, 0x07, 0xFC, 0x0F, 0xFA, 0x1F, 0xF6, 0x3F, 0xEE, 0x3F,
     0xDC, 0x5F, 0xB8, 0x6F, 0x70, 0x77, 0xE0, 0x7A, 0xC0, 0x3D, 0x80, 0x1D, 0x00, 0x0D, 0x00, 0x00},
};

std::unique_ptr<RawImage> MaskImage(std::span<const uint8_t> bits, int width, int height) {
    auto image = std::make_unique<RawImage>();
    ImageFromBitMask(image.get(), bits, width, height);
    return image;
}

// Empty, then rounds n = 15 down to 2 in which each clear bit is set with a chance
// of about 1 in n, then full; ends early once a round finds the mask full.
void AppendDissolveMasks(FrameVector& frames, DissolveRandom& random) {
    std::array<uint8_t, 32> mask{};
    frames.push_back(MaskImage(mask, 16, 16));
    for (int n = 15; n >= 2; --n) {
        const bool wasFull = std::all_of(mask.begin(), mask.end(), [](uint8_t b) { return b == 0xFF; });
        for (int bit = 0; bit < 256; ++bit) {
            uint8_t& byte = mask[size_t(bit >> 3)];
            const uint8_t m = uint8_t(1u << (bit & 7));
            if (!(byte & m) && random.Next() * n < DissolveRandom::kMax) byte |= m;
        }
        frames.push_back(MaskImage(mask, 16, 16));
        if (wasFull) return;
    }
    mask.fill(0xFF);
    frames.push_back(MaskImage(mask, 16, 16));
}

// The last four characters in small letters ("" for a shorter name).
std::string LowerExtension(const std::string& name) {
    if (name.size() < 4) return {};
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool HasPictureExtension(const std::string& name) {
    const std::string ext = LowerExtension(name);
    return ext == ".bmp" || ext == ".jpg" || ext == ".png" || ext == ".ico" || ext == ".gif";
}

}  // namespace

int LoadGdiplusFrames(const DecodedImage& loaded, FrameVector& frames) {
    for (const auto& pixels : loaded.frames) {
        auto image = std::make_unique<RawImage>();
        if (pixels.size() < size_t(loaded.width) * loaded.height ||
            !LoadImageFromBitmap(*image, pixels.data(), loaded.width, loaded.height, loaded.width * 4))
            continue;
        image->displayWidth = image->width;
        image->displayHeight = image->height;
        if (image->height > kMaxLoadedRows) {
            image->displayHeight = kMaxLoadedRows;
            image->displayWidth = std::max(1, int((int64_t(image->width) << 9) / image->height));
            auto scaled = ScaleImage(*image);
            if (!scaled) continue;
            image = std::move(scaled);
        }
        const uint8_t* base = image->pixels.data();
        image->blueThreshold = uint8_t(OtsuThreshold(image->height, image->width, base, 4));
        image->greenThreshold = uint8_t(OtsuThreshold(image->height, image->width, base + 1, 4));
        image->redThreshold = uint8_t(OtsuThreshold(image->height, image->width, base + 2, 4));
        frames.push_back(std::move(image));
    }
    return 1;
}

int LoadImageFile(FrameVector* frames, const std::string& path) {
    if (!frames) return 0;
    const size_t before = frames->size();
    LoadGdiplusFrames(DecodeImageFile(path), *frames);
    return frames->size() > before ? 1 : 0;
}

std::array<const RawImage*, 4> BorderSideFrames(const FrameVector& frames, int borderType) {
    std::array<const RawImage*, 4> sides{};
    size_t n = 0;
    for (size_t i = 0; i < frames.size() && n < sides.size(); ++i)
        if (frames[i]) sides[n++] = frames[i];
    if (n == 0) return sides;
    for (size_t i = n; i < sides.size(); ++i) sides[i] = sides[n - 1];
    if (borderType == 6 || borderType == 7) sides.fill(sides[1]);
    return sides;
}

int MakeBorderFrames(FrameVector* frames, int style, DissolveRandom* random) {
    if (!frames) return 0;
    if (const BorderPattern* p = SidePattern(style)) {
        auto pattern = MaskImage(p->bits, p->width, p->height);
        auto quarter = RotateImage(*pattern, 270);
        auto half = RotateImage(*quarter, 270);
        frames->push_back(RotateImage(*pattern, 90));
        frames->push_back(std::move(pattern));
        frames->push_back(std::move(quarter));
        frames->push_back(std::move(half));
        return 1;
    }
    if (style == kBorderCorners) {
        for (const auto& sprite : kCornerSprites) frames->push_back(MaskImage(sprite, 16, 16));
        return 1;
    }
    if (style == kBorderDissolve) {
        DissolveRandom fresh;
        AppendDissolveMasks(*frames, random ? *random : fresh);
        return 1;
    }
    return 0;
}

size_t ScanImageFolder(const std::string& folder, FrameVector& bitmaps, std::vector<std::string>* paths) {
    return ScanImageDirectory(ResourcePath(folder), bitmaps, paths);
}

size_t ScanImageDirectory(const std::string& dir, FrameVector& bitmaps, std::vector<std::string>* paths) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) continue;
        std::string name = it->path().filename().string();
        if (HasPictureExtension(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());

    size_t added = 0;
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        std::unique_ptr<RawImage> bitmap;
        if (LowerExtension(name) == ".bmp") {  // taken as it is, without the row limit
            DecodedImage decoded = DecodeImageFile(path);
            bitmap = std::make_unique<RawImage>();
            if (decoded.frames.empty() ||
                !LoadImageFromBitmap(*bitmap, decoded.frames[0].data(), decoded.width, decoded.height,
                                     decoded.width * 4))
                continue;
            bitmap->displayWidth = bitmap->width;
            bitmap->displayHeight = bitmap->height;
        } else {
            FrameVector loaded;
            if (!LoadImageFile(&loaded, path) || !(bitmap = ScaleImage(*loaded[0]))) continue;
        }
        bitmaps.push_back(std::move(bitmap));
        if (paths) paths->push_back(path);
        ++added;
    }
    return added;
}

}  // namespace ledsuite
