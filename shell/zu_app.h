#pragma once
// CZUApp: the application object. It owns the QApplication (or uses the one that exists),
// names the settings ("Local AppWizard-Generated Applications" / "ZU.AppID.NoVersion"),
// builds the main frame hidden, shows it once every pane stands and tells the panes that
// start-up is done. OLE, the common-control classes, control containment, taskbar
// interaction and the framework's context-menu, shell, keyboard and tooltip managers
// have no counterpart here: Qt needs none of them.
#include <chrono>
#include <memory>

#include "shell/frame_panes.h"

class QApplication;

namespace ledsuite {

class CMainFrame;

inline constexpr char kSettingsOrganization[] = "Local AppWizard-Generated Applications";
inline constexpr char kSettingsApplication[] = "ZU.AppID.NoVersion";

class CZUApp {
public:
    // Creates the QApplication when none exists yet.
    CZUApp(int& argc, char** argv, FramePanes panes = DefaultFramePanes());
    ~CZUApp();

    // Start-up: the frame built hidden, its state re-applied, shown, IMC_STARTUP_DONE,
    // raised. False when the frame does not stand.
    bool InitInstance();
    // Shutdown: the saved workspace state is removed from the settings.
    int ExitInstance();
    // After the frame is built: re-announces the screen and the language (IMC_REAPPLY_STATE).
    void LoadCustomState();
    // InitInstance, the event loop, ExitInstance. With LEDSUITE_QUIT_WHEN_SHOWN=1 the loop
    // ends once the window is shown (start-up time measurements).
    int Run();

    CMainFrame* MainFrame() const { return frame_.get(); }

private:
    std::unique_ptr<QApplication> ownApp_;
    FramePanes panes_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace ledsuite
