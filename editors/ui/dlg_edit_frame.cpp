// The frame editor.
#include "editors/ui/dlg_edit_frame.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "content/model/paths.h"
#include "editors/ui/item_dialog_util.h"
#include "editors/ui/item_texts.h"
#include "toolkit/color_combo.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_image.h"
#include "toolkit/qt_text.h"
#include "toolkit/small_widgets.h"

namespace ledsuite {

namespace {

constexpr int kGridAreaRight = 372;  // the area cleared before each drawing
constexpr int kGridAreaBottom = 137;
constexpr uint32_t kGridLineColor = 0x00FF00;

QPixmap TilePixmap(const RawImage& image) { return QPixmap::fromImage(ImageToQImage(image)); }

}  // namespace

FrameGridCanvas::FrameGridCanvas(QWidget* parent) : QWidget(parent) {
    setFixedSize(kGridAreaRight + 8, kGridAreaBottom + 8);
}

void FrameGridCanvas::SetView(int width, int height, int colorCode) {
    width_ = width;
    height_ = height;
    colorCode_ = colorCode;
    update();
}

void FrameGridCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRect(QPoint(kFrameGridLeft, kFrameGridTop), QPoint(kGridAreaRight - 1, kGridAreaBottom - 1)),
               palette().button());
    const FrameCells& cells = SharedFrameCells();
    const uint32_t mask = FrameCellMask(colorCode_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            p.fillRect(kFrameGridLeft + kFrameCellPixels * x, kFrameGridTop + kFrameCellPixels * y, kFrameCellPixels,
                       kFrameCellPixels, ColorRefToQColor(ColorOfRgbBits(cells[size_t(y)][size_t(x)]) & mask));
    p.setPen(ColorRefToQColor(kGridLineColor));
    for (int k = 0; k <= width_; ++k) {
        const int x = kFrameGridLeft + kFrameCellPixels * k;
        p.drawLine(x, kFrameGridTop, x, kFrameCellPixels * (height_ + 1));
    }
    for (int k = 0; k <= height_; ++k) {
        const int y = kFrameGridTop + kFrameCellPixels * k;
        p.drawLine(kFrameGridLeft, y, kFrameGridLeft + kFrameCellPixels * width_, y);
    }
}

void FrameGridCanvas::mousePressEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    const FrameCellHit hit = FrameCellAt(pt.x(), pt.y());
    if (!hit.valid()) return;
    uint8_t& cell = SharedFrameCells()[size_t(hit.y)][size_t(hit.x)];
    if (event->button() == Qt::LeftButton) cell = paintColor ? RgbBitsOfColor(paintColor()) : 0;
    else if (event->button() == Qt::RightButton) cell = 0;
    else return;
    update();
}

FrameFolders FrameFolders::Default() { return {ResourcePath("zu_frame"), UserDataPath("zu_frame")}; }

DlgEditFrame::DlgEditFrame(QWidget* parent, const HardwareParams* hw, std::vector<FrameTile>* tiles,
                           FrameVector* border, FrameFolders folders)
    : CDialogFx(parent), colorCode_(hw ? hw->colorCode : 0), tiles_(tiles), border_(border),
      folders_(std::move(folders)) {
    width_ = new QComboBox(this);
    height_ = new QComboBox(this);
    color_ = new CComboBoxColor(this);
    list_ = new CListBoxEx(this);
    canvas_ = new FrameGridCanvas(this);
    canvas_->paintColor = [this] { return color_->GetColor(); };
    save_ = new QPushButton(ToQString(item_text::kSave), this);
    delete_ = new QPushButton(ToQString(item_text::kDelete), this);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel(ToQString(item_text::kWidth), this), 0, 0);
    form->addWidget(width_, 0, 1);
    form->addWidget(new QLabel(ToQString(item_text::kHeight), this), 1, 0);
    form->addWidget(height_, 1, 1);
    form->addWidget(new QLabel(ToQString(item_text::kColor), this), 2, 0);
    form->addWidget(color_, 2, 1);
    form->addWidget(save_, 3, 1);
    form->addWidget(list_, 4, 0, 1, 2);
    form->addWidget(delete_, 5, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(form);
    body->addWidget(canvas_, 0, Qt::AlignTop);
    auto* all = new QVBoxLayout(this);
    all->addLayout(body);
    AddOkCancelRow(this, all, false);
    connect(save_, &QPushButton::clicked, this, &DlgEditFrame::OnSave);
    connect(delete_, &QPushButton::clicked, this, &DlgEditFrame::OnDelete);
    setWindowTitle(ToQString(item_text::kFrameEditorTitle));
}

