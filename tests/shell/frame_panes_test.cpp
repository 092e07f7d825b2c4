// The frame with every pane this build has: the tab host's three pages, the music pane's
// playlist at start-up and close, the multi-screen page and the view's vehicle list, and
// the vehicle-server session opened from the settings.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include <QLineEdit>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolBox>

#include "link/ui/dlg_change_password.h"
#include "music/playlist.h"
#include "music/ui/music_ctrl.h"
#include "music/ui/music_text.h"
#include "shell/dlg_preference.h"
#include "shell/list_view_car_info.h"
#include "shell/list_view_program_edit.h"
#include "shell/list_view_program_server.h"
#include "shell/outlook_bar.h"
#include "shell/server_session.h"
#include "shell/view_multi.h"
#include "shell/zu_view.h"
#include "tests/link/fake_server.h"
#include "tests/shell/shell_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/list_ctrl.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// A TCP socket on 127.0.0.1 at a port the system picks; listening when `listening`.
struct LoopbackPort {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    explicit LoopbackPort(bool listening, int backlog = 4) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), size), 0);
        EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size), 0);
        port = ntohs(address.sin_port);
        EXPECT_TRUE(!listening || listen(fd, backlog) == 0);
    }
    ~LoopbackPort() { close(fd); }
    // The next waiting connection, or -1 when none comes within a second.
    int Accept() const {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 1000) == 1 ? accept(fd, nullptr, nullptr) : -1;
    }
};

// A TCP listener on every address of the machine, IPv6 and IPv4, at a port the system picks.
struct AnyAddressPort {
    int fd = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    AnyAddressPort() {
        const int no = 0;
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_any;
        socklen_t size = sizeof address;
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), size), 0);
        EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size), 0);
        port = ntohs(address.sin6_port);
        EXPECT_EQ(listen(fd, 4), 0);
    }
    ~AnyAddressPort() { close(fd); }
    int Accept() const {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 1000) == 1 ? accept(fd, nullptr, nullptr) : -1;
    }
};

void SetServer(const QString& host, const QVariant& port) {
    QSettings s;
    s.setValue(kServerHostKey, host);
    s.setValue(kServerPortKey, port);
}

// Triggers a frame command and runs `inside` on the modal dialog of type D it opens, which is
// then closed; false when no such dialog opened.
template <class D>
bool WithDialogOf(CMainFrame& frame, int id, const std::function<void(D&)>& inside) {
    bool opened = false;
    AnswerNext<D>([&](D* dlg) {
        opened = true;
        inside(*dlg);
        if (dlg->isVisible()) dlg->done(QDialog::Rejected);
    }, true);
    frame.Trigger(id);
    return opened;
}

}  // namespace

TEST(FramePanes, MusicPaneLoadsThePlaylistAtStartUpAndWritesItOnClose) {
    ShellApp a;
    PlaylistFile file;
    file.rows = {{u"/m/first.mp3", 0, 0, 10, 0, 0}};
    ASSERT_TRUE(SavePlaylistFile(file, PlaylistFilePath()));
    ASSERT_TRUE(a.Start());
    // The tab host holds the real pages of this build.
    ASSERT_TRUE(a.Host().HasPage(RSEditorWnd::kPageEditor));
    auto* music = qobject_cast<CMusicCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageMusic));
    ASSERT_NE(music, nullptr);
    ASSERT_NE(qobject_cast<ListViewProgramEdit*>(a.Host().PageWidget(RSEditorWnd::kPageList)), nullptr);
    ASSERT_EQ(music->List()->rowCount(), 1);
    EXPECT_EQ(music->List()->item(0, CMusicCtrl::kColTitle)->text(), QString("first.mp3"));
    EXPECT_TRUE(music->AddFile("/m/second.txt"));
    a.Frame().close();
    const std::optional<PlaylistFile> written = LoadPlaylistFile(PlaylistFilePath());
    ASSERT_TRUE(written.has_value());
    ASSERT_EQ(written->rows.size(), 2u);
    EXPECT_EQ(written->rows[0].path, u"/m/first.mp3");
    EXPECT_EQ(written->rows[1].path, u"/m/second.txt");
}

