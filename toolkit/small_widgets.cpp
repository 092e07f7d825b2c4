#include "toolkit/small_widgets.h"

#include <atomic>

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace ledsuite {

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    painter->save();
    draw_(painter, option, index);
    painter->restore();
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
}

QRect DrawOwnerDrawFrame(QPainter* painter, const QStyleOptionViewItem& option) {
    const bool enabled = option.state & QStyle::State_Enabled;
    if ((option.state & QStyle::State_HasFocus) || !enabled) {
        painter->fillRect(option.rect, option.palette.base());
        painter->setPen(QPen(option.palette.text().color(), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    } else {
        painter->fillRect(option.rect, option.palette.base());
    }
    return option.rect.adjusted(2, 2, -2, -2);
}

CListBoxEx::CListBoxEx(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new OwnerDrawDelegate(
        [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) { DrawItem(p, o, i); }, MeasureItem(),
        this));
}

int CListBoxEx::AddBitmap(const QPixmap& bitmap) {
    auto* item = new QListWidgetItem(this);
    item->setData(Qt::UserRole, bitmap);
    return row(item);
}

void CListBoxEx::DrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QRect inner = DrawOwnerDrawFrame(painter, option);
    const QPixmap bitmap = index.data(Qt::UserRole).value<QPixmap>();
    if (bitmap.isNull())
        painter->fillRect(inner, option.palette.base());
    else
        painter->drawPixmap(inner, bitmap);
}

QAction* FindMenuItem(QWidget* menu, int commandId) {
    if (!menu) return nullptr;
    for (QAction* action : menu->actions()) {
        if (action->data().isValid() && action->data().toInt() == commandId) return action;
        if (QAction* inner = FindMenuItem(action->menu(), commandId)) return inner;
    }
    return nullptr;
}

bool SetMenuItemText(QWidget* menu, int commandId, const QString& text) {
    QAction* action = FindMenuItem(menu, commandId);
    if (action) action->setText(text);
    return action;
}

bool SetMenuItemDisabled(QWidget* menu, int commandId, bool disabled) {
    QAction* action = FindMenuItem(menu, commandId);
    if (action) action->setEnabled(!disabled);
    return action;
}

namespace {
std::atomic<bool> g_previewLock{false};

// A splitter bar that ignores the mouse and shows the plain cursor while the lock is on.
class FixedSplitterHandle : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    bool event(QEvent* event) override {
        switch (event->type()) {
            case QEvent::Enter:
            case QEvent::HoverMove:
            case QEvent::MouseMove:
                if (PreviewLock())
                    setCursor(Qt::ArrowCursor);
                else
                    setCursor(orientation() == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
                break;
            default: break;
        }
        if (PreviewLock()) {
            switch (event->type()) {
                case QEvent::MouseButtonPress:
                case QEvent::MouseButtonRelease:
                case QEvent::MouseButtonDblClick:
                case QEvent::MouseMove: event->accept(); return true;
                default: break;
            }
        }
        return QSplitterHandle::event(event);
    }
};
}  // namespace

bool PreviewLock() { return g_previewLock.load(); }
void SetPreviewLock(bool on) { g_previewLock = on; }

QSplitterHandle* CFixedSplitter::createHandle() { return new FixedSplitterHandle(orientation(), this); }

}  // namespace ledsuite
