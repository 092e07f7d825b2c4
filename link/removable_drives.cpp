#include "link/removable_drives.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "content/model/paths.h"

namespace ledsuite {

namespace fs = std::filesystem;

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as three octal digits.
std::string Unescape(std::string_view s) {
    std::string out;
    const auto octal = [&](size_t k) { return s[k] >= '0' && s[k] <= '7'; };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 4 <= s.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += char((s[i + 1] - '0') << 6 | (s[i + 2] - '0') << 3 | (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The first line of a small attribute file (a sysfs value).
std::string FirstLine(const fs::path& p) {
    const std::string text = ReadRegularText(p.string(), kMaxSysfsValueBytes);
    return text.substr(0, text.find('\n'));
}

// The volume label: the name of a /dev/disk/by-label link that points at the device.
std::string VolumeLabel(const std::string& device) {
    std::error_code ec;
    const fs::path dev = fs::weakly_canonical(device, ec);
    for (const auto& e : fs::directory_iterator("/dev/disk/by-label", ec)) {
        std::error_code ec2;
        if (fs::weakly_canonical(e.path(), ec2) == dev) return Unescape(e.path().filename().string());
    }
    return {};
}

std::vector<RemovableDrive> FromEnvironment(const char* roots) {
    std::vector<RemovableDrive> drives;
    std::stringstream in(roots);
    std::string root;
    while (std::getline(in, root, ':') && drives.size() < kMaxRemovableDrives) {
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        std::error_code ec;
        if (!root.empty() && fs::is_directory(root, ec)) drives.push_back({root, {}});
    }
    return drives;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::stringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        // id parent major:minor root mount-point options [optional fields] - fstype source super-options
        std::stringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        size_t dash = kMountInfoFixedFields;  // the separator follows the six fixed fields
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 2 >= f.size()) continue;
        entries.push_back({Unescape(f[4]), Unescape(f[dash + 2])});
    }
    return entries;
}

std::string SysfsBlockName(const std::string& device) {
    if (!device.starts_with("/dev/")) return {};
    // The block class is one flat folder; a device in a subfolder has '!' for '/' there.
    std::string name = device.substr(5);
    std::replace(name.begin(), name.end(), '/', '!');
    return name == "." || name == ".." ? std::string() : name;
}

bool IsRemovableDevice(const std::string& device, const std::string& sysfsRoot) {
    const std::string name = SysfsBlockName(device);
    if (name.empty()) return false;
    const fs::path block = fs::path(sysfsRoot) / "class" / "block" / name;
    std::error_code ec;
    fs::path real = fs::canonical(block, ec);
    if (ec) return false;
    // A partition's own folder has no "removable": its disk is the parent folder.
    for (fs::path p = real; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        if (fs::exists(p / "removable", ec)) {
            if (FirstLine(p / "removable") == "1") return true;
            break;
        }
    }
    for (const auto& part : real)
        if (part.string().starts_with("usb")) return true;
    return false;
}

std::vector<RemovableDrive> ListRemovableDrives(const std::string& mountInfoPath, const std::string& sysfsRoot) {
    if (const char* roots = std::getenv("LEDSUITE_REMOVABLE_ROOTS")) return FromEnvironment(roots);
    std::vector<RemovableDrive> drives;
    std::string table = ReadRegularText(mountInfoPath, kMaxMountInfoBytes);
    if (table.size() == kMaxMountInfoBytes)  // cut at the bound: the cut line is left out
        while (!table.empty() && table.back() != '\n') table.pop_back();
    for (const MountEntry& m : ParseMountInfo(table)) {
        if (drives.size() >= kMaxRemovableDrives) break;
        if (IsRemovableDevice(m.source, sysfsRoot)) drives.push_back({m.mountPoint, VolumeLabel(m.source)});
    }
    return drives;
}

std::string DriveDisplayName(const RemovableDrive& drive) {
    std::string name = drive.root + (drive.root.ends_with('/') ? "" : "/");
    return drive.label.empty() ? name : name + " [" + drive.label + "]";
}

int OpenMountWatch(const std::string& mountInfoPath) {
    return ::open(mountInfoPath.c_str(), O_RDONLY | O_CLOEXEC);
}

void CloseMountWatch(int fd) {
    ::close(fd);  // -1 (no watch) is refused harmlessly
}

bool MountTableChanged(int fd, int timeoutMs) {
    // A negative descriptor is left out by poll, a closed one comes back POLLNVAL: no change
    // either way (revents stays clear when the wait ends or fails).
    std::array<pollfd, 1> watch{pollfd{fd, POLLPRI, 0}};
    ::poll(watch.data(), watch.size(), timeoutMs);
    if (!(watch.front().revents & (POLLPRI | POLLERR))) return false;
    // Reading the table to its end re-arms the notice.
    std::array<char, 4096> buf;
    ::lseek(fd, 0, SEEK_SET);
    while (::read(fd, buf.data(), buf.size()) > 0) {
    }
    return true;
}

}  // namespace ledsuite
