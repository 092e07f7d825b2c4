#include "link/ui/link_dlg.h"

#include <gtest/gtest.h>

#include <chrono>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "content/model/lang.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(CLinkDlg, FindsTheCardAndStoresTheNewPort) {
    SetUiLanguage(3);
    CardOnPort c;
    HardwareParams screen{.cardType = 2, .comIndex = 0, .baudIndex = 0};  // the card listens at 115200
    RecordingChannel channel;
    CLinkDlg dlg(&screen, &channel);
    dlg.SetProbeWait(100);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString("Search Device"));
    EXPECT_EQ(dlg.SearchButton()->text(), QString("Search"));
    EXPECT_EQ(dlg.InfoList()->item(0, 0)->text(), QString("Terminal"));
    dlg.OnSearch();
    EXPECT_EQ(dlg.SearchButton()->text(), QString("Stop"));
    ASSERT_TRUE(WaitUntil([&] { return dlg.SearchButton()->text() == "Search"; }));
    EXPECT_EQ(dlg.State(), kSearchIdle);
    EXPECT_EQ(screen.baudIndex, 8);
    ASSERT_EQ(channel.sent.size(), 1u);
    EXPECT_EQ(channel.sent[0].first, IMC_PORT_SETTINGS_CHANGED);
    EXPECT_EQ(dlg.InfoList()->item(3, 1)->text(), QString("1"));  // the COM number
}

TEST(CLinkDlg, SearchTwiceStopsAndCancelDuringASlowProbeHidesWithinTwoSeconds) {
    RawPty silent;  // a port whose far end never answers
    ScopedPorts ports({silent.slave});
    HardwareParams screen{.comIndex = 0, .baudIndex = 8};
    {
        CLinkDlg dlg(&screen, nullptr);
        dlg.SetProbeWait(300);
        dlg.show();
        dlg.OnSearch();
        EXPECT_EQ(dlg.State(), kSearching);
        dlg.OnSearch();  // the second press stops the search
        EXPECT_EQ(dlg.State(), kSearchStopRequested);
        ASSERT_TRUE(WaitUntil([&] { return dlg.SearchButton()->text() == "Search"; }));
        EXPECT_EQ(dlg.State(), kSearchIdle);
        EXPECT_EQ(dlg.StatusText()->text().isEmpty(), false);
    }
    auto* dlg = new CLinkDlg(&screen, nullptr);
    dlg->SetProbeWait(2500);  // each probe blocks longer than Cancel may wait
    dlg->show();
    dlg->OnSearch();
    QTest::qWait(50);
    const auto start = std::chrono::steady_clock::now();
    dlg->reject();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    delete dlg;  // joins the worker: nothing it uses is freed under it
}
