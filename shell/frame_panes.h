#pragma once
// The panes other parts of the suite build and the main frame hosts: each is made by a
// PaneMaker (parent widget, the relay as channel) that returns its widget and the
// target the relay delivers to. A pane whose maker is empty is left out (its place
// shows a plain placeholder where the frame needs one). DefaultFramePanes lists what
// this build has; adding a pane is one line there.
#include <functional>
#include <string>

#include "content/imc_codes.h"

class QWidget;

namespace ledsuite {

struct Pane {
    QWidget* widget = nullptr;
    InternalTarget* target = nullptr;
};
using PaneMaker = std::function<Pane(QWidget* parent, InternalChannel* channel)>;
class ServerSession;
// The multi-screen page also gets the frame's vehicle-server session (its group table and socket).
using MultiPageMaker = std::function<Pane(QWidget* parent, InternalChannel* channel, ServerSession& server)>;

struct FramePanes {
    PaneMaker view;            // CZUView: upper pane of the left column
    PaneMaker textEditor;      // CEditCtrl: the tab host's "Program Editor" page
    PaneMaker musicPane;       // CMusicCtrl: the tab host's "Music Player" page
    PaneMaker programList;     // ListViewProgramEdit: the tab host's "Programs List" page
    PaneMaker propertyWindow;  // CPropertiesWnd: the right column
    MultiPageMaker multiPage;  // CViewMulti: the outlook bar's second page
};

FramePanes DefaultFramePanes();

// Where the shell's windows show a message (text, caption or null). The default shows
// MessageBoxFx with OK; tests record instead.
using MessageSink = std::function<void(const std::u16string& text, const char16_t* caption)>;
MessageSink MessageBoxSink(QWidget* parent);

}  // namespace ledsuite
