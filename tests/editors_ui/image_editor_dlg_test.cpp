// The picture editor and its frame property dialog offscreen, on GIF and ICO files made here.
#include "editors/ui/image_editor_dlg.h"

#include <cstdlib>
#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include "editors/ui/img_size_dlg.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

namespace fs = std::filesystem;

// Pictures written with ImageMagick into a fresh folder.
struct Fixtures {
    testing::TempDir dir;
    std::string Make(const std::string& name, const std::string& args) {
        const std::string path = (dir.path / name).string();
        const std::string cmd = "convert " + args + " '" + path + "' >/dev/null 2>&1";
        return std::system(cmd.c_str()) == 0 && fs::exists(path) ? path : std::string();
    }
};

// The colour of a pixel without its alpha.
uint32_t Rgb(const FrameVector& frames, size_t i, int x, int y) { return frames[i]->row32(y)[x] & 0xFFFFFF; }

std::unique_ptr<RawImage> Stripe(int width, int height) {
    auto f = CreateImage(uint16_t(width), uint16_t(height));
    f->row32(0)[0] = 0xFF0000;  // one red pixel in the top-left corner
    return f;
}

TEST(CImageEditorDlg, OpenStepRotateFlipInvertAndThresholds) {
    Fixtures files;
    const std::string gif = files.Make("five.gif", "-delay 10 -size 6x3 xc:red xc:lime xc:blue xc:white xc:black");
    const std::string ico = files.Make("one.ico", "-size 16x16 xc:red");
    ASSERT_FALSE(gif.empty() || ico.empty());
    FrameVector frames;
    frames.push_back(Stripe(8, 4));
    CImageEditorDlg dlg(nullptr, &frames);
    QString chosen = QString::fromStdString(gif);
    dlg.SetFileChooser([&chosen](QWidget*) { return chosen; });
    dlg.show();
    ASSERT_EQ(std::tuple(dlg.ToolBar()->actions().size(), dlg.ThresholdCombo(0)->count()), std::tuple(14, 254));
    EXPECT_EQ((QStringList{dlg.ToolBar()->actions()[0]->toolTip(), dlg.ThresholdCombo(0)->itemText(0),
                           dlg.ThresholdCombo(0)->itemText(253), dlg.WidthLabel()->text()}),
              (QStringList{"Open", "1", "254", "8"}));

    dlg.OnCommand(kImgCmdPrevFrame);  // on the first frame: nothing
    EXPECT_EQ(dlg.Index(), 0);
    dlg.OnCommand(kImgCmdOpen);
    ASSERT_EQ(frames.size(), 6u);
    for (int i = 0; i < 6; ++i) dlg.OnCommand(kImgCmdNextFrame);
    // on the last frame "Next" does nothing; the black frame
    EXPECT_EQ(std::tuple(dlg.Index(), dlg.WidthLabel()->text(), Rgb(frames, 5, 0, 0)), std::tuple(5, QString("6"), 0u));
    chosen = QString::fromStdString(ico);
    dlg.OnCommand(kImgCmdOpen);
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[6]->width, 16);

    dlg.OnCommand(kImgCmdRotateLeft);  // a quarter counter-clockwise
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->height, Rgb(frames, 0, 0, 7)), std::tuple(4, 8, 0xFF0000u));
    // command -> where the red corner pixel of frame 0 is then
    const std::tuple<int, int, int> moves[] = {{kImgCmdRotateRight, 0, 0}, {kImgCmdFlipHorizontal, 7, 0},
                                               {kImgCmdFlipVertical, 7, 3}};
    for (auto [cmd, x, y] : moves) {
        dlg.OnCommand(cmd);
        EXPECT_EQ(Rgb(frames, 0, x, y), 0xFF0000u) << cmd;
    }
    dlg.OnCommand(kImgCmdInvert);
    EXPECT_EQ(std::tuple(Rgb(frames, 0, 7, 3), Rgb(frames, 5, 0, 0)), std::tuple(0x00FFFFu, 0xFFFFFFu));
    for (int cmd : {kImgCmdInsertText, kImgCmdInsertImage, kImgCmdZoomIn, kImgCmdZoomOut, kImgCmdCenter})
        dlg.OnCommand(cmd);  // on the toolbar without an action
    EXPECT_EQ(std::tuple(frames.size(), Rgb(frames, 0, 7, 3)), std::tuple(size_t(7), 0x00FFFFu));

    dlg.ThresholdCombo(0)->setCurrentIndex(dlg.ThresholdCombo(0)->findText("128"));
    EXPECT_EQ(frames[dlg.Index()]->redThreshold, 128);
    const int at = dlg.Index();
    frames[size_t(at - 2)]->greenThreshold = 255;
    for (int i = 0; i < 2; ++i) dlg.OnCommand(kImgCmdPrevFrame);
    // above 254 shown as 254; showing writes nothing
    EXPECT_EQ(std::tuple(dlg.ThresholdCombo(1)->currentText(), frames[size_t(at - 2)]->greenThreshold),
              std::tuple(QString("254"), 255));
    for (int i = 0; i < 2; ++i) dlg.OnCommand(kImgCmdNextFrame);
    EXPECT_EQ(std::tuple(dlg.Index(), dlg.ThresholdCombo(0)->currentText()), std::tuple(at, QString("128")));
    dlg.PauseCombo()->setCurrentIndex(200);
    EXPECT_EQ(frames[at]->pause, 200);

    dlg.accept();  // Finish Editing keeps every change
    EXPECT_EQ(std::tuple(dlg.result(), dlg.Frames(), frames.size()),
              std::tuple(int(QDialog::Accepted), nullptr, size_t(7)));
}

