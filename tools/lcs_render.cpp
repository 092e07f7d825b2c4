// lcs_render: pictures of an ".lcs" program file, to look at the layout and the
// preview without the application.
//
//   lcs_render FILE.lcs OUTDIR [ZOOM [MS ...]]
//   lcs_render --holds FILE.lcs UNTIL_MS
//
// Writes OUTDIR/layout_<n>.png for every program set n (the canvas picture at ZOOM,
// default 4) and OUTDIR/preview_<ms>.png for each time MS of a preview started at 0
// (without times: 0, 1000, 2000, 3000 and 4000). OUTDIR is made when missing.
// With --holds it plays the preview up to UNTIL_MS and prints, picture after picture,
// when each appears, how many 10 ms rounds it stays and how many LEDs it lights: the
// pauses are the long holds.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
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

// The fonts of the tree's screen, as the application sets them up.
struct Fonts {
    FontTables tables;
    FontRenderer renderer;
    RenderContext rc;
    explicit Fonts(const ProgramTree& tree) : tables(Tables(tree)), rc(renderer, tables) {}
    static FontTables Tables(const ProgramTree& tree) {
        BuildFontTables();
        SetDefaultCardFonts(tree.screen().fontChip);
        return MakeFaceLists<FontTables>();
    }
};

bool Open(const char* path, ProgramTree& tree) {
    if (const int r = OpenProgramFile(path, tree); r != 0) {
        std::fprintf(stderr, "lcs_render: %s cannot be read (%d)\n", path, r);
        return false;
    }
    return true;
}

int PrintHolds(const char* path, const char* until) {
    long ms = 0;
    if (!ParseNumber(until, 24L * 3600 * 1000, ms)) {
        std::fprintf(stderr, "lcs_render: %s is not a time in milliseconds\n", until);
        return 2;
    }
    ProgramTree tree;
    if (!Open(path, tree)) return 1;
    Fonts fonts(tree);
    const std::vector<PreviewHold> holds = PreviewHolds(tree, fonts.rc, uint64_t(ms));
    for (const PreviewHold& h : holds)
        std::printf("%llu ms: %d rounds, %d lit\n", static_cast<unsigned long long>(h.fromMs), h.rounds, h.lit);
    std::printf("%zu pictures\n", holds.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--holds") return PrintHolds(argv[2], argv[3]);
    if (argc < 3) {
        std::fprintf(stderr, "usage: lcs_render FILE.lcs OUTDIR [ZOOM [MS ...]]\n"
                             "       lcs_render --holds FILE.lcs UNTIL_MS\n");
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
    if (times.empty()) times = {0, 1000, 2000, 3000, 4000};  // the first seconds of the preview
    ProgramTree tree;
    if (!Open(argv[1], tree)) return 1;
    const std::string dir = argv[2];
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        std::fprintf(stderr, "lcs_render: cannot make the folder %s (%s)\n", dir.c_str(), made.message().c_str());
        return 1;
    }
    Fonts fonts(tree);
    RenderContext& rc = fonts.rc;
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
