#pragma once
// The frame property dialog of the picture editor: pixel size, pause time and colour
// thresholds of one frame, or of all frames with "Apply All". A size of 0 or below is
// refused with a message and the dialog stays open.
#include <array>

#include "content/model/raw_image.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ledsuite {

class CImgSizeDlg : public CDialogFx {
    Q_OBJECT
public:
    CImgSizeDlg(QWidget* parent, FrameVector* frames, int index);

    QLineEdit* WidthEdit() const { return width_; }
    QLineEdit* HeightEdit() const { return height_; }
    QComboBox* PauseCombo() const { return pause_; }
    QComboBox* ThresholdCombo(int channel) const { return thresholds_[size_t(channel)]; }
    QCheckBox* ApplyAllCheck() const { return applyAll_; }

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    FrameVector* frames_;
    int index_;
    QLineEdit* width_;
    QLineEdit* height_;
    QComboBox* pause_;
    std::array<QComboBox*, 3> thresholds_{};
    QCheckBox* applyAll_;
};

// Runs CImgSizeDlg on frame `index`; QDialog::Rejected without showing anything for an
// index outside the frames.
int ShowImageSizeDialog(QWidget* parent, FrameVector* frames, int index);

// Fills a combo with the pause items "0".."255" or the threshold items "1".."254".
void FillPauseItems(QComboBox* combo);
void FillThresholdItems(QComboBox* combo);

}  // namespace ledsuite
