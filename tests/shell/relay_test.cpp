// The relay rules, rule by rule, with recording panes.
#include "shell/relay.h"

#include <gtest/gtest.h>

#include <QTest>

#include "content/model/records.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr intptr_t kTree = 0x7000;

class RecordingFrame : public FrameCommands {
public:
    explicit RecordingFrame(MessageLog* log) : log_(log) {}
    void OnViewModeChanged() override { log_->entries.push_back("frame:mode" + std::to_string(NavigationMode())); }
    intptr_t OnPortSettingsChanged() override { return Note("337", 0); }
    intptr_t OnReapplyState() override { return Note("24576", 0); }
    intptr_t OnSendHardwareParams(intptr_t block) override { return Note("28672", block); }
    intptr_t OnReadHardwareParams(intptr_t buffer) override { return Note("28673", buffer) + 40; }
    void CommitOpenEdit() override { log_->entries.push_back("frame:commit"); }

private:
    intptr_t Note(const std::string& code, intptr_t arg) {
        log_->entries.push_back("frame:" + code + ":" + std::to_string(arg));
        return 0;
    }
    MessageLog* log_;
};

// A relay over recording panes; the single-screen page answers the active tree and a screen record.
struct RelayRig {
    ScopedShellEnv env;
    MessageLog log;
    RecordingFrame frame{&log};
    Relay relay{&frame};
    RecordingPane single{"single", &log}, multi{"multi", &log}, editor{"editor", &log}, property{"property", &log},
        view{"view", &log};
    HardwareParams screen;
    bool viewPresent = true;

    RelayRig() {
        screen.fontChip = 0x31;
        single.answers = {{IMC_GET_ACTIVE_TREE, kTree}, {IMC_GET_SCREEN_RECORD, reinterpret_cast<intptr_t>(&screen)},
                          {IMC_SET_PROGRAM_KIND, -2}, {IMC_FILE_SAVE, 7}, {IMC_FILE_SAVE_TO, 8}};
        view.answers = {{IMC_REDRAW_LAYOUT, 11}, {IMC_GET_VEHICLE_LIST, 12}};
        relay.Panes() = {&single, &multi, &editor, &property, [this]() -> InternalTarget* {
                             return viewPresent ? &view : nullptr;
                         }};
        for (RecordingPane* p : {&single, &editor, &property, &view}) p->withArgs = true;
    }
    std::string Send(int code, intptr_t arg, intptr_t* answer = nullptr) {
        log.Clear();
        const intptr_t a = relay.send(code, arg);
        if (answer) *answer = a;
        return log.Joined();
    }
};

}  // namespace

TEST(Relay, ViewModeRecordsZeroOrOneAndReannouncesTheCurrentModeInOrder) {
    RelayRig r;
    EXPECT_EQ(r.Send(IMC_SET_VIEW_MODE, 1),
              "frame:mode1 single:3:1 editor:3:1 view:3:1 property:3:1");
    EXPECT_EQ(NavigationMode(), 1);
    // A page index past the second keeps the mode but still re-sends it to the four panes.
    EXPECT_EQ(r.Send(IMC_SET_VIEW_MODE, 2), "frame:mode1 single:3:1 editor:3:1 view:3:1 property:3:1");
    r.viewPresent = false;
    EXPECT_EQ(r.Send(IMC_SET_VIEW_MODE, 0), "frame:mode0 single:3:0 editor:3:0 property:3:0");
    // Before the editor tab host exists the mode is only recorded.
    r.relay.Panes().editorHost = nullptr;
    EXPECT_EQ(r.Send(IMC_SET_VIEW_MODE, 1), "frame:mode1");
    EXPECT_EQ(NavigationMode(), 1);
}

