#pragma once
// Helpers of the link tests: the port table pointed at pseudo-terminals, a raw
// pseudo-terminal to play the far end by hand, and fake sysfs trees.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/line_settings.h"
#include "link/serial.h"

namespace ledsuite::testing {

namespace fs = std::filesystem;

// LEDSUITE_SERIAL_PORTS set to `paths` while alive.
class ScopedPorts {
public:
    explicit ScopedPorts(const std::vector<std::string>& paths) {
        std::string value;
        for (const auto& p : paths) value += (value.empty() ? "" : ":") + p;
        setenv("LEDSUITE_SERIAL_PORTS", value.c_str(), 1);
    }
    ~ScopedPorts() { unsetenv("LEDSUITE_SERIAL_PORTS"); }
};

// A pseudo-terminal whose master the test drives directly.
struct RawPty {
    int master = -1;
    std::string slave;
    RawPty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~RawPty() {
        if (master >= 0) close(master);
    }
    void Send(const std::string& bytes) const { (void)!write(master, bytes.data(), bytes.size()); }
    // What arrived within `ms`.
    std::string Receive(size_t n, int ms) const {
        std::string out;
        char buf[512];
        pollfd p{master, POLLIN, 0};
        while (out.size() < n && poll(&p, 1, ms) > 0) {
            ssize_t k = read(master, buf, std::min(sizeof buf, n - out.size()));
            if (k <= 0) break;
            out.append(buf, size_t(k));
        }
        return out;
    }
};

// A temporary folder that goes away with the object.
struct TempDir {
    fs::path path;
    TempDir() {
        std::string templ = (fs::temp_directory_path() / "ledsuite-link-XXXXXX").string();
        path = mkdtemp(templ.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

inline void WriteText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text << "\n";
}

// class/tty/<tty>/device -> a port below the interface of a USB device vid:pid.
inline void AddUsbTty(const fs::path& root, const std::string& tty, const std::string& vid, const std::string& pid) {
    const fs::path usb = root / "devices" / "pci0000:00" / "usb1" / ("1-" + tty);
    const fs::path port = usb / ("1-" + tty + ":1.0") / "port";
    fs::create_directories(port);
    WriteText(usb / "idVendor", vid);
    WriteText(usb / "idProduct", pid);
    fs::create_directories(root / "class" / "tty" / tty);
    fs::create_symlink(port, root / "class" / "tty" / tty / "device");
}

// class/tty/<tty> of an on-board UART with the given port type (0: no UART).
inline void AddPlatformTty(const fs::path& root, const std::string& tty, int type) {
    const fs::path dev = root / "devices" / "platform" / "serial8250";
    fs::create_directories(dev);
    WriteText(root / "class" / "tty" / tty / "type", std::to_string(type));
    fs::create_symlink(dev, root / "class" / "tty" / tty / "device");
}

// The sysfs name of a pseudo-terminal's slave ("/dev/pts/3" -> "pts!3").
inline std::string SysfsName(const std::string& devicePath) {
    std::string name = devicePath.substr(5);
    for (auto& c : name)
        if (c == '/') c = '!';
    return name;
}

// Makes a device look like a PL2303 adapter while alive.
struct ScopedPl2303 {
    TempDir sys;
    explicit ScopedPl2303(const std::string& devicePath) {
        AddUsbTty(sys.path, SysfsName(devicePath), "067b", "2303");
        SetSysfsRootForTests(sys.path.string());
    }
    ~ScopedPl2303() { SetSysfsRootForTests({}); }
};

}  // namespace ledsuite::testing
