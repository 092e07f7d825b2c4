#include "link/ui/dlg_controller.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <chrono>
#include <QPushButton>

#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr int kKeyZero = 10;
const HardwareParams kScreen{.cardType = 2, .comIndex = 0, .baudIndex = 8};

struct Dialog {
    Messages shown;
    CDlgController dlg{kScreen};
    Dialog() {
        dlg.SetMessageSink(shown.Sink());
        dlg.SetTimeouts({400, 200});
        dlg.show();
    }
};

}  // namespace

TEST(CDlgController, LearnsAKeyFromReportsAndSetsItsTable) {
    CardOnPort c;
    Dialog d;
    EXPECT_TRUE(d.dlg.CardAnswered());
    d.dlg.KeyButton(kKeyZero)->click();  // idle: a function key does nothing
    EXPECT_EQ(d.dlg.SelectedKey(), -1);
    d.dlg.CalibrateButton()->click();
    ASSERT_EQ(d.dlg.Mode(), kModeLearning);
    EXPECT_TRUE(d.dlg.PortOpen());
    EXPECT_EQ(d.dlg.SelectedKey(), 0);
    d.dlg.KeyButton(kKeyZero)->click();
    EXPECT_EQ(d.dlg.SelectedKey(), kKeyZero);
    // A report split over two reads, then a broken one.
    c.card.SendRaw({'I', 'R', 'C'});
    QTest::qWait(30);
    c.card.SendRaw({'A', 0x45, 0xBA});
    ASSERT_TRUE(WaitUntil([&] { return d.dlg.KeyField(kKeyZero)->text() == "45"; }));
    EXPECT_EQ(d.dlg.Keys()[kKeyZero], 0x45);
    d.dlg.KeyButton(3)->click();
    c.card.SendRaw({'I', 'R', 'C', 'A', 0x45, 0x00});
    QTest::qWait(60);
    EXPECT_EQ(d.dlg.Keys()[3], kNoCode);
    EXPECT_TRUE(d.dlg.KeyButton(3)->text().isEmpty() || d.dlg.KeyButton(3)->text() == "3");  // blinking
    d.dlg.SetButton()->click();  // learning: Set does nothing
    EXPECT_TRUE(c.card.log().irTable.empty());
    d.dlg.CalibrateButton()->click();  // asks learning to stop
    ASSERT_TRUE(WaitUntil([&] { return d.dlg.Mode() == kModeIdle; }));
    EXPECT_FALSE(d.dlg.PortOpen());
    EXPECT_EQ(d.dlg.KeyButton(kKeyZero)->text(), QString("0"));
    d.dlg.SetButton()->click();
    const auto table = c.card.log().irTable;
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0x45], 0);  // key "0" is function 0
    EXPECT_EQ(std::count(table.begin(), table.end(), kNoCode), 255);
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Set successfully"});
}

TEST(CDlgController, GetThenSetSendsTheSameTable) {
    std::vector<uint8_t> table(256, kNoCode);
    table[0x10] = 10;
    table[0x22] = 0;
    table[0x80] = 17;
    table[0x81] = 17;  // a second code for VO+ goes back too
    CardOnPort c({.irTable = table});
    Dialog d;
    d.dlg.GetButton()->click();
    EXPECT_EQ(d.dlg.KeyField(0)->text(), QString("10"));
    EXPECT_EQ(d.dlg.KeyField(kKeyZero)->text(), QString("22"));
    d.dlg.SetButton()->click();
    EXPECT_EQ(c.card.log().irTable, table);
    EXPECT_EQ(d.shown.texts, (std::vector<std::u16string>{u"Read successfully", u"Set successfully"}));
}

TEST(CDlgController, NoCardAndAnswersThatFail) {
    {
        CardOnPort c({.irCalibrate = "ERR"});
        Dialog d;
        d.dlg.CalibrateButton()->click();
        EXPECT_EQ(d.dlg.Mode(), kModeIdle);
        EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Not a universal remote card"});
    }
    RawPty silent;
    ScopedPorts ports({silent.slave});
    const auto start = std::chrono::steady_clock::now();
    Dialog d;
    // The start-up query waits half a second for the card's head, then says why the icon shows.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(d.dlg.CardAnswered());
    EXPECT_EQ(d.dlg.windowTitle(), QString("Remote Control"));
    EXPECT_TRUE(d.dlg.WarningText()->isVisible());
    EXPECT_TRUE(d.dlg.WarningText()->text().startsWith("No Ctrl Card found"));
    EXPECT_FALSE(d.dlg.RemotePictureLabel()->pixmap().isNull());
    d.dlg.GetButton()->click();
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"The ctrl card does not answer"});
}
