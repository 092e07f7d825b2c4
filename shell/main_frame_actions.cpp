// CMainFrame: the action table (id, text, toolbar label, icon, handler), the menus and the
// main toolbar built from it, the language switch and the command states.
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "content/model/lang.h"
#include "link/removable_drives.h"
#include "link/ui/dlg_change_password.h"
#include "shell/editor_host.h"
#include "shell/main_frame.h"
#include "shell/outlook_bar.h"
#include "shell/shell_texts.h"
#include "shell/view_single.h"
#include "shell/zu_doc.h"
#include "toolkit/qt_language.h"
#include "toolkit/qt_text.h"
#include "toolkit/small_widgets.h"

namespace ledsuite {

namespace {

constexpr int kNoLabel = -1;

struct ActionEntry {
    int id;
    const LangText* menuText;  // null: toolbar only
    int labelIndex;            // main toolbar label index, kNoLabel: menu only
    QStyle::StandardPixmap icon;
};

const ActionEntry kActions[] = {
    {ID_FILE_NEW, &kMenuNew, 0, QStyle::SP_FileIcon},
    {ID_FILE_OPEN, &kMenuOpen, 1, QStyle::SP_DialogOpenButton},
    {ID_FILE_SAVE, &kMenuSave, 2, QStyle::SP_DialogSaveButton},
    {ID_FILE_SAVE_AS, &kMenuSaveAs, kNoLabel, QStyle::SP_DialogSaveButton},
    {ID_APP_EXIT, &kMenuExit, kNoLabel, QStyle::SP_DialogCloseButton},
    {ID_CARD_SEARCH, nullptr, 4, QStyle::SP_FileDialogContentsView},
    {ID_CARD_SEND, nullptr, 5, QStyle::SP_ArrowUp},
    {ID_CARD_UPLOAD, nullptr, 6, QStyle::SP_ArrowDown},
    {ID_POWER_ON, nullptr, 7, QStyle::SP_DialogYesButton},
    {ID_POWER_OFF, nullptr, 8, QStyle::SP_DialogNoButton},
    {ID_SYN_TIME, nullptr, 9, QStyle::SP_BrowserReload},
    {ID_PREVIEW, nullptr, 11, QStyle::SP_MediaPlay},
    {ID_ZOOM_IN, nullptr, 12, QStyle::SP_ArrowForward},
    {ID_ZOOM_OUT, nullptr, 13, QStyle::SP_ArrowBack},
    {ID_ZOOM_CENTER, nullptr, 14, QStyle::SP_DesktopIcon},
    {ID_UDISK, nullptr, 16, QStyle::SP_DriveHDIcon},
    {ID_MUSIC, nullptr, 17, QStyle::SP_MediaVolume},
    {ID_LANGUAGE_AUTO, &kLangAuto, kNoLabel, QStyle::SP_CustomBase},
    {ID_LANGUAGE_AUTO + 1, &kLangSimplified, kNoLabel, QStyle::SP_CustomBase},
    {ID_LANGUAGE_AUTO + 2, &kLangTraditional, kNoLabel, QStyle::SP_CustomBase},
    {ID_LANGUAGE_AUTO + 3, &kLangEnglish, kNoLabel, QStyle::SP_CustomBase},
    {ID_CHANGE_PASSWORD, &kMenuChangePassword, kNoLabel, QStyle::SP_CustomBase},
    {ID_PREFERENCE, &kMenuPreference, kNoLabel, QStyle::SP_CustomBase},
    {ID_REMOTE_CONTROL, &kMenuRemoteControl, kNoLabel, QStyle::SP_CustomBase},
    {ID_LRC_EDITOR, &kMenuLrcEditor, kNoLabel, QStyle::SP_CustomBase},
    {ID_APP_ABOUT, &kMenuAbout, kNoLabel, QStyle::SP_MessageBoxInformation},
};

// The main toolbar in button order: label indexes, a negative index marks a separator.
const int kToolbarLayout[] = {0, 1, 2, -3, 4, 5, 6, 7, 8, 9, -10, 11, 12, 13, 14, -15, 16, 17};

const ActionEntry* Entry(int id) {
    for (const ActionEntry& e : kActions)
        if (e.id == id) return &e;
    return nullptr;
}
const ActionEntry* EntryByLabel(int labelIndex) {
    for (const ActionEntry& e : kActions)
        if (e.labelIndex == labelIndex) return &e;
    return nullptr;
}

}  // namespace

QAction* CMainFrame::AddAction(QObject* owner, int id, int labelIndex) {
    const ActionEntry* e = Entry(id);
    auto* action = new QAction(owner);
    action->setData(id);
    action->setProperty("labelIndex", labelIndex);
    if (e->icon != QStyle::SP_CustomBase) action->setIcon(style()->standardIcon(e->icon));
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id].push_back(action);
    return action;
}

