// The music pane: building, commands and their states, internal messages.
#include "music/ui/music_ctrl.h"

#include <chrono>
#include <future>

#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "link/link_text.h"
#include "music/ui/lrc_setting_dlg.h"
#include "music/ui/music_text.h"
#include "music/ui/sel_lrc_dlg.h"
#include "music/ui/volume_dlg.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"
#include "toolkit/toolbar_icons.h"

namespace ledsuite {

using namespace music_text;

namespace {

constexpr int kStateTimerMs = 100;
// The Add filter: the formats Debian's GStreamer plugins play, and texts to speak.
constexpr char kAddFilter[] = "(*.mp3);;(*.avi);;(*.midi);;(*.wma);;(*.mpeg);;(*.txt)";

struct CommandDef {
    int id;
    const LangText* text;
    bool checkable;
    const char* icon;
    const char* checkedIcon;  // the icon while checked, or null for the same
};
constexpr CommandDef kCommands[] = {
    {CMusicCtrl::ID_MUSIC_ADD, &kAdd, false, "add", nullptr},
    {CMusicCtrl::ID_MUSIC_PREVIOUS, &kPrevious, false, "previous", nullptr},
    {CMusicCtrl::ID_MUSIC_PLAY, &kPlay, true, "play", "pause"},  // checked while playing: Play pauses
    {CMusicCtrl::ID_MUSIC_STOP, &kStop, false, "stop", nullptr},
    {CMusicCtrl::ID_MUSIC_NEXT, &kNext, false, "next", nullptr},
    {CMusicCtrl::ID_MUSIC_LOOP, &kLoopPlay, true, "loop", nullptr},
    {CMusicCtrl::ID_MUSIC_SHIFT_UP, &kShiftUp, false, "shift_up", nullptr},
    {CMusicCtrl::ID_MUSIC_SHIFT_DOWN, &kShiftDown, false, "shift_down", nullptr},
    {CMusicCtrl::ID_MUSIC_DEL, &kDel, false, "delete", nullptr},
    {CMusicCtrl::ID_MUSIC_VOLUME, &kVolume, false, "volume", nullptr},
    {CMusicCtrl::ID_MUSIC_LRC_SETTING, &kLrcSetting, false, "settings", nullptr},
    {CMusicCtrl::ID_MUSIC_ROLE_SETTING, &kRoleSetting, false, "role", nullptr},
};

// The worker's way back to the pane. Speaking runs on the worker (the engine locks
// itself); the lyric choice runs on the UI thread while the worker waits, and the wait
// ends when playback is asked to stop, so closing the pane never waits on a dialog.
class WorkerChannel : public InternalChannel {
public:
    WorkerChannel(CMusicCtrl* pane, PlaybackShared& shared) : pane_(pane), shared_(shared) {}
    intptr_t send(int code, intptr_t arg) override {
        if (code == IMC_SPEAK_TEXT) return pane_->onInternal(code, arg);
        if (code != IMC_SELECT_LYRIC) return 0;
        // The dialog works on a copy that outlives a stopped worker; the choice, its list and its
        // server come back whole, since the user may have searched again or switched server.
        auto* choice = reinterpret_cast<LyricChoice*>(arg);
        auto shared = std::make_shared<LyricChoice>(*choice);
        auto answer = std::make_shared<std::promise<intptr_t>>();
        auto result = answer->get_future();
        QMetaObject::invokeMethod(
            pane_, [pane = pane_, shared, answer] {
                answer->set_value(pane->onInternal(IMC_SELECT_LYRIC, reinterpret_cast<intptr_t>(shared.get())));
            },
            Qt::QueuedConnection);
        while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            if (shared_.runState == kRunStopRequested) return -1;
        *choice = *shared;
        return result.get();
    }
    void post(int code, intptr_t arg) override {
        QMetaObject::invokeMethod(pane_, [pane = pane_, code, arg] { pane->onInternal(code, arg); },
                                  Qt::QueuedConnection);
    }

private:
    CMusicCtrl* pane_;
    PlaybackShared& shared_;
};

}  // namespace

CMusicCtrl::CMusicCtrl(QWidget* parent, InternalChannel* channel)
    : CMusicCtrl(parent, channel, MakeGstMediaPlayer(), MakeSystemSpeechEngine()) {}

CMusicCtrl::CMusicCtrl(QWidget* parent, InternalChannel* channel, std::unique_ptr<MediaPlayer> media,
                       std::unique_ptr<SpeechEngine> speech)
    : QWidget(parent), channel_(channel), media_(std::move(media)), speech_(std::move(speech)) {
    workerChannel_ = std::make_unique<WorkerChannel>(this, shared_);
    playback_ = std::make_unique<MusicPlayback>(shared_, *media_, *speech_, workerChannel_.get());
    // The two lyric servers are kept in the settings; with no host a search finds nothing.
    QSettings settings;
    server_.hosts = {settings.value(QStringLiteral("Lyrics/Server1")).toString().toStdString(),
                     settings.value(QStringLiteral("Lyrics/Server2")).toString().toStdString()};
    server_.choice = settings.value(QStringLiteral("Lyrics/Choice"), 0).toInt();
    playback_->SetLyricServer(server_);
    ReadVoices();
    Build();
}

CMusicCtrl::~CMusicCtrl() {
    playback_->RequestStop();
    playback_->Join();
}

void CMusicCtrl::ReadVoices() {
    voices_.clear();
    for (int i = 0, n = speech_->VoiceCount(); i < n; ++i) voices_.push_back(speech_->VoiceName(i));
}

void CMusicCtrl::Build() {
    toolbar_ = new QToolBar(this);
    BuildToolbar();
    list_ = new CMyListCtrl(this);
    list_->setColumnCount(kColumnCount);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    const int widths[kColumnCount] = {60, 160, 120, 120, 40, 80, 80};
    for (int c = 0; c < kColumnCount; ++c) list_->setColumnWidth(c, widths[c]);
    connect(list_, &CMyListCtrl::BeginCellEdit, this, &CMusicCtrl::OnBeginCellEdit);
    connect(list_, &CMyListCtrl::EndCellEdit, this, &CMusicCtrl::OnEndCellEdit);
    connect(list_, &QTableWidget::itemSelectionChanged, this, &CMusicCtrl::UpdateCommandStates);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar_);
    layout->addWidget(list_, 1);
    volume_ = new CVolumeDlg(shared_.musicVolume, shared_.speechVolume, this);
    // The worker ends by itself (end of list, broken link): the states follow it.
    stateTimer_ = new QTimer(this);
    connect(stateTimer_, &QTimer::timeout, this, &CMusicCtrl::UpdateCommandStates);
    stateTimer_->start(kStateTimerMs);
    ApplyLanguage();
    UpdateCommandStates();
}

