// The table dialog.
#include "editors/ui/dlg_grid.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "content/model/records.h"
#include "editors/ui/edit_texts.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr int kMaxGridSide = 255;
constexpr int kFrameTypes = 7;
constexpr uint8_t kSingleColorCode = 5;
}  // namespace

DlgGrid::DlgGrid(QWidget* parent, GridObject* grid, InternalChannel* screen)
    : CDialogFx(parent), grid_(grid), screen_(screen) {
    columns_ = new QComboBox(this);
    rows_ = new QComboBox(this);
    frame_ = new QComboBox(this);
    color_ = new CComboBoxColor(this);
    auto* form = new QGridLayout;
    const LangText* labels[] = {&edit_text::kColumn, &edit_text::kRow, &edit_text::kFrameType,
                                &edit_text::kFrameColor};
    QWidget* fields[] = {columns_, rows_, frame_, color_};
    for (int i = 0; i < 4; ++i) {
        form->addWidget(new QLabel(ToQString(*labels[i]), this), i, 0);
        form->addWidget(fields[i], i, 1);
    }
    const MsgBoxButtons buttons = MsgBoxButtonMap(MB_OKCANCEL);
    auto* ok = new QPushButton(ToQString(*buttons.caption[0]), this);
    auto* cancel = new QPushButton(ToQString(*buttons.caption[1]), this);
    connect(ok, &QPushButton::clicked, this, &DlgGrid::accept);
    connect(cancel, &QPushButton::clicked, this, &DlgGrid::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addLayout(row);
    setWindowTitle(ToQString(grid ? edit_text::kGridProperty : edit_text::kInsertGrid));
}

bool DlgGrid::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    for (int i = 1; i <= kMaxGridSide; ++i) {
        columns_->addItem(QString::number(i));
        rows_->addItem(QString::number(i));
    }
    // A stored type past the offered ones (7 fits the three bits) gets its own item, so that
    // it is shown as it is and kept on OK.
    const int types = grid_ ? std::max(kFrameTypes, int(grid_->style >> 5 & 7) + 1) : kFrameTypes;
    for (int i = 0; i < types; ++i) frame_->addItem(QString::number(i));
    // Two colours on a single-colour screen, four on the others.
    const auto* hw = screen_ ? reinterpret_cast<const HardwareParams*>(screen_->send(IMC_GET_SCREEN_RECORD, 0))
                             : nullptr;
    color_->SetColorCode(uint8_t(hw ? hw->colorCode : kSingleColorCode));
    return DoDataExchange(false);
}

bool DlgGrid::DoDataExchange(bool save) {
    if (!save) {
        if (grid_) {
            grid_->columns = std::max<uint8_t>(grid_->columns, 1);
            grid_->rows = std::max<uint8_t>(grid_->rows, 1);
            columns_->setCurrentIndex(grid_->columns - 1);
            rows_->setCurrentIndex(grid_->rows - 1);
            frame_->setCurrentIndex(int(grid_->style >> 5 & 7));
            color_->SelectRgbBits(RgbBits(grid_->style >> 2 & 7));
        } else {
            columns_->setCurrentIndex(2);
            rows_->setCurrentIndex(2);
            frame_->setCurrentIndex(0);
            color_->setCurrentIndex(0);
        }
        return true;
    }
    values_.columns = columns_->currentIndex() + 1;
    values_.rows = rows_->currentIndex() + 1;
    values_.frameType = frame_->currentIndex();
    values_.colorBits = color_->GetRgbBits();
    refused_ = !GridSizeFits(grid_, values_.columns, values_.rows);
    if (refused_) MessageBoxFx(this, edit_text::kGridTooLarge(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    return !refused_;
}

}  // namespace ledsuite
