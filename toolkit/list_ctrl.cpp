#include "toolkit/list_ctrl.h"

#include <algorithm>

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include "toolkit/colors.h"
#include "toolkit/date_time_picker.h"

namespace ledsuite {

RowPaint RowPaintColors(int row, int firstSelectedRow, uint8_t colorByte) {
    if (row == firstSelectedRow) return {0xFFFFFF, 0xC56A31};
    if (row >= 2048) return {0x000000, 0xFFFFFF};
    return {VgaPalette16[colorByte & 15], VgaPalette16[colorByte >> 4]};
}

namespace {

// Paints the rows of a CMyListCtrl with their colour pair, or in the owner-drawn look.
class RowColorDelegate : public QStyledItemDelegate {
public:
    explicit RowColorDelegate(CMyListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (list_->OwnerDraw())
            PaintOwnerDrawn(painter, option, index);
        else
            QStyledItemDelegate::paint(painter, option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const RowPaint colors = RowPaintColors(index.row(), list_->FirstSelectedRow(), list_->RowColor(index.row()));
        option->state &= ~QStyle::State_Selected;
        option->backgroundBrush = ColorRefToQColor(colors.back);
        option->palette.setColor(QPalette::Text, ColorRefToQColor(colors.text));
    }

private:
    void PaintOwnerDrawn(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        const bool selected = option.state & QStyle::State_Selected;
        const int row = index.row();
        QRect cell = option.rect;
        p->save();
        p->fillRect(cell, selected ? option.palette.highlight().color()
                                   : ColorRefToQColor(row % 2 == 0 ? 0xFF80FF : 0x808080));
        if (row == list_->currentRow()) {  // a frame round the whole focused row
            p->setPen(ColorRefToQColor(0x800000));
            p->drawLine(cell.topLeft(), cell.topRight());
            p->drawLine(cell.bottomLeft(), cell.bottomRight());
            if (index.column() == 0) p->drawLine(cell.topLeft(), cell.bottomLeft());
            if (index.column() == list_->columnCount() - 1) p->drawLine(cell.topRight(), cell.bottomRight());
        }
        int textLeft = cell.left() + 5;
        if (index.column() == 0 && index.data(Qt::CheckStateRole).toInt() == Qt::Checked) {
            QStyleOptionButton check;
            check.rect = QRect(cell.left(), cell.top() + 2, 16, cell.height() - 4);
            check.state = QStyle::State_On | QStyle::State_Enabled;
            list_->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, p, list_);
            textLeft += 16;
        }
        p->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        p->drawText(QRect(textLeft, cell.top(), cell.right() - textLeft, cell.height()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, index.data().toString());
        p->restore();
    }

    CMyListCtrl* list_;
};

}  // namespace

// ---- editors ------------------------------------------------------------------

void InPlaceEditor::BeginEdit(int row, int column, const QRect& rect) {
    row_ = row;
    column_ = column;
    escape_ = false;
    editing_ = true;
    ++serial_;
    list_->active_ = this;
    self_->setGeometry(rect);
    self_->show();
    self_->setFocus(Qt::OtherFocusReason);
}

void InPlaceEditor::EndEdit() {
    if (!editing_) return;
    editing_ = false;
    if (list_->active_ == this) list_->active_ = nullptr;
    const QString text = EditorText();
    self_->hide();
    list_->OnEndLabelEdit(row_, column_, escape_ ? std::nullopt : std::optional<QString>(text));
}

bool InPlaceEditor::HandleEditKey(QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    if (key == Qt::Key_Escape) escape_ = true;
    ReturnFocusToList();
    event->accept();
    return true;
}

bool InPlaceEditor::ClaimKey(QEvent* event, bool textKeys) {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    const bool editKey = k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter;
    const bool textKey = k == Qt::Key_Delete || (key->modifiers() & Qt::ControlModifier);
    if (!editKey && !(textKeys && textKey)) return false;
    event->accept();
    return true;
}

bool InPlaceEditor::HandleTabKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    ReturnFocusToList();
    event->accept();
    return true;
}

void InPlaceEditor::ReturnFocusToList() {
    const unsigned edit = serial_;
    list_->setFocus(Qt::OtherFocusReason);
    if (editing_ && serial_ == edit) EndEdit();
}

void InPlaceEditor::HandleFocusOut(QFocusEvent* event) {
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
    // An opening drop-down hands the focus on to its list inside the popup.
    if (QApplication::activePopupWidget()) return;
    EndEdit();
}

CInPlaceList::CInPlaceList(CMyListCtrl* list) : QComboBox(list->viewport()), InPlaceEditor(list, this) {
    // The open drop-down takes the keys, and its own Esc only closes it: the flag must be
    // set on the way, or the close would end the edit with the entry that is current.
    view()->installEventFilter(this);
    view()->window()->installEventFilter(this);
    hide();
}

bool CInPlaceList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && Editing())
        escape_ = true;
    return QComboBox::eventFilter(watched, event);
}