TEST(CImageEditorDlg, WithoutFramesTheIndexStaysZero) {
    FrameVector frames;
    CImageEditorDlg dlg(nullptr, &frames);
    bool asked = false;
    dlg.SetPropertyRunner([&asked](QWidget*, FrameVector*, int) { return asked = true, 0; });
    dlg.show();
    dlg.OnCommand(kImgCmdNextFrame);
    dlg.OnCommand(kImgCmdPrevFrame);
    dlg.OnCommand(kImgCmdProperty);
    EXPECT_EQ(std::tuple(dlg.Index(), asked, dlg.WidthLabel()->text()), std::tuple(0, false, QString("0")));
    EXPECT_EQ(ShowImageSizeDialog(nullptr, &frames, 0), QDialog::Rejected);
    dlg.reject();
}

TEST(CImgSizeDlg, ApplyAllResamplesEveryFrameAndKeepsItsDisplayHeight) {
    FrameVector frames;
    for (int displayHeight : {32, 16}) {
        frames.push_back(Stripe(128, 64));
        frames.frames.back()->displayHeight = displayHeight;
    }
    frames[1]->redThreshold = 255;
    CImgSizeDlg dlg(nullptr, &frames, 1);
    dlg.show();
    EXPECT_EQ(std::tuple(dlg.WidthEdit()->text(), dlg.ThresholdCombo(0)->currentText()),
              std::tuple(QString("128"), QString("254")));
    dlg.WidthEdit()->setText("0");
    testing::BoxCloser boxes;
    dlg.accept();
    EXPECT_EQ(std::tuple(boxes.texts.size(), dlg.isVisible(), frames[1]->width), std::tuple(1u, true, 128));

    dlg.WidthEdit()->setText("64");
    dlg.HeightEdit()->setText("32");
    dlg.PauseCombo()->setCurrentIndex(9);
    dlg.ThresholdCombo(2)->setCurrentIndex(dlg.ThresholdCombo(2)->findText("100"));
    dlg.ApplyAllCheck()->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    for (size_t i = 0; i < frames.size(); ++i) {  // display width: display height x 64 / 32
        const RawImage& f = *frames[i];
        EXPECT_EQ(std::tuple(f.width, f.height, f.displayHeight, f.displayWidth, f.pause, f.blueThreshold,
                             f.redThreshold), std::tuple(64, 32, 32 >> i, 64 >> i, 9, 100, 254));
    }
}

}  // namespace
}  // namespace ledsuite
