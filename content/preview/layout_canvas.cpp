#include "content/preview/layout_canvas.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "content/preview/canvas_drawing.h"
#include "content/preview/preview_player.h"

namespace ledsuite {

namespace {

// A handle is hit within this many LEDs of its point, in x and in y.
constexpr int kHandleReach = 5;
// Half the side of a drawn handle square.
constexpr int kHandleHalf = 3;
constexpr int kAreaPenWidth = 2;

std::u16string Decimal(int value) {
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

bool OnBackImage(const LayoutCanvas& c, int x, int y) {
    return x >= 0 && x <= c.backWidth && y >= 0 && y <= c.backHeight;
}

OverlayRect CanvasRect(const LayoutCanvas& c, const ProgramRecord& p, uint32_t colour) {
    return {LedToCanvasX(c, p.left), LedToCanvasY(c, p.top), LedToCanvasX(c, p.right), LedToCanvasY(c, p.bottom),
            colour, kAreaPenWidth};
}

// The handle points of a rectangle: midpoints of the left, top, right and bottom sides.
std::array<std::array<int, 2>, 4> HandlePoints(int left, int top, int right, int bottom) {
    const int mx = (left + right) / 2, my = (top + bottom) / 2;
    return {{{left, my}, {mx, top}, {right, my}, {mx, bottom}}};
}

void AddAreaOutlines(LayoutCanvas& c, const ProgramSetNode& set, const ProgramNode* selected) {
    for (const ProgramNode& p : set.programs)
        if (&p != selected) c.overlay.rects.push_back(CanvasRect(c, *p.record, kAreaPenColour));
    if (!selected) return;
    const OverlayRect r = CanvasRect(c, *selected->record, kSelectionPenColour);
    c.overlay.rects.push_back(r);
    for (const auto& [hx, hy] : HandlePoints(r.left, r.top, r.right, r.bottom))
        c.overlay.rects.push_back(
            {hx - kHandleHalf, hy - kHandleHalf, hx + kHandleHalf, hy + kHandleHalf, kHandleColour, 1, true});
}

// The screen's height and width written beside it and the dimension lines.
void AddDimensions(LayoutCanvas& c, int ledWidth, int ledHeight) {
    const int ox = c.originX, oy = c.originY;
    const int shownW = ledWidth * c.zoom, shownH = ledHeight * c.zoom;
    const int right = ox + shownW, bottom = oy + shownH;
    c.overlay.labels.push_back({ox - 16, oy + shownH - shownH / 2 - 8, Decimal(ledHeight), kSizeLabelColour});
    c.overlay.labels.push_back({ox + shownW - shownW / 2 - 8, oy + shownH + 2, Decimal(ledWidth), kSizeLabelColour});
    const int segments[6][4] = {{ox, oy, ox - 24, oy},           {ox - 18, oy, ox - 18, bottom},
                                {ox, bottom, ox - 24, bottom},   {ox, bottom, ox, bottom + 20},
                                {ox, bottom + 12, right, bottom + 12}, {right, bottom, right, bottom + 20}};
    for (const auto& s : segments) c.overlay.lines.push_back({s[0], s[1], s[2], s[3], kDimensionPenColour, 1});
}

void RenderShownPrograms(LayoutCanvas& c, const ProgramSetNode& set) {
    for (const ProgramNode& node : set.programs) {
        const ProgramRecord& p = *node.record;
        const int shift = EffectMoveClass(p.mainAction) == 1 || EffectMoveClass(p.mainAction) == 30
                              ? p.mainAction.offset
                              : 0;
        RenderProgramStatic(c, p.content, p.mainAction.effect, c.tree->screen().colorCode, p.left, p.top, p.right,
                            p.bottom, 0, shift);
        if (p.borderType != 0) DrawAreaBorder(p.borderFrames, p.borderType, c, p.left, p.top, p.right, p.bottom);
    }
}

void ApplyMove(LayoutCanvas& c, ProgramRecord& p, int lx, int ly, int w, int h) {
    p.left -= c.appliedX, p.right -= c.appliedX;
    p.top -= c.appliedY, p.bottom -= c.appliedY;
    int dx = lx - CanvasToLedX(c, c.lastX), dy = ly - CanvasToLedY(c, c.lastY);
    if (p.left + dx < 0) dx = -p.left;
    if (p.right + dx > w) dx = w - p.right;
    if (p.top + dy < 0) dy = -p.top;
    if (p.bottom + dy > h) dy = h - p.bottom;
    p.left += dx, p.right += dx;
    p.top += dy, p.bottom += dy;
    c.appliedX = dx, c.appliedY = dy;
}

// An edge dragged to `value`; passing the opposite edge swaps the two and the drag
// continues on the opposite edge.
void DragEdge(int32_t& edge, int32_t& opposite, bool low, int value, uint16_t& hitPart, uint16_t oppositePart) {
    if (low ? value > opposite : value < opposite) {
        edge = opposite;
        opposite = value;
        hitPart = oppositePart;
    } else {
        edge = value;
    }
}

void EditArea(LayoutCanvas& c, ProgramRecord& p, int x, int y) {
    const int w = c.tree->screen().width, h = c.tree->screen().height;
    if (p.right > p.left + w) p.right = p.left + w;
    if (p.bottom > p.top + h) p.bottom = p.top + h;
    const int lx = CanvasToLedX(c, x), ly = CanvasToLedY(c, y);
    const int cx = std::clamp(lx, 0, w), cy = std::clamp(ly, 0, h);
    switch (c.hitPart) {
    case kHitMove: ApplyMove(c, p, lx, ly, w, h); break;
    case kHitLeft: DragEdge(p.left, p.right, true, cx, c.hitPart, kHitRight); break;
    case kHitTop: DragEdge(p.top, p.bottom, true, cy, c.hitPart, kHitBottom); break;
    case kHitRight: DragEdge(p.right, p.left, false, cx, c.hitPart, kHitLeft); break;
    case kHitBottom: DragEdge(p.bottom, p.top, false, cy, c.hitPart, kHitTop); break;
    default: return;
    }
    if (c.window) c.window->AreaGeometryChanged(p);
}

}  // namespace

uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

LayoutCanvas::LayoutCanvas() : clock(SteadyMilliseconds) {}
LayoutCanvas::~LayoutCanvas() = default;

// ---- life cycle --------------------------------------------------------------------

void InitCanvas(LayoutCanvas& c, RenderContext& rc) {
    if (c.player) FinishPreviewRun(c, false);
    c.window = nullptr;
    c.rc = &rc;
    c.backWidth = c.backHeight = 0;
    c.tree = nullptr;
    c.selection = {};
    c.originX = c.originY = 0;
    c.zoom = kMinZoom;
    InitImage(c.ledImage);
    InitImage(c.backImage);
    c.overlay.clear();
    c.borderOffsets = {};
    c.tick = 0;
    c.mouseFlags = 0;
    c.dragMode = kDragNone;
    c.hitPart = kHitNone;
    c.lastX = c.lastY = c.appliedX = c.appliedY = 0;
    c.runState = kPreviewStopped;
}

int AttachCanvas(LayoutCanvas& c, CanvasWindow* window) {
    if (c.window || !window) return 0;
    c.window = window;
    ResizeCanvas(c, window->ClientWidth(), window->ClientHeight());
    return 1;
}

void ResizeCanvas(LayoutCanvas& c, int width, int height) {
    c.backWidth = std::max(width, 0);
    c.backHeight = std::max(height, 0);
    if (!ResetImage(c.backImage, width, height)) FreeImagePixels(c.backImage);
    c.composedFrame = {};  // the back image is black now, whatever its size
    RenderLayout(c, false);
}

void ReleaseCanvas(LayoutCanvas& c) {
    if (c.runState != kPreviewStopped) FinishPreviewRun(c, false);
    FreeImagePixels(c.ledImage);
    FreeImagePixels(c.backImage);
    c.overlay.clear();
    c.window = nullptr;
}

// ---- tree ----------------------------------------------------------------------------

ProgramSetNode* ShownProgramSet(LayoutCanvas& c) {
    if (!c.tree || c.selection.depth < 1) return nullptr;
    return c.tree->set(c.selection.set);
}

ProgramNode* SelectedProgram(LayoutCanvas& c) {
    if (!c.tree || c.selection.depth != 2) return nullptr;
    return c.tree->program(c.selection.set, c.selection.program);
}

// ---- drawing -----------------------------------------------------------------------

void RenderLayout(LayoutCanvas& c, bool show) {
    if (!c.tree || c.runState == kPreviewRunning) return;
    if (c.runState == kPreviewStopRequested) FinishPreviewRun(c, false);
    c.overlay.clear();
    if (c.selection.depth < 0) {
        if (c.backImage.is32()) FillImage(c.backImage, 0);
        if (show) ShowCanvas(c);
        return;
    }
    const HardwareParams& screen = c.tree->screen();
    ResetImage(c.ledImage, LedSide(screen.width), LedSide(screen.height));
    c.tick = 0;
    c.borderOffsets = {};
    ProgramSetNode* set = ShownProgramSet(c);
    if (set) RenderShownPrograms(c, *set);
    DrawCanvasImage(c, screen.colorCode);
    if (set) AddAreaOutlines(c, *set, SelectedProgram(c));
    AddDimensions(c, c.ledImage.width, c.ledImage.height);
    if (show) ShowCanvas(c);
}

void ShowCanvas(LayoutCanvas& c) {
    if (c.window && !c.window->MultiScreenMode()) c.window->PresentCanvas();
}

void CentreSelectedScreen(LayoutCanvas& c) {
    if (!c.tree) return;
    c.originX = (c.backWidth - LedSide(c.tree->screen().width)) / 2;
    c.originY = (c.backHeight - LedSide(c.tree->screen().height)) / 2;
    c.zoom = kMinZoom;
    RenderLayout(c, false);
}

void ResetCanvasView(LayoutCanvas& c) {
    CentreSelectedScreen(c);
    ShowCanvas(c);
}

int CanvasWheelZoom(LayoutCanvas& c, int delta, int screenX, int screenY) {
    int x = screenX, y = screenY;
    if (!c.window || !c.window->ScreenToClient(x, y) || !OnBackImage(c, x, y)) return 0;
    const int old = c.zoom;
    int zoom = old;
    if (delta < 0) zoom = std::min(old + 1, kMaxZoom);
    else if (delta >= 1) zoom = std::max(old - 1, kMinZoom);
    if (zoom != old) {
        c.zoom = zoom;
        c.originX = int((int64_t(c.originX) - x) * zoom / old + x);
        c.originY = int((int64_t(c.originY) - y) * zoom / old + y);
        RenderLayout(c, true);
    }
    return 1;
}

// ---- geometry ----------------------------------------------------------------------

uint16_t HitTestArea(int x, int y, bool withHandles, int left, int top, int right, int bottom) {
    if (withHandles) {
        const auto points = HandlePoints(left, top, right, bottom);
        for (size_t i = 0; i < points.size(); ++i)
            if (std::abs(x - points[i][0]) < kHandleReach && std::abs(y - points[i][1]) < kHandleReach)
                return uint16_t(i + 1);
    }
    if (x >= left && x <= right && y >= top && y <= bottom) return kHitMove;
    return kHitNone;
}

int CanvasToLedX(const LayoutCanvas& c, int x) { return int(float(x - c.originX) / float(c.zoom) + 0.5f); }
int CanvasToLedY(const LayoutCanvas& c, int y) { return int(float(y - c.originY) / float(c.zoom) + 0.5f); }
int LedToCanvasX(const LayoutCanvas& c, int x) { return c.zoom < 1 ? x : c.zoom * x + c.originX; }
int LedToCanvasY(const LayoutCanvas& c, int y) { return c.zoom < 1 ? y : c.zoom * y + c.originY; }

// ---- mouse ---------------------------------------------------------------------------

void CanvasMouseDown(LayoutCanvas& c, uint32_t keyFlags, int x, int y) {
    c.mouseFlags = 0;
    c.dragMode = kDragNone;
    c.hitPart = kHitNone;
    if (!OnBackImage(c, x, y) || c.runState != kPreviewStopped) return;
    c.mouseFlags = keyFlags;
    c.dragMode = kDragPan;
    c.lastX = x, c.lastY = y;
    c.appliedX = c.appliedY = 0;
    if (keyFlags & kCanvasKeyControl) return;
    const int lx = CanvasToLedX(c, x), ly = CanvasToLedY(c, y);
    if (const ProgramNode* sel = SelectedProgram(c)) {
        const ProgramRecord& p = *sel->record;
        const uint16_t hit = HitTestArea(lx, ly, true, p.left, p.top, p.right, p.bottom);
        if (hit != kHitNone) {
            c.hitPart = hit;
            c.dragMode = kDragArea;
            return;
        }
    }
    ProgramSetNode* set = ShownProgramSet(c);
    if (!set) return;
    for (size_t i = 0; i < set->programs.size(); ++i) {
        ProgramRecord& p = *set->programs[i].record;
        if (HitTestArea(lx, ly, false, p.left, p.top, p.right, p.bottom) != kHitMove) continue;
        c.dragMode = kDragArea;
        if (c.selection.depth != 2 || c.selection.program != i) {
            c.selection = {2, c.selection.set, i};
            if (c.window) c.window->ProgramSelected(c.selection.set, i, p);
        }
        return;
    }
}

void CanvasMouseMove(LayoutCanvas& c, uint32_t keyFlags, int x, int y) {
    if (!(c.mouseFlags & kCanvasKeyLeftButton) || !(keyFlags & kCanvasKeyLeftButton)) return;
    if (!OnBackImage(c, x, y) || c.runState != kPreviewStopped || !c.tree) return;
    if (c.dragMode == kDragPan) {
        c.originX += x - c.lastX;
        c.originY += y - c.lastY;
        c.lastX = x, c.lastY = y;
    } else if (c.dragMode == kDragArea) {
        if (ProgramNode* sel = SelectedProgram(c)) EditArea(c, *sel->record, x, y);
    } else {
        return;
    }
    RenderLayout(c, true);
}

void CanvasMouseUp(LayoutCanvas& c) {
    c.dragMode = kDragNone;
    c.hitPart = kHitNone;
}

}  // namespace ledsuite