TEST(FramePanes, MusicPaneShowsEveryToolbarCommandAsAnIconAtTheWindowsOpeningSize) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    auto* music = qobject_cast<CMusicCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageMusic));
    ASSERT_NE(music, nullptr);
    QTabBar* tabs = a.Host().Tabs()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(a.Host().Tabs()->indexOf(music)).center());
    ASSERT_TRUE(music->isVisible());
    namespace m = music_text;
    for (int setting : {1, 2, 3}) {
        a.Menu(ID_LANGUAGE_AUTO + setting)->trigger();
        QApplication::processEvents();
        QStringList tips;
        for (const LangText* t : {&m::kAdd, &m::kPrevious, &m::kPlay, &m::kStop, &m::kNext, &m::kLoopPlay, &m::kShiftUp,
                                  &m::kShiftDown, &m::kDel, &m::kVolume, &m::kLrcSetting, &m::kRoleSetting})
            tips << QString::fromUtf16((*t)());
        EXPECT_EQ(ToolbarFaults(music->findChild<QToolBar*>(), tips).join("; ").toStdString(), "")
            << "language " << setting;
    }
    // Only Play and Loop Play stay down when pressed.
    QStringList toggles;
    for (QAction* action : music->findChild<QToolBar*>()->actions())
        if (action->isCheckable()) toggles << action->toolTip();
    EXPECT_EQ(toggles, (QStringList{"Play", "Loop Play"}));
    EXPECT_EQ(a.Frame().size(), QSize(1000, 700));
}

TEST(FramePanes, SecondOutlookPageShowsTheVehicleListAndTheFirstBringsTheCanvasBack) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    CZUView& view = *static_cast<CZUView*>(a.Frame().ViewWidget());
    COutlookBar& bar = *a.Frame().OutlookBar();
    ASSERT_EQ(bar.PageCount(), 2);
    a.Frame().OnLanguage(1);
    EXPECT_EQ(bar.PageLabel(1), QString("节目发布"));
    EXPECT_EQ(view.VehicleList()->objectName(), QString("ROZIVovo"));
    // (navigation mode, view mode, vehicle list shown, server list shown)
    auto state = [&] {
        return std::tuple(NavigationMode(), view.Mode(), view.VehicleList()->isVisible(),
                          view.ServerProgramList()->isVisible());
    };
    EXPECT_EQ(state(), std::tuple(0, 0, false, false));
    bar.SetActivePage(1);
    EXPECT_EQ(state(), std::tuple(1, 1, true, true));
    // The vehicle list above (three fifths), the server's programs below, over the whole client area.
    auto split = [&] {
        const int top = view.height() * 3 / 5;
        return std::pair(view.VehicleList()->geometry() == QRect(0, 0, view.width(), top),
                         view.ServerProgramList()->geometry() == QRect(0, top, view.width(), view.height() - top));
    };
    EXPECT_EQ(split(), std::pair(true, true));
    view.resize(view.width() + 30, view.height() + 20);
    EXPECT_EQ(split(), std::pair(true, true));
    // The relay's vehicle-list question is answered by the list; the language reaches its combos.
    EXPECT_EQ(a.Frame().Channel().send(IMC_GET_VEHICLE_LIST, 0), reinterpret_cast<intptr_t>(view.VehicleList()->List()));
    a.Frame().OnLanguage(3);
    EXPECT_EQ(view.VehicleList()->StateFilter()->itemText(0), QString("All"));
    EXPECT_EQ(bar.PageLabel(1), QString("Program Release"));

    bar.SetActivePage(0);
    EXPECT_EQ(state(), std::tuple(0, 0, false, false));
    // Any mode but 1 hides both lists.
    view.onInternal(IMC_SET_VIEW_MODE, 1);
    view.onInternal(IMC_SET_VIEW_MODE, 2);
    EXPECT_FALSE(view.VehicleList()->isVisible());
}

TEST(ServerSession, NoSettingsMeansNoConnection) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    EXPECT_FALSE(a.Frame().Server().IsConnected() || a.Frame().Server().Socket());
    // Only a host, or a port that is not a number: still no connection.
    ServerSession session;
    for (const auto& [host, port] : {std::pair<QString, QVariant>{"127.0.0.1", QVariant()},
                                     {"", 80}, {"127.0.0.1", "eighty"}}) {
        SetServer(host, port);
        EXPECT_FALSE(session.ConnectFromSettings()) << host.toStdString();
    }
}

