#include "link/card.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"

namespace ledsuite {

namespace {

using std::chrono::milliseconds;

const LangText kUnknown{{u"未知", u"未知", u"Unkonw"}};
const LangText kSupported{{u"支持", u"支援", u"Supported"}};
const LangText kUnsupported{{u"不支持", u"不支援", u"Unsupported"}};
const LangText kFixed{{u"固定", u"固定", u"Fixed"}};
const LangText kUnfixed{{u"不固定", u"不固定", u"Unfixed"}};
const LangText kInterface{{u"接口", u"介面", u"Interface"}};
const LangText kNoCardFound{{u"未找到LED显示屏控制卡", u"未找到LED顯示屏控制卡", u"No LED Display Control Card found"}};
const LangText kNoPortFound{{u"未找到串口", u"未找到串口", u"No series port found"}};
const LangText kRemark{{u"备注: USB转串口不稳定, 如出现连接失败、发送或上传节目失败, 请拔出并重新插入设备",
                        u"備註: USB轉串口不穩定, 如出現連接失敗、發送或上傳節目失敗, 請拔出並重新插入裝置",
                        u"Remark: THe USB-to-serial is instable, if occur to link failed, send or upload programs "
                        u"failed, please pull and re-plug the device"}};

const LangText kRowLabels[kCardInfoRows] = {
    {{u"终端", u"終端", u"Terminal"}},
    {{u"型号", u"型號", u"Type"}},
    {{u"ID", u"ID", u"ID"}},
    {{u"串口", u"串口", u"Series Com"}},
    {{u"波特率", u"波特率", u"Baud Rate"}},
    {{u"U盘", u"U盤", u"UDisk"}},
    {{u"RS485", u"RS485", u"RS485"}},
    {{u"分页", u"分頁", u"Page"}},
    {{u"字库芯片", u"字庫晶片", u"Font Chip"}},
    {{u"红外遥控", u"紅外遙控", u"Infrared"}},
    {{u"歌词秀", u"歌詞秀", u"Lyric Show"}},
    {{u"接口协议", u"介面協定", u"Interface Protocol"}},
    {{u"节目存储", u"節目存儲", u"Program Flash"}},
    {{u"音频解码", u"音訊解碼", u"Audio Decoder"}},
    {{u"音频存储", u"音訊存儲", u"Audio Storage"}},
    {{u"版本", u"版本", u"Version"}},
};
enum Row {
    kTerminal,
    kType,
    kId,
    kSeriesCom,
    kBaudRate,
    kUDisk,
    kRs485,
    kPage,
    kFontChip,
    kInfrared,
    kLyricShow,
    kProtocol,
    kProgramFlash,
    kAudioDecoder,
    kAudioStorage,
    kVersion
};

const LangText kCardKinds[] = {
    {{u"控制卡", u"控制卡", u"Ctrl Card"}},
    {{u"U盘卡", u"U盤卡", u"U Card"}},
    {{u"无线2.4G卡", u"無線2.4G卡", u"RF2.4G Card"}},
    {{u"电子写字卡", u"電子寫字卡", u"Ele Write Card"}},
    kUnknown,
};

const LangText kPortOpenFailed{
    {u"打开串口失败, \n请确定串口存在,并且未被占用", u"打開串口失敗, \n請確定串口存在,並且未被佔用",
     u"Failed to open serial port, \nplease check it whether exists and isn't taken by other program"}};
const LangText kNoCtrlCard{{u"未检测到控制卡,\n请确定连线正确", u"未檢測到控制卡,\n請確定連線正確",
                            u"No Ctrl Card found, \nplease check the cable connection"}};
const LangText kPowerOn{{u"开屏成功", u"開屏成功", u"Succeeded to power on"}};
const LangText kPowerOff{{u"关屏成功", u"關屏成功", u"Succeeded to power off"}};
const LangText kClockSet{{u"校时成功", u"校時成功", u"Succeeded to syn time"}};

// Communication modes, by the index the card information yields.
constexpr const char16_t* kModeNames[] = {
    u"Serial Com/UDisk", u"Synch Voice", u"Asyn Voice-Ⅰ", u"Asyn Voice-Ⅱ", u"Asyn Voice-Ⅲ",
    u"Serial Com-Page",  u"GPRS",        u"SMS",          u"Network",      u"RF",
    u"GPRS-TTS",         u"SMS-TTS"};
// Memory size of the control card models, as the "Type" row names them.
constexpr const char16_t* kZuSizes[] = {u"04K", u"10K", u"20K", u"40K", u"64K", u"128K"};

template <size_t N>
std::u16string Pick(const char16_t* const (&table)[N], int index) {
    return index >= 0 && size_t(index) < N ? table[index] : u"";
}

uint8_t Bcd(int v) {
    v = ((v % 100) + 100) % 100;
    return uint8_t((v / 10) << 4 | (v % 10));
}

std::u16string Number(long long v) { return U16FromAscii(std::to_string(v)); }

bool StopRequested(const SearchProgress* progress) { return progress && progress->stop && progress->stop->load(); }

}  // namespace

// ---- frames --------------------------------------------------------------------

CardFrame CardFrame::Command(uint8_t mark, CardCommand command) {
    CardFrame f;
    ByteWriter w(f.bytes.data(), f.bytes.size());
    w.put_bytes(kFrameMagic, kFrameMagicSize);
    w.put_u8(mark);
    w.put_u8(uint8_t(command));
    f.size = w.size();
    return f;
}

CardFrame CardFrame::WithSubcommand(uint8_t mark, CardCommand command, uint8_t sub) {
    CardFrame f = Command(mark, command);
    f.bytes[8] = sub;
    f.size = 9;
    return f;
}

CardFrame CardFrame::WithLength(uint8_t mark, CardCommand command, uint32_t length) {
    CardFrame f = Command(mark, command);
    StoreU32(&f.bytes[8], length);
    f.size = 12;
    return f;
}

CardFrame CardFrame::PagedSend(uint8_t mark, uint32_t length, uint32_t page) {
    CardFrame f = WithLength(mark, CardCommand::PagedSend, length);
    StoreU32(&f.bytes[12], page);
    f.size = 16;
    return f;
}

CardFrame CardFrame::DeletePage(uint32_t page) {
    CardFrame f = Command(0x00, CardCommand::DeletePage);
    const uint8_t tag[] = {0x02, 0xFD, 0xFD, 0x02};
    std::copy(std::begin(tag), std::end(tag), &f.bytes[8]);
    StoreU32(&f.bytes[12], page);
    f.size = 16;
    return f;
}

size_t CardFrameLength(uint8_t command) {
    switch (CardCommand(command)) {
        case CardCommand::InfraredLearn:
            return 9;
        case CardCommand::SendHardware:
        case CardCommand::SendProgram:
            return 12;
        case CardCommand::PagedSend:
        case CardCommand::DeletePage:
            return 16;
        default:
            return 8;
    }
}

bool WriteFrame(SerialPort& port, const CardFrame& frame) {
    return SerialWrite(port, frame.bytes.data(), frame.size) == int(frame.size);
}

CardTime CardTime::From(const LocalTime& t) {
    return {{Bcd(t.second), Bcd(t.minute), Bcd(t.hour), Bcd(t.day), Bcd(t.month), uint8_t(t.weekday & 0x0F),
             Bcd(t.year), 0}};
}

CardInfoReply CardInfoReply::Parse(std::span<const uint8_t> bytes) {
    CardInfoReply r;
    r.received = bytes.size();
    ByteReader in(bytes);
    r.family = in.u8();
    r.model = in.u8();
    r.length = in.u8();
    // Only the reply's own bytes: what it announces, and of that what arrived.
    const size_t end = std::min(bytes.size(), size_t(3) + r.length);
    if (end >= 7) r.firmware = in.u32();
    for (size_t p = 7; p + 1 < end; p += 2) r.pairs.emplace_back(bytes[p], bytes[p + 1]);
    return r;
}

// ---- name tables ---------------------------------------------------------------

std::u16string FlashSizeName(int index) {
    static constexpr const char16_t* kNames[] = {u"4Mb", u"8Mb", u"16Mb", u"32Mb", u"64Mb"};
    return index >= 0 && index < 5 ? kNames[index] : kUnknown();
}

std::u16string CardModelSizeName(int index) {
    static constexpr const char16_t* kNames[] = {u"04K", u"08K", u"20K", u"40K", u"64K", u"128K"};
    return Pick(kNames, index);
}

std::u16string UCardSizeName(int index) {
    static constexpr const char16_t* kNames[] = {u"UC512K", u"UC1M", u"UC2M", u"UC4M", u"UC8M"};
    return Pick(kNames, index);
}

// The last entry, the unknown text, stands for every other kind.
std::u16string CardKindName(int kind) { return kCardKinds[std::min(size_t(kind), std::size(kCardKinds) - 1)](); }

std::u16string CardInfoRowLabel(int row) { return row >= 0 && row < kCardInfoRows ? kRowLabels[row]() : u""; }

std::u16string AdapterRemarkText() { return kRemark(); }

// ---- exchanges -----------------------------------------------------------------

int ReadCardReply(SerialPort& port, CardCommand command, std::span<uint8_t> buffer, int waitMs, int headWaitMs) {
    size_t maximum = buffer.size(), got = 0;
    if (command == CardCommand::Info && maximum > 3) {
        int r = SerialRead(port, buffer.data(), 3, headWaitMs < 0 ? waitMs : headWaitMs);
        if (r < 3) return r;
        got = 3;
        if (buffer[2] == 0) return 3;
        maximum = std::min<size_t>(maximum, size_t(buffer[2]) + 3);
    }
    while (got < maximum) {
        int r = SerialReadUpTo(port, buffer.data() + got, maximum - got, waitMs);
        if (r <= 0) break;
        got += size_t(r);
        if (got < maximum) std::this_thread::sleep_for(milliseconds(2));  // lets more of the reply gather
    }
    return int(got);
}

int QueryCard(PortSetting setting, CardCommand command, std::span<uint8_t> buffer, int headWaitMs) {
    SerialPort port;
    if (SerialOpen(port, setting.comIndex, setting.baudRate()) != 0) return 0;
    if (!WriteFrame(port, CardFrame::Command(GetAdapterMark(port), command))) return -1;
    return ReadCardReply(port, command, buffer, kAckWaitMs, headWaitMs);
}

int ProbeCardBaud(SerialPort* given, PortSetting setting, int answerWaitMs) {
    SerialPort local;  // closed again when the probe opened it itself
    SerialPort& port = given ? *given : local;
    if (!port.isOpen() && SerialOpen(port, setting.comIndex, setting.baudRate()) != 0) {
        std::this_thread::sleep_for(milliseconds(400));
        if (SerialOpen(port, setting.comIndex, setting.baudRate()) != 0) return 0;
    }
    if (SerialSetBaud(port, setting.baudRate()) != 0) return -2;
    const uint8_t mark = GetAdapterMark(port);
    const CardFrame probe = CardFrame::Command(mark, CardCommand::BaudProbe);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SerialPurgeInput(port);
        SerialPurgeOutput(port);
        if (WriteFrame(port, probe) &&
            SerialExpectString(port, "BAUDR", mark == 0xFE ? 2 * answerWaitMs : answerWaitMs))
            return 1;
    }
    return -2;
}

