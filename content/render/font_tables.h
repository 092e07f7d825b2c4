#pragma once
// The face-name tables that a text cell's font index points into: the faces
// installed on the machine (texts in system-font mode) and up to four default
// faces that stand for the card's font set (texts bound to a card font set);
// with them the fixed sound files offered as prefix and suffix sounds.
//
// Installed faces come from fontconfig through the suite's configuration
// (res/fonts.conf): every family name of every font, localised names included,
// and the card's own face names ("宋体", "黑体", "楷体", "准圆", "Courier New",
// "Courier", ...) that the configuration maps to an installed font.
//
// One process-wide FontTableSet is filled at start-up (BuildFontTables) and read
// by the free functions below, which lock it; they may be called from any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/render/font_desc.h"

namespace ledsuite {

constexpr size_t kMaxInstalledFaces = 1024;
constexpr size_t kFaceNameUnits = 64;  // units of a face name that are kept
constexpr size_t kMaxDefaultFaces = 4;
constexpr uint16_t kFontChipFourFaces = 0x31;  // the font chip whose set has four faces

// Character-set bytes of the card platform recorded with each installed face.
enum FaceCharset : uint8_t {
    kCharsetDefault = 0,
    kCharsetShiftJis = 128,
    kCharsetHangul = 129,
    kCharsetGb2312 = 134,
    kCharsetBig5 = 136,
    kCharsetThai = 222,
};

struct FontNameTable {
    std::vector<std::u16string> names;  // at most kMaxInstalledFaces, each at most kFaceNameUnits
    std::vector<uint8_t> charsets;      // parallel: the set the face was first found under

    uint16_t count() const { return uint16_t(names.size()); }
    // Adds one enumerated face: skipped when the table is full, the name is empty,
    // its stored form (the first 64 units) is already there, or it is the vertical
    // variant of a Latin face ("@" followed by a character below U+0100).
    // True when stored.
    bool AddInstalledFace(std::u16string_view fullName, uint8_t charset);
    // The first entry named exactly `name`, or -1.
    int IndexOf(std::u16string_view name) const;
    // The first entry that contains `part`, or -1.
    int IndexContaining(std::u16string_view part) const;
};

struct DefaultFontTable {
    std::array<std::u16string, kMaxDefaultFaces> names;
    uint16_t count = 0;  // 0 until the first fill
};

// The card's face names ("宋体", "黑体", "楷体", "准圆", "Courier New", ...) that the suite's
// font configuration maps to installed fonts; the installed table lists each one found.
std::span<const char16_t* const> CardFaceNames();

// The installed faces fontconfig knows under the suite's configuration, in a
// stable order: by character set (0 first), then by name.
FontNameTable EnumerateInstalledFaces();

// Font tables and the fixed-sound list.
class FontTableSet {
public:
    // Takes a filled installed table and sets the face-presence flag (a face named
    // exactly "宋体" or "Courier" is there).
    void SetInstalled(FontNameTable table);
    const FontNameTable& installed() const { return installed_; }
    const DefaultFontTable& defaults() const { return defaults_; }
    bool facePresent() const { return facePresent_; }

    // Refills the default table for a font chip, unless it was filled for the
    // same chip before: entry 0 "宋体" (or "Courier New" when the face-presence
    // flag is clear); for chip 0x31 also "黑体" and the first installed faces
    // containing "楷体" and "准圆" (without "@" or "繁体"), all four counted only
    // when both are found. True when the table was refilled.
    bool SetDefaultCardFonts(uint16_t fontChip);
    // The installed index of the face named exactly "宋体", or 0.
    uint16_t DefaultFontIndex() const;
    // The first default entry that contains `name` (0 when there is at most one entry, or none).
    uint16_t DefaultFontIndexOf(std::u16string_view name) const;
    // The first installed entry that contains `name`, else DefaultFontIndex().
    uint16_t InstalledFontIndexOf(std::u16string_view name) const;
    // Index translation when a text is bound to a card font set (installed to
    // default) and when it returns to system fonts (default to installed); an
    // index at or past its table's count is taken as 0.
    uint16_t InstalledToDefaultIndex(uint16_t installedIndex) const;
    uint16_t DefaultToInstalledIndex(uint16_t defaultIndex) const;

    // Rebuilds the fixed-sound list: the files whose names end in ".wav" or ".mp3"
    // (ASCII case folded) and are at most 127 units long, those of the shipped folder
    // by name, then those of the user's folder by name that the shipped one has not
    // (a name in both is listed once; SoundFixPath plays the user's file). A missing
    // folder adds nothing.
    void ScanSoundFix(const std::string& shipped, const std::string& user = {});
    const std::vector<std::u16string>& soundFix() const { return soundFix_; }

private:
    FontNameTable installed_;
    DefaultFontTable defaults_;
    int32_t cachedChip_ = -1;  // no u16 font-chip code equals it: the first call always fills
    bool facePresent_ = false;
    std::vector<std::u16string> soundFix_;
};

// ---- the process-wide tables ---------------------------------------------

// The folder of the fixed sounds, both among the resources (shipped, read only) and
// among the user's data ("$XDG_DATA_HOME/ledsuite/zu_soundfix", where a user adds
// sounds of their own).
inline constexpr char kSoundFixFolder[] = "zu_soundfix";

// Start-up: the installed table from fontconfig, the face-presence flag and the
// fixed-sound list of the shipped and the user's "zu_soundfix" folders (the user's
// folder is made when missing, so that it is there to put sounds into).
void BuildFontTables();
// Refills the default table for the screen's font chip (see FontTableSet).
void SetDefaultCardFonts(uint16_t fontChip);
uint16_t DefaultFontIndex();
uint16_t DefaultFontIndexOf(std::u16string_view name);
uint16_t InstalledFontIndexOf(std::u16string_view name);
uint16_t InstalledToDefaultIndex(uint16_t installedIndex);
uint16_t DefaultToInstalledIndex(uint16_t defaultIndex);
// A face name by index; empty past the table's count.
std::u16string InstalledFontName(uint16_t index);
std::u16string DefaultFontName(uint16_t index);
// Copies of the current tables.
FontNameTable InstalledFontTable();
DefaultFontTable DefaultFonts();
// The index-th fixed sound file name, none past the list's end.
std::optional<std::u16string> SoundFixName(size_t index);
// The file a fixed sound's name stands for: the user's file of that name when there is
// one (so a user can replace a shipped sound), else the shipped one; a listed name opens
// the file it was listed for, whatever the bytes of that name (FindFileNamed). Empty for
// an empty name and for one with a separator, which would reach outside the folders.
std::string SoundFixPath(std::u16string_view name);

// The two face lists the text cells resolve a font index with, and the installed
// index that new fields and unmatched faces take (DefaultFontIndex), read at once.
void FillFaceLists(std::vector<std::u16string>& installed, std::vector<std::u16string>& defaults,
                   uint32_t& defaultFontIndex);
template <class Lists>
Lists MakeFaceLists() {
    Lists lists;
    FillFaceLists(lists.installed, lists.defaults, lists.defaultFontIndex);
    return lists;
}

// The font of characters outside 0x20..0x7E in 8-pixel text: "宋体", height 11,
// regular (drawn one pixel above the cell's top).
FontDesc SmallFont();

}  // namespace ledsuite
