#pragma once
// Text helpers shared by the card link's messages.
#include <initializer_list>
#include <string>
#include <string_view>

namespace ledsuite {

// Replaces each "%d" or "%s" of `format`, in order, by the next argument.
std::u16string FillText(std::u16string_view format, std::initializer_list<std::u16string_view> args);

// "Series port %d doesn't exist or has been opened by other application", localized.
std::u16string SerialPortMessage(int comNumber);

}  // namespace ledsuite
