// The table editor's plain side; see grid_editor.h.
#include "editors/grid_editor.h"

#include <algorithm>
#include <cstdlib>

#include "editors/cell_editor.h"

namespace ledsuite {

namespace {
constexpr int kNewColumnWidth = 60;
constexpr int kNewRowHeight = 16;
constexpr int kBorderSlack = 2;  // a border is hit within 1 pixel

int ClampSize(int size) { return std::clamp(size, kGridMinSize, kGridMaxSize); }
}  // namespace

bool GridSizeFits(const GridObject* grid, int columns, int rows) {
    if (columns < 1 || rows < 1 || columns > 255 || rows > 255) return false;
    if (!grid) return columns * rows <= kMaxCells;
    GridObject trial(*grid);
    return SetGridSize(trial, columns, rows);
}

bool ApplyGridDialog(GridObject* grid, const GridDialogValues& v) {
    if (!grid) return false;
    const bool resized = SetGridSize(*grid, v.columns, v.rows);
    grid->style = (grid->style & ~0xFFu) | uint32_t((v.frameType & 7) << 5 | (v.colorBits & 7) << 2);
    return resized;
}

std::unique_ptr<GridObject> NewGridFromDialog(const GridDialogValues& values) {
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    if (!ApplyGridDialog(grid.get(), values)) return nullptr;
    return grid;
}

GridEditor::GridEditor() {
    widths_.fill(kNewColumnWidth);
    heights_.fill(kNewRowHeight);
    widths_[0] = kGridHeaderWidth;
    heights_[0] = kGridHeaderHeight;
}

void GridEditor::SetGrid(GridObject* grid) {
    grid_ = grid;
    dragState_ = kDragNone;
    firstColumn_ = firstRow_ = 1;
    selX_ = kGridHeaderWidth;
    selY_ = kGridHeaderHeight;
    if (!grid) {
        markers_.clear();
        selColumn_ = selRow_ = 0;
        return;
    }
    columnCount_ = grid->columns + 1;
    rowCount_ = grid->rows + 1;
    markers_ = CollectGridCells(*grid);
    ComputeSizes();
    selColumn_ = selRow_ = 1;
}

int GridEditor::MarkerOf(int column, int row) const {
    if (!grid_ || column < 1 || row < 1 || column >= columnCount_ || row >= rowCount_) return -1;
    const size_t k = size_t(row - 1) * size_t(grid_->columns) + size_t(column - 1);
    return k < markers_.size() ? markers_[k] : -1;
}

void GridEditor::ComputeSizes() {
    if (!grid_) return;
    grid_->totalWidth = grid_->totalHeight = 0;
    int width = 0, height = 0;
    for (int r = 1; r < rowCount_; ++r) {
        const int m = MarkerOf(1, r);
        if (m >= 0) heights_[size_t(r)] = uint16_t(GridCellHeight(grid_->cells[size_t(m)].attr));
        height += heights_[size_t(r)];
    }
    for (int c = 1; c < columnCount_; ++c) {
        const int m = MarkerOf(c, 1);
        if (m >= 0) widths_[size_t(c)] = uint16_t(GridCellWidth(grid_->cells[size_t(m)].attr));
        width += widths_[size_t(c)];
    }
    grid_->totalWidth = uint16_t(width);
    grid_->totalHeight = uint16_t(height);
}

// ---- hit tests ------------------------------------------------------------------------

GridHit GridEditor::HitTest(int x, int y) const {
    GridHit hit;
    hit.inside = true;
    auto walk = [&](int p, int count, int first, const auto& sizes, int& index, int& start) {
        index = 0;
        start = 0;
        if (p < sizes[0]) return;
        start = sizes[0];
        index = first;
        while (index < count && p >= start + sizes[size_t(index)]) start += sizes[size_t(index++)];
        if (index >= count) {  // past the last: the last one
            hit.inside = false;
            index = count - 1;
            start -= sizes[size_t(index)];
        }
    };
    walk(y, rowCount_, firstRow_, heights_, hit.row, hit.y);
    walk(x, columnCount_, firstColumn_, widths_, hit.column, hit.x);
    return hit;
}

int GridEditor::BorderTest(int x, int y) {
    auto border = [&](int p, int count, int first, const auto& sizes) {
        int pos = sizes[0];
        if (std::abs(p - pos) < kBorderSlack) return std::pair{0, pos};
        for (int i = first; i < count; ++i) {
            pos += sizes[size_t(i)];
            if (std::abs(p - pos) < kBorderSlack) return std::pair{i, pos};
        }
        return std::pair{-1, 0};
    };
    if (x < widths_[0]) {
        const auto [index, base] = border(y, rowCount_, firstRow_, heights_);
        if (index < 0) return kDragNone;
        dragIndex_ = index, dragBase_ = base;
        return kDragRow;
    }
    if (y >= heights_[0]) return kDragBody;
    const auto [index, base] = border(x, columnCount_, firstColumn_, widths_);
    if (index < 0) return kDragNone;
    dragIndex_ = index, dragBase_ = base;
    return kDragColumn;
}

bool GridEditor::SelectAt(int x, int y) {
    const GridHit hit = HitTest(x, y);
    if (!grid_ || !hit.inside || hit.column < 1 || hit.row < 1) return false;
    selColumn_ = hit.column, selRow_ = hit.row;
    selX_ = hit.x, selY_ = hit.y;
    return true;
}

// ---- cell flags -----------------------------------------------------------------------

int GridEditor::GetCellFlags() const {
    const int m = MarkerOf(selColumn_, selRow_);
    return m < 0 ? 0 : GridCellAlign(grid_->cells[size_t(m)].attr);
}

bool GridEditor::SetCellFlags(int value) {
    const int m = MarkerOf(selColumn_, selRow_);
    if (m < 0) return false;
    uint32_t& word = grid_->cells[size_t(m)].attr;
    word = (word & ~(3u << 24)) | uint32_t(value & 3) << 24;
    return true;
}

// ---- cell editing ---------------------------------------------------------------------

int GridEditor::CellEnd(int markerIndex) const {
    const int n = CountCells(grid_->cells);
    int end = markerIndex + 1;
    while (end < n && grid_->cells[size_t(end)].code != FC_GRIDCELL) ++end;
    return end;
}

bool GridEditor::BeginCellEdit(TextContent& work) {
    const int m = MarkerOf(selColumn_, selRow_);
    if (m < 0) return false;
    FreeCellObjects(work);
    auto& cells = grid_->cells;
    const int n = CountCells(cells), begin = m + 1, end = CellEnd(m);
    std::move(cells.begin() + begin, cells.begin() + end, work.cells.begin());
    std::move(cells.begin() + end, cells.begin() + n, cells.begin() + begin);
    for (int i = n - (end - begin); i < n; ++i) cells[size_t(i)] = TextCell();
    markers_ = CollectGridCells(*grid_);
    editColumn_ = selColumn_, editRow_ = selRow_;
    dragState_ = kDragEditing;
    return true;
}

int GridEditor::CellRoom() const { return grid_ ? kMaxCells - CountCells(grid_->cells) : 0; }

bool GridEditor::CommitCellEdit(TextContent& work, const TextBlockMeasure& measure) {
    if (dragState_ != kDragEditing) return false;
    dragState_ = kDragNone;
    const int m = MarkerOf(editColumn_, editRow_);
    if (m < 0) {
        FreeCellObjects(work);
        return false;
    }
    auto& cells = grid_->cells;
    const int n = CountCells(cells), begin = m + 1, end = CellEnd(m);
    const int old = end - begin;
    // Only what fits the 2048 cells goes back; FreeCellObjects below frees the rest.
    const int keep = std::min(CountCells(work), kMaxCells - (n - old));
    if (keep > old) std::move_backward(cells.begin() + end, cells.begin() + n, cells.begin() + n + (keep - old));
    else if (keep < old) std::move(cells.begin() + end, cells.begin() + n, cells.begin() + begin + keep);
    for (int i = n + keep - old; i < n; ++i) cells[size_t(i)] = TextCell();
    std::move(work.cells.begin(), work.cells.begin() + keep, cells.begin() + begin);
    FreeCellObjects(work);
    markers_ = CollectGridCells(*grid_);

    const CellSize size = MeasureCell(editColumn_, editRow_, widths_[size_t(editColumn_)], measure);
    if (size.width > widths_[size_t(editColumn_)]) SetColumnWidth(editColumn_, size.width);
    if (size.height > heights_[size_t(editRow_)]) SetRowHeight(editRow_, size.height);
    ComputeSizes();
    return true;
}

CellSize GridEditor::MeasureCell(int column, int row, int maxWidth, const TextBlockMeasure& measure) const {
    const int m = MarkerOf(column, row);
    if (m < 0 || !measure) return {};
    TextHeader header;
    header.fontSet = uint8_t(grid_->style >> 8);
    header.align = uint8_t(GridCellAlign(grid_->cells[size_t(m)].attr));
    header.spread = 1;
    const int end = CellEnd(m);
    return measure(header, std::span(grid_->cells).subspan(size_t(m) + 1, size_t(end - m - 1)), maxWidth);
}

void GridEditor::SetColumnWidth(int column, int width) {
    width = std::clamp(width, 1, kGridMaxSize);
    for (int r = 1; r < rowCount_; ++r) {
        const int m = MarkerOf(column, r);
        if (m < 0) continue;
        uint32_t& word = grid_->cells[size_t(m)].attr;
        word = (word & ~0x3FFu) | uint32_t(width);
    }
    widths_[size_t(column)] = uint16_t(width);
}

void GridEditor::SetRowHeight(int row, int height) {
    height = std::clamp(height, 1, kGridMaxSize);
    for (int c = 1; c < columnCount_; ++c) {
        const int m = MarkerOf(c, row);
        if (m < 0) continue;
        uint32_t& word = grid_->cells[size_t(m)].attr;
        word = (word & ~(0x3FFu << 12)) | uint32_t(height) << 12;
    }
    heights_[size_t(row)] = uint16_t(height);
}

// ---- border drags and scrolling -------------------------------------------------------

bool GridEditor::EndDrag(int position, const TextBlockMeasure& measure) {
    if (dragState_ != kDragColumn && dragState_ != kDragRow) return false;
    const bool column = dragState_ == kDragColumn;
    dragState_ = kDragNone;
    const int i = dragIndex_;
    int size = ClampSize((column ? widths_ : heights_)[size_t(i)] - dragBase_ + position);
    if (i == 0) {  // the header column or row
        (column ? widths_ : heights_)[0] = uint16_t(size);
        return true;
    }
    if (!grid_) return false;
    if (column) {
        for (int r = 1; r < rowCount_; ++r) size = std::max(size, MeasureCell(i, r, size, measure).width);
        SetColumnWidth(i, size);
        for (int r = 1; r < rowCount_; ++r) {
            const int h = MeasureCell(i, r, size, measure).height;
            if (h > heights_[size_t(r)]) SetRowHeight(r, h);
        }
    } else {
        for (int c = 1; c < columnCount_; ++c)
            size = std::max(size, MeasureCell(c, i, widths_[size_t(c)], measure).height);
        SetRowHeight(i, size);
    }
    ComputeSizes();
    return true;
}

bool GridEditor::Scroll(bool horizontal, int code, int position) {
    int& first = horizontal ? firstColumn_ : firstRow_;
    const int last = std::max(1, (horizontal ? columnCount_ : rowCount_) - 1);
    int next = first;
    if (code == 0) next = std::max(1, first - 1);
    else if (code == 1) next = std::min(last, first + 1);
    else if (code == 4 || code == 5) next = std::clamp(position + 1, 1, last);
    if (next == first) return false;
    const auto& sizes = horizontal ? widths_ : heights_;
    int shift = 0;
    for (int i = std::min(first, next); i < std::max(first, next); ++i) shift += sizes[size_t(i)];
    (horizontal ? selX_ : selY_) += next > first ? -shift : shift;
    first = next;
    return true;
}

}  // namespace ledsuite
