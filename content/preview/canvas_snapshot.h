#pragma once
// Pictures of a program tree without a window: the layout of a program set and the
// preview at given times, composed by the layout canvas on a canvas of the screen's
// size at a zoom. tools/lcs_render writes them as PNG files; the preview's picture
// tests compare them.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/model/program_tree.h"
#include "content/model/raw_image.h"
#include "content/render/render_context.h"

namespace ledsuite {

// The canvas picture of program set `set` (no area selected), the screen at
// `zoom` (1..30) filling the picture. Empty when the tree has no such set.
RawImage RenderLayoutPicture(ProgramTree& tree, RenderContext& rc, size_t set, int zoom);

// Plays the preview from time 0 and returns the picture at each time in `times`
// (milliseconds, taken in rising order), as RenderLayoutPicture frames it.
std::vector<RawImage> RenderPreviewPictures(ProgramTree& tree, RenderContext& rc, std::span<const uint64_t> times,
                                            int zoom);

// A stretch of the preview during which the screen's picture stays the same: its pauses
// show as long holds.
struct PreviewHold {
    uint64_t fromMs = 0;  // the time of its first round
    int rounds = 0;       // how many 10 ms rounds it stays
    int lit = 0;          // LEDs lit in it
};

// Plays the preview from time 0 up to `untilMs`, one picture of the screen per round,
// and returns its holds in order.
std::vector<PreviewHold> PreviewHolds(ProgramTree& tree, RenderContext& rc, uint64_t untilMs);

// Writes a 32-bit image as an RGB PNG through a temporary file and a rename; 1 on
// success, 0 for an image without pixels or a file that cannot be written.
int WritePngFile(const RawImage& image, const std::string& path);

}  // namespace ledsuite
