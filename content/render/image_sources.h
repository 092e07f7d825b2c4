#pragma once
// Where RawImage frames come from: picture files (every frame of an animated GIF),
// the built-in border patterns and dissolve masks, and the picture folders that
// fill the icon pickers and the frame list ("zu_clock", "zu_img", "zu_frame").
#include <string>
#include <vector>

#include "content/render/dissolve_random.h"
#include "content/render/image_decode.h"
#include "content/model/raw_image.h"

namespace ledsuite {

// No loaded frame keeps more rows than this: taller frames are scaled down.
constexpr int kMaxLoadedRows = 512;

// Appends one 32-bit frame per frame of the decoded picture (display size =
// pixel size, pause 30), each scaled to at most 512 rows keeping its aspect,
// with per-channel thresholds chosen by OtsuThreshold. Returns 1.
int LoadGdiplusFrames(const DecodedImage& loaded, FrameVector& frames);
// Loads a picture file into `frames` (appending). 1 when at least one frame was
// appended; 0 for a null vector or a file that cannot be read as a picture
// (nothing is appended then).
int LoadImageFile(FrameVector* frames, const std::string& path);

// Built-in border styles.
enum BorderStyle : int {
    kBorderCorners = 0x1000,   // four 16 x 16 sprites
    kBorderDissolve = 0x1001,  // the 16 x 16 dissolve mask sequence
};
// Appends the frames of a built-in pattern: styles 2 to 8 give the pattern for the
// four sides (turned by 90, as is, by 270, by 180), 0x1000 the four sprites,
// 0x1001 the dissolve masks from empty to full (at most 16), drawn from `random`
// (a fresh generator seeded with 1 when none is given). Returns 1, or 0 for a
// null vector or another style.
int MakeBorderFrames(FrameVector* frames, int style, DissolveRandom* random = nullptr);

// The frames a border of `borderType` shows down the left side, along the top, down
// the right side and along the bottom. The frames stand in that order and the last
// one serves the sides that have none, so the one tile the frame editor makes borders
// all four sides; null frames are passed over and no frame gives four nulls. The
// patterns of types 6 and 7 show their top frame on every side, as the card keeps a
// single image for them. The canvas, the preview and the encoder all draw these.
std::array<const RawImage*, 4> BorderSideFrames(const FrameVector& frames, int borderType);

// Appends, in name order, one 32-bit image per picture file (".bmp", ".jpg", ".png",
// ".ico", ".gif", any case) of the resource folder `folder` (ResourcePath): a
// ".bmp" as it is, any other file's first frame at its display size. Its full path
// goes to `paths` when given; a file that does not load adds neither, so the two
// lists stay side by side. Returns the number of pictures added (0 when the folder
// cannot be listed).
size_t ScanImageFolder(const std::string& folder, FrameVector& bitmaps, std::vector<std::string>* paths);
// The same for a folder given by its path.
size_t ScanImageDirectory(const std::string& dir, FrameVector& bitmaps, std::vector<std::string>* paths);

}  // namespace ledsuite
