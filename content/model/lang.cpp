#include "content/model/lang.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "content/model/clock.h"

namespace ledsuite {

namespace {
std::atomic<uint32_t> g_setting{2};
std::atomic<uint32_t> g_index{2};
std::atomic<const char* (*)(const char*)> g_envLookup{nullptr};

const char* DefaultLookup(const char* name) { return std::getenv(name); }
}  // namespace

const char16_t* LangText::operator()() const { return at(int(g_index.load())); }

uint32_t UiLanguageSetting() { return g_setting.load(); }
uint32_t UiLanguageIndex() { return g_index.load(); }

uint16_t SystemUiLanguageId(const char* (*lookup)(const char*)) {
    if (!lookup) lookup = DefaultLookup;
    // The first variable that is set decides; LANGUAGE may list several, the first counts.
    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::string value;
    for (const char* n : names) {
        const char* v = lookup(n);
        if (v && *v) {
            value = v;
            break;
        }
    }
    if (value.empty()) return 0;
    if (auto colon = value.find(':'); colon != std::string::npos) value.resize(colon);
    // Strip ".UTF-8" and "@modifier".
    if (auto dot = value.find_first_of(".@"); dot != std::string::npos) value.resize(dot);
    std::string_view v = value;
    if (v == "C" || v == "POSIX" || v == "en" || v.starts_with("en_")) return 0x409;
    if (v == "zh_CN" || v == "zh_SG") return 0x804;
    if (v == "zh_TW") return 0x404;
    if (v == "zh_HK" || v == "zh_MO") return 0xC04;
    if (v == "ja" || v.starts_with("ja_")) return 0x411;  // Japanese, which the automatic choice shows in English
    return 0;
}

void SetUiLanguageEnvForTests(const char* (*lookup)(const char*)) { g_envLookup = lookup; }

void ResetUiLanguageForTests() {
    g_setting = 2;
    g_index = 2;
}

void SetUiLanguage(uint32_t setting) {
    setting &= 0xFFFF;
    uint32_t index = g_index.load();
    bool skipClamp = false;
    if (setting != 0) {
        index = setting - 1;
    } else {
        switch (SystemUiLanguageId(g_envLookup.load())) {
            case 0x804: index = 0; break;
            case 0x404:
            case 0xC04: index = 1; break;
            case 0x409:
            case 0x411: index = 2; skipClamp = true; break;
            default: break;  // an unmapped language keeps the index
        }
    }
    if (!skipClamp && index > 2) index = 0;
    if (setting > 3) setting = 1;
    g_setting = setting;
    g_index = index;
}

uint16_t PackDate(int year, int month, int day) {
    return uint16_t(((year % 100) << 9) | (month << 5) | day);
}

uint16_t PackTime(int hour, int minute, int second) {
    return uint16_t((hour << 11) | (minute << 5) | (second / 2));
}

uint16_t TodayPackedDate() {
    LocalTime t = CurrentLocalTime();
    return PackDate(t.year, t.month, t.day);
}

void UnpackDate(uint16_t word, int& year, int& month, int& day) {
    year = 2000 + (word >> 9);
    month = (word >> 5) & 0x0F;
    day = word & 0x1F;
}

void UnpackTime(uint16_t word, int& hour, int& minute, int& second) {
    hour = word >> 11;
    minute = (word >> 5) & 0x3F;
    second = (word & 0x1F) * 2;
}

std::string FormatDosTime(uint16_t word) {
    int h, m, s;
    UnpackTime(word, h, m, s);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
    return buf;
}

}  // namespace ledsuite
