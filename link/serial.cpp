#include "link/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "link/line_settings.h"

namespace ledsuite {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::mutex g_sysfsMutex;
std::string g_sysfsRoot;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(std::min<long long>(left, 1 << 30)) : 0;
}

// Reads until `length` bytes are in or the wait ends; see SerialRead and SerialReadUpTo.
// The line's reads never block (VMIN 0, VTIME 0), so an empty read only means "nothing
// yet" while poll() has reported nothing: once it has reported data, a hang-up or an
// error, an empty or failed read is a line that is gone (adapter pulled, far end closed)
// and fails at once instead of spinning until the deadline.
int ReadUntil(SerialPort& port, void* buffer, size_t length, int timeoutMs, bool reportPartial) {
    if (!port.isOpen()) return -1;
    if (length == 0) return 0;
    const bool portTimeout = timeoutMs > kPortReadTimeoutMs;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::min(timeoutMs, kPortReadTimeoutMs));
    auto* out = static_cast<uint8_t*>(buffer);
    size_t got = 0;
    bool heard = false;  // the last poll() reported an event
    for (;;) {
        const ssize_t n = read(port.fd, out + got, length - got);
        if (n > 0) {
            got += size_t(n);
            if (got == length) return int(got);
            heard = false;  // the event was this data
            continue;
        }
        if (heard || (n < 0 && errno != EINTR)) return -2;
        pollfd p{port.fd, POLLIN, 0};
        const int r = poll(&p, 1, MsLeft(deadline));
        if (r == 0) break;
        if (r < 0 && errno != EINTR) return -2;
        heard = p.revents != 0;
    }
    return reportPartial || portTimeout ? int(got) : -1;
}

std::string ReadSmallFile(const fs::path& p) {
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);  // sysfs values are one line ended by a line feed
    return s;
}

// The sysfs name of a device node: the path below /dev with '/' written as '!'.
std::string TtyName(const std::string& devicePath) {
    std::string name =
        devicePath.starts_with("/dev/") ? devicePath.substr(5) : fs::path(devicePath).filename().string();
    std::replace(name.begin(), name.end(), '/', '!');
    return name;
}

std::string Bounded(std::string s) {
    if (s.size() > kDeviceNameSlot) s.resize(kDeviceNameSlot);
    return s;
}

}  // namespace

SerialPort::~SerialPort() {
    if (isOpen()) SerialClose(*this);
}

int SerialSetBaud(SerialPort& port, uint32_t baud) {
    if (!port.isOpen()) return EBADF;
    if (int err = ApplyLineSettings(port.fd, baud)) return err;
    port.baud = baud;
    // Ports without modem control (pseudo-terminals) refuse these; that is fine.
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    (void)ioctl(port.fd, TIOCMBIS, &dtr);
    (void)ioctl(port.fd, TIOCMBIS, &rts);
    return 0;
}

int SerialOpen(SerialPort& port, int comIndex, uint32_t baud) {
    if (port.isOpen()) SerialClose(port);
    port.chip = kChipNone;
    auto path = SerialPortPath(comIndex);
    if (!path) return 2;
    int fd = open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 2;
    // The lock first: a port another program holds must not get our exclusive flag.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        close(fd);
        return 2;
    }
    port.fd = fd;
    port.chip = DetectUsbSerialChip(*path);
    if (int err = SerialSetBaud(port, baud)) {
        SerialClose(port);
        return err;
    }
    tcflush(fd, TCIOFLUSH);
    return 0;
}

int SerialClose(SerialPort& port) {
    if (!port.isOpen()) return 1;
    (void)ioctl(port.fd, TIOCNXCL);  // the flag outlives us while another side holds the line
    int r = close(port.fd);
    port.fd = -1;
    port.baud = 0;
    return r == 0 ? 0 : 2;
}

int SerialWrite(SerialPort& port, const void* data, size_t length) {
    if (!port.isOpen()) return -1;
    // The line needs 10 bits a byte; a large block at a low rate must not be cut short.
    const uint64_t lineMs = port.baud ? uint64_t(length) * 10 * 1000 / port.baud + 1 : 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kPortWriteTimeoutMs + 2 * lineMs);
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < length) {
        ssize_t n = write(port.fd, p + done, length - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        // Wait for room; a deadline passed, a failed wait, a hang-up or an error ends the write.
        pollfd pf{port.fd, POLLOUT, 0};
        const int r = poll(&pf, 1, MsLeft(deadline));
        if (r == 0 || (r < 0 && errno != EINTR) || (pf.revents & ~POLLOUT)) break;
    }
    return int(done);
}

int SerialRead(SerialPort& port, void* buffer, size_t length, int timeoutMs) {
    return ReadUntil(port, buffer, length, timeoutMs, false);
}

int SerialReadUpTo(SerialPort& port, void* buffer, size_t length, int timeoutMs) {
    return ReadUntil(port, buffer, length, timeoutMs, true);
}

int SerialPurgeInput(SerialPort& port) {
    if (!port.isOpen()) return -1;
    tcflush(port.fd, TCIFLUSH);
    return 0;
}

int SerialPurgeOutput(SerialPort& port) {
    if (!port.isOpen()) return -1;
    tcflush(port.fd, TCOFLUSH);
    return 0;
}

bool SerialWaitAck(SerialPort& port, int timeoutMs) {
    uint8_t b = 0;
    return SerialReadByte(port, b, timeoutMs) && b == 0x01;
}

bool SerialReadByte(SerialPort& port, uint8_t& out, int timeoutMs) { return SerialRead(port, &out, 1, timeoutMs) == 1; }

