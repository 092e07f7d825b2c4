#include "content/model/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace ledsuite {

namespace fs = std::filesystem;

namespace {
std::mutex g_pathMutex;
std::string g_appData;

std::string HomeDir() {
    const char* h = std::getenv("HOME");
    return (h && *h) ? h : "/tmp";
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}
}  // namespace

std::string FolderResult::reason() const { return ok ? std::string() : std::string(std::strerror(error)); }

FolderResult MakeFolderPath(const std::string& path) {
    FolderResult result;
    result.folder = path;
    // Each prefix ending before a '/' (and the whole path) is made in turn, so a
    // failure names the very folder that could not be made.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0755) != 0) {
            struct stat st {};
            const int err = errno;
            if (err != EEXIST || ::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                result.ok = false;
                result.failed = part;
                result.error = err == EEXIST ? ENOTDIR : err;
                return result;
            }
        }
        if (end == std::string::npos) return result;
    }
}

std::string GetAppDataFolder() {
    bool first = false;
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(g_pathMutex);
        if (g_appData.empty()) {
            const char* over = std::getenv("LEDSUITE_APPDATA");
            g_appData = (over && *over) ? std::string(over)
                                        : EnvOr("XDG_CONFIG_HOME", HomeDir() + "/.config") + "/KIP ZE2012";
            first = true;
        }
        folder = g_appData;
    }
    // A failure is reported by EnsureAppDataFolder; file operations in it fail on their own.
    if (first) MakeFolderPath(folder);
    return folder;
}

FolderResult EnsureAppDataFolder() { return MakeFolderPath(GetAppDataFolder()); }

void ResetAppDataFolderForTests() {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    g_appData.clear();
}

std::string GetExeFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string ResourcePath(const std::string& name) {
    std::error_code ec;
    std::string first;
    const char* env = std::getenv("LEDSUITE_RESOURCES");
    if (env && *env) {
        first = std::string(env) + "/" + name;
        if (fs::exists(first, ec)) return first;
    }
    std::string beside = GetExeFolder() + "res/" + name;
    if (first.empty()) first = beside;
    if (fs::exists(beside, ec)) return beside;
    std::string shared = std::string("/usr/local/share/ledsuite/") + name;
    if (fs::exists(shared, ec)) return shared;
    shared = std::string("/usr/share/ledsuite/") + name;
    if (fs::exists(shared, ec)) return shared;
    return first;
}

std::string UserDataPath(const std::string& name, FolderResult* made) {
    std::string path = EnvOr("XDG_DATA_HOME", HomeDir() + "/.local/share") + "/ledsuite/" + name;
    FolderResult result = MakeFolderPath(path);
    if (made) *made = std::move(result);
    return path;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t size) {
    std::string tmp = path + ".tmp-" + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += w;
        left -= size_t(w);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

namespace {

// Opens `path` for reading when it is a regular file, its status in `st`; -1 otherwise. It is
// opened without waiting (a FIFO or a device at the path must not hold the caller), then
// checked on the descriptor itself, so that what is read is the regular file that was checked.
int OpenRegularFile(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

ReadFileResult ReadFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out) {
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) return ReadFileResult::Failed;
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        return ReadFileResult::TooLarge;
    }
    out.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    if (got != out.size()) {  // a read error, or the file shrank while it was read
        out.clear();
        return ReadFileResult::Failed;
    }
    return ReadFileResult::Ok;
}

std::string ReadRegularText(const std::string& path, size_t limit) {
    // Read to the end rather than to st_size: proc and sysfs files report a size of their own.
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    std::string text;
    if (fd < 0) return text;
    std::array<char, 4096> buf;
    for (size_t want; (want = std::min(buf.size(), limit - text.size())) != 0;) {
        const ssize_t n = ::read(fd, buf.data(), want);
        if (n <= 0) break;
        text.append(buf.data(), size_t(n));
    }
    ::close(fd);
    return text;
}

}  // namespace ledsuite
