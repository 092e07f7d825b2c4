#pragma once
// What the main frame's card commands tell the user, as plain functions.
#include <cstddef>
#include <string>

#include "link/transfer.h"

namespace ledsuite {

// The read-back capacities: a program image (mode 0) and the hardware block (mode 1).
constexpr size_t kProgramReadCapacity = 0x100000;
constexpr size_t kHardwareReadCapacity = 1024;

// The message after a send: the transfer's own texts, and for a result it does not name
// (a stopped send among them) a failure with its code, never "successfully".
std::u16string CardSendMessage(int result, TransferMode mode, int comNumber);
struct BitmapImageLoss;
// What a small card (type 0) left out of the programs sent: kept and left-out characters
// of the first program, and the other programs.
std::u16string SmallCardLossText(const BitmapImageLoss& loss);
// The message after a read-back; empty for the results that show none.
std::u16string CardReadMessage(int result, TransferMode mode, int comNumber);

}  // namespace ledsuite
