#include "music/ui/dlg_build_music.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "music/ui/music_text.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

using namespace music_text;

namespace {

// The worker's progress reaches the dialog queued, with a copy of the report (its text
// pointer lives only as long as the send), so a closing dialog never waits on the worker.
class ProgressChannel : public InternalChannel {
public:
    explicit ProgressChannel(DlgBuildMusic* dlg) : dlg_(dlg) {}
    intptr_t send(int code, intptr_t arg) override {
        if (code != IMC_BUILD_PROGRESS) return 0;
        BuildProgressReport report = *reinterpret_cast<const BuildProgressReport*>(arg);
        std::u16string text = report.text ? report.text : u"";
        QMetaObject::invokeMethod(
            dlg_, [dlg = dlg_, report, text]() mutable {
                report.text = text.c_str();
                dlg->onInternal(IMC_BUILD_PROGRESS, reinterpret_cast<intptr_t>(&report));
            },
            Qt::QueuedConnection);
        return 0;
    }
    void post(int code, intptr_t arg) override {
        QMetaObject::invokeMethod(dlg_, [dlg = dlg_, code, arg] { dlg->onInternal(code, arg); }, Qt::QueuedConnection);
    }

private:
    DlgBuildMusic* dlg_;
};

}  // namespace

DlgBuildMusic::DlgBuildMusic(SpeechBuildJob job, QWidget* parent) : CDialogFx(parent), job_(std::move(job)) {
    Build();
}

DlgBuildMusic::DlgBuildMusic(std::vector<std::string> sources, std::vector<std::string> targets, QWidget* parent)
    : CDialogFx(parent), sources_(std::move(sources)), targets_(std::move(targets)) {
    Build();
}

DlgBuildMusic::~DlgBuildMusic() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void DlgBuildMusic::Build() {
    all_ = new QProgressBar(this);
    current_ = new QProgressBar(this);
    status_ = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(new QLabel(ToQString(kAllProgress), this));
    layout->addWidget(all_);
    layout->addWidget(new QLabel(ToQString(kCurrentProgress), this));
    layout->addWidget(current_);
    layout->addWidget(status_);
    SetClientSize(QSize(360, 150));
}

bool DlgBuildMusic::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kSoundCaption));
    for (QProgressBar* bar : {all_, current_}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    if (job_) StartSpeech();
    else StartMusic();
    return true;
}

void DlgBuildMusic::Post(std::function<void()> call) {
    // Queued on the dialog: a call that arrives after the dialog is gone is dropped.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void DlgBuildMusic::StartSpeech() {
    workerChannel_ = std::make_unique<ProgressChannel>(this);
    worker_ = std::thread([this] {
        const int result = job_(*workerChannel_);
        Post([this, result] {
            speechResult_ = result;
            onInternal(IMC_BUILD_DONE, 0);
        });
    });
}

void DlgBuildMusic::StartMusic() {
    MusicBuildCallbacks callbacks;
    callbacks.show = [this](const std::u16string& text) { Post([this, text] { status_->setText(ToQString(text)); }); };
    callbacks.overall = [this](int v) { Post([this, v] { all_->setValue(v); }); };
    callbacks.current = [this](int v) { Post([this, v] { current_->setValue(v); }); };
    callbacks.stop = &stop_;
    worker_ = std::thread([this, callbacks] {
        MusicBuildResult result = BuildMusicFiles(sources_, targets_, callbacks);
        Post([this, result] { EndMusic(result); });
    });
}

void DlgBuildMusic::EndMusic(MusicBuildResult result) {
    musicResult_ = std::move(result);
    const std::u16string text = MusicBuildMessage(musicResult_);
    if (!text.empty()) MessageBoxFx(this, text.c_str(), nullptr, MB_OK);
    onInternal(IMC_BUILD_DONE, 0);
}

intptr_t DlgBuildMusic::onInternal(int code, intptr_t arg) {
    if (code == IMC_BUILD_PROGRESS) {
        const auto& p = *reinterpret_cast<const BuildProgressReport*>(arg);
        all_->setValue(OverallPercent(p));
        current_->setValue(CurrentPercent(p));
        if (p.text) status_->setText(ToQString(p.text));
    } else if (code == IMC_BUILD_DONE) {
        if (worker_.joinable()) worker_.join();
        const bool ok = job_ || musicResult_.status == MusicBuildStatus::Saved;
        done(ok ? QDialog::Accepted : QDialog::Rejected);
    }
    return 0;
}

}  // namespace ledsuite
