// ".lcs" files drawn by the layout canvas and played by the preview: every record field
// read from the file (screen size, areas, effects, speeds, borders) reaches the canvas.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/preview/canvas_snapshot.h"
#include "content/render/font_renderer.h"
#include "content/card/program_file.h"

using namespace ledsuite;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FontRenderer fonts;
    static const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    static RenderContext rc(fonts, tables);
    ProgramTree tree;
    LoadProgramFile(tree, {data, size});
    // Screens up to the card limits are allowed; the target keeps them small so that
    // each input runs fast (the limit itself is pinned by the canvas tests).
    tree.screen().width = uint16_t(tree.screen().width % 97);
    tree.screen().height = uint16_t(tree.screen().height % 61);
    RenderLayoutPicture(tree, rc, 0, 2);
    const std::vector<uint64_t> times{10, 200, 1500};
    RenderPreviewPictures(tree, rc, times, 1);
    return 0;
}
