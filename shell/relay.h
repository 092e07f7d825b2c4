#pragma once
// The main frame's relay: the one InternalChannel the panes talk through. send() runs
// the relay rules at once and returns the answer; post() queues the same for the UI
// thread's next turn (safe from any thread). The rules pass each code on to fixed panes
// in a fixed order; a pane that is not built (a null target) is skipped. The few codes
// the frame acts on itself go to its FrameCommands.
//
// Pointer arguments: IMC_SCREEN_SELECTED carries a HardwareParams*, IMC_PROGRAMS_SELECTED
// a ProgramSetRecord*, IMC_PROGRAM_SELECTED a ProgramRecord* (to the view: the active
// CViewTree* instead); IMC_GET_ACTIVE_TREE answers a CViewTree*, IMC_GET_SCREEN_RECORD a
// HardwareParams*; IMC_FILE_SAVE takes a NUL-terminated UTF-8 path or 0.
#include <cstdint>
#include <functional>

#include <QObject>

#include "content/imc_codes.h"

namespace ledsuite {

// Navigation mode: 0 single screen (the tree page), 1 multi screen (the group page).
// Written only by the relay; read by the tree page, the view and the frame's command states.
int NavigationMode();
void ResetNavigationModeForTests();

// What the frame does itself for the relay.
class FrameCommands {
public:
    virtual ~FrameCommands() = default;
    virtual void OnViewModeChanged() = 0;               // after code 3 recorded the mode
    virtual intptr_t OnPortSettingsChanged() = 0;       // code 337
    virtual intptr_t OnReapplyState() = 0;              // code 24576
    virtual intptr_t OnSendHardwareParams(intptr_t block) = 0;   // code 28672
    virtual intptr_t OnReadHardwareParams(intptr_t buffer) = 0;  // code 28673
    // A pane changed the programs or the screen (codes 26, 50, 274) or announced a screen (48).
    virtual void OnContentChanged(int /*code*/) {}
    virtual bool ServerConnected() { return false; }  // code 28801
    // Code 28800: a value still being typed into one of the frame's cells is committed.
    virtual void CommitOpenEdit() {}
};

// The panes the relay knows. The view is looked up at each use (it may be missing).
struct RelayPanes {
    InternalTarget* singlePage = nullptr;
    InternalTarget* multiPage = nullptr;
    InternalTarget* editorHost = nullptr;  // null until the client area is built
    InternalTarget* propertyWindow = nullptr;
    std::function<InternalTarget*()> view;
};

class Relay : public QObject, public InternalChannel {
    Q_OBJECT
public:
    explicit Relay(FrameCommands* frame, QObject* parent = nullptr) : QObject(parent), frame_(frame) {}

    RelayPanes& Panes() { return panes_; }
    intptr_t send(int code, intptr_t arg) override;
    void post(int code, intptr_t arg) override;

private:
    InternalTarget* View() const { return panes_.view ? panes_.view() : nullptr; }
    intptr_t SetViewMode(intptr_t mode);
    intptr_t Selection(int code, intptr_t arg);
    intptr_t ToSingle(int code, intptr_t arg);
    // A value being typed into a cell of the frame's panes or of the text editor's table
    // goes into its record, as Return would put it.
    void CommitPendingEdit();
    static intptr_t To(InternalTarget* pane, int code, intptr_t arg) { return pane ? pane->onInternal(code, arg) : 0; }

    FrameCommands* frame_;
    RelayPanes panes_;
};

}  // namespace ledsuite
