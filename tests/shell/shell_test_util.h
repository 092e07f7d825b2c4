#pragma once
// Helpers of the shell tests: recording panes, a private settings and app-data folder, and
// the application built as at start-up (with this build's panes, recording ones, or none).
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include "content/imc_codes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_content.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/properties_wnd.h"
#include "shell/editor_host.h"
#include "shell/frame_panes.h"
#include "shell/main_frame.h"
#include "shell/relay.h"
#include "shell/vehicle_pane_util.h"
#include "shell/view_single.h"
#include "shell/zu_app.h"
#include "tests/link/link_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/qt_language.h"
#include "toolkit/small_widgets.h"
#include "toolkit/view_tree.h"

namespace ledsuite::testing {

namespace fs = std::filesystem;

// The project's README.md, as a newcomer reads it.
inline std::string ReadmeText() {
    std::ifstream in(std::string(LEDSUITE_SOURCE_ROOT) + "/README.md");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The action of `id` in the menu bar, at any depth.
inline QAction* InMenus(const QMenuBar* bar, int id) {
    std::function<QAction*(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) -> QAction* {
        for (QAction* a : actions) {
            QAction* found = a->menu() ? walk(a->menu()->actions()) : (a->data().toInt() == id ? a : nullptr);
            if (found) return found;
        }
        return nullptr;
    };
    return walk(bar->actions());
}

// Right-clicks `target` (a viewport) at `at`; the context menu that pops up, or null.
inline QMenu* RightClick(QWidget* target, QPoint at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible()) return menu;
    return nullptr;
}


// Every message a pane received, as "name:code:arg" (arg only where the test asks for it).
struct MessageLog {
    std::vector<std::string> entries;
    std::string Joined() const {
        std::string out;
        for (const auto& e : entries) out += (out.empty() ? "" : " ") + e;
        return out;
    }
    void Clear() { entries.clear(); }
};

// A pane that records what reaches it and answers from a table.
class RecordingPane : public QWidget, public InternalTarget {
public:
    RecordingPane(std::string name, MessageLog* log, QWidget* parent = nullptr)
        : QWidget(parent), name_(std::move(name)), log_(log) {}
    intptr_t onInternal(int code, intptr_t arg) override {
        last[code] = arg;
        if (onMessage) onMessage(code, arg);
        log_->entries.push_back(name_ + ":" + std::to_string(code) + (withArgs ? ":" + std::to_string(arg) : ""));
        const auto it = answers.find(code);
        return it == answers.end() ? 0 : it->second;
    }
    std::map<int, intptr_t> answers;
    std::map<int, intptr_t> last;
    bool withArgs = false;
    std::function<void(int, intptr_t)> onMessage;

private:
    std::string name_;
    MessageLog* log_;
};

// Points the settings (QSettings) at a configuration folder, as XDG_CONFIG_HOME does at
// start-up: Qt reads that variable once per process, so a test that changes it tells Qt too.
inline void UseConfigHome(const QByteArray& folder) {
    if (folder.isEmpty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", folder.constData(), 1);
    const QString path = QString::fromLocal8Bit(folder.isEmpty() ? qgetenv("HOME") + "/.config" : folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

// Settings, "ini.dat" and the language in a private folder for one test; the settings
// go back to the program's own folder after it.
struct ScopedShellEnv {
    TempDir temp;
    fs::path dir = temp.path;
    QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    QByteArray appData = qgetenv("LEDSUITE_APPDATA");
    ScopedShellEnv() {
        setenv("LEDSUITE_APPDATA", (dir / "app").c_str(), 1);
        UseConfigHome(QByteArray((dir / "config").c_str()));
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
        ResetNavigationModeForTests();
        SetPreviewLock(false);
    }
    ~ScopedShellEnv() {
        UseConfigHome(configHome);
        if (appData.isEmpty()) unsetenv("LEDSUITE_APPDATA");
        else setenv("LEDSUITE_APPDATA", appData.constData(), 1);
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
        ApplyQtLanguage(UiLanguageIndex());  // Qt's texts in English again for the tests that follow
        SetPreviewLock(false);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
};

// Messages a window showed.
struct ShownMessages {
    std::vector<std::u16string> texts;
    std::vector<std::u16string> captions;
    MessageSink Sink() {
        return [this](const std::u16string& text, const char16_t* caption) {
            texts.push_back(text);
            captions.push_back(caption ? caption : u"");
        };
    }
    std::u16string Last() const { return texts.empty() ? u"" : texts.back(); }
};

// The application object in a private folder. kRecording puts recording panes in the tab
// host and the property window; `setup` prepares such a pane as soon as it is made.
struct ShellApp {
    enum Panes { kBuilt, kRecording, kNone };
    ScopedShellEnv env;
    MessageLog log;
    std::map<std::string, RecordingPane*> panes;
    std::map<std::string, std::function<void(RecordingPane*)>> setup;
    ShownMessages shown;
    std::unique_ptr<CZUApp> app;

    explicit ShellApp(Panes kind = kBuilt) {
        FramePanes made = kind == kBuilt ? DefaultFramePanes() : FramePanes{};
        if (kind == kRecording) {
            made.propertyWindow = Maker("property");
            made.musicPane = Maker("music");
            made.textEditor = Maker("editor");
            made.programList = Maker("list");
        }
        static int noArguments = 0;
        app = std::make_unique<CZUApp>(noArguments, nullptr, made);
    }
    PaneMaker Maker(const std::string& name) {
        return [this, name](QWidget* parent, InternalChannel*) {
            auto* pane = new RecordingPane(name, &log, parent);
            panes[name] = pane;
            if (setup.count(name)) setup[name](pane);
            return Pane{pane, pane};
        };
    }
    // Start-up; then the frame's messages are recorded and its card waits are short.
    bool Start() {
        if (!app->InitInstance()) return false;
        Frame().SetMessageSink(shown.Sink());
        Frame().SetTransferTimeouts({kWaitMs, kWaitMs});
        return true;
    }
    CMainFrame& Frame() { return *app->MainFrame(); }
    CViewSingle& Page() { return *Frame().SinglePage(); }
    CViewTree& Tree() { return *Page().ActiveTree(); }
    ProgramTree& Programs() { return Tree().Programs(); }
    RSEditorWnd& Host() { return *Frame().EditorHost(); }
    CEditCtrl& Editor() { return *qobject_cast<CEditCtrl*>(Host().PageWidget(RSEditorWnd::kPageEditor)); }
    bool Enabled(int id) { return Frame().Commands(id).front()->isEnabled(); }
    QAction* Menu(int id) { return InMenus(Frame().menuBar(), id); }
    // A program added with the page's toolbar (into the selected set, or a new set when the
    // screen is selected) with `text` typed into the program editor; it stays selected.
    ProgramRecord& TypeProgram(const QString& text) {
        CommandAction(Page().ToolBar(), ID_ADD_PROGRAM)->trigger();
        QTest::keyClicks(Editor().surface(), text);
        return *Tree().ProgramNodeOf(Tree().SelectedItem())->record;
    }
    intptr_t Send(int code, const void* arg) { return Frame().Channel().send(code, reinterpret_cast<intptr_t>(arg)); }
    // The codes the pane `name` received, in order.
    std::string Of(const std::string& name) const {
        std::string out;
        for (const auto& e : log.entries)
            if (e.rfind(name + ":", 0) == 0) out += (out.empty() ? "" : " ") + e.substr(name.size() + 1);
        return out;
    }
    // A screen the fake card on COM index 0 accepts (model 2, 115200 baud).
    void MatchCard() {
        Programs().screen().cardType = 2;
        Programs().screen().comIndex = 0;
        Programs().screen().baudIndex = 8;
    }
    // A set with one program whose text is `text`, through the page's command and the model.
    void AddProgram(const std::u16string& text) {
        Tree().setCurrentItem(Tree().ScreenItem());
        Page().Command(ID_ADD_PROGRAM)->trigger();
        ProgramRecord& p = *Tree().ProgramNodeOf(Tree().SelectedItem())->record;
        for (size_t i = 0; i < text.size(); ++i) p.content.cells[i] = TextCell(text[i], CellAttr::Make(16, 0, 1));
    }
    void DeleteSet() {
        Tree().setCurrentItem(Tree().ItemAt(0));
        Page().OnDeleteItem();
    }
};

// The application started in English with its main window active, as a user finds it.
struct ActiveApp : ShellApp {
    ActiveApp() {
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
        Activate();
    }
    // The main window active again, as the window system leaves it when a dialog closes.
    void Activate() {
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }
    CPropertiesWnd& Props() { return *qobject_cast<CPropertiesWnd*>(Frame().PropertyWindow()); }
    PropertyGrid* Grid(int id) { return Props().Grid(id); }
};

}  // namespace ledsuite::testing
