#pragma once
// Helpers of the link tests: the port table pointed at pseudo-terminals, a fake card
// on COM index 0, a raw pseudo-terminal to play the far end by hand, fake sysfs trees.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "link/serial.h"
#include "tools/fakecard.h"

namespace ledsuite::testing {

namespace fs = std::filesystem;

constexpr int kWaitMs = 200;  // every answer's wait in the transfer tests

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

// Card scripts name only the fields a test changes ({.finalStatus = 3}).
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// A fake card on COM index 0; it reports model 2 of family 0 unless the script says otherwise.
struct CardOnPort {
    FakeCard card;
    ScopedPorts ports;
    explicit CardOnPort(FakeCardScript s = {}) : card(TypeTwo(std::move(s))), ports({card.slavePath()}) { card.Start(); }
    static FakeCardScript TypeTwo(FakeCardScript s) {
        if (s.info.empty()) s.info = MakeInfoReply(0, 2, 3);
        return s;
    }
};

// Polls `done` every 5 ms for up to `ms`; its last answer.
inline bool WaitFor(const std::function<bool()>& done, int ms = 2000) {
    for (int waited = 0; waited < ms && !done(); waited += 5) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

// Bytes 1, 2, 3, ...
inline std::vector<uint8_t> Image(size_t n) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t(1));
    return v;
}

// A pseudo-terminal whose master the test drives directly.
struct RawPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::string slave = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : "";
    ~RawPty() {
        if (master >= 0) close(master);
    }
    void Send(const std::string& bytes) const { (void)!write(master, bytes.data(), bytes.size()); }
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

// class/tty/<tty>/device -> a port below the interface of a USB device vid:pid.
inline void AddUsbTty(const fs::path& root, const std::string& tty, const std::string& vid, const std::string& pid) {
    const fs::path usb = root / "devices" / "pci0000:00" / "usb1" / ("1-" + tty);
    const fs::path port = usb / ("1-" + tty + ":1.0") / "port";
    fs::create_directories(port);
    std::ofstream(usb / "idVendor") << vid << "\n";
    std::ofstream(usb / "idProduct") << pid << "\n";
    fs::create_directories(root / "class" / "tty" / tty);
    fs::create_symlink(port, root / "class" / "tty" / tty / "device");
}

// The adapter behind a port, as the sysfs tree tells it: a USB device vid:pid; "onboard"
// for a port on the board (no USB); "none" for a port with no device entry.
struct Adapter {
    std::string vid, pid;
};
inline const Adapter kPl2303{"067b", "2303"}, kCh340{"1a86", "7523"}, kOnBoard{"onboard", ""}, kNoEntry{"none", ""};

// Makes a device ("/dev/pts/3", sysfs name "pts!3") look like `adapter` while alive.
struct ScopedAdapter {
    TempDir sys;
    ScopedAdapter(std::string devicePath, const Adapter& adapter) {
        std::replace(devicePath.begin(), devicePath.end(), '/', '!');
        const std::string tty = devicePath.substr(5);
        if (adapter.vid == "onboard") {
            const fs::path uart = sys.path / "devices" / "platform" / "serial8250";
            fs::create_directories(uart);
            fs::create_directories(sys.path / "class" / "tty" / tty);
            fs::create_symlink(uart, sys.path / "class" / "tty" / tty / "device");
        } else if (adapter.vid != "none") {
            AddUsbTty(sys.path, tty, adapter.vid, adapter.pid);
        }
        SetSysfsRootForTests(sys.path.string());
    }
    ~ScopedAdapter() { SetSysfsRootForTests({}); }
};

struct ScopedPl2303 : ScopedAdapter {
    explicit ScopedPl2303(std::string devicePath) : ScopedAdapter(std::move(devicePath), kPl2303) {}
};

}  // namespace ledsuite::testing
