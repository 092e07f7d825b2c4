#pragma once
// One song's lyrics from an LRC file: the header tags and the time-stamped lines, kept
// sorted by time so that the playback thread finds the line of a play position.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

struct LineLyric {
    uint32_t time = 0;  // milliseconds
    std::u16string text;
    bool operator==(const LineLyric&) const = default;
};

// No larger lyric file is read.
inline constexpr size_t kMaxLyricFileBytes = size_t(4) << 20;
// Lines longer than this are cut; the rest of such a line is dropped.
inline constexpr size_t kLyricLineUnits = 511;

class FLyric {
public:
    std::u16string ar;  // artist
    std::u16string ti;  // title
    std::u16string al;  // album
    std::u16string by;  // author of the file
    int32_t offset = 0; // milliseconds subtracted from every time
    std::u16string key;

    // Clears the model and reads the file. A file that cannot be read leaves the model
    // empty, prints "FLyric::Load: read file %s failed!\r\n" and returns false.
    bool Load(const std::string& path);
    // The same from the file's bytes: UTF-16 after a byte-order mark, else 8-bit text (a
    // UTF-8 signature dropped; UTF-8 when the bytes are valid UTF-8, else the code page),
    // line by line: a NUL ends the line it stands in.
    void LoadBytes(std::string_view bytes);
    void Clear();

    size_t GetLineCount() const { return lines_.size(); }
    const LineLyric& GetLine(size_t index) const { return lines_[index]; }
    const std::vector<LineLyric>& Lines() const { return lines_; }
    // The last line whose time is at most `ms`; -1 when none.
    int LineAt(uint32_t ms) const;

private:
    void ParseLine(std::u16string_view line);
    void TakeHeaderTag(std::u16string_view tag);
    void AddLine(uint32_t time, std::u16string_view text);

    std::vector<LineLyric> lines_;
    bool acceptHeader_ = true; // until the first timed line
    int32_t shift_ = 0;
};

// The milliseconds of a time tag's inside ("mm:ss.xx"); -1 when it is not one.
int64_t ParseLyricTimeTag(std::u16string_view tag);

}  // namespace ledsuite
