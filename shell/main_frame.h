#pragma once
// CMainFrame: the one top-level window. Menu bar, main toolbar, status bar, the outlook
// bar with the navigation pages on the left, and the client area of two splitters: the
// view above the editor tab host in the left column, the property window in the right.
// It owns the relay every pane talks through, runs the toolbar's card commands,
// switches the UI language and keeps the panes in proportion when it is sized.
//
// The frame is split by concern: main_frame.cpp (building and sizing), main_frame_actions.cpp
// (the action table, menus, toolbar, language switch, command states), card_commands.cpp
// (send, read back, power, clock, preview, zoom, port settings).
#include <map>
#include <vector>

#include <QMainWindow>

#include "content/model/lang.h"
#include "content/model/records.h"
#include "link/transfer.h"
#include "shell/dlg_preference.h"
#include "shell/frame_layout.h"
#include "shell/frame_panes.h"
#include "shell/relay.h"
#include "shell/server_session.h"
#include "shell/zu_doc.h"

class QLabel;
class QToolBar;

namespace ledsuite {

class COutlookBar;
class CFixedSplitter;
class CViewSingle;
class CViewTree;
class RSEditorWnd;

// Command ids of the menus and the main toolbar.
enum FrameCommand : int {
    ID_FILE_NEW = 0xE100,
    ID_FILE_OPEN = 0xE101,
    ID_FILE_SAVE = 0xE103,
    ID_FILE_SAVE_AS = 0xE104,
    ID_APP_ABOUT = 0xE140,
    ID_APP_EXIT = 0xE141,
    ID_CARD_SEARCH = 32836,
    ID_CARD_SEND = 32837,
    ID_CARD_UPLOAD = 32838,
    ID_POWER_ON = 32839,
    ID_POWER_OFF = 32840,
    ID_SYN_TIME = 32841,
    ID_PREVIEW = 32842,
    ID_ZOOM_IN = 32843,
    ID_ZOOM_OUT = 32844,
    ID_ZOOM_CENTER = 32845,
    ID_UDISK = 32846,
    ID_MUSIC = 32847,
    ID_LANGUAGE_AUTO = 32849,  // .. 32852: UiLanguageSetting 0..3
    ID_REMOTE_CONTROL = 32915,
    ID_LRC_EDITOR = 32916,
    ID_CHANGE_PASSWORD = 32968,
    ID_PREFERENCE = 32980,
};

// The card commands' modes.
enum CardMode : int { kModeProgram = 0, kModeHardware = 1 };

class CMainFrame : public QMainWindow, public FrameCommands {
    Q_OBJECT
public:
    // Builds the frame hidden, with the panes `panes` makes; the application's start-up
    // steps (screen record, fonts, root, selection, mode, language, voice roles) run here.
    explicit CMainFrame(const FramePanes& panes = DefaultFramePanes(), QWidget* parent = nullptr);
    ~CMainFrame() override;

    Relay& Channel() { return relay_; }
    CZUDoc& Document() { return doc_; }
    // The vehicle-server session: connected at start-up when the settings name a server.
    ServerSession& Server() { return server_; }
    // The run's row-colour preferences (Setting > Preference works on it in place).
    PreferenceBlock& Preferences() { return preferences_; }
    CViewSingle* SinglePage() const { return single_; }
    RSEditorWnd* EditorHost() const { return editorHost_; }
    QWidget* PropertyWindow() const { return property_.widget; }
    QWidget* ViewWidget() const { return view_.widget; }
    COutlookBar* OutlookBar() const { return outlook_; }
    QToolBar* MainToolBar() const { return toolbar_; }
    QLabel* PortPane() const { return portPane_; }
    CFixedSplitter* OuterSplitter() const { return outer_; }
    CFixedSplitter* InnerSplitter() const { return inner_; }
    bool IsReady() const { return ready_; }
    // The menu and toolbar actions of a command (empty when it has none).
    std::vector<QAction*> Commands(int id) const;
    void Trigger(int id);

