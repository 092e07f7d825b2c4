#pragma once
// Qt's own texts (file choosers, standard buttons, the boxes inside them) in the interface
// language, and the one signal every widget re-labels itself on.
#include <cstdint>

#include <QString>

namespace ledsuite {

// The name of Qt's translation for a language index (0 Simplified Chinese, 1 Traditional
// Chinese, 2 English): "qtbase_zh_CN", "qtbase_zh_TW", or empty (Qt's texts are English).
QString QtTranslationName(uint32_t languageIndex);

// Swaps Qt's translation for the one of `languageIndex` (none for English; a missing file
// leaves Qt in English) and sends QEvent::LanguageChange to every widget at once, so each
// re-labels itself in its changeEvent. True when the language's translation is in use.
// Needs the application object.
bool ApplyQtLanguage(uint32_t languageIndex);

}  // namespace ledsuite
