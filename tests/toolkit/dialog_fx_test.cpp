#include <gtest/gtest.h>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/dialog_fx.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(DialogFx, CaptionButtonsSitAtTheTopRightAndCountOnlyWithTheirBox) {
    const CaptionButtonRects r = CaptionButtonLayout(300, 296);
    EXPECT_EQ(r.close, QRect(267, 0, 31, 18));  // ends at the right border's inner edge
    EXPECT_EQ(r.maximize, QRect(236, 0, 31, 18));
    EXPECT_EQ(r.minimize, QRect(205, 0, 31, 18));
    EXPECT_EQ(CaptionButtonAt(r, r.close.center(), false, false), kCloseButton);
    EXPECT_EQ(CaptionButtonAt(r, r.maximize.center(), false, false), kNoButton);  // no box: no button
    EXPECT_EQ(CaptionButtonAt(r, QPoint(267, 18), true, true), kNoButton);  // below the cells

    CDialogFx d;
    d.SetClientSize(QSize(200, 100));
    d.show();
    EXPECT_EQ(d.size(), QSize(204, 164));  // inside the caption, the borders and the bottom band
    EXPECT_EQ(d.ClientRect(), QRect(2, 30, 200, 100));
    EXPECT_TRUE(d.HasSkin());
}

TEST(DialogFx, TheMouseOnTheCaptionHoversOfferedCellsDragsAndCloses) {
    CDialogFx d;
    d.SetCaptionButtons(true, false);
    d.SetClientSize(QSize(240, 80));
    d.setWindowTitle("A title long enough to be cut before the caption buttons start");
    d.move(100, 100);
    d.show();
    const QRect close = d.ButtonRects().close;
    const QImage before = d.grab().toImage();
    SendMouse(&d, QEvent::MouseMove, close.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kCloseButton);
    const QImage hot = d.grab().toImage();
    EXPECT_NE(before.copy(close), hot.copy(close));
    EXPECT_EQ(before.copy(0, 40, 2, 20), hot.copy(0, 40, 2, 20));

    SendMouse(&d, QEvent::MouseMove, d.ButtonRects().maximize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kNoButton);
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.ButtonRects().maximize.center());
    EXPECT_FALSE(d.isMaximized());
    EXPECT_TRUE(d.isVisible());
    SendMouse(&d, QEvent::MouseMove, d.ButtonRects().minimize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kMinimizeButton);

    const QPoint start = d.pos();
    SendMouse(&d, QEvent::MouseButtonPress, QPoint(40, 10), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.PressedCode(), kNoButton);
    SendMouse(&d, QEvent::MouseMove, QPoint(70, 30), Qt::NoButton, Qt::LeftButton);
    SendMouse(&d, QEvent::MouseButtonRelease, QPoint(40, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(d.pos(), start + QPoint(30, 20));

    SendMouse(&d, QEvent::MouseButtonPress, close.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.PressedCode(), kCloseButton);
    SendMouse(&d, QEvent::MouseButtonRelease, close.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(d.PressedCode(), kNoButton);
    EXPECT_FALSE(d.isVisible());
}

namespace {
// Gives up at initialisation, or refuses OK while its data do not validate.
class ProbeDialog : public CDialogFx {
public:
    bool initOk = true, dataOk = true;
    int loads = 0;

protected:
    bool OnInitDialog() override { return CDialogFx::OnInitDialog() && initOk; }
    bool DoDataExchange(bool save) override {
        if (!save) ++loads;
        return !save || dataOk;
    }
};
}  // namespace

TEST(DialogFx, AFailedInitialisationEndsTheDialogAndBadDataKeepItOpen) {
    ProbeDialog failing;
    failing.initOk = false;
    EXPECT_EQ(failing.exec(), QDialog::Rejected);  // at once, not shown
    EXPECT_FALSE(failing.isVisible());

    ProbeDialog d;
    d.dataOk = false;
    d.show();
    EXPECT_EQ(d.loads, 1);
    d.accept();
    EXPECT_TRUE(d.isVisible());
    d.dataOk = true;
    d.accept();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}
