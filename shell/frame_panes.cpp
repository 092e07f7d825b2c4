#include "shell/frame_panes.h"

#include "editors/ui/edit_ctrl.h"
#include "editors/ui/properties_wnd.h"
#include "shell/zu_view.h"
#include "toolkit/message_box.h"

namespace ledsuite {

FramePanes DefaultFramePanes() {
    FramePanes panes;
    panes.view = [](QWidget* parent, InternalChannel* channel) {
        auto* view = new CZUView(parent, channel);
        return Pane{view, view};
    };
    panes.propertyWindow = [](QWidget* parent, InternalChannel* channel) {
        auto* window = new CPropertiesWnd(parent, channel);
        return Pane{window, window};
    };
    panes.textEditor = [](QWidget* parent, InternalChannel* channel) {
        auto* editor = new CEditCtrl(parent, channel);
        return Pane{editor, editor};
    };
    // The music pane, program lists and multi-screen page join here as their windows
    // are built.
    return panes;
}

MessageSink MessageBoxSink(QWidget* parent) {
    return [parent](const std::u16string& text, const char16_t* caption) {
        MessageBoxFx(parent, text.c_str(), caption, MB_OK);
    };
}

}  // namespace ledsuite
