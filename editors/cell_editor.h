#pragma once
// The cell editing engine: edits one TextContent in place. It holds the caret and the
// selection over the 2048 cells, inserts characters, strings, pictures, clocks, value
// fields and tables, deletes, moves the caret by key and mouse, applies attribute changes
// to the selection, lays the text out, draws it into an off-screen surface in the look of
// the LED sign (black ground, field cells framed by a dotted line, the selection
// inverted) and turns selected text into animated pictures.
//
// The engine has no window: the editing surface owns one, feeds it its input, shows
// frame() and draws the caret and scroll bars from caret() and scrollBars(). It asks its
// owner for the default attribute (IMC_CELL_NOTIFY) and reports the attribute at the
// caret (IMC_CELL_VALUE) through the owner's InternalChannel.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/field_objects.h"
#include "content/imc_codes.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/render/text_layout.h"

namespace ledsuite {

// Keys the engine moves the caret with (the classic virtual-key numbers).
enum EditKey : int {
    kKeyEnd = 0x23, kKeyHome = 0x24, kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28,
    kKeyDelete = 0x2E,
};
// Mouse key flag of MouseMove: the left button is held.
constexpr int kMouseLeftButton = 1;

// Animation kinds of ToAnimate, in the order of the "To Animate" menu.
enum AnimateKind : int {
    kAnimTwinkle = 0, kAnimFlash, kAnimFrame, kAnimTwinkleFrame, kAnimHeartBeat, kAnimWave, kAnimBubbleUp,
    kAnimTurbulence,
};

// The selection colour (red 0xFF, green 0xC8, blue 0xC8), XOR-ed over selected cells.
constexpr uint32_t kSelectionColor = 0xFFC8C8;
// The dotted frame of field cells (cyan).
constexpr uint32_t kFieldFrameColor = 0x00FFFF;

// One scroll bar as the engine wants it shown.
struct ScrollBarState {
    bool enabled = false;
    int range = 0;  // 0..range
    int pos = 0;
};

// Where the owner draws the caret: 1 pixel wide, `height` high, its top at (x, y).
struct CaretPlace {
    int x = 0;
    int y = 0;
    int height = 16;
};

// Fields the engine treats as field cells (framed, kept out of copies and animations):
// pictures, tables, clocks, the date, time, name and value fields.
bool IsEditorFieldCell(char16_t code);
// Codes that need an object or belong to the card stream: never typed, pasted or dropped.
bool IsRefusedInsertCode(char16_t code);

class CellEditor {
public:
    // Create: the engine draws with `rc` (which outlives it) and talks to its owner
    // through `owner` (may be null: the default attribute is then the current one).
    CellEditor(RenderContext& rc, InternalChannel* owner);
    CellEditor(const CellEditor&) = delete;
    CellEditor& operator=(const CellEditor&) = delete;

    // Forgets the text (its objects stay with it) and the buffers.
    void Destroy();
    // Binds a text (null detaches): scroll and caret to 0, layout, redraw. 1 when bound.
    int Attach(TextContent* text, int moveClass, int left, int top, int right, int bottom);
    // Stores a new area or movement class when either differs, lays out again keeping
    // the selection, and redraws.
    void SetArea(int moveClass, int left, int top, int right, int bottom);
    // The client size; buffers follow it; redraw.
    void Resize(int width, int height);

    // The most cells the text may hold (at most 2048): a table cell's text may take only
    // the room its table has left. Typing, pasting and inserting stop there.
    void SetCellLimit(int limit);
    int CellLimit() const { return cellLimit_; }

    // ---- editing: 1 when the text changed ----
    int InsertChar(char16_t code, bool relayout);
    int InsertString(std::u16string_view text);
    // Every character as InsertChar would take it (CR becomes LF, Backspace deletes,
    // refused codes are skipped, typing stops at cell 2047 or a full text), moving the
    // text once instead of once per character: a dropped text file. 1 when it changed.
    int InsertTyped(std::u16string_view text);
    int InsertPicture(const std::string& path);
    int InsertPictureObject(std::unique_ptr<PictureObject> picture);
    int InsertBitmap(const RawImage& bitmap);
    int InsertClock();
    int InsertValueField(char16_t code, std::unique_ptr<CellObject> field);
    // A table (U+E005) holding `grid`.
    int InsertTable(std::unique_ptr<GridObject> grid);
    int DeleteSelection();
    int DeleteBack();
    int DeleteCell(int index);
    void ApplyAttrMask(uint32_t attr, uint32_t mask);
    int ToAnimate(int kind);
    void SelectAll();

    // ---- caret, selection, display ----
    int OnKey(int key);
    void MouseDown(int x, int y);
    void MouseMove(int keyFlags, int x, int y);
    // The button went up: ends a mouse selection; true when one was running.
    bool MouseUp();
    void RefreshCurrentAttr();
    void Relayout();
    int ScrollToCaret();
    void UpdateScrollBars();
    void UpdateCaret(bool force = false);
    void Redraw();
    void Paint();
    // The scroll bar's thumb moved to `pos` (horizontal or vertical).
    void ScrollTo(bool horizontal, int pos);
    // Lays out again and restores the selection (the relayout collapses it).
    void RelayoutKeepSelection();

