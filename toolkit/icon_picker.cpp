#include "toolkit/icon_picker.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPainter>

#include "content/render/image_sources.h"
#include "content/model/lang.h"
#include "toolkit/colors.h"
#include "toolkit/qt_image.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
const LangText kMoreText = {{u"更多...", u"更多...", u"More..."}};
const LangText kCustomText = {{u"自定义", u"自訂", u"Custom"}};

constexpr uint32_t kFrameColor = 0xA06B4F;    // popup frame, hovered cell frame
constexpr uint32_t kRowLineColor = 0xDEDEDE;
constexpr uint32_t kColumnLineColor = 0xDEB6A5;
constexpr uint32_t kHoverColor = 0xE7EEF1;
constexpr uint32_t kTextColor = 0x814D3C;
constexpr int kTextButtonHeight = 20;
constexpr int kButtonArea = 48;  // below the cells: "More...", "Custom" and their gaps
constexpr int kEmptyPopupWidth = 80;  // a popup without cells: room for its two text buttons

QString Caption(const LangText& text) { return ToQString(text); }

QString DefaultFileChooser(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("Image"));
    dialog.setNameFilters({"(*.bmp)", "(*.gif)", "(*.jpg)", "(*.png)", "(*.ico)"});
    dialog.selectFile(QStringLiteral("noname"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
}  // namespace

IconGrid IconGridSize(size_t count) {
    size_t root = 0;
    while ((root + 1) * (root + 1) <= count) ++root;
    const size_t columns = root + 1;
    return {int(columns), int((count + columns - 1) / columns)};
}

// ---- CInnerButton ----

CInnerButton::CInnerButton(int id, const QPixmap& bitmap, const QString& text, QWidget* parent)
    : QPushButton(text, parent), id_(id), bitmap_(bitmap) {
    setFocusPolicy(Qt::NoFocus);
}

void CInnerButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CInnerButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CInnerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect cell = rect();
    painter.fillRect(cell, hover_ ? ColorRefToQColor(kHoverColor) : QColor(Qt::white));
    if (!bitmap_.isNull()) {
        if (bitmap_.width() > cell.width() || bitmap_.height() > cell.height())
            painter.drawPixmap(cell, bitmap_);
        else
            painter.drawPixmap(0, 0, bitmap_);
    }
    if (hover_) {
        painter.setPen(ColorRefToQColor(kFrameColor));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    const QString caption = text();
    if (caption.isEmpty()) return;
    const QFontMetrics metrics(font());
    const int x = (cell.width() - int(caption.size()) * metrics.averageCharWidth()) / 2 - 2;
    const int y = cell.height() - metrics.height() - 2;
    painter.setPen(isEnabled() ? ColorRefToQColor(kTextColor) : palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(QRect(x, y, cell.width() - x, metrics.height()), Qt::AlignLeft | Qt::TextSingleLine, caption);
}

// ---- CIconContainer ----

CIconContainer::CIconContainer(CIconPicker* picker) : QWidget(picker, Qt::Popup), picker_(picker) {}

bool CIconContainer::Create(int x, int y) {
    const std::vector<IconEntry>& entries = picker_->Entries();
    grid_ = IconGridSize(entries.size());
    // A picker without pictures still opens, with its two text buttons, so that "Custom" can add one.
    cellWidth_ = entries.empty() ? kEmptyPopupWidth : entries[0].bitmap.width() + 4;
    cellHeight_ = entries.empty() ? 0 : entries[0].bitmap.height() + 4;
    const int width = grid_.columns * cellWidth_;
    const int cellsHeight = grid_.rows * cellHeight_;
    setGeometry(x, y, width, cellsHeight + kButtonArea);

    for (size_t i = 0; i < entries.size(); ++i) {
        const int row = int(i) / grid_.columns, column = int(i) % grid_.columns;
        auto* cell = new CInnerButton(kFirstCellId + int(i), entries[i].bitmap, QString(), this);
        cell->setGeometry(column * cellWidth_ + 2, row * cellHeight_ + 2, cellWidth_ - 4, cellHeight_ - 4);
    }
    const QFont font = picker_->parentWidget() ? picker_->parentWidget()->font() : picker_->font();
    auto* more = new CInnerButton(kMoreId, QPixmap(), Caption(kMoreText), this);
    more->setGeometry(2, cellsHeight + 3, width - 4, kTextButtonHeight);
    auto* custom = new CInnerButton(kCustomId, QPixmap(), Caption(kCustomText), this);
    custom->setGeometry(2, cellsHeight + 3 + kTextButtonHeight + 3, width - 4, kTextButtonHeight);
    more->setFont(font);
    custom->setFont(font);
    for (CInnerButton* button : findChildren<CInnerButton*>())
        connect(button, &QPushButton::clicked, this, [this, id = button->Id()] { OnCommand(id); });
    return true;
}

CInnerButton* CIconContainer::Button(int id) const {
    for (CInnerButton* button : findChildren<CInnerButton*>())
        if (button->Id() == id) return button;
    return nullptr;
}

void CIconContainer::OnCommand(int id) {
    if (id == kCustomId) {
        // The chooser takes the focus: the popup goes first, so that losing the focus
        // to it does not close the popup as cancelled while the chooser is open.
        HidePopup();
        const QPointer<CIconContainer> self(this);
        const QString path = picker_->ChooseFile();
        if (!self) return;  // the picker went away while the chooser was open
        if (!path.isEmpty()) emit InternalMessage(IMC_ICON_PICK_FILE, path);
    }
    ClosePopup(id - kFirstCellId);
}

void CIconContainer::HidePopup() {
    if (closed_) return;
    closed_ = true;
    const QRect covered = geometry();
    hide();
    if (QWidget* parent = picker_->parentWidget())
        parent->update(QRect(parent->mapFromGlobal(covered.topLeft()), covered.size()));
}

void CIconContainer::ClosePopup(int result) {
    HidePopup();
    emit InternalMessage(IMC_ICON_PICK_SELECT, result);
}

void CIconContainer::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!closed_) ClosePopup(kIconPickCancel);
}

