#include "link/serial.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/file.h>

#include <atomic>
#include <limits>
#include <thread>

#include "link/line_settings.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(SerialDevices, ChipCodesTableOrderAndNamesFromSysfs) {
    TempDir sys;
    const std::string root = sys.path.string();
    for (auto [tty, vid, pid] : {std::tuple{"ttyUSB10", "0403", "6001"}, {"ttyUSB0", "067b", "2303"},
                                 {"ttyUSB1", "1a86", "7523"}, {"ttyUSB2", "1a86", "5523"}, {"ttyACM0", "2341", "0043"}})
        AddUsbTty(sys.path, tty, vid, pid);
    // On-board ports, ttyS1 without a UART; a console without a device.
    const fs::path uart = sys.path / "devices" / "platform" / "serial8250";
    fs::create_directories(uart);
    for (auto [tty, type] : {std::pair{"ttyS2", 4}, {"ttyS0", 4}, {"ttyS1", 0}}) {
        fs::create_directories(sys.path / "class" / "tty" / tty);
        std::ofstream(sys.path / "class" / "tty" / tty / "type") << type << "\n";
        fs::create_symlink(uart, sys.path / "class" / "tty" / tty / "device");
    }
    fs::create_directories(sys.path / "class" / "tty" / "tty0");
    AddUsbTty(sys.path, "ttyUSB3a", "0403", "6001");             // not a numbered port
    AddUsbTty(sys.path, "ttyUSB99999999999", "0403", "6001");  // a number too large for any port
    // A device that went away: its entry is left, its device folder is gone.
    fs::create_directories(sys.path / "class" / "tty" / "ttyUSB5");
    fs::create_symlink(sys.path / "devices" / "gone", sys.path / "class" / "tty" / "ttyUSB5" / "device");
    for (auto [device, chip] : {std::pair{"/dev/ttyUSB0", kChipPl2303}, {"/dev/ttyUSB1", kChipCh340},
                                {"/dev/ttyUSB2", kChipCh340}, {"/dev/ttyACM0", kChipOtherUsb}, {"/dev/ttyS0", kChipNotUsb},
                                {"/dev/ttyS7", kChipNone}, {"/dev/tty0", kChipNone}})
        EXPECT_EQ(DetectUsbSerialChip(device, root), chip) << device;

    unsetenv("LEDSUITE_SERIAL_PORTS");
    const std::vector<std::string> expected = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                               "/dev/ttyACM0", "/dev/ttyS0",   "/dev/ttyS2"};
    EXPECT_EQ(ListSerialDevices(root), expected);
    DeviceList list;
    ASSERT_TRUE(EnumPresentDevices(list, root));
    ASSERT_EQ(list.devices.size(), expected.size());
    EXPECT_EQ(list.devices[3].friendlyName, "COM4 (/dev/ttyUSB10)");
    EXPECT_EQ(list.devices[0].instanceId, "devices/pci0000:00/usb1/1-ttyUSB0/1-ttyUSB0:1.0/port");
    EXPECT_EQ(list.devices[5].instanceId, "devices/platform/serial8250");
    for (const auto& d : list.devices) EXPECT_EQ(d.state, 1u) << d.friendlyName;
    EXPECT_EQ(ListSerialDevices((sys.path / "missing").string()), std::vector<std::string>{});
    // The environment replaces the table; a named port is usable when it can be opened.
    RawPty pty;
    ScopedPorts ports({"/dev/pts/77", pty.slave, "/dev/pts/78"});
    EXPECT_EQ(SerialPortTable(root), (std::vector<std::string>{"/dev/pts/77", pty.slave, "/dev/pts/78"}));
    ASSERT_TRUE(EnumPresentDevices(list, root));
    ASSERT_EQ(list.devices.size(), 3u);
    EXPECT_EQ(list.devices[0].state, 0u);
    EXPECT_EQ(list.devices[1].state, 1u);
    EXPECT_EQ(list.devices[1].instanceId, pty.slave);
    EXPECT_EQ(list.devices[1].friendlyName, "COM2 (" + pty.slave + ")");
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
    // COM0 and numbers past 65536 name no port; a later "COM" still may.
    EXPECT_EQ(ComIndexFromFriendlyName("COM0 (COM5)"), 4);
    EXPECT_EQ(ComIndexFromFriendlyName("COM99999 (COM3)"), 2);
    EXPECT_EQ(ComIndexFromFriendlyName("COM65536"), 65535);
    EXPECT_EQ(ComIndexFromFriendlyName("COMx"), -1);
    EXPECT_EQ(ComIndexFromFriendlyName("COM1"), 0);
    EXPECT_EQ(ComIndexFromFriendlyName("COMCOM5"), 4);
    EXPECT_EQ(SerialPortFriendlyName(0, std::string(400, 'x')).size(), kDeviceNameSlot);
}

