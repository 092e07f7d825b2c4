#include "link/paged_send.h"

#include <gtest/gtest.h>

#include "content/bytes.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr PagedTimeouts kFast{50, 400};

// A compile step that writes `n` bytes 1, 2, 3, ...
PagedCompile ImageOf(size_t n) {
    return [n](std::span<uint8_t> buffer, uint32_t*) {
        const auto bytes = Image(n);
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return int(n);
    };
}

const std::vector<uint8_t>& LastFrame(const FakeCardLog& log) { return log.frames.back(); }

}  // namespace

TEST(PagedSend, FrameCarriesLengthAndPageAndTheImageFollows) {
    CardOnPort c;  // page 0 and the page list: the dialog tests
    EXPECT_EQ(SendPagedImage({0, 8}, ImageOf(300), 255, kProtocolKip, kFast).outcome, PagedOutcome::Sent);
    const FakeCardLog log = c.card.log();
    ASSERT_EQ(log.count(0x1A), 1u);
    EXPECT_EQ(LoadU32(&LastFrame(log)[8]), 300u);
    EXPECT_EQ(LoadU32(&LastFrame(log)[12]), 255u);
    EXPECT_EQ(log.paged, Image(300));
}

TEST(PagedSend, KipWaitsForTheConfirmationGpsDoesNot) {
    {
        CardOnPort c({.pagedConfirmDelayMs = 150});
        EXPECT_EQ(SendPagedImage({0, 8}, ImageOf(64), 3, kProtocolKip, kFast).outcome, PagedOutcome::Sent);
        EXPECT_EQ(c.card.log().pagedEarly, 0u);  // nothing of the image before the card's 1
    }
    // A card that never confirms: GPS sends anyway (the dialog tests), KIP sends nothing.
    {
        CardOnPort c({.pagedConfirm = -1});
        const PagedResult r = SendPagedImage({0, 8}, ImageOf(64), 3, kProtocolKip, kFast);
        EXPECT_EQ(r.outcome, PagedOutcome::NoCard);
        EXPECT_EQ(PagedResultMessage(r, 1), u"No ctrl card found, please check the cable connection");
        EXPECT_TRUE(c.card.log().paged.empty());
    }
    {
        CardOnPort c({.pagedConfirm = 7});
        const PagedResult r = SendPagedImage({0, 8}, ImageOf(64), 3, kProtocolKip, kFast);
        EXPECT_EQ(r.outcome, PagedOutcome::Refused);
        EXPECT_EQ(PagedResultMessage(r, 1), u"Download failed, error code: 7");
    }
}

TEST(PagedSend, PortClosedAfterAnEncoderFailureAndDeleteFrames) {
    CardOnPort c;
    PagedCompile failing = [](std::span<uint8_t>, uint32_t* position) {
        *position = 1 << 16;
        return -2;
    };
    const PagedResult r = SendPagedImage({0, 8}, failing, 0, kProtocolKip, kFast);
    EXPECT_EQ(r.outcome, PagedOutcome::EncodeFailed);
    EXPECT_EQ(r.encodeResult, -2);
    EXPECT_FALSE(PagedResultMessage(r, 1).empty());
    SerialPort again;  // an exclusive open succeeds only when the send closed its port
    EXPECT_EQ(SerialOpen(again, 0, 115200), 0);
    SerialClose(again);

    EXPECT_EQ(DeletePagedImage({0, 8}, kAllPages, kFast).outcome, PagedOutcome::Deleted);
    EXPECT_EQ(DeletePagedImage({0, 8}, 17, kFast).outcome, PagedOutcome::Deleted);
    const FakeCardLog log = c.card.log();
    ASSERT_EQ(log.count(0x05), 2u);
    EXPECT_EQ(LoadU32(&log.frames[log.frames.size() - 2][12]), 0xFFFFFFFFu);
    EXPECT_EQ(LoadU32(&log.frames.back()[12]), 17u);
    EXPECT_EQ(log.frames.back()[6], 0x00);
    EXPECT_EQ(DeletePagedImage({5, 8}, 0, kFast).outcome, PagedOutcome::PortFailed);
}

TEST(PagedSend, AOneByteImageGoesAndTheCrcStatusIsTold) {
    CardOnPort c;
    const PagedResult r = SendPagedImage({0, 8}, ImageOf(1), 9, kProtocolKip, kFast);
    EXPECT_EQ(r.outcome, PagedOutcome::Sent);
    EXPECT_EQ(r.encodeResult, 1);
    EXPECT_EQ(c.card.log().paged, Image(1));
    // Statuses after the image: 9 the CRC message, others the error code.
    CardOnPort crc({.pagedFinal = 9});
    EXPECT_EQ(PagedResultMessage(SendPagedImage({0, 8}, ImageOf(40), 0, kProtocolGps, kFast), 1),
              u"CRC16 check error, sending failed, please retry");
}

TEST(PagedSend, ADeleteEndsWithTheCardsSixByteAnswerNotItsTimeOut) {
    CardOnPort c;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DeletePagedImage({0, 8}, 3, {50, 1000}).outcome, PagedOutcome::Deleted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
    EXPECT_EQ(PagedResultMessage(PagedResult{.outcome = PagedOutcome::Deleted}, 1), u"");
}
