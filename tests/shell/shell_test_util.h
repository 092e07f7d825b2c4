#pragma once
// Helpers of the shell tests: recording panes, a private settings and app-data folder,
// a frame built through the application object with recording pages.
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "content/imc_codes.h"
#include "content/lang.h"
#include "content/paths.h"
#include "shell/frame_panes.h"
#include "shell/relay.h"
#include "toolkit/small_widgets.h"

namespace ledsuite::testing {

namespace fs = std::filesystem;

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
        std::string entry = name_ + ":" + std::to_string(code);
        if (withArgs) entry += ":" + std::to_string(arg);
        if (onMessage) onMessage(code, arg);
        log_->entries.push_back(entry);
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

// A pane maker whose pane records into `log`; `made` receives the pane.
inline PaneMaker Recorder(const std::string& name, MessageLog* log, RecordingPane** made = nullptr) {
    return [name, log, made](QWidget* parent, InternalChannel*) {
        auto* pane = new RecordingPane(name, log, parent);
        if (made) *made = pane;
        return Pane{pane, pane};
    };
}

// Settings, "ini.dat" and the language in a private folder for one test.
struct ScopedShellEnv {
    fs::path dir;
    ScopedShellEnv() {
        std::string templ = (fs::temp_directory_path() / "ledsuite-shell-XXXXXX").string();
        dir = mkdtemp(templ.data());
        setenv("LEDSUITE_APPDATA", (dir / "app").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
        ResetNavigationModeForTests();
        SetPreviewLock(false);
    }
    ~ScopedShellEnv() {
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
        SetPreviewLock(false);
        std::error_code ec;
        fs::remove_all(dir, ec);
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

}  // namespace ledsuite::testing