SearchOutcome SearchCardPorts(PortSetting& setting, SearchProgress* progress, int probeWaitMs) {
    const PortSetting given = setting;
    DeviceList list;
    EnumPresentDevices(list);
    std::vector<int> ports;
    for (const auto& d : list.devices)
        if (int index = ComIndexFromFriendlyName(d.friendlyName); index >= 0) ports.push_back(index);
    if (ports.empty()) return SearchOutcome::NoPorts;

    bool anyOpened = false;
    std::vector<int> unavailable;  // a port that does not open is not tried at the other rates
    // One probe; Found or Stopped end the search.
    auto probe = [&](int comIndex, int baudIndex) -> std::optional<SearchOutcome> {
        if (std::find(unavailable.begin(), unavailable.end(), comIndex) != unavailable.end()) return std::nullopt;
        if (progress) {
            if (StopRequested(progress)) return SearchOutcome::Stopped;
            progress->comNumber = comIndex + 1;
            progress->baudIndex = baudIndex;
            if (progress->show)
                progress->show(FillText(u"%s\tRS232\r\n%s\t%d\r\n%s\t%d",
                                        {kInterface(), kRowLabels[kSeriesCom](), Number(comIndex + 1),
                                         kRowLabels[kBaudRate](), Number(BaudRateOf(baudIndex))}));
        }
        const PortSetting trial{uint16_t(comIndex), uint16_t(baudIndex)};
        int r = ProbeCardBaud(nullptr, trial, probeWaitMs);
        if (r == 0) unavailable.push_back(comIndex);
        anyOpened |= r != 0;
        if (r != 1) return std::nullopt;
        setting = trial;
        return SearchOutcome::Found;
    };
    auto outcome = [&]() -> std::optional<SearchOutcome> {
        if (given.baudIndex < BaudRateTable.size())
            for (int com : ports)
                if (auto r = probe(com, given.baudIndex)) return r;
        for (int com : ports)
            for (int baud = 0; baud < int(BaudRateTable.size()); ++baud)
                if (auto r = probe(com, baud)) return r;
        return std::nullopt;
    }();
    if (outcome == SearchOutcome::Found) return *outcome;
    setting = given;
    if (outcome) return *outcome;
    return anyOpened ? SearchOutcome::NoAnswer : SearchOutcome::PortUnavailable;
}

