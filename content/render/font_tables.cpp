#include "content/render/font_tables.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "content/render/font_renderer.h"
#include "content/model/file_names.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"

namespace ledsuite {

// res/fonts.conf maps each of these to a Debian font.
const char16_t* const kCardFaceNames[] = {u"宋体",   u"黑体",   u"楷体",  u"准圆",        u"SimSun",
                                          u"SimHei", u"KaiTi", u"Courier New", u"Courier"};

std::span<const char16_t* const> CardFaceNames() { return kCardFaceNames; }

namespace {


const char16_t kSongFace[] = u"宋体";

uint8_t CharsetOf(const FcPattern* font) {
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(font, FC_LANG, 0, &langs) != FcResultMatch) return kCharsetDefault;
    static const std::pair<const char*, uint8_t> kByLanguage[] = {
        {"zh-cn", kCharsetGb2312}, {"zh-tw", kCharsetBig5}, {"ja", kCharsetShiftJis},
        {"ko", kCharsetHangul},    {"th", kCharsetThai},
    };
    for (const auto& [lang, charset] : kByLanguage)
        if (FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>(lang)) == FcLangEqual) return charset;
    return kCharsetDefault;
}

// A card face name counts as installed when the font fontconfig picks for it
// carries the family the configuration put first for that name.
bool CardFaceInstalled(FcConfig* config, const std::u16string& name, uint8_t& charset) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(WideToUtf8(name).c_str()));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    bool installed = false;
    FcChar8* wanted = nullptr;
    FcResult result;
    FcPattern* font = FcFontMatch(config, pattern, &result);
    if (font && FcPatternGetString(pattern, FC_FAMILY, 0, &wanted) == FcResultMatch) {
        FcChar8* family = nullptr;
        for (int i = 0; !installed && FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            installed = FcStrCmp(family, wanted) == 0;
        charset = CharsetOf(font);
    }
    if (font) FcPatternDestroy(font);
    FcPatternDestroy(pattern);
    return installed;
}

bool EndsWithSoundExtension(std::u16string_view name) {
    if (name.size() < 4) return false;
    const std::u16string_view ext = name.substr(name.size() - 4);
    return EqualsIgnoreAsciiCase(ext, u".wav") || EqualsIgnoreAsciiCase(ext, u".mp3");
}

}  // namespace

bool FontNameTable::AddInstalledFace(std::u16string_view fullName, uint8_t charset) {
    if (names.size() >= kMaxInstalledFaces || fullName.empty()) return false;
    if (fullName[0] == u'@' && (fullName.size() == 1 || fullName[1] < 0x100)) return false;
    char16_t field[kFaceNameUnits + 1];
    U16ToField(field, kFaceNameUnits + 1, fullName);  // never cuts a surrogate pair
    std::u16string stored = U16FromField(field, kFaceNameUnits + 1);
    if (IndexOf(stored) >= 0) return false;  // compared in the stored form
    names.push_back(std::move(stored));
    charsets.push_back(charset);
    return true;
}

int FontNameTable::IndexOf(std::u16string_view name) const {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return int(i);
    return -1;
}

int FontNameTable::IndexContaining(std::u16string_view part) const {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].find(part) != std::u16string::npos) return int(i);
    return -1;
}

FontNameTable EnumerateInstalledFaces() {
    FcConfig* config = SuiteFontConfig();
    std::vector<std::pair<uint8_t, std::u16string>> found;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_LANG, nullptr);
    if (FcFontSet* fonts = FcFontList(config, all, objects)) {
        for (int f = 0; f < fonts->nfont; ++f) {
            const uint8_t charset = CharsetOf(fonts->fonts[f]);
            FcChar8* family = nullptr;
            for (int i = 0; FcPatternGetString(fonts->fonts[f], FC_FAMILY, i, &family) == FcResultMatch; ++i)
                found.emplace_back(charset, Utf8ToWide(reinterpret_cast<const char*>(family)));
        }
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(all);
    for (const char16_t* name : kCardFaceNames) {
        uint8_t charset = kCharsetDefault;
        if (CardFaceInstalled(config, name, charset)) found.emplace_back(charset, name);
    }
    // Set by set, as the card platform enumerates them; a face keeps the first set it is found under.
    std::sort(found.begin(), found.end());
    FontNameTable table;
    for (const auto& [charset, name] : found) {
        if (table.count() == kMaxInstalledFaces) break;
        table.AddInstalledFace(name, charset);
    }
    return table;
}

