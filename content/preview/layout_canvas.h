#pragma once
// LayoutCanvas: the drawing surface of the view. It shows the selected screen as a
// magnified LED picture of the selected program set (1 to 30 pixels per LED) with
// each area's content drawn statically, lets the user pan, zoom, select an area by
// clicking it and move or resize the selected area, and hosts the preview player.
//
// No Qt here: the canvas renders into RawImages (the LED picture at one pixel per LED
// and the back image at the client size, both 0x00RRGGBB rows the view wraps in a
// QImage without a copy); outlines, handles, size labels and dimension lines are
// handed to the view as data (CanvasOverlay). The view reaches the canvas through
// the free functions below from its handlers and from a 10 ms timer on the UI thread
// (PreviewThreadProc); the canvas reaches the view through CanvasWindow.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/model/program_tree.h"
#include "content/model/raw_image.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"

namespace ledsuite {

class PreviewPlayer;

// Preview run states.
constexpr uint16_t kPreviewStopped = 0;
constexpr uint16_t kPreviewRunning = 1;
constexpr uint16_t kPreviewStopRequested = 0xFFFF;

// Key flags of a mouse event, as the platform numbers them.
constexpr uint32_t kCanvasKeyLeftButton = 0x0001;
constexpr uint32_t kCanvasKeyControl = 0x0008;

// Drag modes and hit parts.
constexpr uint16_t kDragNone = 0xFFFF;
constexpr uint16_t kDragPan = 1;
constexpr uint16_t kDragArea = 2;
constexpr uint16_t kHitMove = 0;
constexpr uint16_t kHitLeft = 1;
constexpr uint16_t kHitTop = 2;
constexpr uint16_t kHitRight = 3;
constexpr uint16_t kHitBottom = 4;
constexpr uint16_t kHitNone = 0xFFFF;

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 30;

// Pens and colours of the overlay (0x00RRGGBB).
constexpr uint32_t kFramePenColour = 0x78E678;
constexpr uint32_t kSelectionPenColour = 0xFF00FF;
constexpr uint32_t kAreaPenColour = 0x0000FF;
constexpr uint32_t kDimensionPenColour = 0x00FF00;
constexpr uint32_t kHandleColour = 0xFFFF00;
constexpr uint32_t kSizeLabelColour = 0xFF00B4;
constexpr int kSizeLabelHeight = 12;
constexpr int kSizeLabelWeight = 500;

// What the view draws over the back image, in canvas pixels.
struct OverlayRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    uint32_t colour = 0;
    int penWidth = 1;
    bool filled = false;  // the handles are filled squares
    bool operator==(const OverlayRect&) const = default;
};
struct OverlayLine {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint32_t colour = 0;
    int penWidth = 1;
    bool operator==(const OverlayLine&) const = default;
};
struct OverlayText {
    int x = 0, y = 0;  // top-left of the text
    std::u16string text;
    uint32_t colour = 0;
    int pixelHeight = kSizeLabelHeight;
    int weight = kSizeLabelWeight;
    bool operator==(const OverlayText&) const = default;
};
struct CanvasOverlay {
    std::vector<OverlayRect> rects;  // area outlines first, then the selected area, then its handles
    std::vector<OverlayText> labels;
    std::vector<OverlayLine> lines;
    bool empty() const { return rects.empty() && labels.empty() && lines.empty(); }
    void clear() { rects.clear(), labels.clear(), lines.clear(); }
};

// The tree item the tree page has selected: depth 0 the screen, 1 a program set, 2 a
// program; -1 none.
struct CanvasSelection {
    int depth = -1;
    size_t set = 0;
    size_t program = 0;
};

// What the canvas needs of the window that shows it. The view implements it.
class CanvasWindow {
public:
    virtual ~CanvasWindow() = default;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // A screen point to client coordinates; false when it is not on the window.
    virtual bool ScreenToClient(int& x, int& y) const = 0;
    // Copy the back image (and the overlay) to the window.
    virtual void PresentCanvas() = 0;
    // The main frame's navigation mode is multi-screen: nothing of the canvas is shown.
    virtual bool MultiScreenMode() const { return false; }
    // A click selected another program: select it in the tree (IMC_PROGRAM_SELECTED).
    virtual void ProgramSelected(size_t /*set*/, size_t /*program*/, ProgramRecord& /*record*/) {}
    // The mouse moved or resized the selected area (IMC_AREA_GEOMETRY_CHANGED).
    virtual void AreaGeometryChanged(ProgramRecord& /*record*/) {}
};

// Milliseconds of a monotonic clock; the preview reads time only through it.
using PreviewClock = std::function<uint64_t()>;
// The steady clock of the process.
uint64_t SteadyMilliseconds();

