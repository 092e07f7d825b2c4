#pragma once
// The table editor: a table drawn as a spreadsheet (a header row of letters, a header
// column of numbers), a selected cell, draggable column and row borders, scrolling by
// cells, the table dialog, and one cell's rich text edited at a time in an embedded
// editing surface placed over the cell.
#include <memory>

#include <QAbstractScrollArea>

#include "content/model/records.h"
#include "content/render/render_context.h"
#include "editors/grid_editor.h"
#include "editors/ui/target_channel.h"

class QMenu;

namespace ledsuite {

class CEditEx;

class CEditGrid : public QAbstractScrollArea, public InternalTarget {
    Q_OBJECT
public:
    // `owner` (the text editor window) receives what the cell surface reports and
    // IMC_REFRESH_EDITOR after each redraw; `screen` answers IMC_GET_SCREEN_RECORD for
    // the table dialog (may be null).
    CEditGrid(QWidget* parent, InternalChannel* owner, InternalChannel* screen, RenderContext& rc);
    ~CEditGrid() override;

    intptr_t onInternal(int code, intptr_t arg) override;

    // Binds a table (an edit in progress is committed first) and shows the window.
    void SetGrid(GridObject* grid);
    GridEditor& editor() { return editor_; }
    CEditEx* cellSurface() const { return cell_; }
    int GetCellFlags() const { return editor_.GetCellFlags(); }
    void SetCellFlags(int value);
    // Puts an edit in progress back into the table; false when none was running.
    bool CommitEdit();
    // Opens the cell at the point for editing; false outside the table body.
    bool BeginEditAt(int x, int y);
    // Table properties (the table dialog, then the table resized and restyled).
    void OnTableProperties();
    QMenu* BuildContextMenu();
    void Redraw();
    // Mouse, scroll and size handling in client pixels.
    void OnLButtonDown(int x, int y);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnLButtonUp();
    void OnLButtonDblClk(int x, int y);
    // Scroll codes: 0 line back, 1 line forward, 4 and 5 to `position`.
    void OnScroll(bool horizontal, int code, int position);
    void OnSize(int width, int height);
    void OnContextMenu(const QPoint& screenPoint);
    const Surface& backBuffer() const { return back_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PaintHeaders(QPainter& p);
    void SyncScrollBars();

    InternalChannel* owner_;
    InternalChannel* screen_;
    RenderContext& rc_;
    TargetChannel channel_{this, this};
    GridEditor editor_;
    CEditEx* cell_ = nullptr;
    std::unique_ptr<ProgramRecord> work_;
    Surface back_;
    bool syncing_ = false;
};

}  // namespace ledsuite
