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
#include <thread>

#include "link/line_settings.h"

namespace ledsuite {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr std::string_view kCom = "COM";

std::mutex g_sysfsMutex;
std::string g_sysfsRoot;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(std::min<long long>(left, 1 << 30)) : 0;
}

// The events poll() reports for `fd` by `deadline` (none when it passed). A signal does not
// end the wait early; a wait that fails reports an error on the line.
short WaitForLine(int fd, short events, Clock::time_point deadline) {
    pollfd set[] = {{.fd = fd, .events = events, .revents = {}}};
    while (poll(set, std::size(set), MsLeft(deadline)) == -1)
        if (errno != EINTR) return POLLERR;
    return set->revents;
}

// Reads until `length` bytes are in or the wait ends; see SerialRead and SerialReadUpTo.
// The line's reads never block (VMIN 0, VTIME 0), so an empty read only means "nothing
// yet" while the line has reported nothing: once it has reported data, a hang-up or an
// error, an empty read is a line that is gone (adapter pulled, far end closed) and fails
// at once instead of spinning until the deadline, as does every failed read.
int ReadUntil(SerialPort& port, void* buffer, size_t length, int timeoutMs, bool reportPartial) {
    if (!port.isOpen()) return -1;
    SerialDrain(port);
    const bool portTimeout = timeoutMs > kPortReadTimeoutMs;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::min(timeoutMs, kPortReadTimeoutMs));
    auto* out = static_cast<uint8_t*>(buffer);
    size_t got = 0;
    bool heard = false;  // the last wait reported an event
    while (got < length) {
        const ssize_t n = read(port.fd, out + got, length - got);
        if (n > 0) {
            got += size_t(n);
            heard = false;  // the event was this data
        } else if (n == -1 || heard) {
            return -2;
        } else if (WaitForLine(port.fd, POLLIN, deadline)) {
            heard = true;
        } else {
            return reportPartial || portTimeout ? int(got) : -1;
        }
    }
    return int(got);
}

// The decimal number at the start of `text` and what follows it; nothing when `text`
// does not start with a number that fits.
std::optional<std::pair<unsigned, std::string_view>> LeadingNumber(std::string_view text) {
    unsigned number{};
    const auto [end, ec] = std::from_chars(text.data(), std::to_address(text.end()), number);
    if (ec != std::errc{}) return std::nullopt;
    return std::pair{number, text.substr(size_t(end - text.data()))};
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

std::string Bounded(const std::string& s) { return s.substr(0, kDeviceNameSlot); }

// How long the line needs to send `length` bytes at the port's rate (10 bits a byte): a
// large block at a low rate must not be cut short.
std::chrono::milliseconds LineTime(const SerialPort& port, size_t length) {
    if (!port.baud) return {};
    return std::chrono::ceil<std::chrono::milliseconds>(
        std::chrono::duration<double>(double(length) * kBitsPerByte / port.baud));
}

// The same, to the nanosecond: the modelled end of the line's sending.
Clock::duration ExactLineTime(const SerialPort& port, size_t length) {
    if (!port.baud) return {};
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(
        uint64_t(length) * uint64_t(kBitsPerByte) * 1'000'000'000ull / port.baud));
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
    port.fd = open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (!port.isOpen()) return 2;
    // The lock first: a port another program holds must not get our exclusive flag
    // (nor lose its own when we let go).
    if (flock(port.fd, LOCK_EX | LOCK_NB) != 0 || ioctl(port.fd, TIOCEXCL) != 0) {
        close(port.release());
        return 2;
    }
    port.chip = DetectUsbSerialChip(*path);
    if (int err = SerialSetBaud(port, baud)) {
        SerialClose(port);
        return err;
    }
    tcflush(port.fd, TCIOFLUSH);
    return 0;
}

int SerialClose(SerialPort& port) {
    if (!port.isOpen()) return 1;
    (void)ioctl(port.fd, TIOCNXCL);  // the flag outlives us while another side holds the line
    return close(port.release()) == 0 ? 0 : 2;
}

int SerialWrite(SerialPort& port, const void* data, size_t length) {
    if (!port.isOpen()) return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kPortWriteTimeoutMs) + 2 * LineTime(port, length);
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < length) {
        const ssize_t n = write(port.fd, p + done, length - done);
        if (n != -1) {
            done += size_t(n);
            port.lineFree = std::max(port.lineFree, Clock::now()) + ExactLineTime(port, size_t(n));
            port.unsent = true;
            continue;
        }
        if (errno != EAGAIN && errno != EINTR) break;
        // Wait for room; a deadline passed, a failed wait, a hang-up or an error ends the write.
        if (WaitForLine(port.fd, POLLOUT, deadline) != POLLOUT) break;
    }
    return int(done);
}