struct LayoutCanvas {
    CanvasWindow* window = nullptr;  // null until attached
    RenderContext* rc = nullptr;     // the UI thread's renderer, given at InitCanvas
    int backWidth = 0;
    int backHeight = 0;
    ProgramTree* tree = nullptr;  // the active tree, set by the view
    CanvasSelection selection;
    int originX = 0;  // canvas position of LED (0, 0)
    int originY = 0;
    int zoom = 1;  // pixels per LED, kMinZoom..kMaxZoom
    RawImage ledImage;   // the screen at one pixel per LED
    RawImage backImage;  // the client area, 32-bit
    CanvasOverlay overlay;
    std::array<uint16_t, 4> borderOffsets{};  // left, top, right, bottom strips
    uint32_t tick = 0;
    uint32_t mouseFlags = 0;
    uint16_t dragMode = kDragNone;
    uint16_t hitPart = kHitNone;
    int lastX = 0;
    int lastY = 0;
    int appliedX = 0;  // LED offset already applied to the area being moved
    int appliedY = 0;
    uint16_t runState = kPreviewStopped;
    // The view the preview last composed the back image with (its size, the screen's
    // rectangle on it, the origin, the zoom, the LED image's size and the colour code):
    // while it stays, the grey around the screen is still in place, and so is every LED
    // not drawn since. Empty otherwise.
    std::array<int, 12> composedFrame{};
    // The LED rectangles the preview has drawn since it last composed the back image, and
    // the LED image as the compositions since the view was set found it (drawn) and showed
    // it (lit as the screen): a drawn LED row that is as it was is not lit or composed again.
    std::vector<PixelRect> drawnLeds;
    RawImage foundLeds;
    RawImage shownLeds;
    PreviewClock clock;  // SteadyMilliseconds unless a test sets another
    std::unique_ptr<PreviewPlayer> player;

    LayoutCanvas();
    ~LayoutCanvas();
    LayoutCanvas(const LayoutCanvas&) = delete;
    LayoutCanvas& operator=(const LayoutCanvas&) = delete;
};

// ---- life cycle --------------------------------------------------------------------
// Every field cleared: zoom 1, empty images (thresholds 0x80, pause 30), mouse flags 0,
// drag mode and hit part none, run state 0; text is drawn with `rc`.
void InitCanvas(LayoutCanvas& canvas, RenderContext& rc);
// Attaches the window once (a null window or a second attach does nothing): the back
// image takes the client size and the layout is rendered. 1 when attached now, else 0.
int AttachCanvas(LayoutCanvas& canvas, CanvasWindow* window);
// The back image becomes width x height (32-bit, zero) and the layout is rendered
// without being shown. A size below 1 leaves an empty back image.
void ResizeCanvas(LayoutCanvas& canvas, int width, int height);
// Stops a running preview at once, then frees both images and detaches the window.
void ReleaseCanvas(LayoutCanvas& canvas);

// ---- drawing -----------------------------------------------------------------------
// Renders the selected program set into the LED image, composes the back image, builds
// the overlay and, with `show`, presents it. Nothing without a tree or while the preview
// runs; a pending stop is finished first.
void RenderLayout(LayoutCanvas& canvas, bool show);
// Presents the back image unless the window is in multi-screen mode.
void ShowCanvas(LayoutCanvas& canvas);
// Zoom 1 and the screen centred in the back image, then renders.
void CentreSelectedScreen(LayoutCanvas& canvas);
// The same, then shows.
void ResetCanvasView(LayoutCanvas& canvas);
// Zoom in (delta below 0) or out (1 or more) by one about a screen point on the back
// image; the LED under the point stays. 1 when the point lay on the back image, else 0.
int CanvasWheelZoom(LayoutCanvas& canvas, int delta, int screenX, int screenY);

// ---- geometry ----------------------------------------------------------------------
// With handles: 1 to 4 for a point within 5 (in x and in y) of the midpoint of the
// left, top, right or bottom side; else 0 inside the rectangle (edges included), else
// kHitNone.
uint16_t HitTestArea(int x, int y, bool withHandles, int left, int top, int right, int bottom);
// LED position of a canvas pixel: trunc((x - origin) / zoom + 0.5) in single precision.
int CanvasToLedX(const LayoutCanvas& canvas, int x);
int CanvasToLedY(const LayoutCanvas& canvas, int y);
// Canvas pixel of an LED position: zoom x position + origin.
int LedToCanvasX(const LayoutCanvas& canvas, int x);
int LedToCanvasY(const LayoutCanvas& canvas, int y);

// ---- mouse ---------------------------------------------------------------------------
// Button down at a client point: pan with Ctrl held, else edit the selected area when
// the point hits it or one of its handles, else select the first area (tree order)
// under the point.
void CanvasMouseDown(LayoutCanvas& canvas, uint32_t keyFlags, int x, int y);
// Drag while the left button stays down: pan, or move / resize the area within the
// screen; then renders and shows.
void CanvasMouseMove(LayoutCanvas& canvas, uint32_t keyFlags, int x, int y);
// Button up: the drag ends.
void CanvasMouseUp(LayoutCanvas& canvas);

// ---- tree ----------------------------------------------------------------------------
// The program set the canvas shows (the selected set, or the selected program's set),
// the selected program, and the screen; null when there is none.
ProgramSetNode* ShownProgramSet(LayoutCanvas& canvas);
ProgramNode* SelectedProgram(LayoutCanvas& canvas);

// ---- preview -------------------------------------------------------------------------
// With `run` the preview starts (a run still stopping is finished first); without it a
// running preview is asked to stop. Other cases do nothing.
void SetPreviewRunning(LayoutCanvas& canvas, bool run);
// The view's 10 ms timer: plays the rounds that are due by the canvas clock and shows
// the result; a requested stop ends the run here (tick and run state 0, the static
// layout rendered and shown). Returns the run state afterwards.
uint16_t PreviewThreadProc(LayoutCanvas& canvas);

}  // namespace ledsuite
