#pragma once
// The editing surface: the child window in which a program's rich text is edited. It
// owns one CellEditor and turns keys, input-method commits, the mouse, the scroll bars,
// the clipboard, dropped files and its context menu into engine operations; after every
// change of the content it sends IMC_REDRAW_LAYOUT to its owner. The text editor window
// holds one for the program text, the table editor one for the cell being edited.
#include <functional>
#include <memory>

#include <QAbstractScrollArea>
#include <QStringList>

#include "content/model/records.h"
#include "editors/cell_editor.h"
#include "editors/edit_rules.h"

class QMenu;

namespace ledsuite {

class CIconPicker;

class CEditEx : public QAbstractScrollArea, public InternalTarget {
    Q_OBJECT
public:
    // Runs the item dialog of a field on its object; true on OK. Replaces the picture, A/D
    // value, timer, counter and clock dialogs when set.
    using ItemDialogRunner = std::function<bool(CEditEx& surface, ItemDialog kind, CellObject& object)>;

    // `owner` receives IMC_CELL_NOTIFY, IMC_CELL_VALUE, IMC_SHOW_GRID_EDITOR and
    // IMC_REDRAW_LAYOUT; `rc` draws the text and outlives the surface.
    CEditEx(QWidget* parent, InternalChannel* owner, RenderContext& rc);
    ~CEditEx() override;

    intptr_t onInternal(int code, intptr_t arg) override;

    CellEditor& engine() { return *engine_; }
    ProgramRecord* record() const { return record_; }
    CIconPicker* clockPicker() const { return clockPicker_; }

    // Binds the engine to the record's text, movement class and area.
    void Attach();
    int InsertCode(char16_t code, bool notify);
    // Inserts a field sequence (the last code with notification).
    void InsertSequence(std::u16string_view codes);
    int InsertValueField(char16_t code, std::unique_ptr<CellObject> field);
    void SetStyleBits(uint32_t attr, uint32_t mask);
    void SetAlignment(int value);
    void SetVerticalAverage(int value);
    void SetFontSetMode(uint8_t mode);
    void NotifyChanged();
    // Redraws, shows and announces a change of the content.
    void ShowChange();

    void Copy();
    void Cut();
    // Pastes text before a bitmap; with `query` only reports whether either is offered.
    int Paste(bool query = false);
    void SelectAll();
    // The dropped files (paths): text files typed in, pictures inserted. What was inserted.
    int OnDropFiles(const QStringList& paths);
    void OnEditItem();
    void OnToAnimate(int command);
    void OnInsertField(int command);
    // Runs a menu command (clipboard, edit, animations, fields).
    void OnCommand(int command);
    // Ctrl+A selects all, Ctrl+C copies, Ctrl+V pastes, Ctrl+X cuts; true when the key was one.
    bool PreTranslateMessage(QKeyEvent* event);
    // Shows the context menu at a screen point and runs the chosen command.
    void OnContextMenu(const QPoint& screenPoint);
    // The context menu with its entries enabled for the current selection; the caller owns it.
    QMenu* BuildContextMenu();
    void SetItemDialogRunner(ItemDialogRunner runner) { dialogRunner_ = std::move(runner); }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // Shows the engine's frame, caret and scroll bars after an engine operation.
    void Refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnChar(char16_t c);
    bool RunItemDialog(ItemDialog kind, CellObject& object);
    void InsertNewValueField(int command);
    void SyncScrollBars();

    InternalChannel* owner_;
    std::unique_ptr<CellEditor> engine_;
    ProgramRecord* record_ = nullptr;
    CIconPicker* clockPicker_ = nullptr;
    ItemDialogRunner dialogRunner_;
    bool syncing_ = false;
};

}  // namespace ledsuite
