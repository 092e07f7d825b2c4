#pragma once
// The picture editor: loads frames from picture files, rotates, flips and inverts every
// frame, steps through them and sets each frame's pause and thresholds (written into the
// frames at once). Finish Editing and Cancel both keep every change made meanwhile.
#include <array>
#include <functional>

#include <QWidget>

#include "content/model/raw_image.h"
#include "toolkit/dialog_fx.h"

class QComboBox;
class QLabel;
class QToolBar;

namespace ledsuite {

// Toolbar commands.
enum ImageEditorCommand : int {
    kImgCmdOpen = 32894, kImgCmdRotateLeft, kImgCmdRotateRight, kImgCmdFlipHorizontal, kImgCmdFlipVertical,
    kImgCmdInvert, kImgCmdInsertText, kImgCmdInsertImage, kImgCmdPrevFrame, kImgCmdNextFrame, kImgCmdZoomIn,
    kImgCmdZoomOut, kImgCmdCenter, kImgCmdProperty,
};

// The preview area: the current frame at its pixel size in the top-left corner, on black.
class ImagePreview : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void SetFrame(const RawImage* frame);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

class CImageEditorDlg : public CDialogFx {
    Q_OBJECT
public:
    // Asks for a picture file; an empty string when the user cancels.
    using FileChooser = std::function<QString(QWidget* parent)>;
    // Shows the frame property dialog; its dialog code.
    using PropertyRunner = std::function<int(QWidget* parent, FrameVector* frames, int index)>;

    // `frames` is edited in place and not owned.
    CImageEditorDlg(QWidget* parent, FrameVector* frames);

    static int EditField(QWidget* parent, FrameVector& frames);

    void OnCommand(int command);
    int Index() const { return index_; }
    size_t Count() const { return frames_ ? frames_->size() : 0; }
    FrameVector* Frames() const { return frames_; }
    QToolBar* ToolBar() const { return toolbar_; }
    ImagePreview* Preview() const { return preview_; }
    QLabel* WidthLabel() const { return width_; }
    QLabel* HeightLabel() const { return height_; }
    QComboBox* PauseCombo() const { return pause_; }
    QComboBox* ThresholdCombo(int channel) const { return thresholds_[size_t(channel)]; }
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void SetPropertyRunner(PropertyRunner runner) { propertyRunner_ = std::move(runner); }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void BuildToolBar();
    void ShowFrame();
    void OpenFile();
    void OnComboChanged();

    FrameVector* frames_;
    int index_ = 0;
    bool showing_ = false;  // the combos are being set from the frame, not by the user
    QToolBar* toolbar_;
    ImagePreview* preview_;
    QLabel* width_;
    QLabel* height_;
    QComboBox* pause_;
    std::array<QComboBox*, 3> thresholds_{};
    FileChooser chooser_;
    PropertyRunner propertyRunner_;
};

}  // namespace ledsuite