TEST(Relay, SelectionCodesGoToPropertyAndTabHostThenTheViewWithTheTree) {
    RelayRig r;
    EXPECT_EQ(r.Send(IMC_RELAYOUT_TEXT, 1), "property:27:1 editor:27:1");
    // A selection first has the frame commit a value still being typed; a relayout does not.
    EXPECT_EQ(r.Send(IMC_SCREEN_SELECTED, 100), "frame:commit property:48:100 editor:48:100 single:24:0 view:48:28672");
    EXPECT_EQ(r.Send(IMC_PROGRAMS_SELECTED, 101),
              "frame:commit property:49:101 editor:49:101 single:24:0 view:49:28672");
    // A program: the text editor learns the screen's font chip (0x31) first.
    EXPECT_EQ(r.Send(IMC_PROGRAM_SELECTED, 102),
              "frame:commit single:20:0 editor:272:49 property:53:102 editor:53:102 single:24:0 view:53:28672");
    // Without a screen record the chip is 0; without a view the code stops at the tab host.
    r.single.answers.erase(IMC_GET_SCREEN_RECORD);
    r.viewPresent = false;
    EXPECT_EQ(r.Send(IMC_PROGRAM_SELECTED, 102), "frame:commit single:20:0 editor:272:0 property:53:102 editor:53:102");
    // A pane that is not built is skipped.
    r.relay.Panes().propertyWindow = nullptr;
    EXPECT_EQ(r.Send(IMC_SCREEN_SELECTED, 100), "frame:commit editor:48:100");
}

TEST(Relay, EachCodeReachesItsPanesAndReturnsTheAnswer) {
    RelayRig r;
    struct Case {
        int code;
        intptr_t arg;
        const char* log;
        intptr_t answer;
    };
    const Case cases[] = {
        {IMC_GET_ACTIVE_TREE, 0, "single:24:0", kTree},
        {IMC_GET_SCREEN_RECORD, 0, "single:20:0", reinterpret_cast<intptr_t>(&r.screen)},
        {IMC_REDRAW_LAYOUT, 5, "view:26:5", 11},
        {IMC_GET_VEHICLE_LIST, 0, "view:1536:0", 12},
        {IMC_SET_PROGRAM_KIND, 255, "property:50:255 single:50:255", -2},
        {IMC_SET_PROGRAM_KIND, 0, "single:50:0", -2},
        {IMC_AREA_GEOMETRY_CHANGED, 3, "property:274:3 editor:27:1", 0},  // the editor rewraps
        {IMC_FILE_OPEN, 99, "single:20481:0", 0},
        {IMC_FILE_SAVE, 99, "frame:commit editor:28800:0 single:20482:99", 7},
        {IMC_FILE_SAVE_TO, 98, "frame:commit editor:28800:0 single:20484:98", 8},
        {IMC_COMMIT_PENDING_EDIT, 9, "frame:commit editor:28800:0", 0},
        {IMC_STARTUP_DONE, 0, "editor:1:0 view:1536:0 multi:1", 0},  // the vehicle list handed to the page
        {IMC_PORT_SETTINGS_CHANGED, 0, "frame:337:0", 0},
        {IMC_REAPPLY_STATE, 0, "frame:24576:0", 0},
        {IMC_SEND_HW_PARAMS, 5, "frame:28672:5", 0},
        {IMC_READ_HW_PARAMS, 6, "frame:28673:6", 40},
    };
    intptr_t answer = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(r.Send(c.code, c.arg, &answer), c.log) << c.code;
        EXPECT_EQ(answer, c.answer) << c.code;
    }
    // Codes sent straight to a pane, and unknown ones, go nowhere through the relay.
    for (int code : {IMC_SHUTDOWN, IMC_ADD_SCREEN_ROOT, IMC_SET_FONT_CHIP, IMC_LANGUAGE_CHANGED, IMC_PREVIEW_RUN,
                     IMC_ZOOM, IMC_GET_VOICE_ROLES, IMC_SET_VOICE_ROLES, IMC_LOAD_PROGRAM_IMAGE, 12345}) {
        EXPECT_EQ(r.Send(code, 1, &answer), "") << code;
        EXPECT_EQ(answer, 0) << code;
    }
    // Without a view its two codes answer -1.
    r.viewPresent = false;
    for (int code : {IMC_REDRAW_LAYOUT, IMC_GET_VEHICLE_LIST}) {
        EXPECT_EQ(r.Send(code, 0, &answer), "");
        EXPECT_EQ(answer, -1);
    }
}

TEST(Relay, PostRunsTheRulesOnTheNextTurnOfTheLoop) {
    RelayRig r;
    r.log.Clear();
    r.relay.post(IMC_AREA_GEOMETRY_CHANGED, 4);
    EXPECT_EQ(r.log.Joined(), "");
    QTest::qWait(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(r.log.Joined(), "property:274:4 editor:27:1");
}
