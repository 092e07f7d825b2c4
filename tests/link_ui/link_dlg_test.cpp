#include "link/ui/link_dlg.h"

#include <gtest/gtest.h>

#include <chrono>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "content/model/lang.h"
#include "toolkit/qt_text.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"
#include "tests/toolkit/gui_test_util.h"

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

    // At the dialog's own size every label and every answer shows whole, and an answer
    // also has itself as tooltip.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    const QTableWidget* list = dlg.InfoList();
    EXPECT_EQ(list->item(4, 1)->text(), QString("115200(Unfixed)"));
    for (int row = 0; row < list->rowCount(); ++row) {
        for (int column : {0, 1})
            EXPECT_TRUE(ColumnShowsWhole(list, column, list->item(row, column)->text()))
                << list->item(row, column)->text().toStdString() << " in " << list->columnWidth(column);
        EXPECT_EQ(list->item(row, 1)->toolTip(), list->item(row, 1)->text());
    }
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

TEST(CLinkDlg, TheCardsModeBecomesTheScreensSubtypeAndTheCancelTextFollowsTheLanguage) {
    SetUiLanguage(3);
    CardOnPort c({.info = MakeInfoReply(0, 2, 3, {{1, 1}, {14, 3}})});  // MP3 and SSF decoders: Asyn Voice-I
    HardwareParams screen{.cardType = 2, .cardSubtype = 0, .comIndex = 0, .baudIndex = 8};
    RecordingChannel channel;
    CLinkDlg dlg(&screen, &channel);
    dlg.SetProbeWait(100);
    dlg.show();
    EXPECT_EQ(dlg.CancelButton()->text(), QString("Cancel"));
    QTest::mouseClick(dlg.SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return dlg.SearchButton()->text() == "Search"; }));
    EXPECT_EQ(dlg.InfoList()->item(1, 1)->text(), QString::fromUtf8("ZU20K Asyn Voice-Ⅰ"));
    EXPECT_EQ(screen.cardSubtype, 2);  // the port did not change, the mode did: announced all the same
    ASSERT_EQ(channel.sent.size(), 1u);
    EXPECT_EQ(channel.sent[0].first, IMC_PORT_SETTINGS_CHANGED);
    EXPECT_TRUE(dlg.RemarkText()->isHidden());
    SetUiLanguage(1);
    CLinkDlg chinese(&screen, nullptr);
    chinese.show();
    EXPECT_EQ(chinese.CancelButton()->text(), QString::fromUtf8("取消"));
    SetUiLanguage(3);
}

TEST(CLinkDlg, ThePl2303RemarkShowsWhenNoCardAnswers) {
    RawPty silent;
    ScopedPorts ports({silent.slave});
    ScopedPl2303 pl2303(silent.slave);
    HardwareParams screen{.comIndex = 0, .baudIndex = 8};
    CLinkDlg dlg(&screen, nullptr);
    dlg.SetProbeWait(20);
    dlg.show();
    QTest::mouseClick(dlg.SearchButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return dlg.SearchButton()->text() == "Search"; }));
    EXPECT_FALSE(dlg.RemarkText()->isHidden());
    EXPECT_EQ(dlg.RemarkText()->text(), ToQString(AdapterRemarkText()));
}