void CMainFrame::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto popup = [this](QWidget* parent, const LangText* title) {
        auto* menu = new QMenu(parent);
        menuTitles_[menu] = title;
        return menu;
    };
    QMenu* file = popup(bar, &kMenuFile);
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        file->addAction(AddAction(file, id, kNoLabel));
    file->addSeparator();
    file->addAction(AddAction(file, ID_APP_EXIT, kNoLabel));
    QMenu* setting = popup(bar, &kMenuSetting);
    QMenu* language = popup(setting, &kMenuLanguage);
    for (int i = 0; i < 4; ++i) {
        QAction* a = AddAction(language, ID_LANGUAGE_AUTO + i, kNoLabel);
        a->setCheckable(true);
        language->addAction(a);
    }
    setting->addMenu(language);
    setting->addAction(AddAction(setting, ID_CHANGE_PASSWORD, kNoLabel));
    setting->addAction(AddAction(setting, ID_PREFERENCE, kNoLabel));
    QMenu* tool = popup(bar, &kMenuTool);
    tool->addAction(AddAction(tool, ID_REMOTE_CONTROL, kNoLabel));
    tool->addAction(AddAction(tool, ID_LRC_EDITOR, kNoLabel));
    QMenu* help = popup(bar, &kMenuHelp);
    help->addAction(AddAction(help, ID_APP_ABOUT, kNoLabel));
    for (QMenu* m : {file, setting, tool, help}) bar->addMenu(m);
}

