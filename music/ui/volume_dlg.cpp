#include "music/ui/volume_dlg.h"

#include <QEvent>
#include <QFormLayout>
#include <QLabel>
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
    musicLabel_ = new QLabel(this);
    speechLabel_ = new QLabel(this);
    auto* form = new QFormLayout(this);
    form->addRow(musicLabel_, music_);
    form->addRow(speechLabel_, speech_);
    Relabel();
    connect(music_, &QSlider::valueChanged, this, [this](int v) { musicVolume_ = v; });
    connect(speech_, &QSlider::valueChanged, this, [this](int v) { speechVolume_ = v; });
}

void CVolumeDlg::Relabel() {
    musicLabel_->setText(ToQString(music_text::kMusicVolume));
    speechLabel_->setText(ToQString(music_text::kSpeechVolume));
}

void CVolumeDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) Relabel();
    QDialog::changeEvent(event);
}

void CVolumeDlg::ShowAt(QPoint global) {
    music_->setValue(musicVolume_);
    speech_->setValue(speechVolume_);
    move(global);
    show();
}

}  // namespace ledsuite
