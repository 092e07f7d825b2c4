#pragma once
// The serial layer every card exchange uses: open a port of the port table at a
// baud rate with the card's line settings, write, read against a deadline,
// purge, wait for an acknowledgement or an expected string, close.
//
// The port table: COM index n is the n-th present port, /dev/ttyUSB*, then
// /dev/ttyACM*, then /dev/ttyS* that have a real UART, each in numeric order.
// LEDSUITE_SERIAL_PORTS=/dev/pts/3:/dev/pts/5 replaces the table.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ledsuite {

// Adapter chip codes.
enum : uint8_t {
    kChipNone = 0,     // no device entry for the port
    kChipNotUsb = 1,   // a device, not on USB
    kChipPl2303 = 32,  // USB 067b:2303
    kChipCh340 = 33,   // USB 1a86:7523 or 1a86:5523
    kChipOtherUsb = 255,
};

inline constexpr std::array<uint32_t, 9> BaudRateTable = {2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200};
// The rate of a baud index; 0 for an index outside the table (the open then fails).
inline uint32_t BaudRateOf(uint32_t baudIndex) {
    return baudIndex < BaudRateTable.size() ? BaudRateTable[baudIndex] : 0;
}

// The packed port choice: low 16 bits the 0-based COM index, high 16 bits the baud index.
struct PortSetting {
    uint16_t comIndex = 0;
    uint16_t baudIndex = 0;

    uint32_t packed() const { return uint32_t(comIndex) | uint32_t(baudIndex) << 16; }
    static PortSetting FromPacked(uint32_t v) { return {uint16_t(v & 0xFFFF), uint16_t(v >> 16)}; }
    uint32_t baudRate() const { return BaudRateOf(baudIndex); }
    int comNumber() const { return comIndex + 1; }
    bool operator==(const PortSetting&) const = default;
};

// One open port. Owned by one thread at a time; closed by SerialClose or when it goes away.
struct SerialPort {
    int fd = -1;
    uint8_t chip = kChipNone;
    uint32_t baud = 0;  // the rate the line was set to (write deadlines scale with it)
    // When the bytes written so far have left on the line at `baud`, counted from each write.
    std::chrono::steady_clock::time_point lineFree{};
    bool unsent = false;  // written since the last drain

    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort();
    bool isOpen() const { return fd >= 0; }
    // Leaves the record closed; the descriptor it held, for the caller to close.
    int release() {
        baud = 0;
        lineFree = {};
        unsent = false;
        return std::exchange(fd, -1);
    }
};

// The port's own total read time-out: a longer wait ends with what arrived by then.
inline constexpr int kPortReadTimeoutMs = 2500;
// A write may take this long on top of the line time its bytes need.
inline constexpr int kPortWriteTimeoutMs = 2500;
inline constexpr int kAckWaitMs = 1500;

// 0 on success; 2 when the port is not in the table, cannot be opened or is held
// by another program; an errno value when setting the line up failed (the port is
// closed again). An open record is closed first.
int SerialOpen(SerialPort& port, int comIndex, uint32_t baud);
// 0 done, 1 the port was not open, 2 closing the descriptor failed.
int SerialClose(SerialPort& port);
// Sets the line's rate again and raises DTR and RTS (lines without modem
// control ignore the latter). 0 or an errno value.
int SerialSetBaud(SerialPort& port, uint32_t baud);

// Writes the whole buffer, waiting as long as the line needs for it at the
// port's rate (twice that, plus kPortWriteTimeoutMs). The number of bytes written (fewer when
// the deadline passed or the line failed); -1 when the port is not open.
int SerialWrite(SerialPort& port, const void* data, size_t length);
// Drains (SerialDrain), then waits until `length` bytes are in: returns `length`. When the wait ends first:
// -1 for a wait up to 2500 ms (what arrived is not reported), or the count that
// arrived by the port's own 2500 ms for a longer wait. -2 when the line fails,
// -1 when the port is not open. Nothing is written into `buffer` after the return.
int SerialRead(SerialPort& port, void* buffer, size_t length, int timeoutMs);
// As SerialRead, but a wait that ends first returns the count that arrived (0 none).
int SerialReadUpTo(SerialPort& port, void* buffer, size_t length, int timeoutMs);
// Waits until what was written has left on the line: tcdrain, then the line time of what
// the driver still holds (TIOCOUTQ bytes x 10 / baud) and at least the line time of every
// byte written, counted from its write (tcdrain returns at once on a pseudo-terminal and on
// some USB adapters). Every read drains first, so an answer's wait starts once the request
// is out. 0, or -1 when the port is not open.
int SerialDrain(SerialPort& port);
// Discard what is waiting in the input (output) queue. 0, or -1 when not open.
int SerialPurgeInput(SerialPort& port);
int SerialPurgeOutput(SerialPort& port);

// True when one byte arrives within the wait and it is 0x01.
bool SerialWaitAck(SerialPort& port, int timeoutMs = kAckWaitMs);
// True when exactly one byte was read within the wait.
bool SerialReadByte(SerialPort& port, uint8_t& out, int timeoutMs);
// True when as many bytes as `expected` has arrive within the wait and equal it.
bool SerialExpectString(SerialPort& port, std::string_view expected, int timeoutMs);
// 0xFE on an open PL2303 port (it goes into byte 6 of every card frame), else 0x00.
uint8_t GetAdapterMark(const SerialPort& port);

// ---- port table and adapter detection (sysfs) ---------------------------------

// The sysfs folder the detection reads ("/sys"); tests point it at a tree of their own.
std::string SysfsRoot();
void SetSysfsRootForTests(const std::string& root);  // empty restores "/sys"

// The present serial devices under `sysfsRoot`, in table order ("/dev/ttyUSB0", ...).
std::vector<std::string> ListSerialDevices(const std::string& sysfsRoot);
// The port table: LEDSUITE_SERIAL_PORTS when set, else ListSerialDevices(sysfsRoot).
std::vector<std::string> SerialPortTable(const std::string& sysfsRoot = SysfsRoot());
// The device path of a COM index; nothing when the table has no such entry.
std::optional<std::string> SerialPortPath(int comIndex);
// "COMn (/dev/...)" with n = index + 1.
std::string SerialPortFriendlyName(int comIndex, const std::string& path);
// The COM index in a friendly name: the whole number after "COM", minus one; -1 when none.
int ComIndexFromFriendlyName(std::string_view name);

// The adapter chip code of a device path, from sysfs under `sysfsRoot`.
uint8_t DetectUsbSerialChip(const std::string& devicePath, const std::string& sysfsRoot = SysfsRoot());

inline constexpr size_t kMaxPresentDevices = 10;
inline constexpr size_t kDeviceNameSlot = 254;  // characters kept of an id or a name

struct PresentDevice {
    uint32_t state = 0;        // 1 usable, 0 absent or unusable
    std::string instanceId;    // the device's sysfs path below the root (or the device path)
    std::string friendlyName;  // "COMn (/dev/...)"
};

struct DeviceList {
    std::vector<PresentDevice> devices;  // at most kMaxPresentDevices
};

// Fills the list from the port table; true when the enumeration ended normally (always:
// a device that goes away while the table is read is not listed).
bool EnumPresentDevices(DeviceList& list, const std::string& sysfsRoot = SysfsRoot());

}  // namespace ledsuite
