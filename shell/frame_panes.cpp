#include "shell/frame_panes.h"

#include "editors/ui/edit_ctrl.h"
#include "editors/ui/properties_wnd.h"
#include "music/ui/music_ctrl.h"
#include "shell/list_view_program_edit.h"
#include "shell/server_session.h"
#include "shell/view_multi.h"
#include "shell/zu_view.h"
#include "toolkit/message_box.h"

namespace ledsuite {

namespace {

// A maker of a pane whose window is also its relay target.
template <class Window>
PaneMaker MakerOf() {
    return [](QWidget* parent, InternalChannel* channel) {
        auto* window = new Window(parent, channel);
        return Pane{window, window};
    };
}

}  // namespace

FramePanes DefaultFramePanes() {
    FramePanes panes;
    panes.view = MakerOf<CZUView>();
    panes.propertyWindow = MakerOf<CPropertiesWnd>();
    panes.textEditor = MakerOf<CEditCtrl>();
    panes.musicPane = MakerOf<CMusicCtrl>();
    panes.programList = MakerOf<ListViewProgramEdit>();
    panes.multiPage = [](QWidget* parent, InternalChannel* channel, ServerSession& server) {
        auto* page = new CViewMulti(parent, channel, &server);
        page->FillFromGroupTable();
        return Pane{page, page};
    };
    return panes;
}

MessageSink MessageBoxSink(QWidget* parent) {
    return [parent](const std::u16string& text, const char16_t* caption) {
        MessageBoxFx(parent, text.c_str(), caption, MB_OK);
    };
}

}  // namespace ledsuite
