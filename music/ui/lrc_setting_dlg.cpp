#include "music/ui/lrc_setting_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "music/ui/music_text.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

using namespace music_text;

CLRCSettingDlg::CLRCSettingDlg(LrcSettings& settings, uint16_t fontChip, QWidget* parent)
    : CDialogFx(parent), settings_(settings), fontChip_(fontChip) {
    height_ = new QComboBox(this);
    color_ = new QComboBox(this);
    voiceLanguage_ = new QComboBox(this);
    chipLanguage_ = new QComboBox(this);
    align_ = new QComboBox(this);
    speed_ = new QComboBox(this);
    pause_ = new QLineEdit(this);
    pause_->setValidator(new QIntValidator(0, 65535, pause_));
    text_ = new QLineEdit(this);
    text_->setMaxLength(int(kLrcDefaultTextMax));
    auto* form = new QFormLayout;
    form->addRow(ToQString(kFontHeight), height_);
    form->addRow(ToQString(kFontColor), color_);
    form->addRow(ToQString(kVoiceLibLanguage), voiceLanguage_);
    form->addRow(ToQString(kFontChipLanguage), chipLanguage_);
    form->addRow(ToQString(kTextAlign), align_);
    form->addRow(ToQString(kMoveSpeed), speed_);
    form->addRow(ToQString(kSentencePause), pause_);
    form->addRow(ToQString(kDefaultText), text_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ToQString(kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ToQString(kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLRCSettingDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLRCSettingDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addLayout(form);
    layout->addWidget(buttons);
    SetClientSize(QSize(340, 300));
}

void CLRCSettingDlg::FillChoices() {
    for (uint8_t h : LrcHeightChoices(fontChip_)) height_->addItem(QString::number(h), int(h));
    for (const LangText* t : {&kMonochrome, &kRed, &kGreen, &kYellow, &kRandom, &kAuto}) color_->addItem(ToQString(*t));
    for (QComboBox* box : {voiceLanguage_, chipLanguage_})
        for (const LangText* t : {&kLangDefault, &kLangSimplified, &kLangTraditional}) box->addItem(ToQString(*t));
    for (const LangText* t : {&kAlignLeftText, &kAlignCenterText, &kAlignRightText, &kAlignMoveText})
        align_->addItem(ToQString(*t));
    speed_->addItem(ToQString(kSpeedDefault));
    for (int s = kMoveSpeedMin; s <= kMoveSpeedMax; ++s) speed_->addItem(QString::number(s));
}

bool CLRCSettingDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kLrcSettingCaption));
    FillChoices();
    return DoDataExchange(false);
}

bool CLRCSettingDlg::DoDataExchange(bool save) {
    LrcSettings& s = settings_;
    if (!save) {
        height_->setCurrentIndex(height_->findData(int(s.fontHeight)));
        color_->setCurrentIndex(LrcColorItem(s.color));
        voiceLanguage_->setCurrentIndex(s.voiceLanguage < 3 ? s.voiceLanguage : 0);
        chipLanguage_->setCurrentIndex(s.fontChipLanguage < 3 ? s.fontChipLanguage : 0);
        align_->setCurrentIndex(s.alignment > kAlignMove ? int(kAlignCenter) : int(s.alignment));
        speed_->setCurrentIndex(MoveSpeedItem(s.moveSpeed));
        pause_->setText(QString::number(s.sentencePause));
        text_->setText(ToQString(s.defaultText));
        return true;
    }
    // No height chosen (none offered, or none matched): the stored height stays.
    if (height_->currentIndex() >= 0) s.fontHeight = uint8_t(height_->currentData().toInt());
    s.color = LrcColorFromItem(color_->currentIndex());
    s.voiceLanguage = uint8_t(std::max(voiceLanguage_->currentIndex(), 0));
    s.fontChipLanguage = uint8_t(std::max(chipLanguage_->currentIndex(), 0));
    s.alignment = uint8_t(std::max(align_->currentIndex(), 0));
    s.moveSpeed = MoveSpeedFromItem(speed_->currentIndex());
    s.sentencePause = uint16_t(std::clamp(pause_->text().toInt(), 0, 65535));
    s.defaultText = ToU16(text_->text()).substr(0, kLrcDefaultTextMax);
    return true;
}

}  // namespace ledsuite
