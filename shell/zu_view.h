#pragma once
// CZUView: the upper pane of the left column. It shows the layout canvas of the selected
// program set (the canvas's back image wrapped in a QImage without a copy, with the
// outlines, handles, size labels and dimension lines drawn over it), feeds mouse and
// wheel to the canvas, runs zoom and the preview on request. The preview stepper is
// driven from a 10 ms timer on the UI thread; the canvas keeps the run state
// (0 stopped, 1 running, 0xFFFF stop requested).
//
// Two list panes lie over the canvas, hidden in single-screen mode: the server program
// list and the vehicle list. Multi-screen mode shows the vehicle list above the server
// program list in place of the canvas. The context menu (119) offers the zoom commands.
#include <QTimer>
#include <QWidget>

#include "content/render/font_renderer.h"
#include "content/imc_codes.h"
#include "content/preview/layout_canvas.h"
#include "content/render/render_context.h"
#include "content/model/text_content.h"

class QImage;
class QMenu;

namespace ledsuite {

class CViewTree;
class ListViewCarInfo;
class ListViewProgramServer;

class CZUView : public QWidget, public InternalTarget, public CanvasWindow {
    Q_OBJECT
public:
    CZUView(QWidget* parent, InternalChannel* channel);
    ~CZUView() override;

    intptr_t onInternal(int code, intptr_t arg) override;

    LayoutCanvas& Canvas() { return canvas_; }
    const CViewTree* ShownTree() const { return shown_; }
    uint16_t Mode() const { return mode_; }
    bool PreviewTimerActive() const { return timer_.isActive(); }
    ListViewProgramServer* ServerProgramList() const { return serverList_; }
    ListViewCarInfo* VehicleList() const { return vehicleList_; }
    QMenu* ContextMenu() const { return contextMenu_; }
    // The back image as the view shows it (shares the canvas's pixels).
    QImage BackImage() const;

    // CanvasWindow.
    int ClientWidth() const override { return width(); }
    int ClientHeight() const override { return height(); }
    bool ScreenToClient(int& x, int& y) const override;
    void PresentCanvas() override { update(); }
    bool MultiScreenMode() const override { return mode_ == 1; }
    void ProgramSelected(size_t set, size_t program, ProgramRecord& record) override;
    void AreaGeometryChanged(ProgramRecord& record) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowTree(CViewTree* tree);
    void SetMode(intptr_t mode);
    void PlaceLists();
    void TakeSelection();
    void OnPreviewTick();
    void ZoomAboutCentre(int delta);
    void DrawOverlay(QPainter& painter) const;

    InternalChannel* channel_;
    FontRenderer fonts_;
    FontTables faces_;
    RenderContext rc_;
    LayoutCanvas canvas_;
    CViewTree* shown_ = nullptr;
    uint16_t mode_ = 0;
    QTimer timer_;
    ListViewProgramServer* serverList_;
    ListViewCarInfo* vehicleList_;
    QMenu* contextMenu_ = nullptr;
};

}  // namespace ledsuite
