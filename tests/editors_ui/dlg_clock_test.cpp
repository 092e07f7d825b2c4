// The clock dialog offscreen.
#include "editors/ui/dlg_clock.h"

#include <tuple>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace ledsuite {
namespace {

struct RecordingSurface : InternalTarget {
    std::vector<int> codes;
    intptr_t onInternal(int code, intptr_t) override {
        codes.push_back(code);
        return 0;
    }
};

TEST(DlgClock, TwoPicksLeaveOneFrameAndThePickerGoesBackToItsOwner) {
    QWidget owner;
    QPointer<CIconPicker> picker = new CIconPicker(&owner);
    picker->hide();
    for (auto [w, h, colour] : {std::tuple{4, 4, Qt::white}, {20, 10, Qt::red}, {30, 15, Qt::blue}}) {
        QPixmap p(w, h);
        p.fill(colour);
        ASSERT_TRUE(picker->AddBitmapHandle(p));
    }
    RecordingSurface surface;
    ClockObject clock;
    clock.size = 30;
    {
        DlgClock dlg(nullptr, &clock, &surface, picker);
        dlg.show();
        EXPECT_EQ(picker->parentWidget(), &dlg);
        EXPECT_EQ(dlg.HandCombo()->count(), 1);
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 1);
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 2);
        ASSERT_EQ(clock.face.size(), 1u);
        const RawImage& face = *clock.face[0];
        EXPECT_EQ(std::tuple(clock.style, face.width, face.row32(0)[0] & 0xFFFFFF, face.displayHeight,
                             face.displayWidth), std::tuple(3u, 30, 0x0000FFu, 30, 60));
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 0);  // the first entry: no image
        EXPECT_EQ(std::tuple(clock.style, clock.face.size()), std::tuple(0u, size_t(0)));
        EXPECT_EQ(surface.codes, (std::vector<int>{273, 273, 273}));

        QTest::keyClick(&dlg, Qt::Key_Return);  // Enter closes like Esc
        EXPECT_EQ(std::tuple(dlg.isVisible(), dlg.result()), std::tuple(false, int(QDialog::Rejected)));
        ASSERT_TRUE(picker);
        EXPECT_EQ(std::tuple(picker->parentWidget(), picker->isHidden()), std::tuple(&owner, true));
        // Picks after closing reach the clock no more.
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 1);
        EXPECT_EQ(clock.style, 0);
    }
    ASSERT_TRUE(picker);  // the dialog went down without it
    EXPECT_EQ(picker->parentWidget(), &owner);
}

TEST(DlgClock, ADialogDestroyedWhileOpenStillHandsThePickerBack) {
    QWidget owner;
    QPointer<CIconPicker> picker = new CIconPicker(&owner);
    ClockObject clock;
    {
        DlgClock dlg(nullptr, &clock, nullptr, picker);
        dlg.show();
        EXPECT_EQ(picker->parentWidget(), &dlg);
    }
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->parentWidget(), &owner);
}

}  // namespace
}  // namespace ledsuite
