#include "content/preview/canvas_snapshot.h"

#include <stb/stb_image_write.h>

#include <algorithm>

#include "content/preview/canvas_drawing.h"
#include "content/preview/layout_canvas.h"
#include "content/model/paths.h"
#include "content/preview/preview_player.h"

namespace ledsuite {

namespace {

// A canvas showing the tree's screen at the zoom from the picture's top-left.
void FrameCanvas(LayoutCanvas& canvas, ProgramTree& tree, RenderContext& rc, size_t set, int zoom) {
    InitCanvas(canvas, rc);
    canvas.tree = &tree;
    canvas.selection = {1, set, 0};
    canvas.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    ResizeCanvas(canvas, LedSide(tree.screen().width) * canvas.zoom, LedSide(tree.screen().height) * canvas.zoom);
}

}  // namespace

RawImage RenderLayoutPicture(ProgramTree& tree, RenderContext& rc, size_t set, int zoom) {
    if (set >= tree.sets().size()) return {};
    LayoutCanvas canvas;
    FrameCanvas(canvas, tree, rc, set, zoom);
    return std::move(canvas.backImage);
}

std::vector<RawImage> RenderPreviewPictures(ProgramTree& tree, RenderContext& rc, std::span<const uint64_t> times,
                                            int zoom) {
    std::vector<RawImage> pictures;
    LayoutCanvas canvas;
    FrameCanvas(canvas, tree, rc, 0, zoom);
    uint64_t now = 0;
    canvas.clock = [&now] { return now; };
    SetPreviewRunning(canvas, true);
    for (uint64_t t : times) {
        while (now + kPreviewRoundMs <= t) {
            now += kPreviewRoundMs;
            PreviewThreadProc(canvas);
        }
        pictures.push_back(canvas.backImage);
    }
    ReleaseCanvas(canvas);
    return pictures;
}

std::vector<PreviewHold> PreviewHolds(ProgramTree& tree, RenderContext& rc, uint64_t untilMs) {
    std::vector<PreviewHold> holds;
    LayoutCanvas canvas;
    FrameCanvas(canvas, tree, rc, 0, 1);
    uint64_t now = 0;
    canvas.clock = [&now] { return now; };
    SetPreviewRunning(canvas, true);
    std::vector<uint8_t> last;
    while (now + kPreviewRoundMs <= untilMs) {
        now += kPreviewRoundMs;
        PreviewThreadProc(canvas);
        const RawImage& picture = canvas.backImage;
        if (!holds.empty() && picture.pixels == last) {
            ++holds.back().rounds;
            continue;
        }
        last = picture.pixels;
        int lit = 0;
        for (int y = 0; y < picture.height; ++y)
            lit += int(std::count_if(picture.row32(y), picture.row32(y) + picture.width, [](uint32_t px) { return px != 0; }));
        holds.push_back({now, 1, lit});
    }
    ReleaseCanvas(canvas);
    return holds;
}

int WritePngFile(const RawImage& image, const std::string& path) {
    if (!image.is32()) return 0;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.row32(y)[x];
            rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    std::vector<uint8_t> png;
    const int ok = stbi_write_png_to_func(
        [](void* ctx, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(ctx);
            out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &png, image.width, image.height, 3, rgb.data(), image.width * 3);
    return ok && WriteFileAtomic(path, png.data(), png.size()) ? 1 : 0;
}

}  // namespace ledsuite
