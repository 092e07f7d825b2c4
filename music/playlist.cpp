#include "music/playlist.h"

#include <algorithm>
#include <cstdio>

#include "content/bytes.h"
#include "content/model/crc16.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

constexpr char kMagic[4] = {'m', 'f', 'i', 's'};
// A playlist file past this size cannot be one (65,535 rows).
constexpr size_t kMaxPlaylistFileBytes = kPlaylistFixedSize + kPlaylistEntrySize * kMaxPlaylistRows;

void PutField(ByteWriter& w, const std::u16string& text, size_t units) {
    std::vector<char16_t> field(units);
    U16ToField(field.data(), units, text);
    for (char16_t c : field) w.put_u16(uint16_t(c));
}

// A fixed UTF-16 field read up to its first NUL or its end, never past it.
std::u16string GetField(ByteReader& r, size_t units) {
    std::u16string text;
    bool ended = false;
    for (size_t i = 0; i < units; ++i) {
        char16_t c = char16_t(r.u16());
        if (c == 0) ended = true;
        if (!ended) text.push_back(c);
    }
    return text;
}

std::u16string Format3(int a, int b, int c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", a, b, c);
    return U16FromAscii(buf);
}

}  // namespace

std::array<uint8_t, kPlaylistEntrySize> EncodePlaylistEntry(const PlaylistEntry& entry) {
    std::array<uint8_t, kPlaylistEntrySize> out{};
    ByteWriter w(out.data(), out.size());
    PutField(w, entry.path, kPlaylistPathUnits);
    w.put_u16(entry.voiceRole);
    w.put_u16(0);
    w.put_u32(entry.pauseAfter);
    w.put_u32(entry.rateIndex);
    w.put_u32(entry.startTime);
    w.put_u32(entry.stopTime);
    return out;
}

PlaylistEntry DecodePlaylistEntry(std::span<const uint8_t, kPlaylistEntrySize> bytes) {
    ByteReader r(bytes.data(), bytes.size());
    PlaylistEntry e;
    e.path = GetField(r, kPlaylistPathUnits);
    e.voiceRole = r.u16();
    r.skip(2);
    e.pauseAfter = r.u32();
    e.rateIndex = r.u32();
    e.startTime = r.u32();
    e.stopTime = r.u32();
    return e;
}

std::array<uint8_t, kLrcSettingsSize> EncodeLrcSettings(const LrcSettings& s) {
    std::array<uint8_t, kLrcSettingsSize> out{};
    ByteWriter w(out.data(), out.size());
    for (uint8_t b : {s.fontHeight, s.color, s.screenColorMode, s.source, s.loop, s.voiceLanguage,
                      s.fontChipLanguage, s.moveSpeed, s.frameSent, s.alignment})
        w.put_u8(b);
    w.put_u16(s.sentencePause);
    PutField(w, s.defaultText, kLrcDefaultTextUnits);
    w.put_u16(s.signWidth);
    w.put_u16(s.signHeight);
    return out;
}

LrcSettings DecodeLrcSettings(std::span<const uint8_t, kLrcSettingsSize> bytes) {
    ByteReader r(bytes.data(), bytes.size());
    LrcSettings s;
    for (uint8_t* b : {&s.fontHeight, &s.color, &s.screenColorMode, &s.source, &s.loop, &s.voiceLanguage,
                       &s.fontChipLanguage, &s.moveSpeed, &s.frameSent, &s.alignment})
        *b = r.u8();
    s.sentencePause = r.u16();
    s.defaultText = GetField(r, kLrcDefaultTextUnits);
    s.signWidth = r.u16();
    s.signHeight = r.u16();
    return s;
}

std::vector<uint8_t> EncodePlaylistFile(const PlaylistFile& file) {
    if (file.rows.size() > kMaxPlaylistRows) return {};
    ByteWriter w;
    auto crc = w.reserve(2);
    w.put_u16(0);
    w.put_bytes(kMagic, sizeof kMagic);
    w.put_u16(uint16_t(file.rows.size()));
    w.put_bytes(EncodeLrcSettings(file.settings));
    for (const auto& row : file.rows) w.put_bytes(EncodePlaylistEntry(row));
    // The CRC covers everything after itself and is computed last.
    w.patch(crc, Crc16Modbus(w.size() - 2, w.data() + 2));
    return w.take();
}

