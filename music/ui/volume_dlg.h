#pragma once
// The two volume sliders of the music pane, shown under its Volume button; moving a
// slider changes the pane's volume at once (the playback worker applies it on its next turn).
#include <atomic>

#include <QDialog>

class QLabel;
class QSlider;

namespace ledsuite {

class CVolumeDlg : public QDialog {
    Q_OBJECT
public:
    CVolumeDlg(std::atomic<int>& musicVolume, std::atomic<int>& speechVolume, QWidget* parent = nullptr);
    // Reads the volumes into the sliders and shows the dialog with its top left at `global`.
    void ShowAt(QPoint global);
    QSlider* MusicSlider() const { return music_; }
    QSlider* SpeechSlider() const { return speech_; }

protected:
    void changeEvent(QEvent* event) override;  // the language: the sliders' labels

private:
    void Relabel();

    std::atomic<int>& musicVolume_;
    std::atomic<int>& speechVolume_;
    QSlider *music_, *speech_;
    QLabel *musicLabel_, *speechLabel_;
};

}  // namespace ledsuite
