#pragma once
// The editable report list: per-row colour pairs, four in-place editors that the list's
// owner places over a cell, and the begin / end editing protocol with the owner.
#include <array>
#include <cstdint>
#include <optional>

#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimeEdit>

class QToolButton;

namespace ledsuite {

// The owner protocol's message codes (kept for owners that relay them by number):
// BeginCellEdit / EndCellEdit carry the same (column, row) pair.
inline constexpr int MSG_END_CELL_EDIT = 0x700;
inline constexpr int MSG_BEGIN_CELL_EDIT = 0x701;

// True for the characters the list swallows instead of starting a type-ahead search:
// the ASCII letters and digits (other characters still search).
bool BlocksTypeAhead(QChar c);

struct CellHit {
    int row = -1;  // -1: no row, or a point outside every column
    int column = -1;
};

// Text and background (0x00BBGGRR) of a report-list row: the first selected row is
// white on blue, rows from 2048 on black on white, the others take their colour byte
// (low nibble text, high nibble background) from VgaPalette16.
struct RowPaint {
    uint32_t text, back;
};
RowPaint RowPaintColors(int row, int firstSelectedRow, uint8_t colorByte);

// The report list the list helpers work on; CMyListCtrl is one.
using CListCtrlEx = QTableWidget;

class CMyListCtrl;

// What the four editors share: the cell being edited, the escape flag, and ending the
// edit (hide, then hand the text, or none after Esc, to the list).
class InPlaceEditor {
public:
    virtual ~InPlaceEditor() = default;
    int Row() const { return row_; }
    int Column() const { return column_; }
    bool Escaped() const { return escape_; }
    bool Editing() const { return editing_; }
    void EndEdit();

protected:
    InPlaceEditor(CMyListCtrl* list, QWidget* self) : list_(list), self_(self) {}
    void BeginEdit(int row, int column, const QRect& rect);
    // Enter and Esc end the edit and give the focus back to the list; true when handled.
    bool HandleEditKey(QKeyEvent* event);
    // Claims a key for the editor before any window shortcut sees it: Enter and Esc, and
    // with `textKeys` also Delete and every key pressed with Ctrl (so that Ctrl+S in an
    // open cell does not save the window with the edit uncommitted). True when claimed.
    static bool ClaimKey(QEvent* event, bool textKeys);
    // Tab and Shift+Tab end the edit, keeping the text as a focus loss does, instead of
    // moving the list's current cell under the open editor. True when handled.
    bool HandleTabKey(QEvent* event);
    // Gives the focus back to the list, which ends the edit through the focus loss (or
    // directly when the editor did not hold the focus). An edit that the owner opens in
    // answer to the end stays open.
    void ReturnFocusToList();
    // Any focus loss ends the edit, except to a popup (the drop-down list included) or
    // another application window.
    void HandleFocusOut(QFocusEvent* event);
    virtual QString EditorText() const = 0;