void CIconContainer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int cellsHeight = grid_.rows * cellHeight_;
    painter.setPen(ColorRefToQColor(kFrameColor));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(ColorRefToQColor(kRowLineColor));
    painter.drawLine(2, cellsHeight + 24, width() - 2, cellsHeight + 24);
    if (cellHeight_ <= 0) return;  // no cells (no pictures): no grid, and no endless step of 0
    for (int y = 0; y <= cellsHeight; y += cellHeight_) painter.drawLine(2, y, width() - 2, y);
    painter.setPen(ColorRefToQColor(kColumnLineColor));
    for (int c = 0; c < grid_.columns; ++c) painter.drawLine(c * cellWidth_, 2, c * cellWidth_, cellsHeight - 2);
}

// ---- CIconPicker ----

CIconPicker::CIconPicker(QWidget* parent) : QPushButton(parent) {}

bool CIconPicker::AddBitmapResource(const QString& name) { return AddBitmapHandle(QPixmap(name)); }

bool CIconPicker::AddBitmapHandle(const QPixmap& bitmap) {
    if (bitmap.isNull()) return false;
    entries_.push_back({bitmap, kIconBitmap, {}});
    return true;
}

bool CIconPicker::AddImageFile(const std::string& path) {
    FrameVector frames;
    if (!LoadImageFile(&frames, path)) return false;
    const QImage first = ImageToQImage(*frames[0]);
    if (first.isNull()) return false;
    entries_.push_back({QPixmap::fromImage(first), kIconFromFile, path});
    return true;
}

size_t CIconPicker::AddFolderImages(const std::string& folder) {
    FrameVector bitmaps;
    std::vector<std::string> paths;
    ScanImageFolder(folder, bitmaps, &paths);
    size_t added = 0;
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        const QImage image = ImageToQImage(*bitmaps[i]);
        if (image.isNull()) continue;
        entries_.push_back({QPixmap::fromImage(image), kIconFromFile, paths[i]});
        ++added;
    }
    return added;
}

FrameVector CIconPicker::CreateItemImage(int index) const {
    FrameVector frames;
    if (index < 0 || size_t(index) >= entries_.size()) return frames;
    const IconEntry& entry = entries_[size_t(index)];
    if (entry.kind == kIconBitmap)
        AddImageFrame(&frames, CreateImageFromHBitmap(entry.bitmap.toImage()));
    else
        LoadImageFile(&frames, entry.path);
    return frames;
}

void CIconPicker::ShowPopup(const QPoint& screenPoint) {
    if (popupOpen_) return;
    popupOpen_ = true;
    setDown(true);
    delete popup_;
    popup_ = new CIconContainer(this);
    connect(popup_, &CIconContainer::InternalMessage, this, &CIconPicker::OnInternalMessage);
    if (!popup_->Create(screenPoint.x(), screenPoint.y())) {
        // Nothing to pick from: the button does not stay pushed.
        delete popup_;
        popupOpen_ = false;
        setDown(false);
        return;
    }
    popup_->show();
    popup_->raise();
    popup_->activateWindow();
    popup_->setFocus();
}

void CIconPicker::OnInternalMessage(int code, const QVariant& argument) {
    if (code == IMC_ICON_PICK_FILE) {
        AddImageFile(QFile::encodeName(argument.toString()).toStdString());
        return;
    }
    if (code != IMC_ICON_PICK_SELECT) return;
    if (popup_) popup_->deleteLater();  // it is still sending this message
    popup_ = nullptr;
    popupOpen_ = false;
    setDown(false);
    update();
    const int result = argument.toInt();
    if (result >= 0 && size_t(result) < entries_.size()) {
        selection_ = result;
        emit InternalMessage(notifyCode_, 0);
    }
}

QString CIconPicker::ChooseFile() const {
    QWidget* parent = window();
    return chooser_ ? chooser_(parent) : DefaultFileChooser(parent);
}

void CIconPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(event);
        return;
    }
    if (!popupOpen_) ShowPopup(mapToGlobal(QPoint(0, height())));
    event->accept();
}

void CIconPicker::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        event->accept();  // the button stays pushed while the popup is open
    else
        QPushButton::mouseReleaseEvent(event);
}

}  // namespace ledsuite
