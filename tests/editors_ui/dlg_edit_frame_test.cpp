// The frame editor offscreen, on tile files written here.
#include "editors/ui/dlg_edit_frame.h"

#include <tuple>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/link/link_test_util.h"
#include "toolkit/color_combo.h"
#include "toolkit/small_widgets.h"

namespace ledsuite {
namespace {

namespace fs = std::filesystem;

struct TileFolders {
    testing::TempDir dir;
    FrameFolders folders{(dir.path / "res").string(), (dir.path / "user").string()};
    TileFolders() {
        fs::create_directories(folders.resource);
        FrameCells cells{};
        for (int n = 0; n < 5; ++n) WriteBmpFile(TileFromCells(cells, 2, 2), BorderFrameFile(folders.resource, n));
        // A 32 x 16 tile: red in its top-left 16 x 8, blue elsewhere, green on the diagonal.
        RawImage big;
        ResetImage(big, 32, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                big.row32(y)[x] = (x < 16 && y < 8 ? 0xFF0000u : 0x0000FFu) | (x == y ? 0x00FF00u : 0u);
        WriteBmpFile(big, BorderFrameFile(folders.resource, 9));
    }
};

QPoint CellCentre(int x, int y) { return {kFrameGridLeft + 15 * x + 7, kFrameGridTop + 15 * y + 7}; }

TEST(DlgEditFrame, MaskedColoursClicksAndPickingALargeTile) {
    TileFolders files;
    std::vector<FrameTile> tiles = LoadFrameTiles(files.folders.resource, files.folders.user);
    ASSERT_EQ(tiles.size(), 6u);
    HardwareParams hw;
    hw.colorCode = 12;
    FrameVector border;
    DlgEditFrame dlg(nullptr, &hw, &tiles, &border, files.folders);
    dlg.show();
    EXPECT_EQ(std::tuple(dlg.WidthCombo()->currentText(), dlg.TileList()->count()), std::tuple(QString("16"), 6));

    FrameCells& cells = SharedFrameCells();
    cells = {};
    cells[0][0] = 4, cells[0][1] = 3;  // blue (not shown on a red-green screen), yellow
    const QImage shot = dlg.Canvas()->grab().toImage();
    // blue shows black, yellow shows, then a grid line
    EXPECT_EQ(std::tuple(shot.pixel(CellCentre(0, 0)) & 0xFFFFFF, shot.pixel(CellCentre(1, 0)) & 0xFFFFFF,
                         shot.pixel(kFrameGridLeft, kFrameGridTop + 20) & 0xFFFFFF),
              std::tuple(0x000000u, 0xFFFF00u, 0x00FF00u));

    dlg.ColorCombo()->SelectRgbBits(2);
    QTest::mouseClick(dlg.Canvas(), Qt::LeftButton, {}, CellCentre(4, 2));
    QTest::mouseClick(dlg.Canvas(), Qt::RightButton, {}, CellCentre(1, 0));
    QTest::mouseClick(dlg.Canvas(), Qt::LeftButton, {}, QPoint(kFrameGridLeft - 5, kFrameGridTop + 3));
    EXPECT_EQ(std::tuple(cells[2][4], cells[0][1], cells[0][0]), std::tuple(2, 0, 4));  // left of the grid: ignored

    dlg.TileList()->setCurrentRow(5);  // the 32 x 16 tile, cut to its top-left 16 x 8
    EXPECT_EQ(std::tuple(dlg.WidthCombo()->currentText(), dlg.HeightCombo()->currentText(), cells[7][7], cells[7][8]),
              std::tuple(QString("16"), QString("8"), 3, 1));
    dlg.TileList()->setCurrentRow(0);
    EXPECT_EQ(dlg.WidthCombo()->currentText(), "2");
    dlg.reject();
    EXPECT_TRUE(border.empty());  // Cancel changes no border
}

TEST(DlgEditFrame, SaveDeleteAndTheBorderOnOk) {
    TileFolders files;
    std::vector<FrameTile> tiles = LoadFrameTiles(files.folders.resource, files.folders.user);
    FrameVector border;
    DlgEditFrame dlg(nullptr, nullptr, &tiles, &border, files.folders);
    dlg.show();
    testing::BoxCloser boxes;
    dlg.DeleteButton()->click();

    SharedFrameCells() = {};
    SharedFrameCells()[0][0] = 1;
    dlg.WidthCombo()->setCurrentIndex(2);
    dlg.HeightCombo()->setCurrentIndex(1);
    dlg.SaveButton()->click();
    EXPECT_EQ(boxes.texts, (std::vector<QString>{"Please select an item to delete", "Save"}));
    const std::string saved = BorderFrameFile(files.folders.user, 5);
    ASSERT_EQ(tiles.size(), 7u);
    EXPECT_EQ(std::tuple(fs::exists(saved), tiles[6].path, dlg.TileList()->count(), dlg.TileList()->currentRow()),
              std::tuple(true, saved, 7, 6));

    dlg.TileList()->setCurrentRow(1);
    dlg.DeleteButton()->click();  // a tile of the resource folder stays
    EXPECT_EQ(std::tuple(fs::exists(BorderFrameFile(files.folders.resource, 1)), tiles.size()), std::tuple(true, 7u));

    dlg.TileList()->setCurrentRow(6);
    dlg.DeleteButton()->click();
    EXPECT_EQ(std::tuple(fs::exists(saved), tiles.size(), dlg.TileList()->count()), std::tuple(false, 6u, 6));

    dlg.TileList()->setCurrentRow(5);
    dlg.accept();
    ASSERT_EQ(border.size(), 1u);  // the picked tile is the border's one frame
    EXPECT_EQ(border[0]->width, 32);
}

}  // namespace
}  // namespace ledsuite
