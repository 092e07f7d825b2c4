// The frame property dialog.
#include "editors/ui/img_size_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editors/item_rules.h"
#include "editors/picture_rules.h"
#include "editors/ui/item_dialog_util.h"
#include "editors/ui/item_texts.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

void FillPauseItems(QComboBox* combo) {
    for (int i = 0; i <= 255; ++i) combo->addItem(QString::number(i));
}

void FillThresholdItems(QComboBox* combo) {
    for (int i = kMinThresholdItem; i <= kMaxThresholdItem; ++i) combo->addItem(QString::number(i));
}

CImgSizeDlg::CImgSizeDlg(QWidget* parent, FrameVector* frames, int index)
    : CDialogFx(parent), frames_(frames), index_(index) {
    width_ = new QLineEdit(this);
    height_ = new QLineEdit(this);
    pause_ = new QComboBox(this);
    for (auto& combo : thresholds_) combo = new QComboBox(this);
    applyAll_ = new QCheckBox(ToQString(item_text::kApplyAll), this);
    const LangText* labels[] = {&item_text::kWidth, &item_text::kHeight, &item_text::kPauseTime,
                                &item_text::kThreshR, &item_text::kThreshG, &item_text::kThreshB};
    QWidget* fields[] = {width_, height_, pause_, thresholds_[0], thresholds_[1], thresholds_[2]};
    auto* form = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        form->addWidget(new QLabel(ToQString(*labels[i]), this), i, 0);
        form->addWidget(fields[i], i, 1);
    }
    form->addWidget(applyAll_, 6, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    AddOkCancelRow(this, all);
    setWindowTitle(ToQString(item_text::kPropertyTitle));
}

bool CImgSizeDlg::OnInitDialog() {
    FillPauseItems(pause_);
    for (QComboBox* combo : thresholds_) FillThresholdItems(combo);
    // The base shows the values (DoDataExchange) once the controls are filled.
    return CDialogFx::OnInitDialog();
}

bool CImgSizeDlg::DoDataExchange(bool save) {
    const RawImage* frame = frames_ ? GetImageFrame(frames_, size_t(std::max(index_, 0))) : nullptr;
    if (!frame) return true;  // no frame: nothing to show, OK closes at once
    if (!save) {
        const ImageSizeValues v = ImageSizeValuesOf(*frame);
        width_->setText(QString::number(v.width));
        height_->setText(QString::number(v.height));
        pause_->setCurrentIndex(v.pause);
        const uint8_t th[] = {v.red, v.green, v.blue};
        for (size_t c = 0; c < 3; ++c) thresholds_[c]->setCurrentIndex(ThresholdItem(th[c]));
        return true;
    }
    ImageSizeValues v;
    v.width = ParseLeadingInteger(ToU16(width_->text()));
    v.height = ParseLeadingInteger(ToU16(height_->text()));
    v.pause = uint8_t(std::max(pause_->currentIndex(), 0));
    v.red = ThresholdOfItem(thresholds_[0]->currentIndex());
    v.green = ThresholdOfItem(thresholds_[1]->currentIndex());
    v.blue = ThresholdOfItem(thresholds_[2]->currentIndex());
    v.applyAll = applyAll_->isChecked();
    if (!ApplyImageSize(*frames_, index_, v)) {
        MessageBoxFx(this, item_text::kBadImageSize(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

int ShowImageSizeDialog(QWidget* parent, FrameVector* frames, int index) {
    if (!frames || index < 0 || size_t(index) >= frames->size()) return QDialog::Rejected;
    CImgSizeDlg dlg(parent, frames, index);
    return dlg.exec();
}

}  // namespace ledsuite
