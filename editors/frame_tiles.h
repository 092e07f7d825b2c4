#pragma once
// The border tiles of the frame editor as plain data: the 16 x 8 grid of 3-bit cells the
// user draws, where a click lands, the colour a screen shows a cell in, turning a tile
// picture into cells and cells into a picture, and the tile files. Tiles are read from the
// resource folder "zu_frame" and from the user's own "zu_frame" folder; only the latter is
// written to or deleted from. Each tile keeps the path of its own file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "content/model/raw_image.h"

namespace ledsuite {

inline constexpr int kFrameGridColumns = 16;
inline constexpr int kFrameGridRows = 8;
inline constexpr int kFrameCellPixels = 15;
inline constexpr int kFrameGridLeft = 130;  // client pixels of the grid's top-left corner
inline constexpr int kFrameGridTop = 15;
inline constexpr int kMaxFrameTileNumber = 1999;

// Cell (x, y) is cells[y][x]: bit 0 red, 1 green, 2 blue.
using FrameCells = std::array<std::array<uint8_t, kFrameGridColumns>, kFrameGridRows>;
// The one grid all frame editors of the process share.
FrameCells& SharedFrameCells();

// The channels (a 0x00BBGGRR mask) a screen of that colour code shows: 5 red only, 12
// and 17 red and green, 13 and 16 green and blue, 14 and 15 red and blue, any other
// code nothing.
uint32_t FrameCellMask(int colorCode);

// The cell under a client point; {-1, -1} outside the 16 x 8 grid.
struct FrameCellHit {
    int x = -1;
    int y = -1;
    bool valid() const { return x >= 0; }
};
FrameCellHit FrameCellAt(int px, int py);

// A tile picture as cells: the picture cut to its top-left 16 x 8 at most, each channel
// on where it is at or above its Otsu threshold; cells outside the picture cleared.
// Returns the used size (0 x 0, every cell cleared, for an image without 32-bit pixels).
ImageSize CellsFromTile(const RawImage& tile, FrameCells& cells);
// The top-left width x height cells as a 32-bit picture of full-intensity colours.
RawImage TileFromCells(const FrameCells& cells, int width, int height);

struct FrameTile {
    RawImage image;
    std::string path;
    bool userOwned = false;  // in the user's folder: may be deleted
};
// "<folder>/<n>.bmp".
std::string BorderFrameFile(const std::string& folder, int number);
// The tiles of the resource folder, then those of the user's folder, each in name order.
std::vector<FrameTile> LoadFrameTiles(const std::string& resourceFolder, const std::string& userFolder);
// The first number 0..1999 whose file exists in none of the folders; -1 when all do.
int FirstFreeTileNumber(const std::vector<std::string>& folders);
// Writes the cells as a new tile "<userFolder>/<n>.bmp" (the folder made when missing),
// n free in every one of `folders`; the new tile, or an empty path when nothing was saved.
FrameTile SaveFrameTile(const FrameCells& cells, int width, int height, const std::string& userFolder,
                        const std::vector<std::string>& folders);
// Deletes exactly the entry's own file and then the entry. False (nothing changed) for an
// index outside the list, a tile of the resource folder or a file that cannot be removed.
bool DeleteFrameTile(std::vector<FrameTile>& tiles, int index);
// The tile becomes the border's one frame (the encoder spreads it over the four sides);
// without a tile the frames stay as they are (false).
bool SetCustomBorderTile(const FrameTile* tile, FrameVector& frames);

}  // namespace ledsuite