// ---- FontTableSet ------------------------------------------------------------

void FontTableSet::SetInstalled(FontNameTable table) {
    installed_ = std::move(table);
    facePresent_ = installed_.IndexOf(kSongFace) >= 0 || installed_.IndexOf(u"Courier") >= 0;
}

bool FontTableSet::SetDefaultCardFonts(uint16_t fontChip) {
    if (cachedChip_ == fontChip) return false;
    cachedChip_ = fontChip;
    defaults_ = DefaultFontTable{};
    defaults_.names[0] = facePresent_ ? kSongFace : u"Courier New";
    defaults_.count = 1;
    if (fontChip != kFontChipFourFaces) return true;
    defaults_.names[1] = u"黑体";
    defaults_.count = 2;
    auto findFace = [this](std::u16string_view part) -> const std::u16string* {
        for (const auto& name : installed_.names)
            if (name.find(part) != std::u16string::npos && name.find(u'@') == std::u16string::npos &&
                name.find(u"繁体") == std::u16string::npos)
                return &name;
        return nullptr;
    };
    const std::u16string* kai = findFace(u"楷体");
    const std::u16string* round = findFace(u"准圆");
    if (kai) defaults_.names[2] = *kai;
    if (round) defaults_.names[3] = *round;
    if (kai && round) defaults_.count = 4;  // an entry found alone is kept but not counted
    return true;
}

uint16_t FontTableSet::DefaultFontIndex() const { return uint16_t(std::max(0, installed_.IndexOf(kSongFace))); }

uint16_t FontTableSet::DefaultFontIndexOf(std::u16string_view name) const {
    if (defaults_.count <= 1) return 0;
    for (uint16_t i = 0; i < defaults_.count; ++i)
        if (defaults_.names[i].find(name) != std::u16string::npos) return i;
    return 0;
}

uint16_t FontTableSet::InstalledFontIndexOf(std::u16string_view name) const {
    const int i = installed_.IndexContaining(name);
    return i >= 0 ? uint16_t(i) : DefaultFontIndex();
}

uint16_t FontTableSet::InstalledToDefaultIndex(uint16_t installedIndex) const {
    if (installed_.count() == 0) return 0;
    if (installedIndex >= installed_.count()) installedIndex = 0;
    return DefaultFontIndexOf(installed_.names[installedIndex]);
}

uint16_t FontTableSet::DefaultToInstalledIndex(uint16_t defaultIndex) const {
    if (defaultIndex >= defaults_.count) defaultIndex = 0;
    return InstalledFontIndexOf(defaults_.names[defaultIndex]);
}

