#pragma once
// The frame editor: the user draws a border tile of at most 16 x 8 LEDs in 3-bit colours,
// keeps it as a bitmap file, picks and deletes tiles. Tiles come from the resource folder
// "zu_frame" and the user's own "zu_frame" folder; only the latter is written. On OK the
// tile selected in the list (a tile just saved is selected) becomes the border's one frame.
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "content/model/records.h"
#include "editors/frame_tiles.h"
#include "toolkit/dialog_fx.h"

class QComboBox;
class QPushButton;

namespace ledsuite {

class CComboBoxColor;
class CListBoxEx;

// The cell grid, drawn in the editor's client pixels (the grid's corner at (130, 15)).
class FrameGridCanvas : public QWidget {
    Q_OBJECT
public:
    explicit FrameGridCanvas(QWidget* parent);
    void SetView(int width, int height, int colorCode);
    // The colour (0x00BBGGRR) a left click paints.
    std::function<uint32_t()> paintColor;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int width_ = kFrameGridColumns;
    int height_ = kFrameGridRows;
    int colorCode_ = 0;
};

struct FrameFolders {
    std::string resource;  // read only
    std::string user;      // where tiles are saved and deleted
    static FrameFolders Default();
};

class DlgEditFrame : public CDialogFx {
    Q_OBJECT
public:
    // `tiles` is the caller's list (kept up to date with saves and deletes); `border` the
    // area's border frames (may be null); `hw` gives the screen's colour code (may be null).
    DlgEditFrame(QWidget* parent, const HardwareParams* hw, std::vector<FrameTile>* tiles, FrameVector* border,
                 FrameFolders folders = FrameFolders::Default());

    // Runs the editor for a "Custom" border; true when OK made a tile the border.
    static bool EditBorder(QWidget* parent, const HardwareParams* hw, std::vector<FrameTile>& tiles,
                           FrameVector& border);

    QComboBox* WidthCombo() const { return width_; }
    QComboBox* HeightCombo() const { return height_; }
    CComboBoxColor* ColorCombo() const { return color_; }
    CListBoxEx* TileList() const { return list_; }
    FrameGridCanvas* Canvas() const { return canvas_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* DeleteButton() const { return delete_; }

    void OnTilePicked(int row);
    void OnSave();
    void OnDelete();

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    void Redraw();
    void AddTileItem(const FrameTile& tile);

    int colorCode_;
    std::vector<FrameTile>* tiles_;
    FrameVector* border_;
    bool tileSet_ = false;  // OK made the selected tile the border
    FrameFolders folders_;
    QComboBox* width_;
    QComboBox* height_;
    CComboBoxColor* color_;
    CListBoxEx* list_;
    FrameGridCanvas* canvas_;
    QPushButton* save_;
    QPushButton* delete_;
};

}  // namespace ledsuite
