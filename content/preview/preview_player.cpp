#include "content/preview/preview_player.h"

#include <algorithm>
#include <utility>

#include "content/render/dissolve_random.h"
#include "content/render/image_sources.h"
#include "content/render/text_layout.h"

namespace ledsuite {

namespace {

// Speeds outside 1..253 (corrupt data) are held to it, as the encoder does: a speed of
// 0 would never come due.
uint8_t Speed(uint8_t speed) { return std::clamp<uint8_t>(speed, 1, 253); }

bool HorizontalMove(uint8_t effect) {
    return effect == kEffectMoveLeft || effect == kEffectMoveRight || effect == kEffectMoveLeftContinue ||
           effect == kEffectMoveRightContinue;
}

bool HasBorder(const ProgramRecord& r) {
    return r.borderType != 0 && BorderSideFrames(r.borderFrames, r.borderType)[0] != nullptr;
}

// The pause of the action in rounds (a pause byte of 0xFF waits like one of 0xFE).
uint32_t PauseRounds(PlayState& s, const CardAction& action) {
    s.wait = action[4] == 0xFF ? 0xFE : action[4];
    return uint32_t(s.wait * kPauseUnitMs / kPreviewRoundMs);
}

bool SameSecond(const LocalTime& a, const LocalTime& b) {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
           a.month == b.month && a.year == b.year;
}

const ActionRecord& PassAction(const ProgramRecord& r, uint8_t phase) {
    return phase == kPhaseSecondary || phase == kPhaseStartPending ? r.secondaryAction : r.mainAction;
}

// Lists a drawn LED rectangle for the next composition; one drawn twice before it (two
// rounds at once) is listed once.
void MarkDrawn(std::vector<PixelRect>& drawn, const PixelRect& r) {
    if (!r.empty() && std::find(drawn.begin(), drawn.end(), r) == drawn.end()) drawn.push_back(r);
}

}  // namespace

PreviewPlayer::PreviewPlayer(LayoutCanvas& canvas, uint64_t now)
    : canvas_(canvas), nextRound_(now + kPreviewRoundMs) {
    MakeBorderFrames(&corners_, kBorderCorners);
    DissolveRandom random(1);
    MakeBorderFrames(&masks_, kBorderDissolve, &random);
}

PreviewPlayer::~PreviewPlayer() = default;

bool PreviewPlayer::Advance(uint64_t now) {
    bool drew = false;
    for (int n = 0; nextRound_ <= now && n < kMaxRoundsPerCall; ++n) {
        const uint64_t t = nextRound_;
        nextRound_ += kPreviewRoundMs;
        if (t < resumeAt_) {  // sleeping: the next round is the first after the wait
            nextRound_ = std::max(nextRound_, resumeAt_);
            continue;
        }
        if (finished_ == 0xFFFF && !StartNextSet(t)) continue;
        drew |= PlayRound();
    }
    if (nextRound_ <= now) nextRound_ = now + kPreviewRoundMs;  // a stalled timer: skip the gap
    if (drew) DrawCanvasImage(canvas_, colorCode_);
    return drew;
}

bool PreviewPlayer::StartNextSet(uint64_t t) {
    ProgramTree* tree = canvas_.tree;
    const size_t count = tree ? tree->sets().size() : 0;
    for (size_t tried = 0; tried < count; ++tried) {
        if (setIndex_ >= count) setIndex_ = 0;
        const ProgramSetNode& set = tree->sets()[setIndex_++];
        if (set.programs.empty()) continue;  // a set without programs is skipped
        colorCode_ = tree->screen().colorCode;
        ResetImage(canvas_.ledImage, LedSide(tree->screen().width), LedSide(tree->screen().height));
        canvas_.drawnLeds.assign(1, PixelRect{0, 0, canvas_.ledImage.width, canvas_.ledImage.height});
        LoadSet(set);
        return true;
    }
    resumeAt_ = t + kPreviewIdleMs;  // no tree, or a whole walk with nothing to play
    return false;
}

void PreviewPlayer::LoadSet(const ProgramSetNode& set) {
    const size_t n = std::min(set.programs.size(), kMaxPlayedPrograms);
    programs_.clear();
    programs_.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        PlayedProgram p;
        p.record = *set.programs[i].record;
        p.passes = p.record.secondaryAction.effect != kEffectNone ? 2 : 1;
        p.state.repeatCount = p.record.mainAction.repeat;
        p.readsTheClock = TextReadsTheClock(p.record.content);
        programs_.push_back(std::move(p));
    }
    finished_ = n >= 16 ? 0 : uint16_t(0xFFFF << n);
}