void CInPlaceList::Show(int row, int column, const QRect& rect, const QStringList& strings, int selection) {
    clear();
    addItems(strings);
    setCurrentIndex(strings.isEmpty() ? -1 : std::clamp(selection, 0, int(strings.size()) - 1));
    view()->setMinimumWidth(rect.width());
    BeginEdit(row, column, rect);
}

void CInPlaceList::hidePopup() {
    QComboBox::hidePopup();
    if (!Editing()) return;
    // The drop-down closes before it makes the picked entry current: the edit ends
    // once that has happened.
    QMetaObject::invokeMethod(
        this,
        [this, edit = serial_] {
            if (Editing() && serial_ == edit) ReturnFocusToList();
        },
        Qt::QueuedConnection);
}

bool CInPlaceList::event(QEvent* event) {
    return ClaimKey(event, false) || HandleTabKey(event) || QComboBox::event(event);
}

void CInPlaceList::keyPressEvent(QKeyEvent* event) {
    if (!HandleEditKey(event)) QComboBox::keyPressEvent(event);
}

void CInPlaceList::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    HandleFocusOut(event);
}

CInPlaceTime::CInPlaceTime(CMyListCtrl* list) : QTimeEdit(list->viewport()), InPlaceEditor(list, this) {
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
    SetUpPicker(this);
    hide();
}

void CInPlaceTime::Show(int row, int column, const QRect& rect, QTime time) {
    setTime(time);
    BeginEdit(row, column, rect);
}

bool CInPlaceTime::event(QEvent* event) {
    return ClaimKey(event, false) || HandleTabKey(event) || QTimeEdit::event(event);
}

void CInPlaceTime::keyPressEvent(QKeyEvent* event) {
    if (!HandleEditKey(event)) QTimeEdit::keyPressEvent(event);
}

void CInPlaceTime::focusOutEvent(QFocusEvent* event) {
    QTimeEdit::focusOutEvent(event);
    HandleFocusOut(event);
}

CInPlaceEdit::CInPlaceEdit(CMyListCtrl* list) : QLineEdit(list->viewport()), InPlaceEditor(list, this) {
    setAlignment(Qt::AlignCenter);
    connect(this, &QLineEdit::textEdited, this, [this] { FitText(); });
    hide();
}

void CInPlaceEdit::Show(int row, int column, const QRect& rect, const QString& text) {
    initial_ = text;
    setText(text);
    BeginEdit(row, column, rect);
    selectAll();
}

void CInPlaceEdit::FitText() {
    const int needed = fontMetrics().horizontalAdvance(text()) + 5;
    if (needed <= width()) return;
    const int limit = list_->viewport()->width() - x();
    if (limit > width()) resize(std::min(needed, limit), height());
}

bool CInPlaceEdit::event(QEvent* event) {
    return ClaimKey(event, true) || HandleTabKey(event) || QLineEdit::event(event);
}

// A key pressed with Ctrl stays with the editor even when it does nothing there.
void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    if (HandleEditKey(event)) return;
    QLineEdit::keyPressEvent(event);
    if (event->modifiers() & Qt::ControlModifier) event->accept();
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    HandleFocusOut(event);
}

CInPlaceEditBrowseCtrl::CInPlaceEditBrowseCtrl(CMyListCtrl* list)
    : QLineEdit(list->viewport()), InPlaceEditor(list, this), button_(new QToolButton(this)) {
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    connect(button_, &QToolButton::clicked, this, &CInPlaceEditBrowseCtrl::Browse);
    hide();
}

void CInPlaceEditBrowseCtrl::Show(int row, int column, const QRect& rect, const QString& text) {
    setText(text);
    BeginEdit(row, column, rect);
}

void CInPlaceEditBrowseCtrl::Browse() {
    browsing_ = true;
    const QString path = QFileDialog::getOpenFileName(this, title_, QString(), filter_);
    if (!path.isEmpty()) setText(path);
    setFocus(Qt::OtherFocusReason);
    browsing_ = false;
}

void CInPlaceEditBrowseCtrl::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int side = height();
    button_->setGeometry(width() - side, 0, side, side);
    setTextMargins(0, 0, side, 0);
}

bool CInPlaceEditBrowseCtrl::event(QEvent* event) {
    return ClaimKey(event, true) || HandleTabKey(event) || QLineEdit::event(event);
}

void CInPlaceEditBrowseCtrl::keyPressEvent(QKeyEvent* event) {
    if (HandleEditKey(event)) return;
    QLineEdit::keyPressEvent(event);
    if (event->modifiers() & Qt::ControlModifier) event->accept();
}

void CInPlaceEditBrowseCtrl::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!browsing_) HandleFocusOut(event);
}