LinkTarget LinkTargetFromScreen(const HardwareParams& screen) {
    LinkTarget t;
    t.port = {screen.comIndex, screen.baudIndex};
    t.cardType = screen.cardType;
    t.cardSubtype = screen.cardSubtype;
    return t;
}

namespace {

// The information rows while the reply's pairs are read, and the communication mode
// and fixed-rate mark the pairs set.
struct InfoRows {
    std::array<std::u16string, kCardInfoRows>& v;
    int mode = 0;
    bool baudFixed = false;

    void ModeIfUnset(int m) {
        if (mode == 0) mode = m;
    }
};

void SetFontChip(InfoRows& r, uint8_t value) {
    static constexpr const char16_t* kChips[] = {u"",           u"KIPFC16S2W1", u"KIPFC24S3W1",
                                                 u"KIPFC32S4W1", u"KIPFC48S5W1", u"KIPFC64S6W1"};
    const int chip = value & 0x0F;
    if (value == 0xFF) r.v[kFontChip] = u"Custom";
    else if (chip == 1 && (value >> 4) == 3) r.v[kFontChip] = u"KIPFC16S2W4";
    else if (chip >= 1 && chip <= 5) r.v[kFontChip] = kChips[chip];
}

void SetAudioDecoders(InfoRows& r, uint8_t value) {
    static constexpr const char16_t* kNames[] = {u"SSF", u"MP3", u"WAV"};
    std::u16string decoders;
    for (size_t bit = 0; bit < std::size(kNames); ++bit)
        if (value & (1u << bit)) decoders += (decoders.empty() ? u"" : u", ") + std::u16string(kNames[bit]);
    r.v[kAudioDecoder] = decoders;
    r.ModeIfUnset(2);
}

// What each (type, value) pair of the information reply means; other types change nothing.
struct InfoPairRule {
    uint8_t type;
    void (*apply)(InfoRows&, uint8_t value);
};
const InfoPairRule kInfoPairRules[] = {
    // 1: the card plays programs from a USB disk.
    {1, [](InfoRows& r, uint8_t) { r.v[kUDisk] = kSupported(); }},
    // 2: the card has an RS485 line.
    {2, [](InfoRows& r, uint8_t) { r.v[kRs485] = kSupported(); }},
    // 3: paged sending; mode Serial Com-Page unless a mode is set.
    {3, [](InfoRows& r, uint8_t) { r.v[kPage] = kSupported(); r.ModeIfUnset(5); }},
    // 4: the font chip, by the value's low nibble (0xFF a custom chip).
    {4, SetFontChip},
    // 5: the card learns infrared remote keys.
    {5, [](InfoRows& r, uint8_t) { r.v[kInfrared] = kSupported(); }},
    // 6: the voice firmware's version; mode Synch Voice unless a mode is set.
    {6, [](InfoRows& r, uint8_t value) { r.v[kVersion] = FillText(u"V1.0.0.%d", {Number(value)}); r.ModeIfUnset(1); }},
    // 7: a remote line: SMS (1), GPRS-TTS (2), SMS-TTS (3), else GPRS.
    {7, [](InfoRows& r, uint8_t value) { r.mode = value == 1 ? 7 : value == 2 ? 10 : value == 3 ? 11 : 6; }},
    // 8: the card's line rate cannot be changed.
    {8, [](InfoRows& r, uint8_t) { r.baudFixed = true; }},
    // 10: the number of the interface protocol.
    {10, [](InfoRows& r, uint8_t value) { r.v[kProtocol] = Number(value); }},
    // 13: the program flash size (FlashSizeName).
    {13, [](InfoRows& r, uint8_t value) { r.v[kProgramFlash] = FlashSizeName(value); }},
    // 14: the audio decoders by bit (SSF, MP3, WAV); mode Asyn Voice-I unless a mode is set.
    {14, SetAudioDecoders},
    // 15: an asynchronous voice card: Asyn Voice-II (4), Asyn Voice-I (0xFF), else Asyn Voice-III.
    {15, [](InfoRows& r, uint8_t value) { r.mode = value == 4 ? 3 : value == 0xFF ? 2 : 4; }},
};

void ApplyInfoPairs(InfoRows& rows, const CardInfoReply& info) {
    for (auto [type, value] : info.pairs)
        for (const InfoPairRule& rule : kInfoPairRules)
            if (rule.type == type) rule.apply(rows, value);
}

// The search step: true when a card answered; otherwise the result says why not.
bool SearchStep(CardInfoResult& result, PortSetting& found, SearchProgress* progress, int probeWaitMs) {
    result.outcome = SearchCardPorts(found, progress, probeWaitMs);
    // A stop asked for while the last probe ran ends the worker before its queries.
    if (result.outcome == SearchOutcome::Found && StopRequested(progress)) result.outcome = SearchOutcome::Stopped;
    switch (result.outcome) {
        case SearchOutcome::Found:
            return true;
        case SearchOutcome::PortUnavailable:
            result.status = SerialPortMessage(result.target.port.comNumber());
            return false;
        case SearchOutcome::NoPorts:
            result.status = kNoPortFound();
            return false;
        default:
            result.status = kNoCardFound();
            return false;
    }
}

// The information query: the card's family, model and firmware go into the target; a
// control card's model becomes the target's card type. True when that type changed.
bool InfoStep(LinkTarget& t, PortSetting found, CardInfoReply& info) {
    std::array<uint8_t, 32> reply{};
    const int n = QueryCard(found, CardCommand::Info, reply);
    info = CardInfoReply::Parse(std::span<const uint8_t>(reply.data(), size_t(std::max(n, 0))));
    bool typeChanged = false;
    // The head is read whole or not at all: with it come the family and the model.
    if (info.received >= 3) {
        t.cardFamily = info.family;
        t.cardModel = info.model;
        if (info.family == 0 && t.cardType != info.model) {
            t.cardType = info.model;
            typeChanged = true;
        }
    }
    t.firmware = info.firmware;
    return typeChanged;
}

int CardIdStep(PortSetting found) {
    std::array<uint8_t, 2> idBytes{};
    return QueryCard(found, CardCommand::CardId, idBytes) == 2 ? LoadU16(idBytes.data()) : 0;
}

// The sixteen rows from the reply; the communication mode becomes the target's subtype.
void FillRowsStep(CardInfoResult& result, const CardInfoReply& info, PortSetting found, int cardId) {
    LinkTarget& t = result.target;
    InfoRows rows{result.values};
    auto& v = result.values;
    v[kTerminal] = CardKindName(info.family);
    v[kId] = Number(cardId);
    v[kSeriesCom] = Number(found.comNumber());
    v[kVersion] = FillText(u"1.0.0.100%d", {Number(t.firmware)});
    for (int row = kProtocol; row <= kAudioStorage; ++row) v[row] = u"----";
    for (int row = kUDisk; row <= kLyricShow; ++row) v[row] = kUnsupported();
    // Firmware before 3 sends no pairs worth reading.
    if (t.firmware < 3) v[kUDisk] = kUnknown();
    else ApplyInfoPairs(rows, info);
    v[kType] = FillText(u"ZU%s %s", {Pick(kZuSizes, t.cardType), kModeNames[rows.mode]});
    t.cardSubtype = uint8_t(rows.mode);
    v[kBaudRate] = FillText(u"%d(%s)", {Number(found.baudRate()), rows.baudFixed ? kFixed() : kUnfixed()});
}

}  // namespace