void CMusicCtrl::BuildToolbar() {
    UseIconButtons(toolbar_);
    for (const CommandDef& c : kCommands) {
        QAction* a = toolbar_->addAction(ToolbarIcon(c.icon, c.checkedIcon), QString());
        a->setData(c.id);
        a->setCheckable(c.checkable);
        connect(a, &QAction::triggered, this, [this, id = c.id] { RunCommand(id); });
    }
}

void CMusicCtrl::ApplyLanguage() {
    for (const CommandDef& c : kCommands) {
        Action(c.id)->setText(ToQString(*c.text));
        Action(c.id)->setToolTip(ToQString(*c.text));
    }
    QStringList labels;
    namespace m = music_text;
    for (const LangText* t : {&m::kColIndex, &m::kColTitle, &m::kColRole, &m::kColPause, &m::kColRate,
                              &m::kColStart, &m::kColStop})
        labels << ToQString(*t);
    list_->setHorizontalHeaderLabels(labels);
}

void CMusicCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) ApplyLanguage();
    QWidget::changeEvent(event);
}

QAction* CMusicCtrl::Action(int id) const {
    for (QAction* a : toolbar_->actions())
        if (a->data().toInt() == id) return a;
    return nullptr;
}

void CMusicCtrl::UpdateCommandStates() {
    const bool rows = list_->rowCount() > 0;
    const int state = shared_.runState;
    const bool running = state == kRunPlaying || state == kRunPaused;
    if (state == kRunStopped && playback_->WorkerAlive()) playback_->Join();
    Action(ID_MUSIC_PREVIOUS)->setEnabled(rows);
    Action(ID_MUSIC_NEXT)->setEnabled(rows);
    Action(ID_MUSIC_DEL)->setEnabled(rows);
    Action(ID_MUSIC_PLAY)->setChecked(state == kRunPlaying);
    Action(ID_MUSIC_PLAY)->setEnabled(rows && state != kRunStopRequested);
    // A running playback can always be stopped, even after all its rows were deleted.
    Action(ID_MUSIC_STOP)->setEnabled(running);
    Action(ID_MUSIC_LOOP)->setChecked(shared_.Settings().loop != 0);
}

void CMusicCtrl::RunCommand(int id) {
    switch (id) {
        case ID_MUSIC_ADD: OnAdd(); break;
        case ID_MUSIC_PREVIOUS: OnStep(-1); break;
        case ID_MUSIC_PLAY: OnPlay(); break;
        case ID_MUSIC_STOP: OnStop(); break;
        case ID_MUSIC_NEXT: OnStep(1); break;
        case ID_MUSIC_LOOP: {
            std::lock_guard<std::mutex> lock(shared_.mutex);
            shared_.settings.loop = shared_.settings.loop ? 0 : 1;
            break;
        }
        case ID_MUSIC_SHIFT_UP: OnShift(-1); break;
        case ID_MUSIC_SHIFT_DOWN: OnShift(1); break;
        case ID_MUSIC_DEL: OnDel(); break;
        case ID_MUSIC_VOLUME: OnVolume(); break;
        case ID_MUSIC_LRC_SETTING: OnLrcSetting(); break;
        default: break;  // Role Setting does nothing
    }
    UpdateCommandStates();
}

