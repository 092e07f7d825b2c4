#pragma once
// The table editor's plain side: column widths and row heights read from the table's
// cell markers, hit and border tests, scrolling, border drags, moving one table cell's
// text out into a work text for editing and back, and the table dialog's values.
// The window (editors/ui/edit_grid) draws and turns input into these calls.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "content/model/field_objects.h"

namespace ledsuite {

constexpr int kGridHeaderWidth = 48;
constexpr int kGridHeaderHeight = 16;
constexpr int kGridMinSize = 8;
constexpr int kGridMaxSize = 1023;  // the markers' 10-bit fields

enum GridDrag : uint8_t { kDragNone = 0, kDragColumn = 1, kDragRow = 2, kDragBody = 3, kDragEditing = 4 };

// A table cell and its top-left pixel position; `inside` is false when the point lay
// past the last column or row (the cell is then clamped to the last one).
struct GridHit {
    int column = 0;
    int row = 0;
    int x = 0;
    int y = 0;
    bool inside = false;
};

// What the table dialog asks for.
struct GridDialogValues {
    int columns = 3;
    int rows = 3;
    int frameType = 0;
    int colorBits = 0;
};

// Resizes the table to the values (refused, table unchanged, when it would not fit the
// 2048 cells) and sets style byte 0 to frame type << 5 | colour bits << 2. False
// without a table or when the size was refused.
bool ApplyGridDialog(GridObject* grid, const GridDialogValues& values);
// Whether a table of that size fits (a new one, or `grid` resized).
bool GridSizeFits(const GridObject* grid, int columns, int rows);
// A new table made from the dialog's values; null when it does not fit.
std::unique_ptr<GridObject> NewGridFromDialog(const GridDialogValues& values);

class GridEditor {
public:
    GridEditor();

    // Binds a table (null unbinds): counts, sizes, cell A1 selected, scrolled to the start.
    void SetGrid(GridObject* grid);
    GridObject* grid() const { return grid_; }
    void ComputeSizes();

    GridHit HitTest(int x, int y) const;
    // 1 column border, 2 row border (recording the drag index and base), 3 table body, 0 else.
    int BorderTest(int x, int y);
    // Selects the body cell at the point; false (nothing changed) elsewhere.
    bool SelectAt(int x, int y);

    int GetCellFlags() const;
    bool SetCellFlags(int value);

    // Moves the text of the selected cell into `work` (its old objects freed first);
    // false without a selected cell.
    bool BeginCellEdit(TextContent& work);
    // The most cells the edited cell's text may hold: what the table's 2048 cells have
    // left once its other cells are counted.
    int CellRoom() const;
    // Puts `work`'s cells back as the edited cell's text, as many as fit; the rest are
    // freed. Widens the column and heightens the row to the measured text. `work` is
    // emptied. False when no edit was in progress.
    bool CommitCellEdit(TextContent& work, const TextBlockMeasure& measure);
    bool editing() const { return dragState_ == kDragEditing; }

    // A border drag ends at `position`; false when no border was dragged.
    bool EndDrag(int position, const TextBlockMeasure& measure);
    // Scroll codes: 0 line back, 1 line forward, 4 and 5 to `position`. True when moved.
    bool Scroll(bool horizontal, int code, int position);

    int columnCount() const { return columnCount_; }
    int rowCount() const { return rowCount_; }
    int columnWidth(int c) const { return widths_[size_t(c)]; }
    int rowHeight(int r) const { return heights_[size_t(r)]; }
    int selectedColumn() const { return selColumn_; }
    int selectedRow() const { return selRow_; }
    int selectedX() const { return selX_; }
    int selectedY() const { return selY_; }
    int firstColumn() const { return firstColumn_; }
    int firstRow() const { return firstRow_; }
    uint8_t dragState() const { return dragState_; }
    void SetDragState(uint8_t state) { dragState_ = state; }
    int dragIndex() const { return dragIndex_; }
    int dragBase() const { return dragBase_; }
    int dragPosition() const { return dragPos_; }
    void SetDragPosition(int pos) { dragPos_ = pos; }
    const std::vector<uint16_t>& markers() const { return markers_; }
    // Array index of a table cell's marker (1-based column and row), -1 outside the table.
    int MarkerOf(int column, int row) const;

private:
    int CellEnd(int markerIndex) const;
    CellSize MeasureCell(int column, int row, int maxWidth, const TextBlockMeasure& measure) const;
    void SetColumnWidth(int column, int width);
    void SetRowHeight(int row, int height);

    GridObject* grid_ = nullptr;
    std::vector<uint16_t> markers_;
    uint8_t dragState_ = kDragNone;
    int dragIndex_ = 0;
    int dragBase_ = 0;
    int dragPos_ = 0;
    int columnCount_ = 4;  // the table's columns + 1; wider than the table's byte so 255 + 1 holds
    int rowCount_ = 4;
    int selX_ = kGridHeaderWidth;
    int selY_ = kGridHeaderHeight;
    int selColumn_ = 0;
    int selRow_ = 0;
    int editColumn_ = 0;
    int editRow_ = 0;
    std::array<uint16_t, 257> widths_{};
    std::array<uint16_t, 257> heights_{};
    int firstColumn_ = 1;
    int firstRow_ = 1;
};

}  // namespace ledsuite
