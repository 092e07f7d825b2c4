#include "link/transfer.h"

#include "content/bytes.h"
#include "content/model/lang.h"
#include "link/link_text.h"

namespace ledsuite {

namespace {

const LangText kSendProgramOk{{u"发送节目成功", u"發送節目成功", u"Send program successfully"}};
const LangText kSendHardwareOk{{u"发送硬件参数成功", u"發送硬體參數成功", u"Send hardware parameter successfully"}};
const LangText kNothingToSend{{u"没有可发送的节目", u"沒有可發送的節目", u"No program to send"}};
const LangText kDownloadTimeout{
    {u"下载超时, 请检查连线", u"下載逾時, 請檢查連線", u"Download timeout, please check the cable connection"}};
const LangText kTypeMismatch{{u"控制卡型号不匹配", u"控制卡型號不匹配", u"Control Card type doesn't match"}};
const LangText kNoCard{{u"未找到控制卡", u"未找到控制卡", u"No control card found"}};
const LangText kReadProgramOk{{u"读取节目成功", u"讀取節目成功", u"Read program successfully"}};
const LangText kReadHardwareOk{{u"读取硬件参数成功", u"讀取硬體參數成功", u"Read hardware parameter successfully"}};
const LangText kNoData{{u"没有数据", u"沒有資料", u"No data"}};
const LangText kUploadTimeout{
    {u"上传超时, 请检查连线。", u"上傳逾時, 請檢查連線。", u"Upload timed out, please check the cable connection."}};
const LangText kOutOfRange{{u"数据超出范围", u"資料超出範圍", u"Data out of range"}};
const LangText kSlowUpload{
    {u"USB转串口芯片为pl2303, 上传速度较慢, 是否继续?", u"USB轉串口晶片為pl2303, 上傳速度較慢, 是否繼續?",
     u"The chip of the USB-to-serial is pl2303, and the speed of upload is low, continue or not?"}};

bool Stopped(const TransferControl& c) { return c.stop && c.stop->load(); }
void Progress(const TransferControl& c, int percent) {
    if (c.progress) c.progress(percent);
}
void PurgeBoth(SerialPort& port) {
    SerialPurgeOutput(port);
    SerialPurgeInput(port);
}

}  // namespace

TransferResult SendTransfer(const LinkTarget& target, TransferMode mode, std::span<const uint8_t> data,
                            const TransferControl& control) {
    // An empty image, or one whose length the 32-bit announcement cannot carry.
    if (data.empty() || data.size() > 0xFFFFFFF0u) return {TransferResult::kNothingToSend, {}};
    // The card takes whole 32-bit words: send a copy padded with 0xFF, never the bytes past the data.
    std::vector<uint8_t> image(data.begin(), data.end());
    image.resize((image.size() + 3) & ~size_t(3), 0xFF);
    const size_t length = image.size();
    const int wait = control.timeouts.replyMs;
    const uint16_t com = target.port.comIndex;
    const uint32_t baud = target.port.baudRate();

    SerialPort port;
    if (SerialOpen(port, com, baud) != 0) return {TransferResult::kSendPortFailed, {}};
    PurgeBoth(port);
    WriteFrame(port, CardFrame::Command(GetAdapterMark(port), CardCommand::Info));
    std::array<uint8_t, 3 + 255> reply{};
    const int n = ReadCardReply(port, CardCommand::Info, reply, wait);
    // A failed head read is negative, so short of any reply.
    if (n < 3 + reply[2]) return {TransferResult::kNoCard, {}};
    if (reply[0] < 4 && reply[1] != target.cardType) return {TransferResult::kTypeMismatch, {}};
    Progress(control, 0);

    SerialClose(port);
    if (SerialOpen(port, com, baud) != 0) return {TransferResult::kSendPortFailed, {}};
    const uint8_t mark = GetAdapterMark(port);
    const CardFrame announce = CardFrame::WithLength(
        mark, mode == TransferMode::Program ? CardCommand::SendProgram : CardCommand::SendHardware, uint32_t(length));
    PurgeBoth(port);
    WriteFrame(port, announce);

    // The card's 26-byte answer; while nothing at all has come, the announcement is repeated.
    std::array<uint8_t, 26> answer{};
    size_t got = 0;
    for (int misses = 0; got < answer.size();) {
        if (Stopped(control)) return {TransferResult::kSendStopped, {}};
        int r = SerialReadUpTo(port, answer.data() + got, answer.size() - got, wait);
        if (r > 0) {
            got += size_t(r);
            misses = 0;
            continue;
        }
        if (++misses == 3) return {TransferResult::kSendTimeout, {}};
        if (got == 0) {
            PurgeBoth(port);
            WriteFrame(port, announce);
        }
    }
    uint8_t status{};
    if (!SerialReadByte(port, status, wait) || status != 1) return {TransferResult::kSendTimeout, {}};

    SerialPurgeInput(port);
    const size_t block = mark == 0xFE ? 16 : 128;
    const size_t blocks = length / block;
    for (size_t i = 0; i < blocks; ++i) {
        if (Stopped(control)) return {TransferResult::kSendStopped, {}};
        SerialPurgeOutput(port);
        if (SerialWrite(port, image.data() + i * block, block) != int(block)) return {TransferResult::kSendTimeout, {}};
        // A late acknowledgement gets a second wait; the block is not sent again.
        if (!SerialWaitAck(port, wait) && !SerialWaitAck(port, wait)) return {TransferResult::kSendTimeout, {}};
        Progress(control, int(uint64_t(i + 1) * block * 100 / length));
    }
    if (const size_t rest = length % block) {
        SerialPurgeOutput(port);
        if (SerialWrite(port, image.data() + blocks * block, rest) != int(rest))
            return {TransferResult::kSendTimeout, {}};
    }
    if (!SerialReadByte(port, status, wait) || status != 4) return {TransferResult::kSendTimeout, {}};
    Progress(control, 100);
    return {TransferResult::kSent, {}};
}

TransferResult ReadBackTransfer(const LinkTarget& target, TransferMode mode, size_t capacity,
                                const TransferControl& control) {
    const int wait = control.timeouts.replyMs;
    SerialPort port;
    if (SerialOpen(port, target.port.comIndex, target.port.baudRate()) != 0)
        return {TransferResult::kReadPortFailed, {}};
    const uint8_t mark = GetAdapterMark(port);
    if (mode == TransferMode::Program && mark == 0xFE && control.confirmSlowUpload && !control.confirmSlowUpload())
        return {TransferResult::kDeclined, {}};
    Progress(control, 0);
    PurgeBoth(port);
    WriteFrame(port, CardFrame::Command(
                         mark, mode == TransferMode::Program ? CardCommand::ReadProgram : CardCommand::ReadHardware));
    std::array<uint8_t, 4> head{};
    if (SerialRead(port, head.data(), head.size(), control.timeouts.lengthMs) != int(head.size()))
        return {TransferResult::kReadTimeout, {}};
    const uint32_t length = LoadU32(head.data());
    if (length < 32) return {TransferResult::kNoData, {}};
    if (length > capacity) return {TransferResult::kOutOfRange, {}};

    std::vector<uint8_t> data(length);
    PurgeBoth(port);
    SerialWrite(port, &kReadBackRequest, 1);
    const size_t chunks = length / 8;
    for (size_t i = 0; i < chunks; ++i) {
        if (Stopped(control)) return {TransferResult::kReadStopped, {}};
        if (SerialRead(port, data.data() + i * 8, 8, wait) != 8) return {TransferResult::kReadTimeout, {}};
        Progress(control, int(uint64_t(i + 1) * 8 * 100 / length));
        SerialPurgeInput(port);
        SerialPurgeOutput(port);
        SerialWrite(port, &kReadBackRequest, 1);
    }
    if (const size_t rest = length % 8; rest && SerialRead(port, data.data() + chunks * 8, rest, wait) != int(rest))
        return {TransferResult::kReadTimeout, {}};
    Progress(control, 100);
    return {TransferResult::kRead, std::move(data)};
}

std::u16string SendResultMessage(int code, TransferMode mode, int comNumber) {
    switch (code) {
        case TransferResult::kSent:
            return mode == TransferMode::Program ? kSendProgramOk() : kSendHardwareOk();
        case TransferResult::kNothingToSend:
            return kNothingToSend();
        case TransferResult::kSendPortFailed:
            return SerialPortMessage(comNumber);
        case TransferResult::kSendTimeout:
            return kDownloadTimeout();
        case TransferResult::kTypeMismatch:
            return kTypeMismatch();
        case TransferResult::kNoCard:
            return kNoCard();
        default:
            return {};
    }
}

std::u16string ReadBackResultMessage(int code, TransferMode mode, int comNumber) {
    switch (code) {
        case TransferResult::kRead:
            return mode == TransferMode::Program ? kReadProgramOk() : kReadHardwareOk();
        case TransferResult::kNoData:
            return kNoData();
        case TransferResult::kReadPortFailed:
            return SerialPortMessage(comNumber);
        case TransferResult::kReadTimeout:
            return kUploadTimeout();
        case TransferResult::kOutOfRange:
            return kOutOfRange();
        default:
            return {};
    }
}

std::u16string SlowUploadQuestion() { return kSlowUpload(); }

}  // namespace ledsuite