    CMyListCtrl* list_;
    QWidget* self_;
    int row_ = -1, column_ = -1;
    bool escape_ = false;
    bool editing_ = false;
    unsigned serial_ = 0;  // counts the edits this editor began
};

// Drop-down list editor.
class CInPlaceList : public QComboBox, public InPlaceEditor {
    Q_OBJECT
public:
    explicit CInPlaceList(CMyListCtrl* list);
    void Show(int row, int column, const QRect& rect, const QStringList& strings, int selection);
    void hidePopup() override;  // closing the drop-down ends the edit, with the entry picked there

protected:
    bool event(QEvent* event) override;
    // Esc in the open drop-down marks the edit escaped before the drop-down closes.
    bool eventFilter(QObject* watched, QEvent* event) override;
    QString EditorText() const override { return currentText(); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// Time editor, "HH:mm:ss".
class CInPlaceTime : public QTimeEdit, public InPlaceEditor {
    Q_OBJECT
public:
    explicit CInPlaceTime(CMyListCtrl* list);
    void Show(int row, int column, const QRect& rect, QTime time);

protected:
    bool event(QEvent* event) override;
    QString EditorText() const override { return time().toString(QStringLiteral("HH:mm:ss")); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// Text editor; grows to the right while the text outgrows it.
class CInPlaceEdit : public QLineEdit, public InPlaceEditor {
    Q_OBJECT
public:
    explicit CInPlaceEdit(CMyListCtrl* list);
    void Show(int row, int column, const QRect& rect, const QString& text);
    const QString& InitialText() const { return initial_; }

protected:
    bool event(QEvent* event) override;
    QString EditorText() const override { return text(); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FitText();
    QString initial_;
};

// Text editor with a "..." button that picks a file.
class CInPlaceEditBrowseCtrl : public QLineEdit, public InPlaceEditor {
    Q_OBJECT
public:
    explicit CInPlaceEditBrowseCtrl(CMyListCtrl* list);
    void Show(int row, int column, const QRect& rect, const QString& text);
    // Name filter ("Music (*.mp3 *.wav)") and title of the file dialog.
    void SetFilter(const QString& filter) { filter_ = filter; }
    void SetTitle(const QString& title) { title_ = title; }
    QToolButton* BrowseButton() const { return button_; }
    void Browse();

protected:
    bool event(QEvent* event) override;
    QString EditorText() const override { return text(); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* button_;
    QString filter_, title_;
    bool browsing_ = false;  // the file dialog has the focus: no end of edit
};

class CMyListCtrl : public CListCtrlEx {
    Q_OBJECT
public:
    static constexpr int kRowColorCount = 4096;
    static constexpr uint8_t kDefaultRowColor = 0xF0;  // black on white

    explicit CMyListCtrl(QWidget* parent = nullptr);

    // The colour byte of a row; rows outside the table read as the default.
    uint8_t RowColor(int row) const;
    // Sets a row's colour byte and repaints it; false for a row outside 0..4095.
    bool SetRowColor(int row, uint8_t colors);
    // Owner-drawn look: alternating row fills, a frame round the focused row, check marks.
    void SetOwnerDraw(bool on);
    bool OwnerDraw() const { return ownerDraw_; }
    int FirstSelectedRow() const;

    // The cell under a viewport point.
    CellHit HitTestCell(QPoint point) const;
    // The editor rectangle of a cell (viewport coordinates), scrolling it into view;
    // none for a row or column outside the table or a column narrower than 10 pixels.
    std::optional<QRect> GetCellRect(int row, int column);

    // The owner's answers to BeginCellEdit: each opens its editor over the cell.
    void ShowInPlaceList(int row, int column, const QStringList& strings, int selection = 0);
    void ShowInPlaceEdit(int row, int column, const QString& text);
    void ShowInPlaceTime(int row, int column, int64_t time);  // seconds since 1970, shown in local time
    void ShowInPlaceBrowseEdit(int row, int column, const QString& text);

    CInPlaceList* InPlaceList();
    CInPlaceEdit* InPlaceEdit();
    CInPlaceTime* InPlaceTime();
    CInPlaceEditBrowseCtrl* InPlaceBrowseEdit();

    // An editor has closed: stores the text (none after Esc) into the editor's cell and
    // reports the end of the edit with that cell.
    void OnEndLabelEdit(int row, int column, const std::optional<QString>& text);
    // Ends an open edit as a focus loss does (the text is stored), the focus going to the
    // list: for an owner about to change what the list shows.
    void EndInPlaceEdit();
    CellHit LastDoubleClickedCell() const { return lastDoubleClick_; }

signals:
    void BeginCellEdit(int column, int row);
    void EndCellEdit(int column, int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class InPlaceEditor;
    void EndActiveEdit();

    std::array<uint8_t, kRowColorCount> RowColors;
    bool ownerDraw_ = false;
    CellHit lastDoubleClick_;
    InPlaceEditor* active_ = nullptr;
    CInPlaceList* list_ = nullptr;
    CInPlaceEdit* edit_ = nullptr;
    CInPlaceTime* time_ = nullptr;
    CInPlaceEditBrowseCtrl* browse_ = nullptr;
};

}  // namespace ledsuite