CardInfoResult ReadCardInfoThread(const LinkTarget& target, SearchProgress* progress, int probeWaitMs) {
    CardInfoResult result;
    result.target = target;
    PortSetting found = target.port;
    const bool searched = SearchStep(result, found, progress, probeWaitMs);
    // The remark is about the adapter of the port the search ended on (the screen's own
    // port when nothing answered), found card or not.
    if (auto path = SerialPortPath(found.comIndex)) result.adapterRemark = DetectUsbSerialChip(*path) == kChipPl2303;
    if (!searched) return result;

    CardInfoReply info;
    const bool typeChanged = InfoStep(result.target, found, info);
    if (StopRequested(progress)) {
        result.outcome = SearchOutcome::Stopped;
        result.status = kNoCardFound();
        return result;
    }
    FillRowsStep(result, info, found, CardIdStep(found));

    if (found != target.port || typeChanged) result.portSettingsChanged = true;
    result.target.port = found;
    return result;
}

LinkStatus SetScreenPower(const LinkTarget& target, bool on) {
    SerialPort port;
    if (SerialOpen(port, target.port.comIndex, target.port.baudRate()) != 0) return LinkStatus::PortFailed;
    WriteFrame(port, CardFrame::Command(0x00, on ? CardCommand::PowerOn : CardCommand::PowerOff));
    std::this_thread::sleep_for(milliseconds(10));
    SerialPurgeInput(port);
    WriteFrame(port, CardFrame::Command(0x00, CardCommand::PowerFollowUp));
    uint8_t answer = 0;
    return SerialReadByte(port, answer, 500) ? LinkStatus::Ok : LinkStatus::NoAnswer;
}

