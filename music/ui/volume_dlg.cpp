#include "music/ui/volume_dlg.h"

#include <QFormLayout>
#include <QSlider>

#include "music/ui/music_text.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

CVolumeDlg::CVolumeDlg(std::atomic<int>& musicVolume, std::atomic<int>& speechVolume, QWidget* parent)
    : QDialog(parent, Qt::Popup), musicVolume_(musicVolume), speechVolume_(speechVolume) {
    music_ = new QSlider(Qt::Horizontal, this);
    music_->setRange(1, 1000);
    speech_ = new QSlider(Qt::Horizontal, this);
    speech_->setRange(1, 100);
    auto* form = new QFormLayout(this);
    form->addRow(ToQString(music_text::kMusicVolume), music_);
    form->addRow(ToQString(music_text::kSpeechVolume), speech_);
    connect(music_, &QSlider::valueChanged, this, [this](int v) { musicVolume_ = v; });
    connect(speech_, &QSlider::valueChanged, this, [this](int v) { speechVolume_ = v; });
}

void CVolumeDlg::ShowAt(QPoint global) {
    music_->setValue(musicVolume_);
    speech_->setValue(speechVolume_);
    move(global);
    show();
}

}  // namespace ledsuite
