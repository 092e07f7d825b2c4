// The cell editing engine: insertion, deletion, attributes, caret moves, layout and
// drawing. The animations live in cell_animate.cpp.
#include "editors/cell_editor.h"

#include <algorithm>

#include "content/render/image_sources.h"
#include "content/render/item_painters.h"

namespace ledsuite {

namespace {

constexpr char16_t kBackspace = 8;
constexpr char16_t kTab = 9;
constexpr char16_t kLineFeed = 10;
constexpr char16_t kReturn = 13;
constexpr char16_t kPlaceholder = u'i';  // stands in a cell until it becomes an object cell

bool IsValueFieldCode(char16_t code) { return code == FC_ADC || code == FC_TIMER || code == FC_COUNTER; }

}  // namespace

bool IsEditorFieldCell(char16_t code) {
    return IsPictureTableOrClock(code) || (code >= FC_YEAR && code <= 0xE018) ||
           (code >= FC_WEEK_CN && code <= FC_MONTH_EN_SHORT) || (code >= FC_LYRIC && code <= FC_DIGITS);
}

bool IsRefusedInsertCode(char16_t code) {
    if (code < 0x20) return code != kBackspace && code != kTab && code != kLineFeed && code != kReturn;
    // Attribute markers and table-cell markers belong to the card stream and to tables;
    // pictures, tables, value fields, digit groups and clocks need their object.
    if (code >= 0xE001 && code <= 0xE00F) return true;
    return code == FC_PICTURE || code == FC_TABLE || (code >= FC_ADC && code <= FC_DIGITS) || code == FC_CLOCK;
}

CellEditor::CellEditor(RenderContext& rc, InternalChannel* owner) : rc_(rc), owner_(owner) {}

void CellEditor::Destroy() {
    text_ = nullptr;
    lines_.clear();
    back_.Reset(0, 0);
    composed_.Reset(0, 0);
}

int CellEditor::Attach(TextContent* text, int moveClass, int left, int top, int right, int bottom) {
    text_ = text;
    mouseSelecting_ = false;
    if (!text) {
        lines_.clear();
        caret_ = anchor_ = 0;
        Redraw();
        return 0;
    }
    moveClass_ = moveClass;
    left_ = left, top_ = top, right_ = right, bottom_ = bottom;
    scrollX_ = scrollY_ = 0;
    caret_ = anchor_ = 0;
    caretAtLineEnd_ = false;
    Relayout();
    Redraw();
    return 1;
}

void CellEditor::SetArea(int moveClass, int left, int top, int right, int bottom) {
    if (moveClass == moveClass_ && left == left_ && top == top_ && right == right_ && bottom == bottom_) return;
    moveClass_ = moveClass;
    left_ = left, top_ = top, right_ = right, bottom_ = bottom;
    // A new width breaks the lines elsewhere: the old extents no longer describe the text.
    RelayoutKeepSelection();
    Redraw();
}

void CellEditor::Resize(int width, int height) {
    clientWidth_ = std::max(0, width);
    clientHeight_ = std::max(0, height);
    back_.Reset(clientWidth_, clientHeight_);
    if (text_) ScrollToCaret();
    Redraw();
}

// ---- owner messages ----------------------------------------------------------------

uint32_t CellEditor::AskDefaultAttr() {
    return owner_ ? uint32_t(owner_->send(IMC_CELL_NOTIFY, 0)) : currentAttr_;
}

void CellEditor::ReportAttr() {
    if (owner_) owner_->send(IMC_CELL_VALUE, intptr_t(currentAttr_));
}

// ---- insertion ------------------------------------------------------------------------

void CellEditor::SetCellLimit(int limit) { cellLimit_ = std::clamp(limit, 0, kMaxCells); }

int CellEditor::InsertChar(char16_t code, bool relayout) {
    if (!text_) return 0;
    caret_ = std::clamp(caret_, 0, CountCells(*text_));
    anchor_ = std::clamp(anchor_, 0, kMaxCells);
    // Backspace comes first so that it also works at the end of a full text.
    if (code == kBackspace) {
        DeleteSelection();
        if (caret_ == 0) currentAttr_ = AskDefaultAttr();
        DeleteBack();
        if (relayout) {
            Relayout();
            RefreshCurrentAttr();
        }
        return 1;
    }
    // The character goes where the selection starts, whichever way it was dragged: a
    // selection reaching the end of a full text is replaced like any other.
    const int at = std::min(caret_, anchor_);
    if (IsRefusedInsertCode(code) || at >= kMaxCells - 1) return 0;
    const int deleted = DeleteSelection();
    const int n = CountCells(*text_);
    if (n >= cellLimit_) {  // full: typing would push the last cell out
        if (deleted && relayout) Relayout();
        return deleted;
    }
    if (caret_ == 0) currentAttr_ = AskDefaultAttr();
    if (code == kReturn) code = kLineFeed;
    auto& cells = text_->cells;
    for (int i = n; i > caret_; --i) cells[size_t(i)] = std::move(cells[size_t(i - 1)]);
    cells[size_t(caret_)] = TextCell(code, currentAttr_);
    if (n + 1 < kMaxCells) cells[size_t(n + 1)] = TextCell();  // a stale cell there would join the text
    anchor_ = ++caret_;
    caretAtLineEnd_ = true;  // the caret follows the character just typed, also at a line's end
    if (relayout) Relayout();
    return 1;
}

int CellEditor::InsertString(std::u16string_view str) {
    if (!text_ || str.empty()) return 0;
    caret_ = std::clamp(caret_, 0, CountCells(*text_));
    const int deleted = DeleteSelection();
    if (caret_ == 0) currentAttr_ = AskDefaultAttr();
    // Carriage returns are dropped (CR LF becomes one line feed); codes that need an
    // object or belong to the card stream are refused.
    std::u16string keep;
    for (char16_t c : str)
        if (c != kReturn && c != kBackspace && !IsRefusedInsertCode(c)) keep += c;
    const int k = PasteRun(keep, CountCells(*text_));
    Relayout();
    return k > 0 || deleted ? 1 : 0;
}

int CellEditor::PasteRun(std::u16string_view run, int n) {
    // The pasted characters take the slots from the caret up to the limit; the old cells
    // from the caret on follow as far as room is left, and the rest are dropped.
    const int room = std::max(0, cellLimit_ - caret_);
    const int k = std::min(int(run.size()), room);
    if (k == 0) return 0;
    const int keep = std::min(n - caret_, room - k);
    auto& cells = text_->cells;
    for (int i = caret_ + keep; i < n; ++i) FreeCellObject(cells[size_t(i)]);
    for (int i = caret_ + keep - 1; i >= caret_; --i) cells[size_t(i + k)] = std::move(cells[size_t(i)]);
    for (int i = 0; i < k; ++i) cells[size_t(caret_ + i)] = TextCell(run[size_t(i)], currentAttr_);
    // Behind the new end: the dropped cells' slots and the terminator.
    const int end = caret_ + k + keep;
    for (int i = end; i < std::min(kMaxCells, std::max(n, end + 1)); ++i) cells[size_t(i)] = TextCell();
    anchor_ = caret_ += k;
    caretAtLineEnd_ = true;
    return k;
}

int CellEditor::PlaceRun(std::u16string_view run, int n) {
    const int k = std::max(0, std::min(int(run.size()), cellLimit_ - n));
    auto& cells = text_->cells;
    if (k > 0) {
        for (int i = n - 1; i >= caret_; --i) cells[size_t(i + k)] = std::move(cells[size_t(i)]);
        for (int i = 0; i < k; ++i) cells[size_t(caret_ + i)] = TextCell(run[size_t(i)], currentAttr_);
        if (n + k < kMaxCells) cells[size_t(n + k)] = TextCell();
        caret_ += k;
        caretAtLineEnd_ = true;
    }
    anchor_ = caret_;
    return k;
}

int CellEditor::InsertTyped(std::u16string_view text) {
    if (!text_) return 0;
    caret_ = std::clamp(caret_, 0, CountCells(*text_));
    anchor_ = std::clamp(anchor_, 0, kMaxCells);
    // The characters go in as if typed one by one, but the text moves once: the run
    // collects what follows the caret until a Backspace reaches into the text itself.
    std::u16string run;
    int changed = 0, n = CountCells(*text_);
    auto flush = [&] {
        if (run.empty()) return;
        if (caret_ == 0) currentAttr_ = AskDefaultAttr();
        changed |= PlaceRun(run, n) > 0;
        run.clear();
    };
    for (char16_t c : text) {
        if (c == kBackspace && !run.empty()) {
            run.pop_back();
        } else if (c == kBackspace) {
            changed |= InsertChar(c, false);
            n = CountCells(*text_);
        } else if (!IsRefusedInsertCode(c)) {
            if (run.empty() && caret_ != anchor_ && std::min(caret_, anchor_) < kMaxCells - 1) {
                changed |= DeleteSelection();
                n = CountCells(*text_);
            }
            // Where typing stops: the caret at cell 2047, or a full text.
            const int at = caret_ + int(run.size());
            if (caret_ == anchor_ && at < kMaxCells - 1 && n + int(run.size()) < cellLimit_)
                run += c == kReturn ? kLineFeed : c;
        }
    }
    flush();
    return changed;
}

int CellEditor::InsertObjectCell(char16_t code, std::unique_ptr<CellObject> obj) {
    if (!text_ || !obj || !InsertChar(kPlaceholder, false)) return 0;
    TextCell& cell = text_->cells[size_t(caret_ - 1)];
    if (cell.code != kPlaceholder) return 0;  // a full text refused the placeholder
    const uint32_t attr = cell.attr;
    cell.code = code;
    cell.attr = 0;
    cell.obj = std::move(obj);
    if (IsValueFieldCode(code))
        if (uint32_t* own = CellAttrPtr(cell)) *own = attr;
    return 1;
}

int CellEditor::InsertPicture(const std::string& path) {
    auto picture = std::make_unique<PictureObject>();
    if (!text_ || !LoadImageFile(&picture->frames, path)) return 0;
    return InsertPictureObject(std::move(picture));
}

int CellEditor::InsertPictureObject(std::unique_ptr<PictureObject> picture) {
    if (!picture || picture->frames.empty()) return 0;
    PictureObject* p = picture.get();
    if (!InsertObjectCell(FC_PICTURE, std::move(picture))) return 0;
    FitFramesToHeight(p->frames, int(CellAttr::SizeOf(currentAttr_)));
    Relayout();
    return 1;
}

int CellEditor::InsertBitmap(const RawImage& bitmap) {
    if (!bitmap.hasPixels()) return 0;
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(std::make_unique<RawImage>(bitmap));
    return InsertPictureObject(std::move(picture));
}

int CellEditor::InsertClock() {
    auto clock = std::make_unique<ClockObject>();
    ClockObject* c = clock.get();
    if (!InsertObjectCell(FC_CLOCK, std::move(clock))) return 0;
    c->style = 0;
    c->size = uint8_t(CellAttr::SizeOf(currentAttr_));
    Relayout();
    return 1;
}

int CellEditor::InsertValueField(char16_t code, std::unique_ptr<CellObject> field) {
    if (!IsValueFieldCode(code) || !InsertObjectCell(code, std::move(field))) return 0;
    Relayout();
    return 1;
}

int CellEditor::InsertTable(std::unique_ptr<GridObject> grid) {
    if (!InsertObjectCell(FC_TABLE, std::move(grid))) return 0;
    Relayout();
    return 1;
}

// ---- deletion -------------------------------------------------------------------------

int CellEditor::RemoveCells(int lo, int hi) {
    const int n = CountCells(*text_);
    hi = std::min(hi, n);
    if (lo < 0 || lo >= hi) return 0;
    auto& cells = text_->cells;
    for (int i = lo; i < hi; ++i) FreeCellObject(cells[size_t(i)]);
    std::move(cells.begin() + hi, cells.begin() + n, cells.begin() + lo);
    for (int i = n - (hi - lo); i < n; ++i) cells[size_t(i)] = TextCell();
    caret_ = anchor_ = lo;
    caretAtLineEnd_ = false;
    return 1;
}

int CellEditor::DeleteSelection() {
    if (!text_ || caret_ == anchor_) return 0;
    const int lo = std::clamp(std::min(caret_, anchor_), 0, kMaxCells);
    const int hi = std::clamp(std::max(caret_, anchor_), 0, kMaxCells);
    caret_ = anchor_ = lo;
    RemoveCells(lo, hi);
    return 1;
}

int CellEditor::DeleteBack() {
    // Caret 2048 (behind a full text) may delete too.
    if (!text_ || caret_ < 1 || caret_ > kMaxCells) return 0;
    return RemoveCells(caret_ - 1, caret_);
}

int CellEditor::DeleteCell(int index) {
    if (!text_ || index < 1 || index > kMaxCells) return 0;
    const int caret = caret_;
    const int removed = RemoveCells(index - 1, index);
    if (removed) caret_ = anchor_ = caret;
    return removed;
}

// ---- attributes -----------------------------------------------------------------------

void CellEditor::ApplyAttrMask(uint32_t attr, uint32_t mask) {
    ::ledsuite::ApplyAttrMask(&currentAttr_, mask, attr);
    if (!text_ || caret_ == anchor_) return;
    const int lo = std::max(0, std::min(caret_, anchor_));
    const int hi = std::min(std::max(caret_, anchor_), CountCells(*text_));
    for (int i = lo; i < hi; ++i) ApplyCellAttrMask(text_->cells[size_t(i)], attr, mask);
    RelayoutKeepSelection();
    ScrollToCaret();
    Redraw();
}

void CellEditor::RefreshCurrentAttr() {
    if (!text_) return;
    if (caret_ <= 0) {
        currentAttr_ = AskDefaultAttr();
        return;
    }
    int size = 0;
    bool found = false;
    for (int i = std::min(caret_, kMaxCells) - 1; i >= 0; --i) {
        const TextCell& cell = text_->cells[size_t(i)];
        const char16_t c = cell.code;
        if (c == FC_PICTURE || c == FC_CLOCK || (c >= FC_ADC && c <= FC_DIGITS)) {
            if (size < 8) size = CellFontSize(cell);
            continue;
        }
        if (c == FC_TABLE) continue;
        currentAttr_ = cell.attr;
        found = true;
        break;
    }
    if (!found) currentAttr_ = AskDefaultAttr();
    if (size >= 8) currentAttr_ = (currentAttr_ & ~CellAttr::SizeMask) | uint32_t(size & 0xFF) << CellAttr::SizeShift;
    ReportAttr();
}

// ---- selection and queries -----------------------------------------------------------

void CellEditor::SetSelection(int anchor, int caret) {
    anchor_ = std::clamp(anchor, 0, kMaxCells);
    caret_ = std::clamp(caret, 0, kMaxCells);
    caretAtLineEnd_ = false;
}

void CellEditor::SelectAll() {
    if (!text_) return;
    anchor_ = 0;
    caret_ = CountCells(*text_);
    Redraw();
}

bool CellEditor::SelectionIsPlainText() const {
    if (!text_) return false;
    const int lo = std::clamp(std::min(caret_, anchor_), 0, kMaxCells);
    const int hi = std::clamp(std::max(caret_, anchor_), 0, kMaxCells);
    if (lo >= hi) return false;
    for (int i = lo; i < hi; ++i) {
        const char16_t c = text_->cells[size_t(i)].code;
        if (c == 0 || IsEditorFieldCell(c) || c == kTab || c == kLineFeed || c == kReturn) return false;
    }
    return true;
}

bool CellEditor::SelectionIsDigits() const {
    if (!text_ || caret_ == anchor_) return false;
    const int lo = std::max(0, std::min(caret_, anchor_));
    const int hi = std::min(kMaxCells, std::max(caret_, anchor_));
    for (int i = lo; i < hi; ++i) {
        const char16_t c = text_->cells[size_t(i)].code;
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

bool CellEditor::SelectionIsDigitGroup() const {
    const TextCell cell = GetSelectedCell();
    return cell.code == FC_DIGITS;
}

TextCell* CellEditor::SelectedCell() {
    if (!text_ || std::abs(caret_ - anchor_) != 1) return nullptr;
    const int i = std::min(caret_, anchor_);
    if (i < 0 || i >= kMaxCells || text_->cells[size_t(i)].code == 0) return nullptr;
    return &text_->cells[size_t(i)];
}

TextCell CellEditor::GetSelectedCell() const {
    const TextCell* cell = const_cast<CellEditor*>(this)->SelectedCell();
    return cell ? TextCell(cell->code, cell->attr) : TextCell();
}

int CellEditor::CopyToClipboard(const std::function<void(const std::u16string&)>& put) const {
    if (!text_) return 0;
    const int lo = std::max(0, std::min(caret_, anchor_));
    const int hi = std::min(std::max(caret_, anchor_), CountCells(*text_));
    std::u16string out;
    for (int i = lo; i < hi; ++i)
        if (!IsEditorFieldCell(text_->cells[size_t(i)].code)) out += text_->cells[size_t(i)].code;
    if (out.empty()) return 0;
    if (put) put(out);
    return 1;
}

void FreeCellObjects(TextContent& text) {
    const int n = CountCells(text);
    for (int i = 0; i < n; ++i) FreeCellObject(text.cells[size_t(i)]);
    for (TextCell& cell : text.cells) cell = TextCell();
}

}  // namespace ledsuite
