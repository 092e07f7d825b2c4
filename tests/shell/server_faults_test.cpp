// The running window against a vehicle server played over a real TCP connection on
// loopback: a table never received is never uploaded, a late answer is not read as the
// next request's, no answer and a refused answer say so, and the password change needs a
// user. The bytes that reach the server are checked.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolBox>

#include "link/ui/dlg_change_password.h"
#include "shell/dlg_preference.h"
#include "shell/group_list_dlg.h"
#include "shell/outlook_bar.h"
#include "shell/server_session.h"
#include "shell/vehicle_pane_util.h"
#include "shell/view_multi.h"
#include "tests/link/fake_server.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

std::vector<uint8_t> Head(const std::vector<uint8_t>& request) { return {request.begin(), request.begin() + 48}; }
uint16_t At16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

const std::vector<uint8_t> kRefusedPassword = ServerReply(0x8027, 0xFFFF, 0xFFFFFFFF);

// The application connected at start-up to a server on loopback that plays `script`.
struct ServerApp : ShellApp {
    LoopbackListener listener;
    std::unique_ptr<FakeServer> server;
    explicit ServerApp(std::vector<ScriptedReply> script, int userId = 0) {
        QSettings s;
        s.setValue(kServerHostKey, "127.0.0.1");
        s.setValue(kServerPortKey, listener.Port());
        if (userId) s.setValue(kServerUserIdKey, userId);
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
        server = std::make_unique<FakeServer>(listener.Accept(), std::move(script));
    }
    ~ServerApp() { server.reset(); }
    CViewMulti& GroupPage() { return *static_cast<CViewMulti*>(Frame().OutlookBar()->Pages()->widget(1)); }

    // Setting > Preference, then its "Save" button: the message it showed.
    QString PreferenceSave() {
        QString told;
        AnswerNext<DlgPreference>([&](DlgPreference* dlg) {
            for (QPushButton* b : dlg->findChildren<QPushButton*>())
                if (b->property("controlId").toInt() == DlgPreference::kSaveId) {
                    AnswerBox(&told);
                    QTest::mouseClick(b, Qt::LeftButton);
                }
            dlg->reject();
        }, true);
        Menu(ID_PREFERENCE)->trigger();
        return told;
    }
    // Setting > Change Password, the three fields typed, OK clicked: the message it showed.
    QString ChangePassword(const char* oldPw, const char* newPw) {
        QString told;
        AnswerNext<DlgChangePassword>([&](DlgChangePassword* dlg) {
            QTest::keyClicks(dlg->OldEdit(), oldPw);
            QTest::keyClicks(dlg->NewEdit(), newPw);
            QTest::keyClicks(dlg->ConfirmEdit(), newPw);
            AnswerBox(&told);
            QTest::mouseClick(dlg->findChild<QPushButton*>("ok"), Qt::LeftButton);
            if (dlg->isVisible()) dlg->reject();
        }, true);
        Menu(ID_CHANGE_PASSWORD)->trigger();
        return told;
    }
};

TEST(ServerFaults, ATableNeverReceivedIsNeverUploaded) {
    ServerApp a({{ServerReply(0xFFFF)}, {ServerReply(0xFFFF)}});
    ASSERT_TRUE(a.Frame().Server().IsConnected());
    EXPECT_EQ(a.GroupPage().Notice()->text(), "No vehicle groups received from the server yet");
    EXPECT_EQ(a.PreferenceSave(), "The vehicle groups have not been received from the server; nothing was uploaded");
    QTest::qWait(50);
    EXPECT_TRUE(a.server->Requests().empty());  // not one byte of an empty table reached the server
    // Without a user id the password change stays out of reach.
    EXPECT_FALSE(a.Menu(ID_CHANGE_PASSWORD)->isEnabled());

    // Once the server's table is in, Save uploads exactly it: both halves, its names and ids.
    a.Frame().Server().ReceiveGroups(TwoGroups());
    EXPECT_TRUE(a.GroupPage().Notice()->isHidden());
    EXPECT_EQ(a.PreferenceSave(), "Save");
    const auto requests = a.server->Requests();
    ASSERT_EQ(requests.size(), 2u);
    std::vector<uint8_t> block(requests[0].begin() + 48, requests[0].end());
    block.insert(block.end(), requests[1].begin() + 48, requests[1].end());
    ASSERT_EQ(block.size(), kGroupBlockSize);
    const GroupUploadBlock packed = PackGroupTable(TwoGroups());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), packed.begin()));
    EXPECT_EQ(std::tuple(At16(block, 134), At16(block, 154), At16(block, 278), At16(block, 280)),
              std::tuple(u'E', u'W', 101, 201));
    EXPECT_EQ(std::tuple(At16(requests[1], 20), At16(requests[1], 22), At16(requests[1], 26)),
              std::tuple(0x8007, 1163, 1163));
}

