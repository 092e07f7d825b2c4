#pragma once
// How the card dialogs tell the user something: a sink that shows a message box and
// answers its button (IDOK, IDYES, ...). Tests put a recording sink in its place.
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace ledsuite {

using LinkMessageSink = std::function<int(const std::u16string& text, const std::u16string& caption, uint32_t type)>;
// MessageBoxFx over `parent`.
LinkMessageSink MessageBoxSinkFor(QWidget* parent);

}  // namespace ledsuite