TEST(SerialPortIo, OpensExclusivelyAtAnyTableRateReadsWholeAnswersAndWritesWhole) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port, other;
    ASSERT_EQ(SerialOpen(other, 0, BaudRateTable[3]), 0);
    EXPECT_EQ(ReadLineBaud(pty.master), 14400u);  // no Bnnn constant exists for it
    EXPECT_EQ(SerialOpen(port, 0, 9600), 2);      // held by the other open
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(SerialOpen(port, 1, 9600), 2);  // not in the table
    EXPECT_EQ(SerialOpen(port, -1, 9600), 2);
    EXPECT_EQ(SerialClose(other), 0);
    EXPECT_EQ(SerialClose(other), 1);
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    EXPECT_EQ(ReadLineBaud(pty.master), 9600u);
    EXPECT_EQ(port.baud, 9600u);
    EXPECT_EQ(GetAdapterMark(port), 0x00);

    pty.Send("BAUD");
    EXPECT_FALSE(SerialExpectString(port, "BAUDR", 50));
    pty.Send("A");  // a text ending in a zero byte that never came
    EXPECT_FALSE(SerialExpectString(port, std::string_view("A\0", 2), 50));
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
    EXPECT_EQ(SerialRead(port, buf, 0, 2000), 0);  // nothing asked: at once
    // A longer wait than the port's own time-out ends with what arrived by then.
    pty.Send("xy");
    EXPECT_EQ(SerialRead(port, buf, 4, 4000), 2);

    const std::string data(40000, 'z');  // ten times what the line's queue holds
    std::string received;
    std::thread reader([&] {
        char chunk[512];
        pollfd p{pty.master, POLLIN, 0};
        for (ssize_t k; received.size() < data.size() && poll(&p, 1, 2000) > 0; received.append(chunk, size_t(k)))
            if ((k = read(pty.master, chunk, sizeof chunk)) <= 0) break;
    });
    EXPECT_EQ(SerialWrite(port, data.data(), data.size()), int(data.size()));
    reader.join();
    EXPECT_EQ(received, data);
    // A single byte goes out once.
    EXPECT_EQ(SerialWrite(port, "K", 1), 1);
    pollfd p{pty.master, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    EXPECT_EQ(read(pty.master, buf, sizeof buf), 1);
    EXPECT_EQ(buf[0], 'K');

    SerialClose(port);
    EXPECT_EQ(SerialRead(port, buf, 1, 10), -1);
    EXPECT_EQ(SerialWrite(port, buf, 1), -1);
    EXPECT_FALSE(SerialWaitAck(port, 10));
}

TEST(SerialPortIo, AHungUpLineFailsEveryReadAtOnce) {
    FakeCard card({.baud = 0});  // a card that never answers, then closes its side
    card.Start();
    ScopedPorts ports({card.slavePath()});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    card.HangUp();
    uint8_t buf[4] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialRead(port, buf, 4, 2000), -2);
    EXPECT_EQ(SerialReadUpTo(port, buf, 4, 2000), -2);
    EXPECT_EQ(SerialRead(port, buf, 4, 4000), -2);  // also past the port's own limit
    EXPECT_FALSE(SerialWaitAck(port));
    EXPECT_FALSE(SerialExpectString(port, "BAUDR", 2000));
    EXPECT_LT(SerialWrite(port, buf, 4), 4);
    // Each of those waits was seconds long; a dead line ends them at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(SerialDevices, AStableLinkToAPortIsResolvedBeforeTheAdapterIsLookedUp) {
    FakeCard card;
    ScopedPl2303 adapter(card.slavePath());
    TempDir dev;
    const fs::path byId = dev.path / "serial" / "by-id";
    fs::create_directories(byId);
    const fs::path link = byId / "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
    // A relative target, as udev makes them.
    fs::create_symlink(fs::relative(card.slavePath(), byId), link);
    EXPECT_EQ(DetectUsbSerialChip(link.string()), kChipPl2303);
    EXPECT_EQ(DetectUsbSerialChip(card.slavePath()), kChipPl2303);
    EXPECT_EQ(DetectUsbSerialChip((dev.path / "missing").string()), kChipNone);

    ScopedPorts ports({link.string()});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    EXPECT_EQ(port.chip, kChipPl2303);
    EXPECT_EQ(GetAdapterMark(port), 0xFE);
    SerialClose(port);
    EXPECT_EQ(GetAdapterMark(port), 0x00);  // a closed port marks no frame
}

