#pragma once
// Speech markup: texts may carry the speech elements that callers have always written
// (silence, rate, volume, pitch, emph, spell and the structural ones). espeak-ng obeys
// SSML instead, so a text is translated into SSML before it is synthesised: elements with
// an SSML counterpart become it, every other element is dropped (its text is kept), and
// whatever is not well-formed markup (a lone "<" or "&") is text and is escaped.
// No espeak-ng here: this is plain text work, fuzzed on its own.
#include <string>
#include <string_view>

namespace kipvoice_detail {

// Words a minute for a rate of -10..10: 175 (the voices' normal speed) at 0, 80 at -10 and
// 449 at 10 (espeak-ng's range), evenly on a logarithmic scale on each side, so every rate
// has its own speed.
int RateToWordsPerMinute(int rate);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The text as UTF-8 SSML for espeak-ng's SSML mode. `rate` (-10..10) is the rate the voice
// speaks at: relative rate changes start from it, and rates are given to espeak-ng as
// percentages of its speed.
std::string MarkupToSsml(std::u16string_view text, int rate);

}  // namespace kipvoice_detail