TEST(ServerSession, ConnectsAtStartUpToTheServerInTheSettingsAndTheGroupPageUploadsThroughIt) {
    LoopbackPort server(true);
    ShellApp a;
    SetServer("127.0.0.1", server.port);
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(a.Frame().Server().IsConnected());
    const int peer = server.Accept();
    ASSERT_GE(peer, 0);
    FakeServer answers(peer, {ServerReply(kReplyAccepted), ServerReply(kReplyAccepted)});
    CViewMulti& page = *static_cast<CViewMulti*>(a.Frame().OutlookBar()->Pages()->widget(1));
    EXPECT_EQ(page.Notice()->text(), "No vehicle groups received from the server yet");
    a.Frame().Server().ReceiveGroups(TwoGroups());  // the page shows the server's table at once
    const GroupTable& groups = a.Frame().Server().Groups();
    ASSERT_EQ(page.Tree()->topLevelItem(0)->childCount(), 2);
    EXPECT_TRUE(page.Notice()->isHidden());
    page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0)->child(0)->child(0));
    EXPECT_EQ(page.MoveSelectedTo("West"), CViewMulti::kMoved);
    // The group block in its two halves, each after the 48-byte head.
    const auto requests = answers.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) EXPECT_EQ(request.size(), kServerHeaderSize + kGroupBlockHalf);
    EXPECT_EQ(FindGroupOfMember(groups, 101), 1);
    // "localhost" and a reconnect: the first socket is closed and replaced.
    ServerSession session;
    EXPECT_TRUE(session.Connect("localhost", server.port) && session.Connect("127.0.0.1", server.port));
    EXPECT_NE(session.Socket(), nullptr);
    session.Close();
    EXPECT_EQ(session.Socket(), nullptr);
}

TEST(ServerSession, AHostNameResolvesAndANameThatDoesNotIsToldOnTheGroupPage) {
    char name[256] = {};
    ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
    AnyAddressPort server;
    {
        ShellApp a;
        SetServer(name, server.port);  // the machine's own name, as a server's name is given
        ASSERT_TRUE(a.Start());
        ASSERT_TRUE(a.Frame().Server().IsConnected()) << name;
        const int peer = server.Accept();
        ASSERT_GE(peer, 0);
        FakeServer answers(peer, {ServerReply(kReplyAccepted), ServerReply(kReplyAccepted)});
        a.Frame().Server().ReceiveGroups(TwoGroups());
        EXPECT_EQ(a.Frame().Server().UploadGroups(), kUploadOk);
        EXPECT_EQ(answers.Requests().size(), 2u);
    }
    // A name no resolver knows: no connection, and the group page says why, in each language.
    ShellApp a;
    SetServer("vehicles.invalid", server.port);
    ASSERT_TRUE(a.Start());
    EXPECT_FALSE(a.Frame().Server().IsConnected());
    const CViewMulti& page = *static_cast<CViewMulti*>(a.Frame().OutlookBar()->Pages()->widget(1));
    const std::pair<int, const char16_t*> told[] = {
        {1, u"找不到服务器“vehicles.invalid”，请检查服务器名称"},
        {2, u"找不到伺服器「vehicles.invalid」，請檢查伺服器名稱"},
        {3, u"The server \"vehicles.invalid\" cannot be found, please check its name"},
    };
    for (const auto& [language, text] : told) {
        a.Frame().OnLanguage(language);
        EXPECT_EQ(page.Notice()->text(), QString::fromStdU16String(text)) << language;
        EXPECT_FALSE(page.Notice()->isHidden());
    }
    // Another failure is no naming fault.
    SetServer("127.0.0.1", 0);
    a.Frame().Server().ConnectFromSettings(200);
    EXPECT_EQ(a.Frame().Server().NotConnectedReason(), u"Not connected to the server");
}

