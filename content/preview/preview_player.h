#pragma once
// The preview player: plays the screen on the layout canvas the way the card would,
// program set after program set, the programs of a set side by side, each area
// entering with its main action, pausing, leaving with its secondary action and
// repeating, with scrolling border frames.
//
// It is a deterministic stepper, not a thread: the view calls PreviewThreadProc
// (layout_canvas.h) from a 10 ms timer on the UI thread and the player plays the
// 10 ms rounds that the canvas clock says are due. Each program set is copied when
// it starts, so editing the tree between rounds never changes what a round reads.
#include <array>
#include <cstdint>
#include <vector>

#include "content/preview/canvas_drawing.h"
#include "content/preview/layout_canvas.h"
#include "content/model/clock.h"
#include "content/model/records.h"

namespace ledsuite {

constexpr uint64_t kPreviewRoundMs = 10;
// One unit of an action's pause byte.
constexpr uint64_t kPauseUnitMs = 100;
// The wait when there is no tree or a whole walk over the sets found nothing to play.
constexpr uint64_t kPreviewIdleMs = 500;
// At most this many rounds are played per call; a longer gap (a stalled timer) is skipped.
constexpr int kMaxRoundsPerCall = 50;
constexpr size_t kMaxPlayedPrograms = 16;
// The trailing copy of wide moving content follows this many LEDs behind.
constexpr int kSecondCopyGap = 32;
// Dissolve masks of the Snow effect (style 0x1001 makes at most this many).
constexpr int kDissolveMaskCount = 16;
// How far the point of Blackboard and Laser runs along its column per step.
constexpr int kSweepPointStep = 4;

// Play state phases.
constexpr uint8_t kPhaseNotStarted = 0xFF;
constexpr uint8_t kPhaseStartPending = 0xFE;
constexpr uint8_t kPhaseMain = 0;
constexpr uint8_t kPhaseSecondary = 1;

// The play state of one program.
struct PlayState {
    uint8_t phase = kPhaseNotStarted;
    uint8_t borderCountdown = 10;
    uint8_t borderStep = 0;
    uint8_t stepCountdown = 1;
    uint8_t secondCopy = 0;  // 1 moving left, 4 moving right, while a trailing copy is drawn
    uint8_t wait = 0;        // the pause of the current pass, in kPauseUnitMs
    uint8_t repeatCount = 0;
    // 32-bit: moving content can be far wider than 32767 LEDs.
    int32_t startPosition = 0;
    int32_t position = 0;  // content offset, or the motion's counter
    int32_t limit = 0;     // remaining steps of the current stroke (class 1: the end offset)
    uint8_t stage = 0;     // 0 in, 1 out, 2 in then out, 3 out then in
    uint8_t direction = 0;
    // Beside the card's fields: the class being played, the stroke length, the step
    // value of the card action, and the sweeping point of Blackboard and Laser.
    uint8_t effectClass = 0;
    int32_t strokeLength = 0;
    uint16_t stepValue = 0;
    int32_t point = 0;
    int8_t pointDirection = 1;
    bool turnedShown = false;  // the last step reached the fully shown turn of an in-then-out pass
    int32_t page = 0;          // the screenful of the text this pass shows (effects that do not move it)
};

// The screenfuls a program's text makes for its effect class: the laid-out height in
// area heights for the classes that show the text in place, 1 for the moves (they carry
// the whole text through the area).
int PageCount(const PlayState& state, int contentHeight, int areaHeight);

// Sets up the play state for the action's class at the start of a pass (or of a
// repeat of it). `passes` is 1, or 2 when the program has a secondary action; the
// state's phase tells which pass starts (not started or main: the first). The
// content is placed at its start position.
void StepEffectState(PlayState& state, int passes, const CardAction& action, int left, int top, int right,
                     int bottom, int contentWidth, int contentHeight, bool continuous);
// One step of the motion (the area's height turns the point of Blackboard and Laser);
// true when the pass (its last stroke) has reached its end state.
bool AdvanceMotion(PlayState& state, int areaHeight);
// Whether the end state of the pass just played shows the whole content (a pass that
// came in), so that the pause before the next pass holds it.
bool PassEndsShown(const PlayState& state);

// The four border offsets (left, top, right, bottom) for a border effect at border
// step s; effects other than 2 to 7 leave `current` as it is.
std::array<uint16_t, 4> BorderOffsets(uint8_t borderEffect, uint8_t step, const std::array<uint16_t, 4>& current);

// A copy of a program taken when its set starts, with its play state.
// What follows the pass that ended, set up by the first step after its pause (the pause
// holds the pass's end state).
enum class NextPass : uint8_t { kNone, kPage, kRepeat, kSecondary };

struct PlayedProgram {
    ProgramRecord record;
    PlayState state;
    ProgramLayout layout;
    CardAction action{};  // the card form of the action of the current pass
    int passes = 1;
    int pages = 1;  // screenfuls of the text, taken when the main pass of two ends
    uint32_t waitRounds = 0;
    bool ending = false;     // the motion reached its end state; the next step draws it and ends the pass
    NextPass next = NextPass::kNone;
    bool finishing = false;  // the last pass ended; finished when the wait is over
    std::array<uint16_t, 4> borderOffsets{};
    // What the area shows: the state and tick it was last drawn with, and the local time
    // then. A picture held by a pause (or by a finished program) is drawn again from them,
    // so that the time fields and clock hands in it go on as the card's do.
    bool readsTheClock = false;  // the text shows the time
    PlayState drawnState;
    uint32_t drawnTick = 0;
    LocalTime drawnTime;
    uint32_t steps = 0;  // the steps played so far (each draws a frame of the pass); tools and tests read it
    // The text drawn once for the layout; a cache, so drawing a frame may fill it.
    mutable ContentPicture picture;
};

class PreviewPlayer {
public:
    PreviewPlayer(LayoutCanvas& canvas, uint64_t now);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Plays the rounds due by `now`; true when the LED image changed (the back image is
    // then composed again).
    bool Advance(uint64_t now);

    // What is being played (tests and tools look at it).
    const std::vector<PlayedProgram>& programs() const { return programs_; }
    size_t setIndex() const { return setIndex_; }
    uint16_t finishedBits() const { return finished_; }
    uint64_t sleepingUntil() const { return resumeAt_; }

private:
    bool StartNextSet(uint64_t t);
    void LoadSet(const ProgramSetNode& set);
    bool PlayRound();
    bool StepProgram(PlayedProgram& p);
    void StartPass(PlayedProgram& p);
    void BeginPass(PlayedProgram& p);
    void EndMotion(PlayedProgram& p);
    void DrawProgram(PlayedProgram& p);
    void DrawHeld(PlayedProgram& p);

    LayoutCanvas& canvas_;
    uint64_t nextRound_;
    uint64_t resumeAt_ = 0;
    size_t setIndex_ = 0;
    uint32_t visits_ = 0;
    uint16_t finished_ = 0xFFFF;
    uint16_t colorCode_ = 5;
    std::vector<PlayedProgram> programs_;
    FrameVector corners_;  // style 0x1000
    FrameVector masks_;    // style 0x1001
};

// Ends a run at once: the player and its frames go, tick and run state become 0; with
// `render` the static layout is rendered and shown.
void FinishPreviewRun(LayoutCanvas& canvas, bool render);

// Draws one frame of a program's play state into the canvas's LED image (its area
// cleared first, then the content as the class shows it). Exposed for the tools.
void DrawPlayFrame(LayoutCanvas& canvas, const PlayedProgram& p, const FrameVector& corners,
                   const FrameVector& masks);

}  // namespace ledsuite
