#include "link/paged_send.h"

#include <vector>

#include "content/card/program_encoder.h"
#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"

namespace ledsuite {

namespace {

constexpr uint8_t kConfirmed = 1;
constexpr uint8_t kStatusSent = 4;
constexpr uint8_t kStatusCrc = 9;

const LangText kPagedNoCard{{u"没有检测到控制卡,请确定连线正确", u"沒有檢測到控制卡,請確定連線正確",
                             u"No ctrl card found, please check the cable connection"}};
const LangText kPagedFailed{{u"下载失败,错误码: %d", u"下載失敗,錯誤碼: %d", u"Download failed, error code: %d"}};
const LangText kPagedNoAnswer{{u"控制卡没响应, 发送失败,请重试", u"控制卡沒響應, 發送失敗,請重試",
                               u"The ctrl card does not answer, sending failed, please retry"}};
const LangText kPagedSent{{u"发送成功!", u"發送成功!", u"Sent successfully!"}};
const LangText kPagedCrc{{u"CRC16校验错误, 发送失败,请重试", u"CRC16校驗錯誤, 發送失敗,請重試",
                          u"CRC16 check error, sending failed, please retry"}};

// Reads and discards a byte the card may have left, then empties the input queue.
void Drain(SerialPort& port, int waitMs) {
    uint8_t stale{};
    SerialReadByte(port, stale, waitMs);
    SerialPurgeInput(port);
}

PagedResult FinalAnswer(SerialPort& port, int waitMs) {
    PagedResult r;
    uint8_t status{};
    if (!SerialReadByte(port, status, waitMs)) {
        r.outcome = PagedOutcome::NoFinalAnswer;
        return r;
    }
    r.status = status;
    r.outcome = status == kStatusSent  ? PagedOutcome::Sent
                : status == kStatusCrc ? PagedOutcome::CrcError
                                       : PagedOutcome::Failed;
    return r;
}

}  // namespace

PagedResult SendPagedImage(PortSetting setting, const PagedCompile& compile, uint32_t page, int protocol,
                           const PagedTimeouts& timeouts) {
    PagedResult r;
    SerialPort port;  // closed when it goes out of scope, whatever path ends the send
    if (SerialOpen(port, setting.comIndex, setting.baudRate()) != 0) return r;

    std::vector<uint8_t> image(kPagedImageLimit, 0xFF);
    r.encodeResult = compile ? compile(image, &r.errorPosition) : kEncodeNoSet;
    if (r.encodeResult < 1) {
        r.outcome = PagedOutcome::EncodeFailed;
        return r;
    }
    const size_t length = std::min(size_t(r.encodeResult), image.size());

    Drain(port, timeouts.drainMs);
    if (!WriteFrame(port, CardFrame::PagedSend(GetAdapterMark(port), uint32_t(length), page))) {
        r.outcome = PagedOutcome::WriteFailed;
        return r;
    }
    if (protocol == kProtocolKip) {
        uint8_t status{};
        if (!SerialReadByte(port, status, timeouts.answerMs)) {
            r.outcome = PagedOutcome::NoCard;
            return r;
        }
        if (status != kConfirmed) {
            r.outcome = PagedOutcome::Refused;
            r.status = status;
            return r;
        }
    }
    // The serial layer's write loop: all of the image or a failure.
    if (SerialWrite(port, image.data(), length) != int(length)) {
        r.outcome = PagedOutcome::WriteFailed;
        return r;
    }
    SerialPurgeInput(port);
    PagedResult final = FinalAnswer(port, timeouts.answerMs);
    final.encodeResult = r.encodeResult;
    return final;
}

PagedResult DeletePagedImage(PortSetting setting, uint32_t page, const PagedTimeouts& timeouts) {
    PagedResult r;
    SerialPort port;
    if (SerialOpen(port, setting.comIndex, setting.baudRate()) != 0) return r;
    SerialPurgeInput(port);
    if (!WriteFrame(port, CardFrame::DeletePage(page))) {
        r.outcome = PagedOutcome::WriteFailed;
        return r;
    }
    uint8_t answer[6];
    SerialReadUpTo(port, answer, sizeof answer, timeouts.answerMs);  // the card's answer is not looked at
    r.outcome = PagedOutcome::Deleted;
    return r;
}

std::u16string PagedResultMessage(const PagedResult& r, int comNumber) {
    const std::u16string status = U16FromAscii(std::to_string(r.status));
    switch (r.outcome) {
        case PagedOutcome::PortFailed: return SerialPortMessage(comNumber);
        case PagedOutcome::EncodeFailed: return FormatEncodeError(r.encodeResult, r.errorPosition);
        case PagedOutcome::NoCard: return kPagedNoCard();
        case PagedOutcome::Refused:
        case PagedOutcome::Failed: return FillText(kPagedFailed(), {status});
        case PagedOutcome::NoFinalAnswer: return kPagedNoAnswer();
        case PagedOutcome::Sent: return kPagedSent();
        case PagedOutcome::CrcError: return kPagedCrc();
        case PagedOutcome::WriteFailed: return kPagedNoAnswer();
        case PagedOutcome::Deleted: return {};
    }
    return {};
}

}  // namespace ledsuite