TEST(SerialPortIo, AnAnswerInPiecesIsPutTogetherAndPurgesDiscardWhatWaits) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    EXPECT_EQ(SerialPurgeInput(port), -1);
    EXPECT_EQ(SerialPurgeOutput(port), -1);
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    pty.Send("ab");
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.Send("cdXY");
    });
    char buf[4] = {};
    EXPECT_EQ(SerialRead(port, buf, 4, 1000), 4);
    late.join();
    EXPECT_EQ(std::string(buf, 4), "abcd");
    // What came beyond the asked length waits for the next read.
    EXPECT_EQ(SerialReadUpTo(port, buf, 4, 50), 2);
    EXPECT_EQ(std::string(buf, 2), "XY");

    pty.Send("xy");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(SerialPurgeInput(port), 0);
    EXPECT_EQ(SerialReadUpTo(port, buf, 4, 20), 0);
    EXPECT_EQ(SerialPurgeOutput(port), 0);
}

TEST(SerialPortIo, AnotherProgramsLockKeepsThePortFromUs) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    const int held = open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    SerialPort port;
    EXPECT_EQ(SerialOpen(port, 0, 9600), 2);
    EXPECT_FALSE(port.isOpen());
    close(held);
    EXPECT_EQ(SerialOpen(port, 0, 9600), 0);
}

// A record whose descriptor is no line (a pipe's wrong end) and one that cannot be closed.
TEST(SerialPortIo, AFailedReadWriteOrCloseIsReportedAtOnce) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    SerialPort readEnd, writeEnd;
    readEnd.fd = fds[0];
    writeEnd.fd = fds[1];
    writeEnd.baud = readEnd.baud = 9600;
    char buf[2] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialWrite(readEnd, "ab", 2), 0);
    EXPECT_EQ(SerialRead(writeEnd, buf, 2, 2000), -2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));

    SerialPort bad;
    bad.fd = std::numeric_limits<int>::max();
    EXPECT_EQ(SerialClose(bad), 2);
    EXPECT_FALSE(bad.isOpen());
    EXPECT_EQ(bad.baud, 0u);
}

TEST(SerialPortIo, SignalsDoNotEndAWait) {
    struct sigaction quiet {}, old{};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);  // no SA_RESTART: every signal interrupts the wait
    ASSERT_EQ(sigaction(SIGUSR1, &quiet, &old), 0);
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    std::atomic<int> result = 0;
    char buf[4] = {};
    std::thread reader([&] { result = SerialRead(port, buf, 4, 2000); });
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        pthread_kill(reader.native_handle(), SIGUSR1);
    }
    pty.Send("abcd");
    reader.join();
    sigaction(SIGUSR1, &old, nullptr);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(std::string(buf, 4), "abcd");
}

// A wait of exactly the port's 2500 ms read limit is still the caller's own: an answer
// that did not all come is no answer.
TEST(SerialPortIo, AWaitOfExactlyTheReadLimitEndsWithNoAnswer) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    pty.Send("ab");
    char buf[4];
    EXPECT_EQ(SerialRead(port, buf, 4, 2500), -1);
}

// A line that takes nothing more (the far end stopped reading) ends a write at its
// deadline: 2500 ms plus twice the time the bytes need on the line at 10 bits a byte.
TEST(SerialPortIo, AStalledLineEndsAWriteAtItsDeadline) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 9600), 0);
    // Fill the line's queue; the pseudo-terminal frees some room a moment after it first refuses.
    const std::string fill(256, 'q');
    for (bool took = true; took; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        for (took = false; write(port.fd, fill.data(), fill.size()) > 0;) took = true;
    const std::string block(2400, 'b');  // 2500 ms at 9600 baud
    const auto start = std::chrono::steady_clock::now();
    EXPECT_LT(SerialWrite(port, block.data(), block.size()), int(block.size()));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(2500 + 2 * 2500));
    EXPECT_LT(took, std::chrono::milliseconds(2500 + 2 * 2500 + 300));
}