TEST(SettingMenu, PreferenceWorksOnTheRunsBlockAndPasswordNeedsAServer) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Frame().OnLanguage(3);
    EXPECT_EQ(std::pair(a.Enabled(ID_CHANGE_PASSWORD), a.Enabled(ID_PREFERENCE)), std::pair(false, true));
    EXPECT_EQ(a.Frame().Commands(ID_PREFERENCE).front()->text(), QString("Preference"));
    EXPECT_TRUE(WithDialogOf<DlgPreference>(a.Frame(), ID_PREFERENCE, [](DlgPreference& dlg) {
        EXPECT_EQ(dlg.Combo(1328)->currentIndex(), 0);  // a block of zeros at start
        emit dlg.Combo(1328)->activated(5);
    }));
    EXPECT_EQ(a.Frame().Preferences()[4], 5);  // combo 1328 holds byte 4
    int shown = -1;
    EXPECT_TRUE(WithDialogOf<DlgPreference>(a.Frame(), ID_PREFERENCE,
                                            [&](DlgPreference& dlg) { shown = dlg.Combo(1328)->currentIndex(); }));
    EXPECT_EQ(shown, 5);  // the block lives on between openings
}

TEST(SettingMenu, ChangePasswordGoesToTheServerWithTheUserId) {
    LoopbackPort server(true);
    ShellApp a;
    SetServer("127.0.0.1", server.port);
    QSettings().setValue(kServerUserIdKey, 42);
    ASSERT_TRUE(a.Start());
    EXPECT_EQ(std::tuple(a.Frame().Server().IsConnected(), a.Frame().Server().UserId()), std::tuple(true, 42));
    a.Frame().OnLanguage(3);
    const int peer = server.Accept();
    ASSERT_GE(peer, 0);
    FakeServer answers(peer, {ServerReply(kReplyAccepted)});
    ASSERT_TRUE(a.Enabled(ID_CHANGE_PASSWORD));
    QString told;
    EXPECT_TRUE(WithDialogOf<DlgChangePassword>(a.Frame(), ID_CHANGE_PASSWORD, [&](DlgChangePassword& dlg) {
        dlg.OldEdit()->setText("old");
        dlg.NewEdit()->setText("abcdef");
        dlg.ConfirmEdit()->setText("abcdef");
        AnswerBox(&told);
        dlg.accept();
        WaitUntil([&] { return !told.isEmpty(); });
    }));
    EXPECT_EQ(told, "Change password succeeded");
    const auto requests = answers.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0][22] | requests[0][23] << 8, 42);
}

TEST(ServerSession, RefusedUnreachableAndBadAddressesFailWithinTheTimeOut) {
    using Clock = std::chrono::steady_clock;
    {
        LoopbackPort closed(false);  // bound, nobody listening: refused at once
        const auto start = Clock::now();
        ShellApp a;
        SetServer("127.0.0.1", closed.port);
        ASSERT_TRUE(a.Start());
        EXPECT_FALSE(a.Frame().Server().IsConnected());
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kServerConnectTimeoutMs));
    }
    // A listener whose queue is full drops the handshake: the connect ends at its time-out.
    LoopbackPort full(true, 0);
    const int first = OpenServerConnection("127.0.0.1", full.port, 1000);
    EXPECT_GE(first, 0);
    const auto start = Clock::now();
    EXPECT_EQ(OpenServerConnection("127.0.0.1", full.port, 200), -1);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kServerConnectTimeoutMs));
    if (first >= 0) close(first);
    // A name that does not resolve fails; ports out of range and no host are refused; each says why.
    LoopbackPort refusing(false);
    const std::tuple<const char*, int, ServerConnectFailure> cases[] = {
        {"server.invalid", full.port, ServerConnectFailure::kNameNotFound},
        {"127.0.0.1", 0, ServerConnectFailure::kBadAddress},
        {"127.0.0.1", 1 << 16, ServerConnectFailure::kBadAddress},
        {"", full.port, ServerConnectFailure::kBadAddress},
        {"127.0.0.1", refusing.port, ServerConnectFailure::kNoAnswer},
    };
    for (const auto& [host, port, why] : cases) {
        ServerConnectFailure failure = ServerConnectFailure::kNone;
        EXPECT_EQ(OpenServerConnection(host, port, 200, &failure), -1) << host << ":" << port;
        EXPECT_EQ(failure, why) << host << ":" << port;
    }
}