// ---- the list -----------------------------------------------------------------

CMyListCtrl::CMyListCtrl(QWidget* parent) : QTableWidget(parent) {
    RowColors.fill(kDefaultRowColor);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    setShowGrid(false);
    setWordWrap(false);
    setItemDelegate(new RowColorDelegate(this));
}

uint8_t CMyListCtrl::RowColor(int row) const {
    return row >= 0 && row < kRowColorCount ? RowColors[size_t(row)] : kDefaultRowColor;
}

bool CMyListCtrl::SetRowColor(int row, uint8_t colors) {
    if (row < 0 || row >= kRowColorCount) return false;
    RowColors[size_t(row)] = colors;
    viewport()->update();
    return true;
}

void CMyListCtrl::SetOwnerDraw(bool on) {
    ownerDraw_ = on;
    viewport()->update();
}

int CMyListCtrl::FirstSelectedRow() const {
    int first = -1;
    if (!selectionModel()) return first;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first) first = range.top();
    return first;
}

CellHit CMyListCtrl::HitTestCell(QPoint point) const {
    CellHit hit;
    hit.column = columnAt(point.x());
    hit.row = hit.column < 0 ? -1 : rowAt(point.y());
    return hit;
}

std::optional<QRect> CMyListCtrl::GetCellRect(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount() || columnWidth(column) < 10)
        return std::nullopt;
    const QModelIndex index = model()->index(row, column);
    scrollTo(index);
    QRect rect = visualRect(index);
    rect.setRight(std::min(rect.right(), viewport()->width() - 1));
    return rect;
}

CInPlaceList* CMyListCtrl::InPlaceList() { return list_ ? list_ : (list_ = new CInPlaceList(this)); }
CInPlaceEdit* CMyListCtrl::InPlaceEdit() { return edit_ ? edit_ : (edit_ = new CInPlaceEdit(this)); }
CInPlaceTime* CMyListCtrl::InPlaceTime() { return time_ ? time_ : (time_ = new CInPlaceTime(this)); }
CInPlaceEditBrowseCtrl* CMyListCtrl::InPlaceBrowseEdit() {
    return browse_ ? browse_ : (browse_ = new CInPlaceEditBrowseCtrl(this));
}

void CMyListCtrl::EndActiveEdit() {
    if (active_) active_->EndEdit();
}

void CMyListCtrl::ShowInPlaceList(int row, int column, const QStringList& strings, int selection) {
    const auto rect = GetCellRect(row, column);
    if (!rect) return;
    EndActiveEdit();
    InPlaceList()->Show(row, column, *rect, strings, selection);
}

void CMyListCtrl::ShowInPlaceEdit(int row, int column, const QString& text) {
    const auto rect = GetCellRect(row, column);
    if (!rect) return;
    EndActiveEdit();
    InPlaceEdit()->Show(row, column, *rect, text);
}

void CMyListCtrl::ShowInPlaceTime(int row, int column, int64_t time) {
    const auto rect = GetCellRect(row, column);
    if (!rect) return;
    EndActiveEdit();
    InPlaceTime()->Show(row, column, *rect, QDateTime::fromSecsSinceEpoch(time).time());
}

void CMyListCtrl::ShowInPlaceBrowseEdit(int row, int column, const QString& text) {
    const auto rect = GetCellRect(row, column);
    if (!rect) return;
    EndActiveEdit();
    InPlaceBrowseEdit()->Show(row, column, *rect, text);
}

void CMyListCtrl::OnEndLabelEdit(int row, int column, const std::optional<QString>& text) {
    if (text && row >= 0 && row < rowCount() && column >= 0 && column < columnCount()) {
        if (QTableWidgetItem* cell = item(row, column))
            cell->setText(*text);
        else
            setItem(row, column, new QTableWidgetItem(*text));
    }
    emit EndCellEdit(column, row);
}

void CMyListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    const CellHit hit = HitTestCell(event->position().toPoint());
    lastDoubleClick_ = hit;
    if (hit.row < 0) {
        selectAll();
        return;
    }
    if (hit.row == currentRow()) emit BeginCellEdit(hit.column, hit.row);
}

bool BlocksTypeAhead(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

void CMyListCtrl::keyboardSearch(const QString& search) {
    if (!search.isEmpty() && BlocksTypeAhead(search.back())) return;  // no type-ahead on letters and digits
    QTableWidget::keyboardSearch(search);
}

void CMyListCtrl::EndInPlaceEdit() {
    if (!active_) return;
    setFocus(Qt::OtherFocusReason);
    EndActiveEdit();
}

void CMyListCtrl::scrollContentsBy(int dx, int dy) {
    EndInPlaceEdit();  // scrolling ends an open edit
    QTableWidget::scrollContentsBy(dx, dy);
}

}  // namespace ledsuite
