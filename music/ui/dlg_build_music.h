#pragma once
// "Sound/Music Code": the modal progress dialog of the sound build. It runs either the
// program encoder's speech pass (the caller's job, which builds with its own renderer)
// or the conversion of music files into card sound files on a worker thread, moves its
// two bars from the worker's reports, and closes when the worker is done: OK only when
// everything was built, Cancel after a failure (callers then report no success).
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "content/imc_codes.h"
#include "music/sound_build.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QProgressBar;

namespace ledsuite {

// The speech pass: runs on the worker with a renderer of its own, reports its progress
// on `progress` (IMC_BUILD_PROGRESS, see ProgressToChannel) and returns its result.
using SpeechBuildJob = std::function<int(InternalChannel& progress)>;

class DlgBuildMusic : public CDialogFx, public InternalTarget {
    Q_OBJECT
public:
    DlgBuildMusic(SpeechBuildJob job, QWidget* parent = nullptr);
    DlgBuildMusic(std::vector<std::string> sources, std::vector<std::string> targets, QWidget* parent = nullptr);
    // Asks the worker to stop and waits for it.
    ~DlgBuildMusic() override;

    // IMC_BUILD_PROGRESS (arg: const BuildProgressReport*) moves the bars; IMC_BUILD_DONE closes
    // the dialog with OK (speech pass) or with the music build's outcome.
    intptr_t onInternal(int code, intptr_t arg) override;

    int SpeechResult() const { return speechResult_; }
    const MusicBuildResult& MusicResult() const { return musicResult_; }
    QProgressBar* AllBar() const { return all_; }
    QProgressBar* CurrentBar() const { return current_; }
    QLabel* StatusLabel() const { return status_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}      // the worker's end closes the dialog
    void OnCancel() override {}

private:
    void Build();
    void StartSpeech();
    void StartMusic();
    void Post(std::function<void()> call);
    void EndMusic(MusicBuildResult result);

    SpeechBuildJob job_;
    std::vector<std::string> sources_, targets_;
    int speechResult_ = 0;
    MusicBuildResult musicResult_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<InternalChannel> workerChannel_;  // the worker's reports, queued to this dialog
    std::thread worker_;
    QProgressBar *all_ = nullptr, *current_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace ledsuite
