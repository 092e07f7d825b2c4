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
    panes.musicPane = [](QWidget* parent, InternalChannel* channel) {
        auto* music = new CMusicCtrl(parent, channel);
        return Pane{music, music};
    };
    panes.programList = [](QWidget* parent, InternalChannel* channel) {
        auto* list = new ListViewProgramEdit(parent, channel);
        return Pane{list, list};
    };
    panes.multiPage = [](QWidget* parent, InternalChannel* channel, ServerSession& server) {
        auto* page = new CViewMulti(parent, channel, &server.Groups(), server.Socket());
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