namespace {

// The sound files of one folder by name: names ending in ".wav" or ".mp3" (ASCII case
// folded) of at most 127 units. None for a missing folder.
std::vector<std::u16string> SoundFilesIn(const std::string& folder) {
    std::vector<std::u16string> names;
    for (FolderFile& file : FilesIn(folder))
        if (file.name.size() <= 127 && EndsWithSoundExtension(file.name)) names.push_back(std::move(file.name));
    std::sort(names.begin(), names.end());
    // A name in UTF-8 and the same letters in Latin-1 read alike: one entry, which opens the first.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

void FontTableSet::ScanSoundFix(const std::string& shipped, const std::string& user) {
    soundFix_ = SoundFilesIn(shipped);
    const size_t shippedCount = soundFix_.size();
    if (user.empty()) return;
    for (std::u16string& name : SoundFilesIn(user))
        if (!std::binary_search(soundFix_.begin(), soundFix_.begin() + long(shippedCount), name))
            soundFix_.push_back(std::move(name));
}

// ---- the process-wide tables ---------------------------------------------

namespace {
std::mutex g_tablesMutex;
FontTableSet g_tables;

template <class F>
auto WithTables(F&& f) {
    std::lock_guard<std::mutex> lock(g_tablesMutex);
    return f(g_tables);
}
}  // namespace

void BuildFontTables() {
    FontNameTable installed = EnumerateInstalledFaces();
    const std::string shipped = ResourcePath(kSoundFixFolder), user = UserDataPath(kSoundFixFolder);
    WithTables([&](FontTableSet& t) {
        t.SetInstalled(std::move(installed));
        t.ScanSoundFix(shipped, user);
    });
}

void SetDefaultCardFonts(uint16_t fontChip) {
    WithTables([&](FontTableSet& t) { t.SetDefaultCardFonts(fontChip); });
}
uint16_t DefaultFontIndex() {
    return WithTables([](FontTableSet& t) { return t.DefaultFontIndex(); });
}
uint16_t DefaultFontIndexOf(std::u16string_view name) {
    return WithTables([&](FontTableSet& t) { return t.DefaultFontIndexOf(name); });
}
uint16_t InstalledFontIndexOf(std::u16string_view name) {
    return WithTables([&](FontTableSet& t) { return t.InstalledFontIndexOf(name); });
}
uint16_t InstalledToDefaultIndex(uint16_t installedIndex) {
    return WithTables([&](FontTableSet& t) { return t.InstalledToDefaultIndex(installedIndex); });
}
uint16_t DefaultToInstalledIndex(uint16_t defaultIndex) {
    return WithTables([&](FontTableSet& t) { return t.DefaultToInstalledIndex(defaultIndex); });
}
std::u16string InstalledFontName(uint16_t index) {
    return WithTables([&](FontTableSet& t) {
        return index < t.installed().count() ? t.installed().names[index] : std::u16string();
    });
}
std::u16string DefaultFontName(uint16_t index) {
    return WithTables([&](FontTableSet& t) {
        return index < t.defaults().count ? t.defaults().names[index] : std::u16string();
    });
}
FontNameTable InstalledFontTable() {
    return WithTables([](FontTableSet& t) { return t.installed(); });
}
DefaultFontTable DefaultFonts() {
    return WithTables([](FontTableSet& t) { return t.defaults(); });
}
std::optional<std::u16string> SoundFixName(size_t index) {
    return WithTables([&](FontTableSet& t) -> std::optional<std::u16string> {
        if (index >= t.soundFix().size()) return std::nullopt;
        return t.soundFix()[index];
    });
}

std::string SoundFixPath(std::u16string_view name) {
    if (name.empty() || name.find_first_of(u"/\\") != std::u16string_view::npos) return {};
    const std::string shipped = ResourcePath(kSoundFixFolder);
    if (auto path = FindFileNamed(UserDataPath(kSoundFixFolder), name)) return *path;
    if (auto path = FindFileNamed(shipped, name)) return *path;
    return shipped + "/" + WideToUtf8(name);  // missing: named as it would be, for the message
}

void FillFaceLists(std::vector<std::u16string>& installed, std::vector<std::u16string>& defaults,
                   uint32_t& defaultFontIndex) {
    WithTables([&](FontTableSet& t) {
        installed = t.installed().names;
        defaultFontIndex = t.DefaultFontIndex();
        defaults.assign(t.defaults().names.begin(), t.defaults().names.begin() + t.defaults().count);
    });
}

FontDesc SmallFont() { return FontDesc{kSongFace, 11, 400}; }

}  // namespace ledsuite