LinkStatus SyncCardClock(const LinkTarget& target) {
    SerialPort port;
    if (SerialOpen(port, target.port.comIndex, target.port.baudRate()) != 0) return LinkStatus::PortFailed;
    const CardFrame frame = CardFrame::Command(0x00, CardCommand::SetClock);
    const CardTime time = CardTime::From(CurrentLocalTime());
    std::array<uint8_t, 16> out{};
    std::copy_n(frame.bytes.data(), frame.size, out.data());
    std::copy(time.bytes.begin(), time.bytes.end(), out.data() + frame.size);
    SerialWrite(port, out.data(), out.size());
    uint8_t answer = 0, rest[5] = {};
    if (!SerialReadByte(port, answer, 100)) return LinkStatus::NoAnswer;
    SerialReadUpTo(port, rest, sizeof rest, 100);  // whatever else the card says
    return LinkStatus::Ok;
}

std::u16string NoCardMessage() { return kNoCtrlCard(); }

std::u16string PowerMessage(LinkStatus status, bool on) {
    switch (status) {
        case LinkStatus::Ok:
            return on ? kPowerOn() : kPowerOff();
        case LinkStatus::PortFailed:
            return kPortOpenFailed();
        default:
            return kNoCtrlCard();
    }
}

std::u16string ClockMessage(LinkStatus status) {
    switch (status) {
        case LinkStatus::Ok:
            return kClockSet();
        case LinkStatus::PortFailed:
            return kPortOpenFailed();
        default:
            return kNoCtrlCard();
    }
}

}  // namespace ledsuite