bool PreviewPlayer::PlayRound() {
    std::array<bool, kMaxPlayedPrograms> borderDue{}, timeDue{};
    bool due = false;
    const bool anyClock = std::any_of(programs_.begin(), programs_.end(), [](auto& p) { return p.readsTheClock; });
    const LocalTime now = anyClock ? CurrentLocalTime() : LocalTime{};
    for (size_t i = 0; i < programs_.size(); ++i) {
        PlayedProgram& p = programs_[i];
        // A held picture that shows the time is drawn again when the time has moved on.
        timeDue[i] = p.readsTheClock && !SameSecond(p.drawnTime, now);
        due |= timeDue[i];
        if (finished_ & (1u << i)) continue;
        if (++visits_ % 5 == 0) ++canvas_.tick;
        PlayState& s = p.state;
        if (s.borderCountdown != 0 && --s.borderCountdown <= 1) {
            borderDue[i] = true;
            due = true;
        }
        if (p.waitRounds > 0) {
            if (--p.waitRounds == 0 && p.finishing) finished_ |= uint16_t(1u << i);
            continue;
        }
        if (s.stepCountdown >= 5) s.stepCountdown -= 2;
        else if (s.stepCountdown >= 2) s.stepCountdown -= 1;
        if (s.stepCountdown <= 2) due = true;
    }
    if (!due) return false;
    bool drew = false;
    for (size_t i = 0; i < programs_.size(); ++i) {
        PlayedProgram& p = programs_[i];
        PlayState& s = p.state;
        const bool live = !(finished_ & (1u << i)) && p.waitRounds == 0 && !p.finishing;
        const bool stepped = live && s.stepCountdown <= 1;
        if (stepped && StepProgram(p)) finished_ |= uint16_t(1u << i);
        bool redraw = !stepped && timeDue[i];
        if (borderDue[i]) {
            ++s.borderStep;
            s.borderCountdown = Speed(p.record.borderSpeed);
            p.borderOffsets = BorderOffsets(p.record.borderEffect, s.borderStep, p.borderOffsets);
            redraw |= !stepped && HasBorder(p.record);  // the border moves while the content waits
        }
        if (redraw) DrawHeld(p);
        drew |= stepped || redraw;
    }
    return drew;
}

// One step: the pass set up when it starts, the frame drawn, the motion advanced. A
// motion that reaches its end state is drawn in it at the next step, and the pass ends
// there: a pause after it holds what the pass left (the whole content after coming in,
// an empty area after going out). True when the program has finished.
bool PreviewPlayer::StepProgram(PlayedProgram& p) {
    ++p.steps;
    StartPass(p);
    DrawProgram(p);
    PlayState& s = p.state;
    s.stepCountdown = Speed(p.action[1]);
    if (std::exchange(p.ending, false)) {
        EndMotion(p);
        return p.finishing && p.waitRounds == 0;
    }
    // The frame just drawn is the fully shown turn of an in-then-out pass: it stays for the pause.
    const bool shownNow = std::exchange(s.turnedShown, false);
    if (!AdvanceMotion(s, p.record.height())) {
        if (shownNow) p.waitRounds = PauseRounds(s, p.action);
        return false;
    }
    if (s.effectClass != 0 && s.effectClass != 17) {
        p.ending = true;
        return false;
    }
    EndMotion(p);  // nothing moves: the frame drawn is the end state
    return p.finishing && p.waitRounds == 0;
}

// Sets up what follows the pass that ended (after its pause), and a pass that has not begun.
void PreviewPlayer::StartPass(PlayedProgram& p) {
    PlayState& s = p.state;
    const ProgramRecord& r = p.record;
    switch (std::exchange(p.next, NextPass::kNone)) {
    case NextPass::kPage:  // the next screenful comes in with the main action
        ++s.page;
        s.phase = kPhaseNotStarted;
        if (p.passes == 2) s.repeatCount = r.mainAction.repeat;
        break;
    case NextPass::kRepeat:
        --s.repeatCount;
        if (p.passes == 1) s.page = 0;  // one pass plays every screenful before it repeats
        StepEffectState(s, p.passes, p.action, r.left, r.top, r.right, r.bottom, p.layout.size.width,
                        p.layout.size.height, HorizontalMove(PassAction(r, s.phase).effect));
        break;
    case NextPass::kSecondary:
        s.phase = kPhaseStartPending;
        s.repeatCount = r.secondaryAction.repeat;
        break;
    case NextPass::kNone: break;
    }
    if (s.phase == kPhaseNotStarted || s.phase == kPhaseStartPending) BeginPass(p);
}

