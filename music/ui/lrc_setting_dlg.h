#pragma once
// "LRC Setting": the lyric-show settings of the music pane (font height offered by the
// screen's font chip, colour, languages, alignment, move speed, sentence pause, default
// text). Edits the record it is given on OK.
#include <cstdint>

#include "music/playlist.h"
#include "toolkit/dialog_fx.h"

class QComboBox;
class QLineEdit;

namespace ledsuite {

class CLRCSettingDlg : public CDialogFx {
    Q_OBJECT
public:
    CLRCSettingDlg(LrcSettings& settings, uint16_t fontChip, QWidget* parent = nullptr);

    QComboBox* HeightBox() const { return height_; }
    QComboBox* ColorBox() const { return color_; }
    QComboBox* VoiceLanguageBox() const { return voiceLanguage_; }
    QComboBox* ChipLanguageBox() const { return chipLanguage_; }
    QComboBox* AlignBox() const { return align_; }
    QComboBox* SpeedBox() const { return speed_; }
    QLineEdit* PauseEdit() const { return pause_; }
    QLineEdit* TextEdit() const { return text_; }

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    void FillChoices();

    LrcSettings& settings_;
    uint16_t fontChip_;
    QComboBox *height_, *color_, *voiceLanguage_, *chipLanguage_, *align_, *speed_;
    QLineEdit *pause_, *text_;
};

}  // namespace ledsuite
