// Frame editor tiles: grid, colours, pictures and files.
#include "editors/frame_tiles.h"

#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

namespace fs = std::filesystem;

RawImage Picture(int width, int height, uint32_t (*pixel)(int x, int y)) {
    RawImage image;
    ResetImage(image, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.row32(y)[x] = pixel(x, y);
    return image;
}

TEST(FrameTiles, MaskTableAndHitCell) {
    const struct { int code; uint32_t mask; } masks[] = {
        {5, 0x0000FF}, {12, 0x00FFFF}, {17, 0x00FFFF}, {13, 0xFFFF00}, {16, 0xFFFF00},
        {14, 0xFF00FF}, {15, 0xFF00FF}, {0, 0}, {6, 0}, {11, 0}, {18, 0}, {255, 0},
    };
    for (const auto& row : masks) EXPECT_EQ(FrameCellMask(row.code), row.mask) << row.code;
    // pixel -> cell; x = -1 outside the grid (a point left of it is not column 0)
    const struct { int px, py, x, y; } hits[] = {
        {130, 15, 0, 0}, {130 + 15 * 16 - 1, 15 + 15 * 8 - 1, 15, 7}, {130 + 15 * 3 + 14, 15 + 15 * 2, 3, 2},
        {129, 20, -1, -1}, {140, 14, -1, -1}, {130 + 15 * 16, 20, -1, -1}, {140, 15 + 15 * 8, -1, -1},
        {-100, -100, -1, -1}};
    for (const auto& h : hits) {
        const FrameCellHit hit = FrameCellAt(h.px, h.py);
        EXPECT_EQ(std::tuple(hit.x, hit.valid() ? hit.y : -1), std::tuple(h.x, h.y)) << h.px << "," << h.py;
    }
}

TEST(FrameTiles, LargeTileIsCutToItsTopLeftPart) {
    // 32 x 16: red where x < 16 and y < 8, blue elsewhere; green on the diagonal.
    const RawImage tile = Picture(32, 16, [](int x, int y) -> uint32_t {
        const uint32_t base = x < 16 && y < 8 ? 0xFF0000 : 0x0000FF;
        return base | (x == y ? 0x00FF00 : 0);
    });
    FrameCells cells;
    for (auto& row : cells) row.fill(7);
    const ImageSize size = CellsFromTile(tile, cells);
    EXPECT_EQ(std::tuple(size.width, size.height), std::tuple(16, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(cells[y][x], x == y ? 3 : 1) << x << "," << y;

    // A small tile clears every cell outside it.
    const RawImage small = Picture(2, 1, [](int x, int) -> uint32_t { return x ? 0xFFFFFF : 0; });
    EXPECT_EQ(CellsFromTile(small, cells).width, 2);
    EXPECT_EQ(std::tuple(cells[0][0], cells[0][1], cells[3][3]), std::tuple(0, 7, 0));
    EXPECT_EQ(CellsFromTile(RawImage{}, cells).width, 0);
}

TEST(FrameTiles, CellsBecomeFullIntensityPixels) {
    FrameCells cells{};
    cells[0][0] = 1, cells[0][1] = 2, cells[1][0] = 4, cells[1][1] = 3;
    const RawImage image = TileFromCells(cells, 2, 2);
    ASSERT_TRUE(image.is32());
    EXPECT_EQ(std::tuple(image.row32(0)[0], image.row32(0)[1], image.row32(1)[0], image.row32(1)[1]),
              std::tuple(0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u));
    FrameCells back;
    EXPECT_EQ(std::tuple(CellsFromTile(image, back).height, back), std::tuple(2, cells));
    EXPECT_EQ(TileFromCells(cells, 99, 0).width, 16);  // sizes held to the grid
}

TEST(FrameTiles, SaveTakesTheFirstFreeNumberAndDeleteRemovesTheEntrysOwnFile) {
    testing::TempDir dir;
    auto sub = [&dir](const char* name) { return (dir.path / name).string(); };
    const std::string res = sub("res"), user = sub("user");
    fs::create_directories(res);
    FrameCells cells{};
    cells[0][0] = 1;
    for (int n = 0; n < 5; ++n) ASSERT_EQ(WriteBmpFile(TileFromCells(cells, 4, 2), BorderFrameFile(res, n)), 1);
    EXPECT_EQ(FirstFreeTileNumber({res}), 5);
    EXPECT_EQ(FirstFreeTileNumber({sub("none")}), 0);

    EXPECT_EQ(SaveFrameTile(cells, 1, 1, sub("fresh"), {}).path, sub("fresh") + "/0.bmp");
    const FrameTile saved = SaveFrameTile(cells, 3, 2, user, {res});
    EXPECT_EQ(std::tuple(saved.path, saved.userOwned, fs::exists(saved.path)), std::tuple(user + "/5.bmp", true, true));
    const FrameTile second = SaveFrameTile(cells, 3, 2, user, {res});
    EXPECT_EQ(second.path, user + "/6.bmp");
    // A folder that cannot be made (a file stands in its way) saves nothing.
    std::ofstream(sub("file")) << "x";
    EXPECT_TRUE(SaveFrameTile(cells, 2, 2, sub("file") + "/zu_frame", {}).path.empty());

    std::vector<FrameTile> tiles = LoadFrameTiles(res, user);
    ASSERT_EQ(tiles.size(), 7u);
    EXPECT_EQ(std::tuple(tiles[5].path, tiles[5].image.width, tiles[0].userOwned), std::tuple(saved.path, 3, false));
    // the resource folder is never written
    EXPECT_EQ(std::tuple(DeleteFrameTile(tiles, 0), DeleteFrameTile(tiles, 7), DeleteFrameTile(tiles, -1)),
              std::tuple(false, false, false));
    EXPECT_TRUE(fs::exists(BorderFrameFile(res, 0)));
    ASSERT_TRUE(DeleteFrameTile(tiles, 6));
    EXPECT_EQ(std::tuple(fs::exists(second.path), fs::exists(saved.path), tiles.size()), std::tuple(false, true, 6u));
    const auto once = LoadFrameTiles(res, res);  // one folder given twice is listed once, read only
    ASSERT_EQ(once.size(), 5u);
    EXPECT_FALSE(once[0].userOwned);

    // A tile whose file went away cannot be deleted and stays listed.
    fs::remove(saved.path);
    EXPECT_EQ(std::tuple(DeleteFrameTile(tiles, 5), tiles.size()), std::tuple(false, 6u));
}

TEST(FrameTiles, ChosenTileBecomesTheBordersOneFrame) {
    FrameVector frames;
    for (int i = 0; i < 2; ++i) frames.push_back(CreateImage(2, 2));
    SetCustomBorderTile(nullptr, frames);
    EXPECT_EQ(frames.size(), 2u);
    FrameTile tile{TileFromCells(FrameCells{}, 5, 3), "x.bmp", false};
    SetCustomBorderTile(&tile, frames);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->height), std::tuple(5, 3));
}

}  // namespace
}  // namespace ledsuite