void PreviewPlayer::BeginPass(PlayedProgram& p) {
    const ProgramRecord& r = p.record;
    const ActionRecord& action = PassAction(r, p.state.phase);
    p.action = EffectToCardAction(action, r.left, r.top, r.right, r.bottom);
    // The card gets one layout of the text, made for the main action; the secondary action moves it too.
    if (canvas_.rc && !p.layout.Matches(r.mainAction.effect, r.width(), r.height()))
        LayoutProgramContent(*canvas_.rc, r.content, r.mainAction.effect, r.width(), r.height(), colorCode_, p.layout);
    StepEffectState(p.state, p.passes, p.action, r.left, r.top, r.right, r.bottom, p.layout.size.width,
                    p.layout.size.height, HorizontalMove(action.effect));
    p.state.phase = p.state.phase == kPhaseStartPending ? kPhaseSecondary : kPhaseMain;
}

// The pass ended on its end state. A text longer than the area plays, as the card pages
// it, each screenful in turn: with one action the pass runs on every screenful before it
// repeats; with two, each screenful comes in with the main action (and its repeats), waits
// the main action's pause when it came in whole, and goes out with the secondary action
// before the next screenful. A repeat waits the pause first; the classes without a motion
// wait it always, as their pause is all they play.
void PreviewPlayer::EndMotion(PlayedProgram& p) {
    PlayState& s = p.state;
    const ProgramRecord& r = p.record;
    const bool stillClass = s.effectClass == 0 || s.effectClass == 17;
    const uint32_t pause = PauseRounds(s, p.action);
    p.waitRounds = stillClass ? pause : 0;
    if (p.passes == 1 && s.page + 1 < PageCount(s, p.layout.size.height, r.height())) {
        p.next = NextPass::kPage;
    } else if (s.repeatCount != 0) {
        p.next = NextPass::kRepeat;
        p.waitRounds = pause;
    } else if (s.phase == kPhaseMain && p.passes == 2) {
        p.next = NextPass::kSecondary;
        p.pages = PageCount(s, p.layout.size.height, r.height());
        if (PassEndsShown(s)) p.waitRounds = pause;
    } else if (p.passes == 2 && s.page + 1 < p.pages) {
        p.next = NextPass::kPage;
    } else {
        p.finishing = true;
    }
}

void PreviewPlayer::DrawProgram(PlayedProgram& p) {
    p.drawnState = p.state;
    p.drawnTick = canvas_.tick;
    DrawHeld(p);
}

// Draws the area as it was last drawn (the state and tick of DrawProgram), with the
// border where it is now and the time fields at the time now. The time is taken before
// drawing, so that a second turning over during the drawing is caught by the next round.
void PreviewPlayer::DrawHeld(PlayedProgram& p) {
    if (p.readsTheClock) p.drawnTime = CurrentLocalTime();
    std::swap(p.state, p.drawnState);
    const uint32_t tick = std::exchange(canvas_.tick, p.drawnTick);
    DrawPlayFrame(canvas_, p, corners_, masks_);
    canvas_.tick = tick;
    std::swap(p.state, p.drawnState);
    const ProgramRecord& r = p.record;
    MarkDrawn(canvas_.drawnLeds, {r.left, r.top, r.right, r.bottom});
    if (r.borderType == 0) return;
    canvas_.borderOffsets = p.borderOffsets;
    MarkDrawn(canvas_.drawnLeds,
              DrawAreaBorder(r.borderFrames, r.borderType, canvas_, r.left, r.top, r.right, r.bottom));
}

// ---- the canvas side ------------------------------------------------------------------

void FinishPreviewRun(LayoutCanvas& c, bool render) {
    c.player.reset();
    c.tick = 0;
    c.runState = kPreviewStopped;
    if (render) RenderLayout(c, true);
}

void SetPreviewRunning(LayoutCanvas& c, bool run) {
    if (!run) {
        if (c.runState == kPreviewRunning) c.runState = kPreviewStopRequested;
        return;
    }
    if (c.runState == kPreviewRunning) return;
    if (c.runState == kPreviewStopRequested) FinishPreviewRun(c, false);  // the old run ends first
    c.player = std::make_unique<PreviewPlayer>(c, c.clock ? c.clock() : SteadyMilliseconds());
    c.overlay.clear();
    c.runState = kPreviewRunning;
}

uint16_t PreviewThreadProc(LayoutCanvas& c) {
    if (c.runState == kPreviewStopRequested) {
        FinishPreviewRun(c, true);
        return c.runState;
    }
    if (c.runState != kPreviewRunning || !c.player) return c.runState;
    if (c.player->Advance(c.clock ? c.clock() : SteadyMilliseconds())) ShowCanvas(c);
    return c.runState;
}

}  // namespace ledsuite
