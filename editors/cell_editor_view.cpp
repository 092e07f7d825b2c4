// The cell editing engine's view side: layout, caret queries, key and mouse moves,
// scrolling, drawing into the back buffer and composing the selection.
#include <algorithm>

#include "editors/cell_editor.h"

namespace ledsuite {

// ---- layout and caret ---------------------------------------------------------------

void CellEditor::Relayout() {
    if (!text_) return;
    BreakTextLines(rc_, TextView(*text_), extents_, lines_, areaWidth());
    anchor_ = caret_;
    RunQuery(CaretQueryKind::Point);
    ScrollToCaret();
    UpdateCaret();
}

void CellEditor::RelayoutKeepSelection() {
    const int anchor = anchor_;
    Relayout();
    anchor_ = std::clamp(anchor, 0, text_ ? CountCells(*text_) : 0);
}

bool CellEditor::RunQuery(CaretQueryKind kind, int x, int y) {
    if (!text_) return false;
    CaretQuery q;
    q.kind = kind;
    q.moveClass = uint8_t(moveClass_);
    q.caret = caret_;
    q.lineEnd = caretAtLineEnd_;
    q.x = x;
    q.y = y;
    q.caretHeight = caretHeight_;
    q.lineHeight = caretLineHeight_;
    CellIndexToPoint(q, TextView(*text_), extents_, lines_);
    TakeQuery(q);
    return true;
}

void CellEditor::TakeQuery(const CaretQuery& q) {
    caret_ = q.result;
    caretAtLineEnd_ = q.lineEnd;
    caretX_ = q.x + scrollX_;
    caretY_ = q.y + scrollY_;
    caretHeight_ = q.caretHeight;
    caretLineHeight_ = q.lineHeight;
    contentWidth_ = q.contentWidth;
    contentHeight_ = q.contentHeight;
}

int CellEditor::OnKey(int key) {
    if (!text_) return 0;
    CaretQueryKind kind;
    switch (key) {
    case kKeyEnd: kind = CaretQueryKind::End; break;
    case kKeyHome: kind = CaretQueryKind::Home; break;
    case kKeyLeft: kind = CaretQueryKind::Left; break;
    case kKeyUp: kind = CaretQueryKind::Up; break;
    case kKeyRight: kind = CaretQueryKind::Right; break;
    case kKeyDown: kind = CaretQueryKind::Down; break;
    case kKeyDelete:
        if (caret_ == anchor_) DeleteCell(caret_ + 1);
        else DeleteSelection();
        Relayout();
        Redraw();
        return 1;
    default: return 0;
    }
    RunQuery(kind);
    anchor_ = caret_;  // a key move collapses the selection
    ScrollToCaret();
    UpdateCaret();
    RefreshCurrentAttr();
    Redraw();
    return 0;
}

void CellEditor::MouseDown(int x, int y) {
    if (!RunQuery(CaretQueryKind::HitTest, x - scrollX_, y - scrollY_)) return;
    anchor_ = caret_;
    ScrollToCaret();
    UpdateCaret();
    Paint();
    mouseSelecting_ = true;
}

void CellEditor::MouseMove(int keyFlags, int x, int y) {
    if (!mouseSelecting_ || !(keyFlags & kMouseLeftButton)) return;
    if (x < 0 || x >= clientWidth_ || y < 0 || y >= clientHeight_) return;
    if (!RunQuery(CaretQueryKind::HitTest, x - scrollX_, y - scrollY_)) return;
    UpdateCaret();
    Paint();
}

bool CellEditor::MouseUp() {
    const bool was = mouseSelecting_;
    mouseSelecting_ = false;
    return was;
}

void CellEditor::UpdateCaret(bool force) {
    if (caretHeight_ != createdCaretHeight_ || force) {
        createdCaretHeight_ = caretHeight_;
        caretRecreated_ = true;
    }
}

bool CellEditor::TakeCaretRecreated() {
    const bool was = caretRecreated_;
    caretRecreated_ = false;
    return was;
}

CaretPlace CellEditor::caretPlace() const {
    // On the bottom of its line.
    return {caretX_, caretY_ + caretLineHeight_ - caretHeight_, caretHeight_};
}

// ---- scrolling --------------------------------------------------------------------------

void CellEditor::ScrollAxis(int& caretPos, int& scroll, int content, int client, int maxCaret) {
    if (content <= client) {
        caretPos -= scroll;
        scroll = 0;
        return;
    }
    // After an edit that shortened the content, pull it back so no empty band shows.
    const int gap = client - (scroll + content);
    if (gap > 0) {
        const int d = std::min(gap, -scroll);
        scroll += d;
        caretPos += d;
    }
    if (caretPos < 0) {
        scroll -= caretPos;
        caretPos = 0;
    }
    if (caretPos > maxCaret) {
        scroll -= caretPos - maxCaret;
        caretPos = maxCaret;
    }
}

int CellEditor::BottomLineHeight() const {
    const std::vector<LineExtent> lines = DisplayLines();
    return lines.empty() ? 0 : lines.back().height;
}

int CellEditor::ScrollToCaret() {
    ScrollAxis(caretX_, scrollX_, contentWidth_, clientWidth_, clientWidth_);
    ScrollAxis(caretY_, scrollY_, contentHeight_, clientHeight_, std::max(0, clientHeight_ - BottomLineHeight()));
    hbar_.pos = -scrollX_;
    vbar_.pos = -scrollY_;
    UpdateScrollBars();
    return 1;
}

void CellEditor::UpdateScrollBars() {
    if (!keepScrollBars_) return;
    hbar_.range = std::max(0, contentWidth_ - clientWidth_);
    vbar_.range = std::max(0, contentHeight_ - clientHeight_);
    hbar_.enabled = hbar_.range >= 1;
    vbar_.enabled = vbar_.range >= 1;
    hbar_.pos = std::clamp(hbar_.pos, 0, hbar_.range);
    vbar_.pos = std::clamp(vbar_.pos, 0, vbar_.range);
}

void CellEditor::ScrollTo(bool horizontal, int pos) {
    int& scroll = horizontal ? scrollX_ : scrollY_;
    int& caretPos = horizontal ? caretX_ : caretY_;
    caretPos -= scroll + pos;
    scroll = -pos;
    (horizontal ? hbar_ : vbar_).pos = pos;
    UpdateCaret();
    Redraw();
}

// ---- drawing ----------------------------------------------------------------------------

std::vector<LineExtent> CellEditor::DisplayLines() const {
    if (!text_) return {};
    return Hard() ? MergeLineExtents(TextView(*text_), lines_) : lines_;
}

void CellEditor::FrameField(int x, int top, int width, int bottom) {
    back_.SetPen(Pen{PenStyle::Dot, 1, kFieldFrameColor});
    back_.MoveTo(x, top);
    back_.LineTo(x + width, top);
    back_.LineTo(x + width, bottom);
    back_.LineTo(x, bottom);
    back_.LineTo(x, top);
}

void CellEditor::DrawLine(const LineExtent& line, int y, uint32_t& lastAttr, bool& haveFont) {
    const auto& cells = text_->cells;
    int x = scrollX_;
    int skip = 0;  // Thai marks drawn with their consonant
    for (int i = line.first; i <= line.last && x < clientWidth_; ++i) {
        const TextCell& cell = cells[size_t(i)];
        const CellSize e = extents_[size_t(i)];
        const int top = y + line.height - e.height;
        if (x + e.width > 0 && skip == 0) {
            // A font is made only when the attribute changes from one cell to the next.
            const uint32_t* attr = CellAttrPtr(cell);
            if (attr && !IsPictureTableOrClock(cell.code) && (!haveFont || *attr != lastAttr)) {
                haveFont = SelectCellFont(rc_, back_, cell, CardFonts());
                lastAttr = *attr;
            }
            if (Hard() && ThaiCharClass(cell) == 5) skip = DrawThaiCluster(back_, cells, x, top, i);
            else DrawCell(rc_, back_, cell, {x, top, x + e.width, top + e.height});
            if (IsEditorFieldCell(cell.code)) FrameField(x, top, e.width, y + line.height);
        } else if (skip > 0) {
            --skip;
        }
        x += e.width;
    }
}

void CellEditor::Redraw() {
    if (back_.width() != clientWidth_ || back_.height() != clientHeight_) back_.Reset(clientWidth_, clientHeight_);
    back_.Fill(0);
    if (text_) {
        const FontScope keep(back_);
        uint32_t lastAttr = 0;
        bool haveFont = false;
        int y = scrollY_;
        for (const LineExtent& line : DisplayLines()) {
            if (y >= clientHeight_) break;
            if (y + line.height > 0) DrawLine(line, y, lastAttr, haveFont);
            y += line.height;
        }
    }
    Paint();
}

void CellEditor::Paint() {
    composed_ = back_;
    if (text_ && caret_ != anchor_) XorSelection();
}

void CellEditor::XorSelection() {
    const int lo = std::min(caret_, anchor_), hi = std::max(caret_, anchor_);
    const int rightEnd = Hard() ? clientWidth_ - scrollX_ : areaWidth();
    auto xorRect = [&](int x0, int y0, int x1, int y1) {
        x0 = std::max(0, x0 + scrollX_), x1 = std::min(composed_.width(), x1 + scrollX_);
        y0 = std::max(0, y0 + scrollY_), y1 = std::min(composed_.height(), y1 + scrollY_);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) composed_.row(y)[x] ^= kSelectionColor;
    };
    int y = 0;
    for (const LineExtent& line : DisplayLines()) {
        const int end = line.last + 1;
        if (line.first < hi && end > lo) {
            int x = 0, x0 = 0, x1 = 0;
            for (int i = line.first; i <= end && i <= line.last + 1; ++i) {
                if (i == std::max(lo, line.first)) x0 = x;
                if (i == std::min(hi, end)) x1 = x;
                if (i <= line.last) x += extents_[size_t(i)].width;
            }
            if (hi > end) x1 = std::max(x1, rightEnd);  // the selection goes on: to the line's right end
            xorRect(x0, y, x1, y + line.height);
        }
        y += line.height;
    }
}

}  // namespace ledsuite