std::optional<PlaylistFile> DecodePlaylistFile(std::span<const uint8_t> bytes) {
    if (bytes.size() < kPlaylistFixedSize) return std::nullopt;
    if (LoadU16(&bytes[2]) != 0 || !std::equal(kMagic, kMagic + 4, bytes.begin() + 4)) return std::nullopt;
    const size_t count = LoadU16(&bytes[8]);
    if (bytes.size() != kPlaylistFixedSize + kPlaylistEntrySize * count) return std::nullopt;
    if (Crc16Modbus(bytes.size() - 2, bytes.data() + 2) != LoadU16(&bytes[0])) return std::nullopt;
    PlaylistFile file;
    file.settings = DecodeLrcSettings(bytes.subspan<kPlaylistHeaderSize, kLrcSettingsSize>());
    file.rows.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        auto entry = bytes.subspan(kPlaylistFixedSize + i * kPlaylistEntrySize, kPlaylistEntrySize);
        file.rows.push_back(DecodePlaylistEntry(std::span<const uint8_t, kPlaylistEntrySize>(entry)));
    }
    return file;
}

std::string PlaylistFilePath(const std::string& folder) {
    return (folder.empty() ? GetAppDataFolder() : folder) + "/" + kPlaylistFileName;
}

bool SavePlaylistFile(const PlaylistFile& file, const std::string& path) {
    auto bytes = EncodePlaylistFile(file);
    return !bytes.empty() && WriteFileAtomic(path, bytes.data(), bytes.size());
}

std::optional<PlaylistFile> LoadPlaylistFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, kMaxPlaylistFileBytes, bytes) != ReadFileResult::Ok) return std::nullopt;
    return DecodePlaylistFile(bytes);
}

std::u16string FormatSeconds(uint32_t seconds) {
    return Format3(int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
}

std::u16string FormatPackedTime(uint32_t packed) {
    return Format3(int(packed >> 12), int((packed >> 6) & 63), int(packed & 63));
}

uint32_t PackDailyTime(int hour, int minute, int second) {
    return uint32_t(hour) << 12 | uint32_t(minute) << 6 | uint32_t(second);
}

std::u16string FormatRate(uint32_t rateIndex) {
    return U16FromAscii(std::to_string(int64_t(rateIndex) - 10));
}

std::optional<Hms> ParseHms(std::u16string_view text) {
    // Three fields of one or two digits, separated by the first two colons; a third colon
    // lands in the seconds and fails there.
    int v[3] = {0, 0, 0};
    int field = 0;
    for (int& value : v) {
        const bool last = ++field == 3;
        const size_t end = last ? text.size() : text.find(u':');
        if (end == std::u16string_view::npos || end == 0 || end > 2) return std::nullopt;
        for (char16_t c : text.substr(0, end)) {
            if (c < u'0' || c > u'9') return std::nullopt;
            value = value * 10 + (c - u'0');
        }
        text.remove_prefix(last ? end : end + 1);
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59) return std::nullopt;
    return Hms{v[0], v[1], v[2]};
}

int ClampVoiceRole(uint32_t stored, int voiceCount) {
    if (voiceCount <= 0) return int(stored);
    return int(std::min<uint32_t>(stored, uint32_t(voiceCount - 1)));
}

std::vector<uint8_t> LrcHeightChoices(uint16_t fontChip) {
    const int nibble = fontChip & 0x0F;
    const int count = nibble >= 1 && nibble <= 5 ? nibble + 1 : 0;
    return {kLrcHeights.begin(), kLrcHeights.begin() + count};
}

namespace {
// The colour items in dialog order; item 0 (Monochrome) also takes every other value.
constexpr std::array<uint8_t, 6> kColorItems = {kLrcColorMono,   kLrcColorRed,    kLrcColorGreen,
                                                kLrcColorYellow, kLrcColorRandom, kLrcColorAuto};
}  // namespace

int LrcColorItem(uint8_t color) {
    auto it = std::find(kColorItems.begin(), kColorItems.end(), color);
    return it == kColorItems.end() ? 0 : int(it - kColorItems.begin());
}

uint8_t LrcColorFromItem(int item) {
    return item >= 0 && item < int(kColorItems.size()) ? kColorItems[size_t(item)] : uint8_t(kLrcColorMono);
}

int MoveSpeedItem(uint8_t speed) {
    if (speed == kMoveSpeedAuto) return 0;
    return std::clamp<int>(speed, kMoveSpeedMin, kMoveSpeedMax) - kMoveSpeedMin + 1;
}

uint8_t MoveSpeedFromItem(int item) {
    if (item <= 0) return kMoveSpeedAuto;
    return uint8_t(std::clamp(item + kMoveSpeedMin - 1, int(kMoveSpeedMin), int(kMoveSpeedMax)));
}

}  // namespace ledsuite
