#pragma once
// "Save programs to usb disk": writes the current screen's program (saved by the
// single-screen page through the channel) or several chained .lcs files into "ZIZodo"
// on a removable drive, and the clock file "syntime.dat".
#include <string>
#include <vector>

#include "content/imc_codes.h"
#include "content/model/program_tree.h"
#include "link/ui/drive_combo.h"
#include "link/ui/link_messages.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QTimeEdit;

namespace ledsuite {

class DlgUDisk : public CDialogFx {
    Q_OBJECT
public:
    // `tree`: the active tree (null: no screen, Save does nothing); `channel` saves the
    // single-file program (IMC_FILE_SAVE with the path, or IMC_FILE_SAVE_TO with a
    // UDiskSaveRequest) and answers 0 when it was written.
    DlgUDisk(const ProgramTree* tree, InternalChannel* channel, QWidget* parent = nullptr);

    void SetMessageSink(LinkMessageSink sink) { message_ = std::move(sink); }

    void AddFile(const QString& path);
    void OnDeleteFiles();
    void OnModeChanged();
    void OnSave();
    void OnSyncTime();

    ledsuite::DriveCombo* Drives() const { return drive_; }
    QComboBox* CardNumberCombo() const { return cardNumber_; }
    QComboBox* SoundDeviceCombo() const { return soundDevice_; }
    QCheckBox* MultiFilesBox() const { return multi_; }
    QListWidget* FileList() const { return files_; }
    QPushButton* SaveButton() const { return save_; }
    QDateEdit* DatePicker() const { return date_; }
    QTimeEdit* TimePicker() const { return time_; }

protected:
    bool OnInitDialog() override;

private:
    void SaveSingle(const std::string& root);
    void UpdateSaveButton();
    void Tell(const std::u16string& text, const std::string& path, bool failed);

    const ProgramTree* tree_;
    InternalChannel* channel_;
    LinkMessageSink message_;
    ledsuite::DriveCombo* drive_ = nullptr;
    QComboBox *cardNumber_ = nullptr, *soundDevice_ = nullptr;
    QCheckBox* multi_ = nullptr;
    QListWidget* files_ = nullptr;
    QPushButton *add_ = nullptr, *del_ = nullptr, *save_ = nullptr, *sync_ = nullptr;
    QDateEdit* date_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QLabel *cardLabel_ = nullptr, *soundLabel_ = nullptr, *note_ = nullptr, *remark_ = nullptr;
};

}  // namespace ledsuite
