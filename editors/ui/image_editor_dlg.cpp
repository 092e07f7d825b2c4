// The picture editor.
#include "editors/ui/image_editor_dlg.h"

#include <iterator>

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "editors/picture_rules.h"
#include "editors/ui/img_size_dlg.h"
#include "editors/ui/item_texts.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"
#include "toolkit/toolbar_icons.h"

namespace ledsuite {

namespace {

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 200;

// The toolbar's icons, in command order (Open to Property).
constexpr const char* kToolIcons[] = {
    "open", "rotate_anticlockwise", "rotate_clockwise", "flip_horizontal", "flip_vertical", "invert_colour",
    "insert_text", "insert_image", "previous_frame", "next_frame", "zoom_in", "zoom_out", "centre", "property",
};
static_assert(std::size(kToolIcons) == kImgCmdProperty - kImgCmdOpen + 1);

QString ChoosePictureFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QStringLiteral("noname"),
                                        QStringLiteral("(*.bmp);;(*.gif);;(*.jpg);;(*.png);;(*.ico)"));
}

}  // namespace

void ImagePreview::SetFrame(const RawImage* frame) {
    picture_ = QImage();
    if (frame && frame->hasPixels()) {
        const std::vector<uint32_t> pixels = ImageToHBitmap(*frame);
        picture_ = QImage(reinterpret_cast<const uchar*>(pixels.data()), frame->width, frame->height,
                          frame->width * 4, QImage::Format_RGB32)
                       .copy();
    }
    update();
}

void ImagePreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
}

CImageEditorDlg::CImageEditorDlg(QWidget* parent, FrameVector* frames)
    : CDialogFx(parent), frames_(frames), chooser_(ChoosePictureFile), propertyRunner_(ShowImageSizeDialog) {
    toolbar_ = new QToolBar(this);
    preview_ = new ImagePreview(this);
    preview_->setMinimumSize(kPreviewWidth, kPreviewHeight);
    width_ = new QLabel(this);
    height_ = new QLabel(this);
    pause_ = new QComboBox(this);
    for (auto& combo : thresholds_) combo = new QComboBox(this);
    auto* form = new QGridLayout;
    const LangText* labels[] = {&item_text::kWidth, &item_text::kHeight, &item_text::kPauseTime,
                                &item_text::kThreshR, &item_text::kThreshG, &item_text::kThreshB};
    QWidget* fields[] = {width_, height_, pause_, thresholds_[0], thresholds_[1], thresholds_[2]};
    for (int i = 0; i < 6; ++i) {
        form->addWidget(new QLabel(ToQString(*labels[i]), this), i, 0);
        form->addWidget(fields[i], i, 1);
    }
    auto* finish = new QPushButton(ToQString(item_text::kFinishEditing), this);
    auto* cancel = new QPushButton(ToQString(*MsgBoxButtonMap(MB_OKCANCEL).caption[1]), this);
    connect(finish, &QPushButton::clicked, this, &CImageEditorDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CImageEditorDlg::reject);
    form->addWidget(finish, 6, 0);
    form->addWidget(cancel, 6, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(preview_, 1);
    body->addLayout(form);
    auto* all = new QVBoxLayout(this);
    all->addWidget(toolbar_);
    all->addLayout(body);
    setWindowTitle(ToQString(item_text::kImageEditorTitle));
}

int CImageEditorDlg::EditField(QWidget* parent, FrameVector& frames) {
    CImageEditorDlg dlg(parent, &frames);
    return dlg.exec();
}

void CImageEditorDlg::BuildToolBar() {
    UseIconButtons(toolbar_);
    for (int i = 0; i <= kImgCmdProperty - kImgCmdOpen; ++i) {
        QAction* action = toolbar_->addAction(ToolbarIcon(kToolIcons[i]), ToQString(item_text::kImageToolTips[i]));
        action->setToolTip(ToQString(item_text::kImageToolTips[i]));
        action->setData(kImgCmdOpen + i);
        connect(action, &QAction::triggered, this, [this, i] { OnCommand(kImgCmdOpen + i); });
    }
}

bool CImageEditorDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    BuildToolBar();
    FillPauseItems(pause_);
    for (QComboBox* combo : thresholds_) FillThresholdItems(combo);
    for (QComboBox* combo : {pause_, thresholds_[0], thresholds_[1], thresholds_[2]})
        connect(combo, &QComboBox::currentIndexChanged, this, &CImageEditorDlg::OnComboChanged);
    ShowFrame();
    return true;
}

void CImageEditorDlg::ShowFrame() {
    index_ = ClampFrameIndex(index_, Count());
    const RawImage* frame = frames_ ? GetImageFrame(frames_, size_t(index_)) : nullptr;
    preview_->SetFrame(frame);
    showing_ = true;
    width_->setText(QString::number(frame ? frame->width : 0));
    height_->setText(QString::number(frame ? frame->height : 0));
    if (frame) {
        pause_->setCurrentIndex(frame->pause);
        const uint8_t th[] = {frame->redThreshold, frame->greenThreshold, frame->blueThreshold};
        for (size_t c = 0; c < 3; ++c) thresholds_[c]->setCurrentIndex(ThresholdItem(th[c]));
    }
    showing_ = false;
}

void CImageEditorDlg::OnComboChanged() {
    RawImage* frame = frames_ ? GetImageFrame(frames_, size_t(index_)) : nullptr;
    if (showing_ || !frame) return;
    frame->pause = uint8_t(std::max(pause_->currentIndex(), 0));
    frame->redThreshold = ThresholdOfItem(thresholds_[0]->currentIndex());
    frame->greenThreshold = ThresholdOfItem(thresholds_[1]->currentIndex());
    frame->blueThreshold = ThresholdOfItem(thresholds_[2]->currentIndex());
}

void CImageEditorDlg::OpenFile() {
    const QString path = chooser_ ? chooser_(this) : QString();
    if (!path.isEmpty()) AppendImageFile(*frames_, path.toStdString());
}

void CImageEditorDlg::OnCommand(int command) {
    const bool haveFrames = frames_ != nullptr;
    switch (command) {
    case kImgCmdOpen: if (haveFrames) OpenFile(); break;
    case kImgCmdRotateLeft: if (haveFrames) RotateImageFrames(*frames_, 90); break;
    case kImgCmdRotateRight: if (haveFrames) RotateImageFrames(*frames_, 270); break;
    case kImgCmdFlipHorizontal: if (haveFrames) FlipImageFrames(*frames_, 1); break;
    case kImgCmdFlipVertical: if (haveFrames) FlipImageFrames(*frames_, 0); break;
    case kImgCmdInvert: if (haveFrames) InvertImageFrames(*frames_); break;
    case kImgCmdPrevFrame: index_ = PreviousFrameIndex(index_, Count()); break;
    case kImgCmdNextFrame: index_ = NextFrameIndex(index_, Count()); break;
    case kImgCmdProperty:
        if (Count() > 0 && propertyRunner_) propertyRunner_(this, frames_, index_);
        break;
    default: return;  // insert, zoom and centre are on the toolbar without an action
    }
    ShowFrame();
}

void CImageEditorDlg::OnOK() {
    frames_ = nullptr;
    CDialogFx::OnOK();
}

void CImageEditorDlg::OnCancel() {
    frames_ = nullptr;
    CDialogFx::OnCancel();
}

}  // namespace ledsuite
