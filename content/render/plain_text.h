#pragma once
// The plain text of a program for the speech engine, its split points at
// punctuation, and the loader of text files dropped on the editor or spoken from the
// playlist.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/render/text_layout.h"

namespace ledsuite {

// The characters of the text without pictures, tables, clocks and the date, time,
// name and value fields (U+E010-U+E018, U+E020-U+E024, U+E028-U+E02C).
std::u16string PlainTextOf(const TextView& text);

// Split points for speech: 0 first, then the 1-based position of every punctuation
// character (line feed, carriage return, ! , . : ; ? and their full-width forms
// U+FF0C U+3002 U+FF01 U+FF1A U+FF1B U+FF1F) that follows at least one other
// character since the last split point.
std::vector<int> ListPunctuationBreaks(std::u16string_view text);
std::vector<int> ListPunctuationBreaksInCells(const TextView& text);

// A text file's bytes as UTF-16, up to the first NUL: UTF-16 after a byte-order mark
// of either order (an odd trailing byte dropped), UTF-8 after its signature or when
// the bytes are valid UTF-8, else the legacy code page. None for no bytes.
std::optional<std::u16string> DecodeTextFile(std::string_view bytes);
// The same decoding over all the bytes, NULs kept as characters (for readers that take a
// file line by line, where a NUL ends only its own line).
std::u16string DecodeTextBytes(std::string_view bytes);
// No larger text file is read.
constexpr size_t kMaxTextFileBytes = size_t(64) << 20;
// Reads and decodes a whole file; none when it cannot be read, is larger than
// kMaxTextFileBytes or is empty.
std::optional<std::u16string> LoadTextFile(const std::string& path);

}  // namespace ledsuite
