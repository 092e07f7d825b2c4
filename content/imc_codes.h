#pragma once
// The internal message codes: the one channel between the windows of the suite.
// A window sends or posts (code, argument) to the main frame's relay or straight to
// the pane that acts; the answer of a synchronous send is a 64-bit value. The table
// lives here, without Qt, so every layer (link, toolkit, editors, music, shell) names
// the codes from one place.
#include <cstdint>

namespace ledsuite {

// The private window message that carried the codes on the original platform; kept as
// a value for logs and tests. WM_GRID_OPTION_CHANGED is the property grids' own notice.
inline constexpr int WM_INTERNAL = 0x800;
inline constexpr int WM_GRID_OPTION_CHANGED = 0x801;

// Codes relayed by the main frame or sent straight to a pane.
inline constexpr int IMC_STARTUP_DONE = 1;
inline constexpr int IMC_SHUTDOWN = 2;
inline constexpr int IMC_SET_VIEW_MODE = 3;
inline constexpr int IMC_ADD_SCREEN_ROOT = 19;
inline constexpr int IMC_GET_SCREEN_RECORD = 20;
inline constexpr int IMC_GET_ACTIVE_TREE = 24;
inline constexpr int IMC_REDRAW_LAYOUT = 26;
inline constexpr int IMC_RELAYOUT_TEXT = 27;
inline constexpr int IMC_LOAD_PROGRAM_IMAGE = 29;
inline constexpr int IMC_SCREEN_SELECTED = 48;
inline constexpr int IMC_PROGRAMS_SELECTED = 49;
inline constexpr int IMC_SET_PROGRAM_KIND = 50;
inline constexpr int IMC_PROGRAM_SELECTED = 53;
inline constexpr int IMC_SET_FONT_CHIP = 272;
inline constexpr int IMC_AREA_GEOMETRY_CHANGED = 274;
inline constexpr int IMC_PORT_SETTINGS_CHANGED = 337;
inline constexpr int IMC_GET_VOICE_ROLES = 352;
inline constexpr int IMC_SET_VOICE_ROLES = 353;
inline constexpr int IMC_PREVIEW_RUN = 512;
inline constexpr int IMC_ZOOM = 514;
inline constexpr int IMC_GET_VEHICLE_LIST = 1536;
inline constexpr int IMC_FILE_OPEN = 20481;
inline constexpr int IMC_FILE_SAVE = 20482;
inline constexpr int IMC_LANGUAGE_CHANGED = 20483;
inline constexpr int IMC_FILE_SAVE_TO = 20484;
inline constexpr int IMC_REAPPLY_STATE = 24576;
inline constexpr int IMC_SEND_HW_PARAMS = 28672;
// Our own: the relay asks the editor tab host to put an edit in progress (a table cell)
// back into its text before the tree is saved or compiled, so nothing typed is lost.
inline constexpr int IMC_COMMIT_PENDING_EDIT = 28800;
// Our own: a pane asks the relay whether the vehicle server is connected (answer 1 or 0),
// so that a server command without a server says so.
inline constexpr int IMC_SERVER_CONNECTED = 28801;
inline constexpr int IMC_READ_HW_PARAMS = 28673;

// Codes between a window and its own children.
inline constexpr int IMC_CELL_NOTIFY = 257;      // cell editor -> its owner: caret or selection moved
inline constexpr int IMC_CELL_VALUE = 258;       // cell editor -> its owner: content changed
inline constexpr int IMC_ICON_PICKED = 259;      // icon picker -> its parent after a pick
inline constexpr int IMC_ICON_PICKED_ALT = 260;  // second picker of one parent
inline constexpr int IMC_SHOW_GRID_EDITOR = 261;
inline constexpr int IMC_REFRESH_EDITOR = 262;
inline constexpr int IMC_REFRESH_EDITOR_ALT = 273;
inline constexpr int IMC_BUILD_PROGRESS = 544;   // sound build worker -> dialog
inline constexpr int IMC_BUILD_DONE = 545;
inline constexpr int IMC_SELECT_LYRIC = 1024;    // playback thread -> music pane
inline constexpr int IMC_LINK_BROKEN = 1025;
inline constexpr int IMC_SPEAK_TEXT = 1026;
inline constexpr int IMC_NO_LYRIC_SERVER = 1030;  // playback thread -> music pane: a search had no server
// Playback notices the music pane takes and does not act on; no sender uses them today.
inline constexpr int IMC_PLAYBACK_BEGIN = 1027;
inline constexpr int IMC_LYRIC_LINE = 1028;
inline constexpr int IMC_PLAYBACK_END = 1029;
inline constexpr int IMC_ICON_PICK_SELECT = 0x500;  // popup -> picker: a cell index or a kIconPick* result
inline constexpr int IMC_ICON_PICK_FILE = 0x501;    // popup -> picker: the path of a file chosen under "Custom"
inline constexpr int IMC_TRANSFER_DONE = 0x1008;    // transfer dialog -> owner, with the TransferResult

// A pane that takes internal messages: every window the relay reaches implements this one
// entry. `arg` is a value or a pointer (cast by the code's contract); the answer of a
// synchronous send is returned, 0 when the code means nothing to the pane.
class InternalTarget {
public:
    virtual ~InternalTarget() = default;
    virtual intptr_t onInternal(int code, intptr_t arg) = 0;
};

// What a pane holds to talk to the rest of the window: the main frame's relay, or a
// recording channel in tests. send() runs the handlers now and returns the answer;
// post() queues the message for the UI thread's next turn (safe from worker threads).
class InternalChannel {
public:
    virtual ~InternalChannel() = default;
    virtual intptr_t send(int code, intptr_t arg) = 0;
    virtual void post(int code, intptr_t arg) = 0;
};

}  // namespace ledsuite
