// Bytes a card (or anything on the serial line) answers to the information command.
#include <cstddef>
#include <cstdint>

#include "link/card.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ledsuite::CardInfoReply reply = ledsuite::CardInfoReply::Parse({data, size});
    (void)reply;
    return 0;
}
