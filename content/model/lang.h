#pragma once
// UI language choice and localized texts; packed date and time words.
#include <cstdint>
#include <string>

namespace ledsuite {

// One row per UI text: Simplified Chinese, Traditional Chinese, English.
struct LangText {
    const char16_t* text[3];
    const char16_t* operator()() const;               // the text for UiLanguageIndex()
    const char16_t* at(int index) const { return text[index < 0 || index > 2 ? 2 : index]; }
};

// The user's choice: 0 automatic, 1 Simplified Chinese, 2 Traditional Chinese, 3 English.
uint32_t UiLanguageSetting();
// The language in use: 0 Simplified Chinese, 1 Traditional Chinese, 2 English.
// Both are 2 before the first SetUiLanguage.
uint32_t UiLanguageIndex();

// Applies a language choice (only the low 16 bits count). Automatic asks the
// system UI language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
void SetUiLanguage(uint32_t setting);

// The system UI language as a Windows language id (0x804, 0x404, 0xC04, 0x409, 0x411),
// or 0 when the locale maps to none of them. `lookup` reads an environment
// variable (getenv when null).
uint16_t SystemUiLanguageId(const char* (*lookup)(const char*) = nullptr);
// Tests replace the environment lookup SetUiLanguage uses; null restores getenv.
void SetUiLanguageEnvForTests(const char* (*lookup)(const char*));
// Back to the start state (both values 2).
void ResetUiLanguageForTests();

// (year % 100) << 9 | month << 5 | day
uint16_t PackDate(int year, int month, int day);
// hour << 11 | minute << 5 | second / 2
uint16_t PackTime(int hour, int minute, int second);
// Today's packed date from the local clock.
uint16_t TodayPackedDate();
// Fields of a packed date (year as 2000 + the stored two digits).
void UnpackDate(uint16_t word, int& year, int& month, int& day);
void UnpackTime(uint16_t word, int& hour, int& minute, int& second);
// "%02d:%02d:%02d" of a packed time word, fields as they are (0x7FFF gives "15:63:62").
std::string FormatDosTime(uint16_t word);

}  // namespace ledsuite
