#include "shell/dlg_preference.h"

#include <gtest/gtest.h>

#include "shell/server_session.h"
#include "tests/link/fake_server.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

TEST(DlgPreference, BytesMapToCombosKeepingHighNibbles) {
    PreferenceBlock block{};
    block[4] = 0xA3;
    block[5] = 0x57;
    DlgPreference dlg(nullptr, &block, nullptr);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Preference");
    EXPECT_EQ(dlg.Combo(1328)->currentIndex(), 3);  // byte 4
    EXPECT_EQ(dlg.Combo(1327)->currentIndex(), 7);  // byte 5
    EXPECT_EQ(dlg.Combo(1324)->count(), 16);
    emit dlg.Combo(1328)->activated(9);
    emit dlg.Combo(1331)->activated(15);
    EXPECT_EQ(std::tuple(block[4], block[5], block[8]), std::tuple(0xA9, 0x57, 0x0F));
}

TEST(DlgPreference, SecondOpeningShowsFirstChoicesAndDefaultReturnsToIt) {
    PreferenceBlock block{};
    {
        DlgPreference first(nullptr, &block, nullptr);
        first.show();
        emit first.Combo(1325)->activated(5);
    }
    DlgPreference second(nullptr, &block, nullptr);
    second.show();
    EXPECT_EQ(second.Combo(1325)->currentIndex(), 5);
    emit second.Combo(1325)->activated(2);
    second.Combo(1325)->setCurrentIndex(2);
    second.RestoreDefault();
    EXPECT_EQ(block[2], 5);  // the state at this opening, not zero
    EXPECT_EQ(second.Combo(1325)->currentIndex(), 5);
}

TEST(DlgPreference, SaveUploadsOnlyAReceivedTableAndSaysWhyNot) {
    PreferenceBlock block{};
    block[0] = 0x33;
    GroupTable groups;
    SetGroupName(groups.groups[0], u"G");
    FakeServer server({ServerReply(0xFFFF), ServerReply(0xFFFF)});
    ServerSession session;
    session.Adopt(dup(server.Socket().fd), 500);
    DlgPreference dlg(nullptr, &block, &session);
    dlg.show();
    QString shown;
    AnswerBox(&shown);
    EXPECT_FALSE(dlg.Save());  // no table from the server yet: nothing may replace its groups
    EXPECT_EQ(shown, "The vehicle groups have not been received from the server; nothing was uploaded");
    EXPECT_TRUE(server.Requests().empty());
    session.ReceiveGroups(groups);
    AnswerBox(&shown);
    EXPECT_TRUE(dlg.Save());
    EXPECT_EQ(shown, "Save");
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(server.Requests().size(), 2u);
    DlgPreference offline(nullptr, &block, nullptr);
    AnswerBox(&shown);
    EXPECT_FALSE(offline.Save());
    EXPECT_EQ(shown, "Network disconnected, please relogin");
}

}  // namespace
}  // namespace ledsuite
