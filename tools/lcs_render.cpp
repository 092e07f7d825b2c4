// lcs_render: pictures of an ".lcs" program file, to look at the layout and the
// preview without the application.
//
//   lcs_render FILE.lcs OUTDIR [ZOOM [MS ...]]
//
// Writes OUTDIR/layout_<n>.png for every program set n (the canvas picture at ZOOM,
// default 4) and OUTDIR/preview_<ms>.png for each time MS of a preview started at 0.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/preview/canvas_snapshot.h"
#include "content/render/font_renderer.h"
#include "content/render/font_tables.h"
#include "content/card/program_file.h"

using namespace ledsuite;

namespace {

bool ParseNumber(const char* text, long max, long& out) {
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && *end == 0 && end != text && out >= 0 && out <= max;
}

int Write(const RawImage& image, const std::string& path) {
    if (WritePngFile(image, path)) return 0;
    std::fprintf(stderr, "lcs_render: cannot write %s\n", path.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lcs_render FILE.lcs OUTDIR [ZOOM [MS ...]]\n");
        return 2;
    }
    long zoom = 4;
    if (argc > 3 && !ParseNumber(argv[3], 30, zoom)) {
        std::fprintf(stderr, "lcs_render: the zoom is 1 to 30\n");
        return 2;
    }
    std::vector<uint64_t> times;
    for (int i = 4; i < argc; ++i) {
        long ms = 0;
        if (!ParseNumber(argv[i], 24L * 3600 * 1000, ms)) {
            std::fprintf(stderr, "lcs_render: %s is not a time in milliseconds\n", argv[i]);
            return 2;
        }
        times.push_back(uint64_t(ms));
    }
    ProgramTree tree;
    if (const int r = OpenProgramFile(argv[1], tree); r != 0) {
        std::fprintf(stderr, "lcs_render: %s cannot be read (%d)\n", argv[1], r);
        return 1;
    }
    BuildFontTables();
    SetDefaultCardFonts(tree.screen().fontChip);
    const FontTables tables = MakeFaceLists<FontTables>();
    FontRenderer fonts;
    RenderContext rc(fonts, tables);
    const std::string dir = argv[2];
    int failed = 0;
    for (size_t set = 0; set < tree.sets().size(); ++set)
        failed |= Write(RenderLayoutPicture(tree, rc, set, int(zoom)), dir + "/layout_" + std::to_string(set) + ".png");
    std::sort(times.begin(), times.end());
    const std::vector<RawImage> frames = RenderPreviewPictures(tree, rc, times, int(zoom));
    for (size_t i = 0; i < frames.size(); ++i)
        failed |= Write(frames[i], dir + "/preview_" + std::to_string(times[i]) + ".png");
    std::printf("%zu program sets, %zu preview pictures\n", tree.sets().size(), frames.size());
    return failed;
}