void CMainFrame::BuildMainToolBar() {
    toolbar_ = addToolBar(QStringLiteral("Standard"));
    toolbar_->setObjectName(QStringLiteral("Standard"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize({24, 24});
    toolbar_->setMovable(true);
    for (int index : kToolbarLayout) {
        if (index < 0) {
            toolbar_->addSeparator()->setProperty("labelIndex", -index);
            continue;
        }
        const ActionEntry* e = EntryByLabel(index);
        QAction* a = AddAction(toolbar_, e->id, index);
        if (e->id == ID_PREVIEW) a->setCheckable(true);
        toolbar_->addAction(a);
    }
}

std::vector<QAction*> CMainFrame::Commands(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? std::vector<QAction*>{} : it->second;
}

void CMainFrame::Trigger(int id) {
    const std::vector<QAction*> actions = Commands(id);
    if (!actions.empty() && actions.front()->isEnabled()) actions.front()->trigger();
}

void CMainFrame::RunCommand(int id) {
    // A value still being typed counts: the commands read the records (and Exit asks about them).
    relay_.send(IMC_COMMIT_PENDING_EDIT, 0);
    switch (id) {
        case ID_FILE_NEW: doc_.OnNewDocument(); break;
        case ID_FILE_OPEN: relay_.send(IMC_FILE_OPEN, 0); break;
        case ID_FILE_SAVE:
        case ID_FILE_SAVE_AS: doc_.DoFileSave(); break;
        case ID_APP_EXIT: close(); break;
        case ID_APP_ABOUT: CAboutDlg(this).exec(); break;
        case ID_CARD_SEND: SendToCard(nullptr, kModeProgram); break;
        case ID_CARD_UPLOAD: ReadFromCard(nullptr, kModeProgram); break;
        case ID_POWER_ON: OnPower(true); break;
        case ID_POWER_OFF: OnPower(false); break;
        case ID_SYN_TIME: OnSyncTime(); break;
        case ID_PREVIEW: OnPreview(); break;
        case ID_ZOOM_IN: OnZoom(0); break;
        case ID_ZOOM_OUT: OnZoom(1); break;
        case ID_ZOOM_CENTER: OnZoom(2); break;
        case ID_CARD_SEARCH: OnCardSearch(); break;
        case ID_UDISK: OnUDisk(); break;
        case ID_MUSIC: OnMusic(); break;
        case ID_REMOTE_CONTROL: OnRemoteControl(); break;
        case ID_LRC_EDITOR: break;  // the lyric editor has no window
        case ID_PREFERENCE: OnPreference(); break;
        case ID_CHANGE_PASSWORD: OnChangePassword(); break;
        default:
            if (id >= ID_LANGUAGE_AUTO && id <= ID_LANGUAGE_AUTO + 3) OnLanguage(uint32_t(id - ID_LANGUAGE_AUTO));
            break;
    }
    UpdateCommandStates();
}

// ---- the Setting menu's dialogs, on the server session (null socket: no connection) ----

void CMainFrame::OnPreference() {
    DlgPreference(this, &preferences_, &server_).exec();
}

void CMainFrame::OnChangePassword() {
    DlgChangePassword(this, server_.Socket(), server_.UserId()).exec();
}

// ---- language ----

void CMainFrame::OnLanguage(uint32_t setting) {
    SetUiLanguage(setting);
    ApplyLanguage();
}

void CMainFrame::RelabelMenus() {
    for (const auto& [menu, title] : menuTitles_) static_cast<QMenu*>(menu)->setTitle(ToQString(*title));
    for (const auto& [id, actions] : actions_)
        for (QAction* a : actions)
            if (a->property("labelIndex").toInt() == kNoLabel) a->setText(ToQString(*Entry(id)->menuText));
    menuBar()->update();
}

void CMainFrame::RelabelToolBar() {
    // Every button, separators included, takes the label of its index ("Unknow" for separators).
    for (QAction* a : toolbar_->actions()) a->setText(ToQString(ToolbarLabel(a->property("labelIndex").toInt())));
    toolbar_->updateGeometry();
}

void CMainFrame::ApplyLanguage() {
    // Qt's own texts follow, and every widget (panes, toolbars, lists, dialogs kept for later)
    // re-labels itself on the LanguageChange event this sends.
    ApplyQtLanguage(UiLanguageIndex());
    RelabelMenus();
    RelabelToolBar();
    outlook_->SetPageLabel(0, ToQString(kPageProgramManager));
    if (outlook_->PageCount() > 1) outlook_->SetPageLabel(1, ToQString(kPageProgramRelease));
    outlook_->setWindowTitle(ToQString(kOutlookCaption));
    for (InternalTarget* pane : {View(), property_.target, static_cast<InternalTarget*>(editorHost_),
                                 static_cast<InternalTarget*>(single_), multi_.target})
        if (pane) pane->onInternal(IMC_LANGUAGE_CHANGED, 0);
    doc_.SetTitle();
    setWindowTitle(doc_.Title());
    UpdateCommandStates();
}

// ---- command states ----

void CMainFrame::UpdateCommandStates() {
    auto set = [this](int id, bool enabled, bool checked = false) {
        for (QAction* a : Commands(id)) {
            a->setEnabled(enabled);
            if (a->isCheckable()) a->setChecked(checked);
        }
    };
    const bool single = NavigationMode() == 0;
    const bool locked = PreviewLock();
    for (int id = ID_CARD_SEARCH; id <= ID_ZOOM_CENTER; ++id) set(id, single, id == ID_PREVIEW && locked);
    // UDisk needs a drive to write to, whatever the mode; Music works in both modes.
    set(ID_UDISK, !ListRemovableDrives().empty());
    set(ID_MUSIC, true);
    if (locked) {
        for (int id : {int(ID_CARD_UPLOAD), int(ID_FILE_NEW), int(ID_FILE_OPEN)}) set(id, false);
    } else {
        for (int id : {int(ID_FILE_NEW), int(ID_FILE_OPEN)}) set(id, true);
    }
    // The change is a server request for the logged-in user: a connection and a user id.
    set(ID_CHANGE_PASSWORD, server_.IsConnected() && server_.UserId() != 0);
    for (uint32_t i = 0; i < 4; ++i) set(ID_LANGUAGE_AUTO + int(i), true, UiLanguageSetting() == i);
    if (single_) single_->UpdateCommandStates();
    UpdatePortPane();
}

}  // namespace ledsuite
