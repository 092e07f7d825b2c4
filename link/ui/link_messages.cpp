#include "link/ui/link_messages.h"

#include "toolkit/message_box.h"

namespace ledsuite {

LinkMessageSink MessageBoxSinkFor(QWidget* parent) {
    return [parent](const std::u16string& text, const std::u16string& caption, uint32_t type) {
        return MessageBoxFx(parent, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
    };
}

}  // namespace ledsuite