    // Tests and the application route messages and waits here.
    void SetMessageSink(MessageSink sink);
    void SetTransferTimeouts(const TransferTimeouts& timeouts) { timeouts_ = timeouts; }

    // Language switch: the setting (0 automatic .. 3 English), then every window re-labelled.
    void OnLanguage(uint32_t setting);
    void ApplyLanguage();
    void UpdateCommandStates();
    // The split the sizing rule gives for the frame's present size.
    FrameSplit CurrentSplit() const;

    // Card commands. Send: mode 0 compiles the active tree, mode 1 sends the caller's block
    // (its first word the length). Read back: mode 0 loads the image into the tree, mode 1
    // fills the caller's 1024-byte buffer. The answer is the transfer's result.
    int SendToCard(const uint8_t* block, int mode);
    // Mode 1 copies the block into `buffer` (1024 bytes) and stores how many bytes came.
    int ReadFromCard(uint8_t* buffer, int mode, size_t* received = nullptr);

    // FrameCommands.
    void OnViewModeChanged() override { UpdateCommandStates(); }
    intptr_t OnPortSettingsChanged() override;
    intptr_t OnReapplyState() override;
    intptr_t OnSendHardwareParams(intptr_t block) override;
    intptr_t OnReadHardwareParams(intptr_t buffer) override;
    bool ServerConnected() override { return server_.IsConnected(); }
    void CommitOpenEdit() override;
    void OnContentChanged(int code) override;
    // The status bar's port pane for the screen as it is now.
    void UpdatePortPane();

    // No pane menu: a right-click on the toolbar, the menu bar or the outlook bar would offer
    // to hide them, and the card commands on the toolbar have no menu entry to fall back on.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Building (main_frame.cpp).
    void ApplyVisualStyle();
    void BuildClientArea(const FramePanes& panes);
    void BuildStatusBar();
    void BuildOutlookBar(const FramePanes& panes);
    void RunStartupSteps();
    void ApplySplit();
    // The client area less the outlook bar and the bars above and below.
    QSize PaneArea() const;
    InternalTarget* View() const { return view_.target; }
    CViewTree* ActiveTree();
    HardwareParams* ScreenRecord();
    // The action table (main_frame_actions.cpp).
    void BuildMenus();
    void BuildMainToolBar();
    QAction* AddAction(QObject* owner, int id, int labelIndex);
    void RunCommand(int id);
    void RelabelMenus();
    void RelabelToolBar();
    void OnPreference();
    void OnChangePassword();
    // Card commands (card_commands.cpp).
    void ShowMessage(const std::u16string& text);
    TransferResult RunTransfer(std::vector<uint8_t> buffer, size_t length, CardMode mode, const HardwareParams& screen,
                               bool send);
    void OnPower(bool on);
    void OnSyncTime();
    void OnPreview();
    void OnZoom(int how);
    // The card dialogs (card_dialogs.cpp).
    void OnCardSearch();
    void OnUDisk();
    void OnMusic();
    void OnRemoteControl();

    Relay relay_;
    CZUDoc doc_;
    ServerSession server_;
    PreferenceBlock preferences_{};
    QToolBar* toolbar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* portPane_ = nullptr;
    COutlookBar* outlook_ = nullptr;
    CFixedSplitter* outer_ = nullptr;
    CFixedSplitter* inner_ = nullptr;
    CViewSingle* single_ = nullptr;
    Pane multi_;
    RSEditorWnd* editorHost_ = nullptr;
    Pane property_;
    Pane view_;
    bool ready_ = false;
    std::map<int, std::vector<QAction*>> actions_;
    std::map<QObject*, const LangText*> menuTitles_;  // pop-up menus and their texts
    MessageSink message_;
    TransferTimeouts timeouts_;
    int mountWatch_ = -1;  // signals when a volume is mounted or unmounted (UDisk's state)
};

}  // namespace ledsuite
