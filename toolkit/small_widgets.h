#pragma once
// Small pieces several windows share: an item delegate for owner-drawn rows, the picture
// list box, menu-item helpers, the preview lock and the splitter it freezes.
#include <functional>

#include <QListWidget>
#include <QSplitter>
#include <QStyledItemDelegate>

class QAction;
class QMenu;

namespace ledsuite {

// Draws every item through `draw`; every item is `height` pixels high.
class OwnerDrawDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using DrawFn = std::function<void(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)>;
    OwnerDrawDelegate(DrawFn draw, int height, QObject* parent) : QStyledItemDelegate(parent), draw_(std::move(draw)), height_(height) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    DrawFn draw_;
    int height_;
};

// The item frame shared by the swatch and picture lists: a focus rectangle for the
// focused item, else (or for a disabled item) the background; returns the item's
// rectangle inset by 2 pixels, where the swatch or picture goes.
QRect DrawOwnerDrawFrame(QPainter* painter, const QStyleOptionViewItem& option);

// A list box of pictures: each item shows its picture stretched into the item less a
// 2-pixel margin, no text.
class CListBoxEx : public QListWidget {
    Q_OBJECT
public:
    explicit CListBoxEx(QWidget* parent = nullptr);
    // Items are 16 pixels high (the colour combo's swatches too).
    static int MeasureItem() { return 16; }
    // Appends an item showing `bitmap` (a null pixmap leaves the item empty); its row.
    int AddBitmap(const QPixmap& bitmap);
    void DrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

// Menu items are found by their command id, kept as the action's data, in the menu
// (a QMenu or QMenuBar) and its submenus. False when no item has the id.
QAction* FindMenuItem(QWidget* menu, int commandId);
bool SetMenuItemText(QWidget* menu, int commandId, const QString& text);
bool SetMenuItemDisabled(QWidget* menu, int commandId, bool disabled);

// On while the preview plays: the layout may not change. Set by the main frame.
bool PreviewLock();
void SetPreviewLock(bool on);

// A splitter whose bars neither move nor show the resize cursor while PreviewLock() is on.
class CFixedSplitter : public QSplitter {
    Q_OBJECT
public:
    using QSplitter::QSplitter;
    static CFixedSplitter* CreateObject(Qt::Orientation orientation, QWidget* parent = nullptr) {
        return new CFixedSplitter(orientation, parent);
    }

protected:
    QSplitterHandle* createHandle() override;
};

}  // namespace ledsuite
