// The frame editor's grid, tile pictures and tile files.
#include "editors/frame_tiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "content/render/image_sources.h"
#include "content/render/otsu_threshold.h"

namespace ledsuite {

namespace fs = std::filesystem;

FrameCells& SharedFrameCells() {
    static FrameCells cells{};
    return cells;
}

uint32_t FrameCellMask(int colorCode) {
    switch (colorCode) {
    case 5: return 0x0000FF;           // red
    case 12: case 17: return 0x00FFFF;  // red and green
    case 13: case 16: return 0xFFFF00;  // green and blue
    case 14: case 15: return 0xFF00FF;  // red and blue
    default: return 0;                 // no colour this editor knows: cells show black
    }
}

FrameCellHit FrameCellAt(int px, int py) {
    // Points left of or above the grid are refused before dividing: integer division
    // rounds towards zero and would put them in the first column or row.
    if (px < kFrameGridLeft || py < kFrameGridTop) return {};
    const int x = (px - kFrameGridLeft) / kFrameCellPixels;
    const int y = (py - kFrameGridTop) / kFrameCellPixels;
    if (x >= kFrameGridColumns || y >= kFrameGridRows) return {};
    return {x, y};
}

ImageSize CellsFromTile(const RawImage& tile, FrameCells& cells) {
    for (auto& row : cells) row.fill(0);
    if (!tile.is32()) return {};
    RawImage cut = tile;
    const int width = std::min(cut.width, kFrameGridColumns);
    const int height = std::min(cut.height, kFrameGridRows);
    if (!ResizeImageCanvas(cut, width, height)) return {};
    // Pixels are 0x00RRGGBB, stored blue, green, red from the lowest byte.
    const uint8_t* base = cut.pixels.data();
    const int blue = OtsuThreshold(height, width, base, 4);
    const int green = OtsuThreshold(height, width, base + 1, 4);
    const int red = OtsuThreshold(height, width, base + 2, 4);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = cut.row32(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            cells[size_t(y)][size_t(x)] = uint8_t((int(p >> 16 & 0xFF) >= red ? 1 : 0) |
                                                  (int(p >> 8 & 0xFF) >= green ? 2 : 0) |
                                                  (int(p & 0xFF) >= blue ? 4 : 0));
        }
    }
    return {width, height};
}

RawImage TileFromCells(const FrameCells& cells, int width, int height) {
    RawImage image;
    width = std::clamp(width, 1, kFrameGridColumns);
    height = std::clamp(height, 1, kFrameGridRows);
    ResetImage(image, width, height);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = image.row32(y);
        for (int x = 0; x < width; ++x) {
            const uint8_t bits = cells[size_t(y)][size_t(x)];
            row[x] = (bits & 1 ? 0xFF0000u : 0u) | (bits & 2 ? 0x00FF00u : 0u) | (bits & 4 ? 0x0000FFu : 0u);
        }
    }
    return image;
}

std::string BorderFrameFile(const std::string& folder, int number) {
    return folder + "/" + std::to_string(number) + ".bmp";
}

std::vector<FrameTile> LoadFrameTiles(const std::string& resourceFolder, const std::string& userFolder) {
    std::vector<FrameTile> tiles;
    const std::string folders[] = {resourceFolder, userFolder};
    for (int i = 0; i < 2; ++i) {
        // The same folder given twice (no separate user folder) is listed once.
        std::error_code ec;
        if (folders[i].empty() || (i == 1 && fs::equivalent(folders[0], folders[1], ec))) continue;
        FrameVector images;
        std::vector<std::string> paths;
        ScanImageDirectory(folders[i], images, &paths);
        for (size_t k = 0; k < images.size(); ++k) tiles.push_back({*images[k], paths[k], i == 1});
    }
    return tiles;
}

int FirstFreeTileNumber(const std::vector<std::string>& folders) {
    for (int n = 0; n <= kMaxFrameTileNumber; ++n) {
        const bool taken = std::any_of(folders.begin(), folders.end(), [n](const std::string& folder) {
            std::error_code ec;
            return fs::exists(BorderFrameFile(folder, n), ec);
        });
        if (!taken) return n;
    }
    return -1;
}

FrameTile SaveFrameTile(const FrameCells& cells, int width, int height, const std::string& userFolder,
                        const std::vector<std::string>& folders) {
    std::error_code ec;
    fs::create_directories(userFolder, ec);
    std::vector<std::string> all = folders;
    all.push_back(userFolder);
    const int number = FirstFreeTileNumber(all);
    if (number < 0) return {};
    FrameTile tile{TileFromCells(cells, width, height), BorderFrameFile(userFolder, number), true};
    if (!WriteBmpFile(tile.image, tile.path)) return {};
    return tile;
}

bool DeleteFrameTile(std::vector<FrameTile>& tiles, int index) {
    if (index < 0 || size_t(index) >= tiles.size() || !tiles[size_t(index)].userOwned) return false;
    std::error_code ec;
    if (!fs::remove(tiles[size_t(index)].path, ec) || ec) return false;
    tiles.erase(tiles.begin() + index);
    return true;
}

bool SetCustomBorderTile(const FrameTile* tile, FrameVector& frames) {
    if (!tile || !tile->image.hasPixels()) return false;
    frames.clear();
    frames.push_back(std::make_unique<RawImage>(tile->image));
    return true;
}

}  // namespace ledsuite
