// CMainFrame: the card dialogs its commands open (search, USB disk, background music,
// infrared remote), each modal and on the active tree's screen.
#include "link/ui/dlg_background_music.h"
#include "link/ui/dlg_controller.h"
#include "link/ui/dlg_udisk.h"
#include "link/ui/link_dlg.h"
#include "music/ui/dlg_build_music.h"
#include "shell/main_frame.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

void CMainFrame::OnCardSearch() {
    // The dialog updates the screen record and announces it with IMC_PORT_SETTINGS_CHANGED.
    CLinkDlg(ScreenRecord(), &relay_, this).exec();
}

void CMainFrame::OnUDisk() {
    CViewTree* tree = ActiveTree();
    DlgUDisk(tree ? &tree->Programs() : nullptr, &relay_, this).exec();
}

void CMainFrame::OnMusic() {
    CDlgBackGroundMusic dlg(this);
    // The music is converted by the sound build dialog; only its OK counts as done.
    dlg.SetConverter([&dlg](const std::vector<std::string>& sources, const std::vector<std::string>& targets) {
        return DlgBuildMusic(sources, targets, &dlg).exec() == QDialog::Accepted;
    });
    dlg.exec();
}

void CMainFrame::OnRemoteControl() {
    const HardwareParams* screen = ScreenRecord();
    CDlgController(screen ? *screen : HardwareParams{}, this).exec();  // its port is closed when it returns
}

}  // namespace ledsuite
