#pragma once
// The "Music Player" page: a toolbar over the playlist (media files and text files), the
// lyric-show settings, the volumes, and the playback worker that plays the rows and
// sends the lyric lines to the sign. The tab host talks to it through onInternal.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "content/imc_codes.h"
#include "content/model/records.h"
#include "music/playback.h"

class QAction;
class QToolBar;
class QTimer;

namespace ledsuite {

class CMyListCtrl;
class CVolumeDlg;

class CMusicCtrl : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    enum Command : int {
        ID_MUSIC_ADD = 32882, ID_MUSIC_PREVIOUS, ID_MUSIC_PLAY, ID_MUSIC_STOP, ID_MUSIC_NEXT, ID_MUSIC_LOOP,
        ID_MUSIC_SHIFT_UP, ID_MUSIC_SHIFT_DOWN, ID_MUSIC_DEL, ID_MUSIC_VOLUME, ID_MUSIC_LRC_SETTING,
        ID_MUSIC_ROLE_SETTING,
    };
    enum Column : int { kColIndex, kColTitle, kColRole, kColPause, kColRate, kColStart, kColStop, kColumnCount };

    // Plays through GStreamer and the system's speech engine.
    CMusicCtrl(QWidget* parent, InternalChannel* channel);
    // The same with the given media player and speech engine.
    CMusicCtrl(QWidget* parent, InternalChannel* channel, std::unique_ptr<MediaPlayer> media,
               std::unique_ptr<SpeechEngine> speech);
    // Stops the worker and waits for it.
    ~CMusicCtrl() override;

    // IMC_STARTUP_DONE loads "playlist.dat", IMC_SHUTDOWN stops playback and saves it,
    // IMC_GET_VOICE_ROLES answers a const std::vector<std::u16string>* of the voice names,
    // IMC_LANGUAGE_CHANGED relabels, IMC_SELECT_LYRIC (arg: LyricChoice*) lets the user
    // choose (searching again, switching server) and answers the chosen row or -1,
    // IMC_LINK_BROKEN and IMC_NO_LYRIC_SERVER tell the user, IMC_SPEAK_TEXT (arg: const
    // std::u16string*) speaks without waiting (from the worker too: the engine locks itself).
    intptr_t onInternal(int code, intptr_t arg) override;

    bool SavePlaylist();
    bool LoadPlaylist();
    // Sends one line to the sign on the playback port (only while the worker runs).
    bool SendLyricLine(std::u16string_view text, size_t length = 0);

    // Adds a file as a row; false (with a message) for a path over 259 units or a full list.
    bool AddFile(const QString& path);
    void RunCommand(int id);
    void UpdateCommandStates();

    QAction* Action(int id) const;
    CMyListCtrl* List() const { return list_; }
    PlaybackShared& Shared() { return shared_; }
    MusicPlayback& Playback() { return *playback_; }
    CVolumeDlg* VolumeDialog() const { return volume_; }
    const std::vector<std::u16string>& VoiceNames() const { return voices_; }
    // The lyric servers (read from the settings at construction).
    void SetLyricServer(const LyricServerConfig& server);

protected:
    void changeEvent(QEvent* event) override;  // the language: toolbar and columns re-labelled

private:
    void Build();
    void BuildToolbar();
    void ApplyLanguage();
    void ReadVoices();
    void OnAdd();
    void OnPlay();
    void OnStop();
    void OnStep(int delta);
    void OnShift(int delta);
    void OnDel();
    void OnVolume();
    void OnLrcSetting();
    void ShowStartMessage(StartResult result, int comNumber);
    int SelectLyric(LyricChoice& choice);
    void ShowNoLyricServer();
    void FillRow(int row, const PlaylistEntry& entry);
    void FillList();
    void OnBeginCellEdit(int column, int row);
    void OnEndCellEdit(int column, int row);
    HardwareParams ScreenRecord() const;

    InternalChannel* channel_;
    std::unique_ptr<MediaPlayer> media_;
    std::unique_ptr<SpeechEngine> speech_;
    std::unique_ptr<InternalChannel> workerChannel_;  // the worker's way back to this pane
    PlaybackShared shared_;
    std::unique_ptr<MusicPlayback> playback_;
    LyricServerConfig server_;
    std::vector<std::u16string> voices_;
    QToolBar* toolbar_ = nullptr;
    CMyListCtrl* list_ = nullptr;
    CVolumeDlg* volume_ = nullptr;
    QTimer* stateTimer_ = nullptr;
};

}  // namespace ledsuite
