#include "link/line_settings.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace ledsuite {

namespace {

void SetRaw(struct termios2& t) {
    t.c_iflag = 0;  // no break, parity, strip, CR/NL or XON/XOFF handling
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    for (auto& c : t.c_cc) c = 0;  // VMIN 0, VTIME 0: reads never block, poll() waits
}

}  // namespace

int ApplyLineSettings(int fd, uint32_t baud) {
    if (baud == 0) return EINVAL;  // B0 would hang the line up
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    SetRaw(t);
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ospeed = baud;
    t.c_ispeed = baud;
    if (ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

uint32_t ReadLineBaud(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}

int MakeLineRaw(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    SetRaw(t);
    return ioctl(fd, TCSETS2, &t) != 0 ? errno : 0;
}

}  // namespace ledsuite
