// The table editor window: drawing, mouse, scrolling and the cell surface.
#include "editors/ui/edit_grid.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "content/render/item_painters.h"
#include "editors/ui/dlg_grid.h"
#include "editors/ui/edit_ex.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr int kTablePropertiesCommand = 32834;
constexpr int kCellPropertiesCommand = 32835;
const QColor kSelectionPen(0xB4, 0x00, 0xFA);  // the selected cell's outline

// The head of the record the cell surface edits: a program whose main action lays
// its text out as wrapped lines.
std::unique_ptr<ProgramRecord> MakeWorkRecord() {
    auto r = std::make_unique<ProgramRecord>();
    r->mainAction.effect = kEffectMoveUp;
    r->mainAction.speed = 21;
    r->mainAction.pause = 30;
    r->secondaryAction.effect = kEffectNone;
    r->secondaryAction.speed = 21;
    r->secondaryAction.pause = 30;
    return r;
}
}  // namespace

CEditGrid::CEditGrid(QWidget* parent, InternalChannel* owner, InternalChannel* screen, RenderContext& rc)
    : QAbstractScrollArea(parent), owner_(owner), screen_(screen), rc_(rc), work_(MakeWorkRecord()) {
    setObjectName(QStringLiteral("RARAZU"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setMouseTracking(true);
    cell_ = new CEditEx(viewport(), &channel_, rc);
    cell_->engine().SetKeepScrollBars(false);
    cell_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cell_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cell_->setFrameShape(QFrame::NoFrame);
    cell_->hide();
    cell_->onInternal(IMC_PROGRAM_SELECTED, intptr_t(work_.get()));
}

CEditGrid::~CEditGrid() { FreeCellObjects(work_->content); }

intptr_t CEditGrid::onInternal(int code, intptr_t arg) {
    // What the cell surface reports goes on to the text editor window.
    if (code == IMC_CELL_NOTIFY || code == IMC_CELL_VALUE || code == IMC_REDRAW_LAYOUT)
        return owner_ ? owner_->send(code, arg) : 0;
    return 0;
}

void CEditGrid::SetGrid(GridObject* grid) {
    CommitEdit();
    editor_.SetGrid(grid);
    SyncScrollBars();
    Redraw();
    show();
}

void CEditGrid::SetCellFlags(int value) {
    if (editor_.SetCellFlags(value)) Redraw();
}

bool CEditGrid::CommitEdit() {
    if (!editor_.editing()) return false;
    cell_->hide();
    cell_->engine().Attach(nullptr, 0, 0, 0, 0, 0);  // unbound before the text moves
    editor_.CommitCellEdit(work_->content, TextBlockMeasurer(rc_));
    cell_->onInternal(IMC_PROGRAM_SELECTED, intptr_t(work_.get()));
    cell_->hide();
    Redraw();
    return true;
}

bool CEditGrid::BeginEditAt(int x, int y) {
    CommitEdit();
    if (!editor_.SelectAt(x, y)) return false;
    const int w = editor_.columnWidth(editor_.selectedColumn());
    const int h = editor_.rowHeight(editor_.selectedRow());
    cell_->engine().Attach(nullptr, 0, 0, 0, 0, 0);
    if (!editor_.BeginCellEdit(work_->content)) return false;
    cell_->engine().SetCellLimit(editor_.CellRoom());  // typing stops where the table is full
    work_->left = work_->top = 0;
    work_->right = w;
    work_->bottom = h;
    cell_->setGeometry(editor_.selectedX(), editor_.selectedY(), w, h);
    cell_->onInternal(IMC_PROGRAM_SELECTED, intptr_t(work_.get()));
    cell_->show();
    cell_->setFocus();
    Redraw();
    return true;
}

void CEditGrid::OnTableProperties() {
    CommitEdit();
    DlgGrid dialog(this, editor_.grid(), screen_);
    if (dialog.exec() != QDialog::Accepted || !editor_.grid()) return;
    ApplyGridDialog(editor_.grid(), dialog.Values());
    SetGrid(editor_.grid());
}

QMenu* CEditGrid::BuildContextMenu() {
    static const LangText kTableProperties{{u"表格属性", u"表格屬性", u"Table Properties"}};
    static const LangText kCellProperties{{u"单元属性", u"單元屬性", u"Cell Properties"}};
    auto* menu = new QMenu(this);
    QAction* table = menu->addAction(ToQString(kTableProperties));
    table->setData(kTablePropertiesCommand);
    connect(table, &QAction::triggered, this, &CEditGrid::OnTableProperties);
    QAction* cell = menu->addAction(ToQString(kCellProperties));
    cell->setData(kCellPropertiesCommand);
    cell->setEnabled(false);
    return menu;
}

// ---- drawing ---------------------------------------------------------------------------

void CEditGrid::Redraw() {
    const int w = viewport()->width(), h = viewport()->height();
    if (back_.width() != w || back_.height() != h) back_.Reset(w, h);
    back_.Fill(0xFFFFFF);
    if (const GridObject* grid = editor_.grid()) {
        const int left = editor_.columnWidth(0), top = editor_.rowHeight(0);
        DrawGrid(rc_, back_, *grid, 0, editor_.firstColumn() - 1, editor_.firstRow() - 1, nullptr, left, top, w, h);
    }
    viewport()->update();
    if (owner_) owner_->send(IMC_REFRESH_EDITOR, 0);
}

void CEditGrid::PaintHeaders(QPainter& p) {
    const int hw = editor_.columnWidth(0), hh = editor_.rowHeight(0);
    const int w = viewport()->width(), h = viewport()->height();
    QFont font(QStringLiteral("system"));
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(Qt::black);
    auto cell = [&](const QRect& r, const QString& label) {
        p.fillRect(r, Qt::lightGray);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (!label.isEmpty()) p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, label);
    };
    cell(QRect(0, 0, hw, hh), {});
    p.drawLine(0, 0, hw - 1, hh - 1);
    for (int r = editor_.firstRow(), y = hh; r < editor_.rowCount() && y < h; y += editor_.rowHeight(r++))
        cell(QRect(0, y, hw, editor_.rowHeight(r)), QString::number(r));
    for (int c = editor_.firstColumn(), x = hw; c < editor_.columnCount() && x < w; x += editor_.columnWidth(c++))
        cell(QRect(x, 0, editor_.columnWidth(c), hh), QString(QChar(0x40 + c)));
}

void CEditGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    if (back_.width() > 0)
        p.drawImage(0, 0, QImage(back_.image().pixels.data(), back_.width(), back_.height(), back_.image().stride(),
                                 QImage::Format_RGB32));
    PaintHeaders(p);
    const uint8_t drag = editor_.dragState();
    if (drag == kDragColumn || drag == kDragRow) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        const int pos = editor_.dragPosition();
        if (drag == kDragColumn) p.drawLine(pos, 0, pos, viewport()->height());
        else p.drawLine(0, pos, viewport()->width(), pos);
    }
    if (editor_.selectedColumn() >= editor_.firstColumn() && editor_.selectedRow() >= editor_.firstRow()) {
        p.setPen(QPen(kSelectionPen, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(editor_.selectedX(), editor_.selectedY(), editor_.columnWidth(editor_.selectedColumn()),
                   editor_.rowHeight(editor_.selectedRow()));
    }
}

// ---- input -----------------------------------------------------------------------------

void CEditGrid::OnLButtonDown(int x, int y) {
    CommitEdit();
    editor_.SetDragState(uint8_t(editor_.BorderTest(x, y)));
    editor_.SetDragPosition(editor_.dragState() == kDragRow ? y : x);
    editor_.SelectAt(x, y);
    viewport()->update();
}

void CEditGrid::OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (!buttons && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        const int test = GridEditor(editor_).BorderTest(x, y);  // a copy: the drag record stays
        if (test == kDragColumn) viewport()->setCursor(Qt::SizeHorCursor);
        else if (test == kDragRow) viewport()->setCursor(Qt::SizeVerCursor);
        else if (test == kDragNone) viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    if (!(buttons & Qt::LeftButton)) return;
    if (editor_.dragState() == kDragColumn) editor_.SetDragPosition(x);
    else if (editor_.dragState() == kDragRow) editor_.SetDragPosition(y);
    else return;
    viewport()->update();
}

void CEditGrid::OnLButtonUp() {
    if (!editor_.EndDrag(editor_.dragPosition(), TextBlockMeasurer(rc_))) return;
    SyncScrollBars();
    Redraw();
}

void CEditGrid::OnLButtonDblClk(int x, int y) { BeginEditAt(x, y); }

void CEditGrid::OnScroll(bool horizontal, int code, int position) {
    CommitEdit();
    if (editor_.Scroll(horizontal, code, position)) SyncScrollBars();
    Redraw();
}

void CEditGrid::OnSize(int width, int height) {
    if (width > 0 && height > 0) Redraw();
}

void CEditGrid::OnContextMenu(const QPoint& screenPoint) {
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    menu->exec(screenPoint);
}

void CEditGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(int(event->position().x()), int(event->position().y()));
}

void CEditGrid::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->buttons(), event->modifiers(), int(event->position().x()), int(event->position().y()));
}

void CEditGrid::mouseReleaseEvent(QMouseEvent*) { OnLButtonUp(); }

void CEditGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    OnLButtonDblClk(int(event->position().x()), int(event->position().y()));
}

void CEditGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    OnSize(viewport()->width(), viewport()->height());
}

void CEditGrid::scrollContentsBy(int dx, int dy) {
    if (syncing_) return;
    if (dx) OnScroll(true, 4, horizontalScrollBar()->value());
    if (dy) OnScroll(false, 4, verticalScrollBar()->value());
}

void CEditGrid::contextMenuEvent(QContextMenuEvent* event) { OnContextMenu(event->globalPos()); }

void CEditGrid::SyncScrollBars() {
    syncing_ = true;
    horizontalScrollBar()->setRange(0, std::max(0, editor_.columnCount() - 2));
    verticalScrollBar()->setRange(0, std::max(0, editor_.rowCount() - 2));
    horizontalScrollBar()->setValue(editor_.firstColumn() - 1);
    verticalScrollBar()->setValue(editor_.firstRow() - 1);
    syncing_ = false;
}

}  // namespace ledsuite