TEST(ServerFaults, ALateAnswerIsNotTakenForTheRefusedPasswordChange) {
    // The first half's answer comes 400 ms late; the password change is refused.
    ServerApp a({{ServerReply(0xFFFF), 400}, {kRefusedPassword}}, 42);
    a.Frame().Server().ReceiveGroups(TwoGroups());
    a.Frame().Server().SetRequestTimeout(150);
    EXPECT_EQ(a.PreferenceSave(), "The server did not answer in time, please retry later");
    ASSERT_TRUE(a.Menu(ID_CHANGE_PASSWORD)->isEnabled());
    a.Frame().Server().SetRequestTimeout(2000);
    EXPECT_EQ(a.ChangePassword("oldpw", "secret7"), "Error old password");  // never "succeeded"
    const auto requests = a.server->Requests();
    ASSERT_EQ(requests.size(), 2u);  // the second half never went out
    EXPECT_EQ(Head(requests[0])[20], 0x07);
    ASSERT_EQ(requests[1].size(), 80u);
    EXPECT_EQ(std::tuple(At16(requests[1], 20), At16(requests[1], 22), At16(requests[1], 26)),
              std::tuple(0x8027, 42, 32));
    EXPECT_EQ(std::string(requests[1].begin() + 48, requests[1].begin() + 53), "oldpw");
    EXPECT_EQ(std::string(requests[1].begin() + 64, requests[1].begin() + 71), "secret7");
}

TEST(ServerFaults, NoAnswerSaysSo) {
    ServerApp a(std::vector<ScriptedReply>{ScriptedReply{}});  // silent
    a.Frame().Server().ReceiveGroups(TwoGroups());
    a.Frame().Server().SetRequestTimeout(150);
    EXPECT_EQ(a.PreferenceSave(), "The server did not answer in time, please retry later");
    const auto requests = a.server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].size(), 48u + 1163u);
}

TEST(ServerFaults, ARefusedMoveToSaysSoAndSendsNoSecondHalf) {
    ServerApp a({{ServerReply(0x0000)}});
    a.Frame().Server().ReceiveGroups(TwoGroups());
    CViewMulti& page = a.GroupPage();
    QTreeWidgetItem* screen = page.Tree()->topLevelItem(0)->child(0)->child(0);
    page.Tree()->setCurrentItem(screen);
    QMenu* menu = RightClick(page.Tree()->viewport(), page.Tree()->visualItemRect(screen).center());
    ASSERT_NE(menu, nullptr);
    QString told;
    AnswerNext<CGroupListDlg>([&](CGroupListDlg* dlg) {
        dlg->Groups()->setCurrentRow(1);  // "West"
        AnswerBox(&told);
        dlg->accept();
    });
    CommandAction(menu, CViewMulti::kCmdMoveTo)->trigger();
    menu->hide();
    EXPECT_EQ(told, "Uploading the groups failed");
    QTest::qWait(50);
    const auto requests = a.server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    // The table sent already holds the move (101 in West).
    const GroupTable& groups = a.Frame().Server().Groups();
    EXPECT_EQ(FindGroupOfMember(groups, 101), 1);
    EXPECT_EQ(At16(requests[0], 48 + 278), 201);
}

}  // namespace
