#include "link/infrared.h"

#include <algorithm>
#include <array>

#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"

namespace ledsuite {

namespace {

enum : uint8_t { kSubCalibrate = 0, kSubGet = 1, kSubSet = 2 };
constexpr uint8_t kReportMagic[4] = {'I', 'R', 'C', 'A'};
constexpr size_t kReportSize = 6;
constexpr size_t kAnswerSize = 3;  // "SUC", "ERR", "RET", the set's answer

const LangText kNotUniversalCalibrating{{u"非万能遥控卡", u"非萬能遙控卡", u"Not a universal remote card"}};
const LangText kNotUniversal{{u"不是万能遥控卡", u"不是萬能遙控卡", u"This is not a universal remote card"}};
const LangText kBadAnswer{{u"控制卡响应异常", u"控制卡響應異常", u"The ctrl card answered abnormally"}};
const LangText kNoAnswer{{u"控制卡没响应", u"控制卡沒響應", u"The ctrl card does not answer"}};
const LangText kGotTable{{u"获取成功", u"獲取成功", u"Read successfully"}};
const LangText kTimeout{{u"超时,请重试", u"超時,請重試", u"Timed out, please retry"}};
const LangText kSetDone{{u"设置成功", u"設置成功", u"Set successfully"}};
const LangText kSetFailed{{u"设置失败", u"設置失敗", u"Setting failed"}};
const LangText kNoAck{{u"控制卡没有响应", u"控制卡沒有響應", u"The ctrl card gives no answer"}};

bool SendSub(SerialPort& port, uint8_t sub) {
    return WriteFrame(port, CardFrame::WithSubcommand(GetAdapterMark(port), CardCommand::InfraredLearn, sub));
}

bool OpenPort(SerialPort& port, PortSetting s) { return SerialOpen(port, s.comIndex, s.baudRate()) == 0; }

}  // namespace

const char16_t* const kInfraredKeyLabels[kInfraredKeys] = {u"PW",  u"1",  u"2",  u"3",   u"4",   u"5",
                                                           u"6",   u"7",  u"8",  u"9",   u"0",   u"CH-",
                                                           u"CH+", u"PL", u"LU-", u"LU+", u"VO-", u"VO+"};

InfraredKeyTable EmptyKeyTable() {
    InfraredKeyTable t;
    t.fill(kNoCode);
    return t;
}

int KeyFunction(int position) { return position == 0 ? 10 : position == 10 ? 0 : position; }

InfraredWireTable BuildWireTable(const InfraredKeyTable& keys) {
    InfraredWireTable wire;
    wire.fill(kNoCode);
    for (int pos = 0; pos < kInfraredKeys; ++pos)
        if (keys[size_t(pos)] != kNoCode) wire[keys[size_t(pos)]] = uint8_t(KeyFunction(pos));
    return wire;
}

InfraredKeyTable KeyTableFromWire(const InfraredWireTable& wire) {
    InfraredKeyTable keys = EmptyKeyTable();
    for (int code = 0; code < 256; ++code) {
        const int f = wire[size_t(code)];
        // The exchange of 0 and 10 is its own inverse: the function's key position.
        if (f < kInfraredKeys) keys[size_t(KeyFunction(f))] = uint8_t(code);
    }
    return keys;
}

InfraredWireTable MergeWireTable(const InfraredWireTable& read, const InfraredKeyTable& keys) {
    InfraredWireTable wire = read;
    const InfraredKeyTable before = KeyTableFromWire(read);
    for (int pos = 0; pos < kInfraredKeys; ++pos) {
        const uint8_t code = keys[size_t(pos)];
        if (code == before[size_t(pos)]) continue;
        const uint8_t f = uint8_t(KeyFunction(pos));
        std::replace(wire.begin(), wire.end(), f, kNoCode);
        if (code != kNoCode) wire[code] = f;
    }
    return wire;
}

std::u16string KeyCodeText(uint8_t code) {
    if (code == kNoCode) return {};
    static const char kHex[] = "0123456789abcdef";
    return {char16_t(kHex[code >> 4]), char16_t(kHex[code & 15])};
}

std::vector<uint8_t> InfraredReportScanner::Feed(std::span<const uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<uint8_t> codes;
    for (;;) {
        auto it = std::search(pending_.begin(), pending_.end(), std::begin(kReportMagic), std::end(kReportMagic));
        if (it == pending_.end()) {
            // No magic: keep only a tail that may be the start of one.
            pending_.erase(pending_.begin(), pending_.end() - long(std::min<size_t>(pending_.size(), 3)));
            return codes;
        }
        pending_.erase(pending_.begin(), it);
        if (pending_.size() < kReportSize) return codes;  // the rest of the report is still on its way
        const uint8_t code = pending_[4], complement = pending_[5];
        if (uint8_t(code + complement) == 0xFF) {
            codes.push_back(code);
            pending_.erase(pending_.begin(), pending_.begin() + long(kReportSize));
        } else {
            pending_.erase(pending_.begin());  // look for a magic behind this one
        }
    }
}

InfraredStatus InfraredCalibrate(SerialPort& port, PortSetting setting, const InfraredTimeouts& t) {
    if (port.isOpen()) SerialClose(port);
    if (!OpenPort(port, setting)) return InfraredStatus::PortFailed;
    std::string answer(kAnswerSize, '\0');
    InfraredStatus status = InfraredStatus::NoAnswer;
    const bool answered =
        SendSub(port, kSubCalibrate) && SerialRead(port, answer.data(), answer.size(), t.answerMs) == int(answer.size());
    if (answered)
        status = answer == "SUC" ? InfraredStatus::Started : answer == "ERR" ? InfraredStatus::NotUniversal
                                                                             : InfraredStatus::BadAnswer;
    if (status != InfraredStatus::Started) SerialClose(port);
    return status;
}

InfraredStatus InfraredGetTable(PortSetting setting, InfraredWireTable& wire, const InfraredTimeouts& t) {
    SerialPort port;
    if (!OpenPort(port, setting)) return InfraredStatus::PortFailed;
    std::string ret(kAnswerSize, '\0');
    if (!SendSub(port, kSubGet) || SerialRead(port, ret.data(), ret.size(), t.retMs) != int(ret.size()))
        return InfraredStatus::NoAnswer;
    if (ret != "RET") return InfraredStatus::NotUniversal;
    InfraredWireTable got;
    if (SerialRead(port, got.data(), got.size(), t.answerMs) != int(got.size())) return InfraredStatus::Timeout;
    wire = got;
    return InfraredStatus::GotTable;
}

InfraredStatus InfraredSetTable(PortSetting setting, const InfraredWireTable& wire, const InfraredTimeouts& t) {
    SerialPort port;
    if (!OpenPort(port, setting)) return InfraredStatus::PortFailed;
    if (!SendSub(port, kSubSet) || !SerialWaitAck(port, t.answerMs)) return InfraredStatus::NoAck;
    if (SerialWrite(port, wire.data(), wire.size()) != int(wire.size())) return InfraredStatus::SetFailed;
    std::array<uint8_t, kAnswerSize> answer{};
    return SerialRead(port, answer.data(), answer.size(), t.answerMs) == int(answer.size()) ? InfraredStatus::SetDone
                                                                                         : InfraredStatus::SetFailed;
}

std::u16string InfraredMessage(InfraredStatus status, bool calibrating, int comNumber) {
    switch (status) {
        case InfraredStatus::PortFailed: return SerialPortMessage(comNumber);
        case InfraredStatus::Started: return {};
        case InfraredStatus::NotUniversal: return calibrating ? kNotUniversalCalibrating() : kNotUniversal();
        case InfraredStatus::BadAnswer: return kBadAnswer();
        case InfraredStatus::NoAnswer: return kNoAnswer();
        case InfraredStatus::GotTable: return kGotTable();
        case InfraredStatus::Timeout: return kTimeout();
        case InfraredStatus::SetDone: return kSetDone();
        case InfraredStatus::SetFailed: return kSetFailed();
        case InfraredStatus::NoAck: return kNoAck();
    }
    return {};
}

}  // namespace ledsuite
