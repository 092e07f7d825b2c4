#pragma once
// Paged sending: one program image to one of the card's 256 pages, and the deletion
// of one page or all of them. Two protocol variants: "KIP" waits for the card's
// confirmation of the announcement before the data, "GPS" sends the data at once.
// Every exchange opens its own port and closes it on every path.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "content/card/program_image.h"
#include "link/card.h"

namespace ledsuite {

enum PagedProtocol : int { kProtocolKip = 0, kProtocolGps = 1 };

inline constexpr int kPageCount = 256;
inline constexpr uint32_t kAllPages = 0xFFFFFFFF;

// The result of a paged exchange: what the user is told.
enum class PagedOutcome {
    PortFailed,      // the port message
    EncodeFailed,    // the encoder's own message (`encodeResult`, `errorPosition`)
    NoCard,          // KIP: no confirmation came
    Refused,         // KIP: the confirmation was not 1 (`status`)
    NoFinalAnswer,   // nothing after the image
    Sent,            // final status 4
    CrcError,        // final status 9
    Failed,          // another final status (`status`)
    WriteFailed,     // the frame or the image did not go out whole
    Deleted,         // the delete exchange ran (its answer is not looked at)
};

struct PagedResult {
    PagedOutcome outcome = PagedOutcome::PortFailed;
    int status = 0;
    int encodeResult = 0;
    uint32_t errorPosition = 0;
};

struct PagedTimeouts {
    int drainMs = 200;
    int answerMs = kAckWaitMs;
};

// Compiles the image into the buffer it is given (0xFF-filled, kPagedImageLimit
// bytes); the image length, or an encoder result below 1 with its position.
using PagedCompile = std::function<int(std::span<uint8_t> buffer, uint32_t* errorPosition)>;

// Opens the port, compiles, and sends the image to `page` (0..255) in the protocol's way.
PagedResult SendPagedImage(PortSetting port, const PagedCompile& compile, uint32_t page, int protocol,
                           const PagedTimeouts& timeouts = {});
// Deletes one page, or every page with kAllPages.
PagedResult DeletePagedImage(PortSetting port, uint32_t page, const PagedTimeouts& timeouts = {});

// The one message of a result (the card texts exist in Chinese only); `comNumber` is the COM index + 1.
std::u16string PagedResultMessage(const PagedResult& result, int comNumber);

}  // namespace ledsuite
