#include "shell/server_session.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <QSettings>

#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"

namespace ledsuite {

namespace {

// Waits until the non-blocking connect on `fd` ends; true when it succeeded in time.
bool ConnectFinished(int fd, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd p{fd, POLLOUT, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = poll(&p, 1, int(std::max<long long>(left, 0)));
        if (ready > 0) break;
        if (ready == 0 || errno != EINTR) return false;  // time-out or a failed wait
    }
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// One address: a non-blocking connect bounded by the time-out, then back to blocking
// (the server requests poll before each receive themselves).
int ConnectWithin(const addrinfo& address, int timeoutMs) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) return -1;
    bool connected = connect(fd, address.ai_addr, address.ai_addrlen) == 0;
    if (!connected && errno == EINPROGRESS) connected = ConnectFinished(fd, timeoutMs);
    const int flags = fcntl(fd, F_GETFL);
    if (!connected || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One lookup of host:port, shared by the waiting caller and the thread that runs it: a
// lookup the caller stopped waiting for is freed by that thread when it ends.
struct Lookup {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false, abandoned = false;
    addrinfo* list = nullptr;
};
using AddressList = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// The stream addresses of host:port (a name or a numeric address), looked up on a thread
// of its own: a slow resolver holds the caller no longer than `timeoutMs`. Null when the
// name does not resolve in that time.
AddressList Resolve(const std::string& host, int port, int timeoutMs) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* list = nullptr;
        const int result = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
        std::lock_guard lock(lookup->mutex);
        if (lookup->abandoned) {
            if (result == 0) freeaddrinfo(list);
            return;
        }
        lookup->list = result == 0 ? list : nullptr;
        lookup->done = true;
        lookup->ended.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return lookup->done; })) {
        lookup->abandoned = true;
        return {nullptr, freeaddrinfo};
    }
    return {lookup->list, freeaddrinfo};
}

}  // namespace

int OpenServerConnection(const std::string& host, int port, int timeoutMs, ServerConnectFailure* failure) {
    auto fail = [failure](ServerConnectFailure why) {
        if (failure) *failure = why;
        return -1;
    };
    if (host.empty() || port <= 0 || port > 65535) return fail(ServerConnectFailure::kBadAddress);
    const AddressList list = Resolve(host, port, timeoutMs);
    if (!list) return fail(ServerConnectFailure::kNameNotFound);
    int fd = -1;
    for (const addrinfo* a = list.get(); a && fd < 0; a = a->ai_next) fd = ConnectWithin(*a, timeoutMs);
    return fd >= 0 ? fd : fail(ServerConnectFailure::kNoAnswer);
}

bool ServerSession::Connect(const std::string& host, int port, int timeoutMs) {
    Close();
    ServerConnectFailure failure = ServerConnectFailure::kNone;
    socket_.fd = OpenServerConnection(host, port, timeoutMs, &failure);
    unresolved_ = failure == ServerConnectFailure::kNameNotFound ? host : std::string();
    return IsConnected();
}

std::u16string ServerSession::NotConnectedReason() const {
    static const LangText kNotFound{{u"找不到服务器“%s”，请检查服务器名称", u"找不到伺服器「%s」，請檢查伺服器名稱",
                                     u"The server \"%s\" cannot be found, please check its name"}};
    if (unresolved_.empty()) return kNotConnectedText();
    return FillText(kNotFound(), {Utf8ToWide(unresolved_)});
}

bool ServerSession::ConnectFromSettings(int timeoutMs) {
    const QSettings settings;
    const QString host = settings.value(QLatin1String(kServerHostKey)).toString().trimmed();
    bool portIsNumber = false;
    const int port = settings.value(QLatin1String(kServerPortKey)).toString().trimmed().toInt(&portIsNumber);
    bool idIsNumber = false;
    const uint id = settings.value(QLatin1String(kServerUserIdKey)).toString().trimmed().toUInt(&idIsNumber);
    userId_ = idIsNumber && id <= 0xFFFF ? uint16_t(id) : 0;  // anything else is no user
    if (host.isEmpty() || !portIsNumber) {
        Close();
        unresolved_.clear();
        return false;
    }
    return Connect(host.toStdString(), port, timeoutMs);
}

std::u16string GroupUploadMessage(int result) {
    static const LangText kNoTable{{u"尚未从服务器收到车辆分组，没有上传任何内容",
                                    u"尚未從伺服器收到車輛分組，沒有上傳任何內容",
                                    u"The vehicle groups have not been received from the server; nothing was uploaded"}};
    static const LangText kFailed{{u"上传分组失败", u"上傳分組失敗", u"Uploading the groups failed"}};
    switch (result) {
        case kUploadOk: return {};
        case kUploadNoGroupTable: return kNoTable();
        case kUploadTimedOut: return PasswordMessage(PasswordResult::kTimedOut);
        case kUploadNoConnection:
        case kUploadNoReply: return PasswordMessage(PasswordResult::kDisconnected);
        default: return kFailed();
    }
}

const LangText kNotConnectedText{{u"未连接服务器", u"未連接伺服器", u"Not connected to the server"}};

std::u16string NoGroupsReason(const ServerSession* server) {
    static const LangText kNotReceived{{u"尚未从服务器收到车辆分组", u"尚未從伺服器收到車輛分組",
                                        u"No vehicle groups received from the server yet"}};
    if (!server) return kNotConnectedText();
    if (!server->IsConnected()) return server->NotConnectedReason();
    const bool received = server->HasGroups();
    return received ? std::u16string() : std::u16string(kNotReceived());
}

void ServerSession::Adopt(int fd, int timeoutMs) {
    Close();
    socket_.fd = fd;
    socket_.timeoutMs = timeoutMs;
}

void ServerSession::ReceiveGroups(const GroupTable& table) {
    groups_ = table;
    groupsReceived_ = true;
    if (groupsChanged_) groupsChanged_();
}

int ServerSession::UploadGroups() {
    if (!IsConnected()) return kUploadNoConnection;
    if (!groupsReceived_) return kUploadNoGroupTable;  // an empty table would wipe the server's groups
    return UploadGroupTable(socket_, groups_);
}

void ServerSession::Close() {
    if (socket_.fd >= 0) close(socket_.fd);
    socket_.fd = -1;
    socket_.late = {};  // late replies belong to the connection that owed them
}

}  // namespace ledsuite