bool SerialExpectString(SerialPort& port, std::string_view expected, int timeoutMs) {
    std::string got(expected.size(), '\0');
    return SerialRead(port, got.data(), got.size(), timeoutMs) == int(expected.size()) && got == expected;
}

uint8_t GetAdapterMark(const SerialPort& port) { return port.isOpen() && port.chip == kChipPl2303 ? 0xFE : 0x00; }

// ---- port table and adapter detection ------------------------------------------

std::string SysfsRoot() {
    std::lock_guard<std::mutex> lock(g_sysfsMutex);
    return g_sysfsRoot.empty() ? "/sys" : g_sysfsRoot;
}

void SetSysfsRootForTests(const std::string& root) {
    std::lock_guard<std::mutex> lock(g_sysfsMutex);
    g_sysfsRoot = root;
}

std::vector<std::string> ListSerialDevices(const std::string& sysfsRoot) {
    static constexpr std::string_view kGroups[] = {"ttyUSB", "ttyACM", "ttyS"};
    struct Entry {
        size_t group;
        unsigned number;
        std::string name;
    };
    std::vector<Entry> found;
    std::error_code ec;
    const fs::path classDir = fs::path(sysfsRoot) / "class" / "tty";
    for (const auto& e : fs::directory_iterator(classDir, ec)) {
        const std::string name = e.path().filename().string();
        for (size_t g = 0; g < std::size(kGroups); ++g) {
            if (!name.starts_with(kGroups[g])) continue;
            std::string_view digits = std::string_view(name).substr(kGroups[g].size());
            unsigned number{};
            auto r = std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (digits.empty() || r.ec != std::errc{} || r.ptr != digits.data() + digits.size()) continue;
            if (!fs::exists(e.path() / "device", ec)) continue;
            if (kGroups[g] == "ttyS") {
                // Every 8250 driver registers its full set of ttyS lines; only those
                // with a UART behind them have a port type other than 0 (unknown).
                std::string type = ReadSmallFile(e.path() / "type");
                if (type.empty() ? !fs::exists(e.path() / "device" / "driver", ec) : type == "0") continue;
            }
            found.push_back({g, number, name});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return std::tie(a.group, a.number) < std::tie(b.group, b.number); });
    std::vector<std::string> paths;
    for (const auto& f : found) paths.push_back("/dev/" + f.name);
    return paths;
}

std::vector<std::string> SerialPortTable(const std::string& sysfsRoot) {
    if (const char* env = std::getenv("LEDSUITE_SERIAL_PORTS")) {
        std::vector<std::string> paths;
        std::string_view rest = env;
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            std::string_view item = rest.substr(0, colon);
            if (!item.empty()) paths.emplace_back(item);
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
        return paths;
    }
    return ListSerialDevices(sysfsRoot);
}

std::optional<std::string> SerialPortPath(int comIndex) {
    auto table = SerialPortTable();
    if (comIndex < 0 || size_t(comIndex) >= table.size()) return std::nullopt;
    return table[size_t(comIndex)];
}

std::string SerialPortFriendlyName(int comIndex, const std::string& path) {
    return Bounded("COM" + std::to_string(comIndex + 1) + " (" + path + ")");
}

int ComIndexFromFriendlyName(std::string_view name) {
    for (size_t pos = name.find("COM"); pos != std::string_view::npos; pos = name.find("COM", pos + 1)) {
        std::string_view digits = name.substr(pos + 3);
        unsigned number{};
        auto r = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (r.ec == std::errc{} && number >= 1 && number <= 0x10000) return int(number) - 1;
    }
    return -1;
}

uint8_t DetectUsbSerialChip(const std::string& devicePath, const std::string& sysfsRoot) {
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) return kChipNone;
    // Stable names such as /dev/serial/by-id/... are links to the tty node sysfs knows.
    const fs::path node = fs::canonical(devicePath, ec);
    const std::string tty = TtyName(ec ? devicePath : node.string());
    fs::path dev = fs::canonical(root / "class" / "tty" / tty / "device", ec);
    if (ec) return kChipNone;
    // The USB device is an ancestor of the tty's device (the port, then the interface).
    const std::string inside = root.string() + "/";
    for (fs::path p = dev; p.string().starts_with(inside); p = p.parent_path()) {
        if (!fs::exists(p / "idVendor", ec)) continue;
        const std::string id = ReadSmallFile(p / "idVendor") + ":" + ReadSmallFile(p / "idProduct");
        if (id == "067b:2303") return kChipPl2303;
        if (id == "1a86:7523" || id == "1a86:5523") return kChipCh340;
        return kChipOtherUsb;
    }
    return kChipNotUsb;
}

bool EnumPresentDevices(DeviceList& list, const std::string& sysfsRoot) {
    list.devices.clear();
    const bool fromEnv = std::getenv("LEDSUITE_SERIAL_PORTS") != nullptr;
    const auto table = SerialPortTable(sysfsRoot);
    for (size_t i = 0; i < table.size() && i < kMaxPresentDevices; ++i) {
        PresentDevice d;
        if (fromEnv) {
            d.state = access(table[i].c_str(), R_OK | W_OK) == 0 ? 1 : 0;
            d.instanceId = Bounded(table[i]);
        } else {
            std::error_code ec;
            const fs::path root = fs::canonical(sysfsRoot, ec);
            fs::path dev = fs::canonical(root / "class" / "tty" / TtyName(table[i]) / "device", ec);
            if (ec) return false;
            d.state = 1;
            d.instanceId = Bounded(dev.lexically_relative(root).string());
        }
        d.friendlyName = SerialPortFriendlyName(int(i), table[i]);
        list.devices.push_back(std::move(d));
    }
    return true;
}

}  // namespace ledsuite
