#include "shell/relay.h"

#include <QMetaObject>

#include "content/model/records.h"

namespace ledsuite {

namespace {
int gNavigationMode = 0;
}  // namespace

int NavigationMode() { return gNavigationMode; }
void ResetNavigationModeForTests() { gNavigationMode = 0; }

intptr_t Relay::send(int code, intptr_t arg) {
    if (frame_ && (code == IMC_REDRAW_LAYOUT || code == IMC_SET_PROGRAM_KIND || code == IMC_AREA_GEOMETRY_CHANGED ||
                   code == IMC_SCREEN_SELECTED))
        frame_->OnContentChanged(code);
    switch (code) {
        case IMC_SET_VIEW_MODE:
            return SetViewMode(arg);
        case IMC_GET_SCREEN_RECORD:
        case IMC_GET_ACTIVE_TREE:
            return ToSingle(code, arg);
        case IMC_FILE_SAVE:
        case IMC_FILE_SAVE_TO:
            // What is being typed belongs in the file.
            CommitPendingEdit();
            return ToSingle(code, arg);
        case IMC_COMMIT_PENDING_EDIT:
            CommitPendingEdit();
            return 0;
        case IMC_FILE_OPEN:
            return ToSingle(code, 0);
        case IMC_REDRAW_LAYOUT:
        case IMC_GET_VEHICLE_LIST: {
            InternalTarget* view = View();
            return view ? view->onInternal(code, arg) : -1;
        }
        case IMC_RELAYOUT_TEXT:
        case IMC_SCREEN_SELECTED:
        case IMC_PROGRAMS_SELECTED:
        case IMC_PROGRAM_SELECTED:
            return Selection(code, arg);
        case IMC_SET_PROGRAM_KIND:
            if (arg == 255) To(panes_.propertyWindow, code, arg);
            return ToSingle(code, arg);
        case IMC_AREA_GEOMETRY_CHANGED:
            // The grid shows the area again, and the text editor breaks its lines for the new size.
            To(panes_.propertyWindow, code, arg);
            To(panes_.editorHost, IMC_RELAYOUT_TEXT, 1);
            return 0;
        case IMC_STARTUP_DONE: {
            To(panes_.editorHost, code, arg);
            // The vehicle list goes to the page that fills it (the multi-screen page).
            InternalTarget* view = View();
            const intptr_t vehicles = view ? view->onInternal(IMC_GET_VEHICLE_LIST, 0) : 0;
            if (vehicles > 0) To(panes_.multiPage, IMC_STARTUP_DONE, vehicles);
            return 0;
        }
        case IMC_SERVER_CONNECTED:
            return frame_ && frame_->ServerConnected() ? 1 : 0;
        case IMC_PORT_SETTINGS_CHANGED:
            return frame_ ? frame_->OnPortSettingsChanged() : 0;
        case IMC_REAPPLY_STATE:
            return frame_ ? frame_->OnReapplyState() : 0;
        case IMC_SEND_HW_PARAMS:
            return frame_ ? frame_->OnSendHardwareParams(arg) : 0;
        case IMC_READ_HW_PARAMS:
            return frame_ ? frame_->OnReadHardwareParams(arg) : 0;
        default:
            return 0;
    }
}

void Relay::post(int code, intptr_t arg) {
    QMetaObject::invokeMethod(this, [this, code, arg] { send(code, arg); }, Qt::QueuedConnection);
}

intptr_t Relay::SetViewMode(intptr_t mode) {
    // 0 and 1 are modes; any other value (an outlook page past the second) keeps the mode
    // but still re-announces it.
    if (mode == 0 || mode == 1) gNavigationMode = int(mode);
    if (frame_) frame_->OnViewModeChanged();
    if (!panes_.editorHost) return 0;
    To(panes_.singlePage, IMC_SET_VIEW_MODE, gNavigationMode);
    To(panes_.editorHost, IMC_SET_VIEW_MODE, gNavigationMode);
    To(View(), IMC_SET_VIEW_MODE, gNavigationMode);
    To(panes_.propertyWindow, IMC_SET_VIEW_MODE, gNavigationMode);
    return 0;
}

intptr_t Relay::Selection(int code, intptr_t arg) {
    // A value still being typed into a pane belongs to the record shown so far, not to the
    // one selected now (the text editor puts its own back when it changes programs).
    if (frame_ && code != IMC_RELAYOUT_TEXT) frame_->CommitOpenEdit();
    if (code == IMC_PROGRAM_SELECTED) {
        // The text editor learns the screen's font chip before it loads the program.
        const auto* screen = reinterpret_cast<const HardwareParams*>(ToSingle(IMC_GET_SCREEN_RECORD, 0));
        To(panes_.editorHost, IMC_SET_FONT_CHIP, screen ? screen->fontChip : 0);
    }
    To(panes_.propertyWindow, code, arg);
    To(panes_.editorHost, code, arg);
    if (code == IMC_RELAYOUT_TEXT) return 0;
    // The view draws the whole tree: it gets the active tree in place of the record.
    if (InternalTarget* view = View()) view->onInternal(code, ToSingle(IMC_GET_ACTIVE_TREE, 0));
    return 0;
}

intptr_t Relay::ToSingle(int code, intptr_t arg) { return To(panes_.singlePage, code, arg); }

void Relay::CommitPendingEdit() {
    if (frame_) frame_->CommitOpenEdit();
    To(panes_.editorHost, IMC_COMMIT_PENDING_EDIT, 0);
}

}  // namespace ledsuite