void CMusicCtrl::OnAdd() {
    const QString path = QFileDialog::getOpenFileName(this, ToQString(kAdd), QString(), QString::fromLatin1(kAddFilter));
    if (!path.isEmpty()) AddFile(path);
}

HardwareParams CMusicCtrl::ScreenRecord() const {
    intptr_t answer = channel_ ? channel_->send(IMC_GET_SCREEN_RECORD, 0) : 0;
    return answer ? *reinterpret_cast<const HardwareParams*>(answer) : HardwareParams{};
}

void CMusicCtrl::OnPlay() {
    const int state = shared_.runState;
    if (state == kRunPaused) return playback_->Resume();
    if (state == kRunPlaying) return playback_->Pause();
    if (state != kRunStopped) return;
    const HardwareParams screen = ScreenRecord();
    ShowStartMessage(playback_->Start(screen), screen.comIndex + 1);
}

void CMusicCtrl::ShowStartMessage(StartResult result, int comNumber) {
    std::u16string text;
    switch (result) {
        case StartResult::PortFailed: text = SerialPortMessage(comNumber); break;
        case StartResult::NoCard: text = kNoCtrlCard(); break;
        case StartResult::NoLyricSupport: text = kNoLyricShow(); break;
        case StartResult::StartedWithoutSize: text = kSignSizeFailed(); break;
        default: return;
    }
    MessageBoxFx(this, text.c_str(), nullptr, MB_OK);
}

void CMusicCtrl::OnStop() {
    // The worker stops the media, purges speech and closes the port on its way out.
    playback_->RequestStop();
}

void CMusicCtrl::OnVolume() {
    QWidget* button = toolbar_->widgetForAction(Action(ID_MUSIC_VOLUME));
    volume_->ShowAt(button ? button->mapToGlobal(QPoint(0, button->height())) : mapToGlobal(QPoint(0, 0)));
}

void CMusicCtrl::OnLrcSetting() {
    LrcSettings copy = shared_.Settings();
    CLRCSettingDlg dlg(copy, ScreenRecord().fontChip, this);
    if (dlg.exec() != QDialog::Accepted) return;
    std::lock_guard<std::mutex> lock(shared_.mutex);
    shared_.settings = copy;
}

void CMusicCtrl::SetLyricServer(const LyricServerConfig& server) {
    server_ = server;
    playback_->SetLyricServer(server_);
}

int CMusicCtrl::SelectLyric(LyricChoice& choice) {
    CSelLrcDlg dlg(choice.matches, choice.server, this);
    dlg.exec();
    choice.chosen = dlg.Chosen();
    server_.choice = choice.server.choice;  // the Server choice stays for the next search
    playback_->SetLyricServer(server_);
    QSettings().setValue(QStringLiteral("Lyrics/Choice"), server_.choice);
    return choice.chosen;
}

void CMusicCtrl::ShowNoLyricServer() {
    MessageBoxFx(this, NoLyricServerMessage(ToU16(QSettings().fileName())).c_str(), kLyricShow(), MB_OK);
}

bool CMusicCtrl::SendLyricLine(std::u16string_view text, size_t length) {
    return playback_->WorkerAlive() && playback_->SendLyricLine(text, length);
}

intptr_t CMusicCtrl::onInternal(int code, intptr_t arg) {
    switch (code) {
        case IMC_STARTUP_DONE: return LoadPlaylist();
        case IMC_SHUTDOWN:
            playback_->RequestStop();
            playback_->Join();
            return SavePlaylist() ? 1 : -1;  // a negative answer: "playlist.dat" was not written
        case IMC_GET_VOICE_ROLES: return reinterpret_cast<intptr_t>(&voices_);
        case IMC_LANGUAGE_CHANGED: ApplyLanguage(); return 0;
        case IMC_SELECT_LYRIC: return SelectLyric(*reinterpret_cast<LyricChoice*>(arg));
        case IMC_NO_LYRIC_SERVER: ShowNoLyricServer(); return 0;
        case IMC_LINK_BROKEN:
            UpdateCommandStates();
            MessageBoxFx(this, kLinkBroken(), kLyricShow(), MB_OK);
            return 0;
        case IMC_SPEAK_TEXT: return speech_->Speak(*reinterpret_cast<const std::u16string*>(arg));
        case IMC_PLAYBACK_BEGIN:
        case IMC_LYRIC_LINE:
        case IMC_PLAYBACK_END: return 0;  // notices only
        default: return 0;
    }
}

}  // namespace ledsuite