int SerialRead(SerialPort& port, void* buffer, size_t length, int timeoutMs) {
    return ReadUntil(port, buffer, length, timeoutMs, false);
}

int SerialReadUpTo(SerialPort& port, void* buffer, size_t length, int timeoutMs) {
    return ReadUntil(port, buffer, length, timeoutMs, true);
}

int SerialDrain(SerialPort& port) {
    if (!port.isOpen()) return -1;
    if (!port.unsent) return 0;
    port.unsent = false;
    while (tcdrain(port.fd) == -1 && errno == EINTR) {
    }
    int queued = 0;
    if (ioctl(port.fd, TIOCOUTQ, &queued) != 0 || queued < 0) queued = 0;
    const auto until = std::max(port.lineFree, Clock::now() + ExactLineTime(port, size_t(queued)));
    std::this_thread::sleep_until(until);
    return 0;
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
    uint8_t b{};
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

namespace {

// A present serial device of the sysfs tree: its node and its device folder below the root.
struct SysfsTty {
    std::string devicePath;
    std::string instanceId;
};

// The present serial devices in table order. A device that goes away while it is read is
// left out, as one that was never there.
std::vector<SysfsTty> ListSysfsTtys(const std::string& sysfsRoot) {
    static constexpr std::string_view kGroups[] = {"ttyUSB", "ttyACM", "ttyS"};
    struct Entry {
        size_t group;
        unsigned number;
        SysfsTty tty;
    };
    std::vector<Entry> found;
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) return {};
    for (const auto& e : fs::directory_iterator(root / "class" / "tty", ec)) {
        const std::string name = e.path().filename().string();
        for (const std::string_view& group : kGroups) {
            if (!name.starts_with(group)) continue;
            const auto number = LeadingNumber(std::string_view(name).substr(group.size()));
            if (!number || !number->second.empty()) continue;
            const fs::path device = fs::canonical(e.path() / "device", ec);
            if (ec) continue;
            if (group == "ttyS") {
                // Every 8250 driver registers its full set of ttyS lines; only those
                // with a UART behind them have a port type other than 0 (unknown).
                std::string type = ReadSmallFile(e.path() / "type");
                if (type.empty() ? !fs::exists(device / "driver", ec) : type == "0") continue;
            }
            found.push_back({size_t(&group - kGroups), number->first,
                             {"/dev/" + name, device.lexically_relative(root).string()}});
        }
    }
    std::ranges::sort(found, {}, [](const Entry& e) { return std::pair(e.group, e.number); });
    std::vector<SysfsTty> ttys;
    for (auto& f : found) ttys.push_back(std::move(f.tty));
    return ttys;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& sysfsRoot) {
    std::vector<std::string> paths;
    for (const auto& tty : ListSysfsTtys(sysfsRoot)) paths.push_back(tty.devicePath);
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
    if (size_t(comIndex) >= table.size()) return std::nullopt;  // also every negative index
    return table.at(size_t(comIndex));
}

std::string SerialPortFriendlyName(int comIndex, const std::string& path) {
    return Bounded("COM" + std::to_string(comIndex + 1) + " (" + path + ")");
}

int ComIndexFromFriendlyName(std::string_view name) {
    for (size_t pos = name.find(kCom); pos != std::string_view::npos; pos = name.find(kCom, pos + kCom.size())) {
        const auto number = LeadingNumber(name.substr(pos + kCom.size()));
        if (number && number->first >= 1 && number->first <= 0x10000) return int(number->first) - 1;
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

// Devices are read once, when the table is made, so a device that goes away meanwhile is
// simply not listed and the enumeration always ends normally.
bool EnumPresentDevices(DeviceList& list, const std::string& sysfsRoot) {
    list.devices.clear();
    const bool named = std::getenv("LEDSUITE_SERIAL_PORTS") != nullptr;  // the environment names the ports
    std::vector<SysfsTty> ttys;
    if (named) {
        for (const auto& path : SerialPortTable(sysfsRoot)) ttys.push_back({path, path});
    } else {
        ttys = ListSysfsTtys(sysfsRoot);
    }
    for (const auto& tty : ttys) {
        if (list.devices.size() == kMaxPresentDevices) break;
        // A named port is usable when it can be opened; a sysfs device is there.
        const bool usable = !named || access(tty.devicePath.c_str(), R_OK | W_OK) == 0;
        list.devices.push_back({.state = usable,
                                .instanceId = Bounded(tty.instanceId),
                                .friendlyName = SerialPortFriendlyName(int(list.devices.size()), tty.devicePath)});
    }
    return true;
}

}  // namespace ledsuite
