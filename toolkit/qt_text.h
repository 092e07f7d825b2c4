#pragma once
// The one conversion between the core's UTF-16 text (std::u16string, LangText rows)
// and QString. Both hold UTF-16 code units, so nothing is re-encoded.
#include <string>
#include <string_view>

#include <QString>

#include "content/model/lang.h"

namespace ledsuite {

inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}
inline QString ToQString(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }
// The text of a LangText row in the language in use.
inline QString ToQString(const LangText& row) { return ToQString(row()); }
inline std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

}  // namespace ledsuite
