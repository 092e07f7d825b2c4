#pragma once
// Line settings through termios2, so that any baud rate can be set (14,400 and
// 28,800 have no Bnnn constant). Kept apart from <termios.h>, whose struct
// termios clashes with the kernel's.
#include <cstdint>

namespace ledsuite {

// Raw 8N1 at `baud`: no parity, one stop bit, no hardware or software flow
// control, no character translation, receiver on, modem lines ignored.
// 0 or the errno value of the failed call.
int ApplyLineSettings(int fd, uint32_t baud);

// The output baud rate the line is set to (for a pseudo-terminal master: the
// rate its slave side was given); 0 when it cannot be read.
uint32_t ReadLineBaud(int fd);

// Puts a line into raw mode and leaves its rate alone (the fake card's own side).
int MakeLineRaw(int fd);

}  // namespace ledsuite