bool DlgEditFrame::EditBorder(QWidget* parent, const HardwareParams* hw, std::vector<FrameTile>& tiles,
                              FrameVector& border) {
    DlgEditFrame dlg(parent, hw, &tiles, &border);
    return dlg.exec() == QDialog::Accepted && dlg.tileSet_;
}

bool DlgEditFrame::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    for (int i = 1; i <= kFrameGridColumns; ++i) width_->addItem(QString::number(i));
    for (int i = 1; i <= kFrameGridRows; ++i) height_->addItem(QString::number(i));
    width_->setCurrentIndex(kFrameGridColumns - 1);
    height_->setCurrentIndex(kFrameGridRows - 1);
    color_->SetColorCode(uint8_t(colorCode_));
    color_->setCurrentIndex(0);
    if (tiles_)
        for (const FrameTile& tile : *tiles_) AddTileItem(tile);
    connect(width_, &QComboBox::currentIndexChanged, this, &DlgEditFrame::Redraw);
    connect(height_, &QComboBox::currentIndexChanged, this, &DlgEditFrame::Redraw);
    connect(list_, &CListBoxEx::currentRowChanged, this, &DlgEditFrame::OnTilePicked);
    Redraw();
    return true;
}

void DlgEditFrame::AddTileItem(const FrameTile& tile) { list_->AddBitmap(TilePixmap(tile.image)); }

void DlgEditFrame::Redraw() {
    canvas_->SetView(width_->currentIndex() + 1, height_->currentIndex() + 1, colorCode_);
}

void DlgEditFrame::OnTilePicked(int row) {
    if (!tiles_ || row < 0 || size_t(row) >= tiles_->size()) return;
    const ImageSize size = CellsFromTile((*tiles_)[size_t(row)].image, SharedFrameCells());
    if (size.width > 0) {
        width_->setCurrentIndex(size.width - 1);
        height_->setCurrentIndex(size.height - 1);
    }
    Redraw();
}

void DlgEditFrame::OnSave() {
    FrameTile tile = SaveFrameTile(SharedFrameCells(), width_->currentIndex() + 1, height_->currentIndex() + 1,
                                   folders_.user, {folders_.resource});
    if (tile.path.empty()) {
        MessageBoxFx(this, item_text::kSaveFailed(), nullptr, MB_OK);
        return;
    }
    AddTileItem(tile);
    if (tiles_) tiles_->push_back(std::move(tile));
    {
        const QSignalBlocker block(list_);  // selecting the new tile must not reload the grid
        list_->setCurrentRow(list_->count() - 1);
    }
    MessageBoxFx(this, item_text::kSaved(), nullptr, MB_OK);
}

void DlgEditFrame::OnDelete() {
    const int row = list_->currentRow();
    if (row < 0 || !list_->item(row)->isSelected() || !tiles_ || size_t(row) >= tiles_->size()) {
        MessageBoxFx(this, item_text::kSelectToDelete(), nullptr, MB_OK);
        return;
    }
    if (!(*tiles_)[size_t(row)].userOwned) {
        MessageBoxFx(this, item_text::kBuiltInTile(), nullptr, MB_OK);
        return;
    }
    if (!DeleteFrameTile(*tiles_, row)) {
        MessageBoxFx(this, item_text::kDeleteFailed(), nullptr, MB_OK);
        return;
    }
    const QSignalBlocker block(list_);
    delete list_->takeItem(row);
    list_->setCurrentRow(-1);
}

bool DlgEditFrame::DoDataExchange(bool save) {
    if (!save || !border_ || !tiles_) return true;
    const int row = list_->currentRow();
    const bool selected = row >= 0 && size_t(row) < tiles_->size() && list_->item(row)->isSelected();
    tileSet_ = SetCustomBorderTile(selected ? &(*tiles_)[size_t(row)] : nullptr, *border_);
    return true;
}

}  // namespace ledsuite
