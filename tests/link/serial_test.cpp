#include "link/serial.h"

#include <gtest/gtest.h>

#include <thread>

#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// A sysfs tree with adapters of every kind, on-board ports with and without a UART.
struct FakeSysfs {
    TempDir dir;
    FakeSysfs() {
        AddUsbTty(dir.path, "ttyUSB10", "0403", "6001");
        AddUsbTty(dir.path, "ttyUSB0", "067b", "2303");
        AddUsbTty(dir.path, "ttyUSB1", "1a86", "7523");
        AddUsbTty(dir.path, "ttyUSB2", "1a86", "5523");
        AddUsbTty(dir.path, "ttyACM0", "2341", "0043");
        AddPlatformTty(dir.path, "ttyS2", 4);
        AddPlatformTty(dir.path, "ttyS0", 4);
        AddPlatformTty(dir.path, "ttyS1", 0);
        fs::create_directories(dir.path / "class" / "tty" / "tty0");  // a console, no device
    }
    std::string root() const { return dir.path.string(); }
};

}  // namespace

TEST(SerialDevices, ChipCodesFromSysfs) {
    FakeSysfs sys;
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyUSB0", sys.root()), kChipPl2303);
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyUSB1", sys.root()), kChipCh340);
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyUSB2", sys.root()), kChipCh340);
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyACM0", sys.root()), kChipOtherUsb);
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyS0", sys.root()), kChipNotUsb);
    EXPECT_EQ(DetectUsbSerialChip("/dev/ttyS7", sys.root()), kChipNone);
    EXPECT_EQ(DetectUsbSerialChip("/dev/tty0", sys.root()), kChipNone);
}

TEST(SerialDevices, TableOrderAndFriendlyNames) {
    FakeSysfs sys;
    unsetenv("LEDSUITE_SERIAL_PORTS");
    const std::vector<std::string> expected = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                               "/dev/ttyACM0", "/dev/ttyS0",   "/dev/ttyS2"};
    EXPECT_EQ(ListSerialDevices(sys.root()), expected);

    DeviceList list;
    ASSERT_TRUE(EnumPresentDevices(list, sys.root()));
    ASSERT_EQ(list.devices.size(), expected.size());
    EXPECT_EQ(list.devices[3].friendlyName, "COM4 (/dev/ttyUSB10)");
    EXPECT_EQ(list.devices[0].instanceId, "devices/pci0000:00/usb1/1-ttyUSB0/1-ttyUSB0:1.0/port");
    EXPECT_EQ(list.devices[6].state, 1u);

    // The environment replaces the table.
    ScopedPorts ports({"/dev/pts/77", "/dev/pts/78"});
    EXPECT_EQ(SerialPortTable(sys.root()), (std::vector<std::string>{"/dev/pts/77", "/dev/pts/78"}));
}

TEST(SerialDevices, PortIndexNineNamesPortTen) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) paths.push_back("/dev/p" + std::to_string(i));
    ScopedPorts ports(paths);
    DeviceList list;
    ASSERT_TRUE(EnumPresentDevices(list));
    ASSERT_EQ(list.devices.size(), kMaxPresentDevices);
    EXPECT_EQ(list.devices[9].friendlyName, "COM10 (/dev/p9)");
    EXPECT_EQ(list.devices[9].state, 0u);  // no such device
    EXPECT_EQ(ComIndexFromFriendlyName(list.devices[9].friendlyName), 9);
    EXPECT_EQ(ComIndexFromFriendlyName("USB-SERIAL CH340 (COM12)"), 11);
    EXPECT_EQ(ComIndexFromFriendlyName("Communications Port"), -1);
    EXPECT_EQ(SerialPortFriendlyName(0, std::string(400, 'x')).size(), kDeviceNameSlot);
}

TEST(SerialPortIo, OpensExclusivelyAtAnyTableRate) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort a, b;
    ASSERT_EQ(SerialOpen(a, 0, BaudRateTable[3]), 0);
    EXPECT_EQ(ReadLineBaud(pty.master), 14400u);  // no Bnnn constant exists for it
    EXPECT_EQ(SerialOpen(b, 0, 9600), 2);
    EXPECT_FALSE(b.isOpen());
    EXPECT_EQ(SerialOpen(b, 1, 9600), 2);  // not in the table
    EXPECT_EQ(SerialClose(a), 0);
    EXPECT_EQ(SerialClose(a), 1);
    ASSERT_EQ(SerialOpen(b, 0, BaudRateTable[5]), 0);
    EXPECT_EQ(ReadLineBaud(pty.master), 28800u);
    EXPECT_EQ(GetAdapterMark(b), 0x00);
}

TEST(SerialPortIo, ReadsWaitForWholeAnswers) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);

    pty.Send("BAUD");
    EXPECT_FALSE(SerialExpectString(port, "BAUDR", 50));
    pty.Send("BAUDR");
    EXPECT_TRUE(SerialExpectString(port, "BAUDR", 50));

    pty.Send("\x06");
    EXPECT_FALSE(SerialWaitAck(port, 50));
    pty.Send("\x01");
    EXPECT_TRUE(SerialWaitAck(port, 50));

    char buf[4] = {};
    pty.Send("ab");
    EXPECT_EQ(SerialRead(port, buf, 4, 50), -1);
    pty.Send("cd");
    EXPECT_EQ(SerialReadUpTo(port, buf, 4, 50), 2);
    EXPECT_EQ(std::string(buf, 2), "cd");
    EXPECT_EQ(SerialReadUpTo(port, buf, 4, 20), 0);

    // A longer wait than the port's own time-out ends with what arrived by then.
    pty.Send("xy");
    EXPECT_EQ(SerialRead(port, buf, 4, 4000), 2);

    SerialClose(port);
    EXPECT_EQ(SerialRead(port, buf, 1, 10), -1);
    EXPECT_EQ(SerialWrite(port, buf, 1), -1);
    EXPECT_FALSE(SerialWaitAck(port, 10));
}

TEST(SerialPortIo, LargeWritesGoOutWhole) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 115200), 0);
    const std::string data(40000, 'z');  // ten times what the line's queue holds
    std::string received;
    std::thread reader([&] { received = pty.Receive(data.size(), 2000); });
    EXPECT_EQ(SerialWrite(port, data.data(), data.size()), int(data.size()));
    reader.join();
    EXPECT_EQ(received, data);
}
