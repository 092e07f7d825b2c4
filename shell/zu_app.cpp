#include "shell/zu_app.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include "shell/main_frame.h"

namespace ledsuite {

CZUApp::CZUApp(int& argc, char** argv, FramePanes panes) : panes_(std::move(panes)) {
    if (!QApplication::instance()) ownApp_ = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QLatin1String(kSettingsOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kSettingsApplication));
}

CZUApp::~CZUApp() { frame_.reset(); }

bool CZUApp::InitInstance() {
    frame_ = std::make_unique<CMainFrame>(panes_);
    // No window placement is stored or restored: the frame takes its default size.
    frame_->resize(1000, 700);
    LoadCustomState();
    frame_->show();
    frame_->Channel().send(IMC_STARTUP_DONE, 0);
    frame_->raise();
    frame_->activateWindow();
    return true;
}

// Runs once the frame stands: the screen is announced to the view again and the language
// applied once more. No saved state is read: window placement is neither stored nor restored.
void CZUApp::LoadCustomState() { frame_->Channel().send(IMC_REAPPLY_STATE, 0); }

int CZUApp::ExitInstance() {
    QSettings().remove(QStringLiteral("Workspace"));
    return 0;
}

int CZUApp::Run() {
    if (!InitInstance()) return 1;
    // Start-up time measurements end the run as soon as the window is shown.
    if (qEnvironmentVariableIntValue("LEDSUITE_QUIT_WHEN_SHOWN") == 1) QTimer::singleShot(0, qApp, &QApplication::quit);
    const int code = QApplication::exec();
    ExitInstance();
    return code;
}

}  // namespace ledsuite