    // ---- queries ----
    bool SelectionIsPlainText() const;
    bool SelectionIsDigits() const;
    bool SelectionIsDigitGroup() const;
    // The selected cell (code and attribute word) when exactly one is selected, else {0, 0}.
    TextCell GetSelectedCell() const;
    // The cell when exactly one is selected (its object reachable), else null.
    TextCell* SelectedCell();
    // The selected characters without field cells; 1 and `put` called when there are any.
    int CopyToClipboard(const std::function<void(const std::u16string&)>& put) const;

    TextContent* text() const { return text_; }
    int caret() const { return caret_; }
    int anchor() const { return anchor_; }
    void SetSelection(int anchor, int caret);
    uint32_t currentAttr() const { return currentAttr_; }
    void SetCurrentAttr(uint32_t attr) { currentAttr_ = attr; }
    const Surface& frame() const { return composed_; }
    const Surface& backBuffer() const { return back_; }
    CaretPlace caretPlace() const;
    // True once after UpdateCaret created a caret of a new height.
    bool TakeCaretRecreated();
    const ScrollBarState& scrollBar(bool horizontal) const { return horizontal ? hbar_ : vbar_; }
    int scrollX() const { return scrollX_; }
    int scrollY() const { return scrollY_; }
    int contentWidth() const { return contentWidth_; }
    int contentHeight() const { return contentHeight_; }
    bool mouseSelecting() const { return mouseSelecting_; }
    bool keepScrollBars() const { return keepScrollBars_; }
    void SetKeepScrollBars(bool keep) { keepScrollBars_ = keep; }
    int moveClass() const { return moveClass_; }
    int areaWidth() const { return right_ - left_; }
    int areaHeight() const { return bottom_ - top_; }
    const std::vector<LineExtent>& lines() const { return lines_; }
    const CellExtents& extents() const { return extents_; }
    RenderContext& renderContext() { return rc_; }

private:
    // Puts `run` at the caret into a text of `n` cells, as much as the limit lets in; the
    // caret goes behind it. The number placed.
    int PlaceRun(std::u16string_view run, int n);
    // Pastes `run` at the caret into a text of `n` cells: the run up to the limit, then
    // as much of the old tail as still fits. The number pasted.
    int PasteRun(std::u16string_view run, int n);
    bool Hard() const { return moveClass_ == 1 || moveClass_ == 30; }
    bool CardFonts() const { return text_ && text_->header.fontSet != 0; }
    uint32_t AskDefaultAttr();
    void ReportAttr();
    // A cell written as 'i' and then given `code` and `obj`; 0 (object freed) when refused.
    int InsertObjectCell(char16_t code, std::unique_ptr<CellObject> obj);
    int RemoveCells(int lo, int hi);
    bool RunQuery(CaretQueryKind kind, int x = 0, int y = 0);
    void TakeQuery(const CaretQuery& q);
    std::vector<LineExtent> DisplayLines() const;
    void DrawLine(const LineExtent& line, int y, uint32_t& lastAttr, bool& haveFont);
    void FrameField(int x, int top, int width, int bottom);
    void XorSelection();
    int BottomLineHeight() const;
    void ScrollAxis(int& caretPos, int& scroll, int content, int client, int maxCaret);
    std::unique_ptr<PictureObject> AnimateRun(int kind, int lo, int hi);
    void AnimateEach(int kind, int lo, int hi);

    RenderContext& rc_;
    InternalChannel* owner_;
    TextContent* text_ = nullptr;
    CellExtents extents_{};
    int caret_ = 0;
    int anchor_ = 0;
    int cellLimit_ = kMaxCells;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    uint32_t currentAttr_ = 0;
    std::vector<LineExtent> lines_;
    int caretX_ = 0;
    int caretY_ = 0;
    int caretHeight_ = 16;
    int createdCaretHeight_ = 0;
    int caretLineHeight_ = 16;
    // The caret index ends a wrapped line and stands after its last cell rather than at
    // the next line's start (End, a click past the line's end, or typing there).
    bool caretAtLineEnd_ = false;
    bool caretRecreated_ = false;
    int scrollX_ = 0;
    int scrollY_ = 0;
    Surface back_;
    Surface composed_;
    int moveClass_ = 0;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    int contentWidth_ = 0;
    int contentHeight_ = 0;
    bool mouseSelecting_ = false;
    bool keepScrollBars_ = true;
    ScrollBarState hbar_, vbar_;
};

// Frees the object of every object cell up to the terminator and zeroes all cells.
void FreeCellObjects(TextContent& text);

}  // namespace ledsuite
