#include "link/ui/dlg_change_password.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QLineEdit>

#include "tests/link/fake_server.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

// Types the three fields, presses OK and returns the message box's text.
QString RunOk(DlgChangePassword& dlg, const QString& oldPw, const QString& newPw, const QString& confirm) {
    dlg.OldEdit()->setText(oldPw);
    dlg.NewEdit()->setText(newPw);
    dlg.ConfirmEdit()->setText(confirm);
    QString shown;
    AnswerBox(&shown);
    dlg.accept();
    WaitUntil([&] { return !shown.isEmpty(); });
    return shown;
}

TEST(DlgChangePassword, MessagesOfEachAnswer) {
    FakeServer server({ServerReply(0x8027, 0xFFFF, 0xFFFFFFFF), {0x6B, 0x69}, ServerReply(0xFFFF)});
    const ServerSocket socket = server.Socket(500);
    DlgChangePassword dlg(nullptr, &socket, 42);
    dlg.show();
    EXPECT_EQ(RunOk(dlg, "", "abcdef", "abcdef"), "Please input current password");
    EXPECT_EQ(RunOk(dlg, "old", "abcde", "abcde"), "The lenght of new password counldn't be less than 6");
    EXPECT_EQ(RunOk(dlg, "old", "abcdef", "abcdeX"), "Confirm password not match");
    int pending = -1;
    ioctl(server.ServerFd(), FIONREAD, &pending);
    EXPECT_EQ(pending, 0);  // nothing went out for refused input
    EXPECT_EQ(RunOk(dlg, "old", "abcdef", "abcdef"), "Error old password");
    EXPECT_TRUE(dlg.isVisible());
    // A two-byte reply is not an answer: a failure, never "succeeded".
    EXPECT_EQ(RunOk(dlg, "old", "abcdef", "abcdef"), "Network exception, please retyr later");
    EXPECT_EQ(RunOk(dlg, "old", "abcdef", "abcdef"), "Change password succeeded");
    EXPECT_FALSE(dlg.isVisible());
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].size(), 80u);
    EXPECT_EQ(requests[0][22], 42);
    EXPECT_EQ(std::string(requests[0].begin() + 64, requests[0].begin() + 70), "abcdef");

    DlgChangePassword offline(nullptr, nullptr, 1);
    offline.show();
    EXPECT_EQ(RunOk(offline, "old", "abcdef", "abcdef"), "Network disconnected, please relogin");
    EXPECT_EQ(offline.LastResult(), PasswordResult::kDisconnected);
    EXPECT_EQ(offline.NewEdit()->maxLength(), 16);
}

}  // namespace
}  // namespace ledsuite
