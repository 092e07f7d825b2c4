#include "shell/zu_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "content/render/font_tables.h"
#include "shell/list_view_car_info.h"
#include "shell/list_view_program_server.h"
#include "shell/shell_texts.h"
#include "toolkit/qt_text.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

namespace {
constexpr int kPreviewTickMs = 10;
constexpr int kServerListId = 6, kVehicleListId = 7;

// A list pane over the view's client area, hidden until multi-screen mode.
template <class ListView>
ListView* HiddenList(QWidget* view, InternalChannel* channel, int id) {
    auto* list = new ListView(view, channel);
    list->setObjectName(QStringLiteral("ROZIVovo"));
    list->setProperty("controlId", id);
    list->hide();
    return list;
}
// Menu 119: Zoom in, Zoom out and Center, with the main toolbar's ids and labels.
constexpr int kZoomCommands[3] = {32843, 32844, 32845};
constexpr int kZoomLabels[3] = {12, 13, 14};
QColor Rgb(uint32_t c) { return QColor::fromRgb(QRgb(0xFF000000u | c)); }
}  // namespace

CZUView::CZUView(QWidget* parent, InternalChannel* channel)
    : QWidget(parent), channel_(channel), faces_(MakeFaceLists<FontTables>()), rc_(fonts_, faces_),
      serverList_(HiddenList<ListViewProgramServer>(this, channel, kServerListId)),
      vehicleList_(HiddenList<ListViewCarInfo>(this, channel, kVehicleListId)) {
    setObjectName(QStringLiteral("CZUView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitCanvas(canvas_, rc_);
    contextMenu_ = new QMenu(this);
    for (int how = 0; how < 3; ++how) {
        QAction* a = contextMenu_->addAction(ToQString(ToolbarLabel(kZoomLabels[how])));
        a->setData(kZoomCommands[how]);
        connect(a, &QAction::triggered, this, [this, how] { onInternal(IMC_ZOOM, how); });
    }
    timer_.setInterval(kPreviewTickMs);
    connect(&timer_, &QTimer::timeout, this, &CZUView::OnPreviewTick);
}

CZUView::~CZUView() {
    timer_.stop();
    ReleaseCanvas(canvas_);  // stops a running preview first
}

QImage CZUView::BackImage() const {
    const RawImage& img = canvas_.backImage;
    if (!img.is32()) return {};
    return QImage(img.pixels.data(), img.width, img.height, img.stride(), QImage::Format_RGB32);
}

bool CZUView::ScreenToClient(int& x, int& y) const {
    const QPoint p = mapFromGlobal(QPoint(x, y));
    x = p.x();
    y = p.y();
    return rect().contains(p);
}

void CZUView::ProgramSelected(size_t set, size_t program, ProgramRecord&) {
    // The tree follows the click; its selection notice tells every pane (IMC_PROGRAM_SELECTED).
    if (shown_) shown_->setCurrentItem(shown_->ItemAt(int(set), int(program)));
}

void CZUView::AreaGeometryChanged(ProgramRecord&) {
    if (channel_) channel_->send(IMC_AREA_GEOMETRY_CHANGED, 0);
}

// ---- internal messages ----

void CZUView::TakeSelection() {
    const TreeItemRef ref = shown_ ? shown_->ItemRef(shown_->SelectedItem()) : TreeItemRef{};
    canvas_.selection.depth = ref.depth;
    canvas_.selection.set = ref.set < 0 ? 0 : size_t(ref.set);
    canvas_.selection.program = ref.program < 0 ? 0 : size_t(ref.program);
}

void CZUView::ShowTree(CViewTree* tree) {
    if (!tree) return;
    const bool other = tree != shown_;
    shown_ = tree;
    canvas_.tree = &tree->Programs();
    TakeSelection();
    if (!canvas_.window) return;  // the first paint attaches and renders
    if (other) ResetCanvasView(canvas_);
    else RenderLayout(canvas_, true);
}

intptr_t CZUView::onInternal(int code, intptr_t arg) {
    switch (code) {
        case IMC_SET_VIEW_MODE:
            SetMode(arg);
            return 0;
        case IMC_REDRAW_LAYOUT:
            RenderLayout(canvas_, true);
            return 0;
        case IMC_SCREEN_SELECTED:
        case IMC_PROGRAMS_SELECTED:
        case IMC_PROGRAM_SELECTED:
            if (arg) ShowTree(reinterpret_cast<CViewTree*>(arg));
            return 0;
        case IMC_PREVIEW_RUN:
            SetPreviewRunning(canvas_, arg != 0);
            if (canvas_.runState == kPreviewRunning) timer_.start();
            return 0;
        case IMC_ZOOM:
            if (arg == 2) ResetCanvasView(canvas_);
            else ZoomAboutCentre(arg == 0 ? -1 : 1);
            return 0;
        case IMC_LANGUAGE_CHANGED: {
            const QList<QAction*> zoom = contextMenu_->actions();
            for (int how = 0; how < 3; ++how) zoom[how]->setText(ToQString(ToolbarLabel(kZoomLabels[how])));
            serverList_->onInternal(code, arg);
            return vehicleList_->onInternal(code, arg);
        }
        case IMC_GET_VEHICLE_LIST:
            return vehicleList_->onInternal(code, arg);
        default:
            return 0;
    }
}

void CZUView::SetMode(intptr_t mode) {
    mode_ = uint16_t(mode);
    // Multi-screen mode shows the vehicle list above the server's program list in place of
    // the canvas (which then draws nothing); every other mode hides both lists.
    for (QWidget* list : {static_cast<QWidget*>(vehicleList_), static_cast<QWidget*>(serverList_)}) {
        list->setVisible(mode_ == 1);
        if (mode_ == 1) list->raise();
    }
    PlaceLists();
    update();
}

void CZUView::PlaceLists() {
    const int top = height() * 3 / 5;
    vehicleList_->setGeometry(0, 0, width(), top);
    serverList_->setGeometry(0, top, width(), height() - top);
}

void CZUView::contextMenuEvent(QContextMenuEvent* event) {
    // Menu 119: the view's zoom commands at the point.
    if (!MultiScreenMode()) contextMenu_->popup(event->globalPos());
}

void CZUView::ZoomAboutCentre(int delta) {
    const QPoint centre = mapToGlobal(rect().center());
    CanvasWheelZoom(canvas_, delta, centre.x(), centre.y());
}

void CZUView::OnPreviewTick() {
    if (PreviewThreadProc(canvas_) == kPreviewStopped) timer_.stop();
}

// ---- painting and input ----

void CZUView::paintEvent(QPaintEvent*) {
    if (!canvas_.window) {
        if (channel_) {
            if (auto* tree = reinterpret_cast<CViewTree*>(channel_->send(IMC_GET_ACTIVE_TREE, 0))) {
                shown_ = tree;
                canvas_.tree = &tree->Programs();
                TakeSelection();
            }
        }
        AttachCanvas(canvas_, this);
        CentreSelectedScreen(canvas_);
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (MultiScreenMode()) return;
    const QImage back = BackImage();
    if (!back.isNull()) painter.drawImage(0, 0, back);
    DrawOverlay(painter);
}

void CZUView::DrawOverlay(QPainter& painter) const {
    const CanvasOverlay& o = canvas_.overlay;
    for (const OverlayRect& r : o.rects) {
        const QRect box(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        if (r.filled) {
            painter.fillRect(box, Rgb(r.colour));
        } else {
            painter.setPen(QPen(Rgb(r.colour), r.penWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box);
        }
    }
    for (const OverlayLine& l : o.lines) {
        painter.setPen(QPen(Rgb(l.colour), l.penWidth));
        painter.drawLine(l.x0, l.y0, l.x1, l.y1);
    }
    for (const OverlayText& t : o.labels) {
        QFont font = painter.font();
        font.setPixelSize(t.pixelHeight);
        font.setWeight(QFont::Weight(t.weight));
        painter.setFont(font);
        painter.setPen(Rgb(t.colour));
        painter.drawText(QPoint(t.x, t.y + QFontMetrics(font).ascent()), ToQString(t.text));
    }
}

void CZUView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceLists();
    if (canvas_.window) ResizeCanvas(canvas_, width(), height());
}

void CZUView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    uint32_t flags = kCanvasKeyLeftButton | (event->modifiers() & Qt::ControlModifier ? kCanvasKeyControl : 0);
    CanvasMouseDown(canvas_, flags, event->position().toPoint().x(), event->position().toPoint().y());
}

void CZUView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    uint32_t flags = kCanvasKeyLeftButton | (event->modifiers() & Qt::ControlModifier ? kCanvasKeyControl : 0);
    CanvasMouseMove(canvas_, flags, event->position().toPoint().x(), event->position().toPoint().y());
}

void CZUView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) CanvasMouseUp(canvas_);
}

void CZUView::wheelEvent(QWheelEvent* event) {
    // The wheel's own sign: turned toward the user (negative) zooms in, away zooms out.
    const QPoint at = event->globalPosition().toPoint();
    const int delta = event->angleDelta().y();
    if (delta != 0) CanvasWheelZoom(canvas_, delta < 0 ? -1 : 1, at.x(), at.y());
}

}  // namespace ledsuite
