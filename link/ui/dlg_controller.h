#pragma once
// "&Remote Control": teaches an infrared card which remote code stands for which of its
// eighteen functions. Learning runs on the UI thread: a 10 ms timer blinks the selected
// key and the port's descriptor wakes a reader that collects the card's reports, so the
// mode, the keys and the open port are never shared with another thread.
#include <array>
#include <memory>
#include <string>

#include <QString>

#include "content/model/records.h"
#include "link/infrared.h"
#include "link/ui/link_messages.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;
class QTimer;

namespace ledsuite {

// A caption without its mnemonic marks: "&Remote Control" reads "Remote Control", "&&" one "&".
QString CaptionWithoutMnemonic(const std::u16string& caption);

enum InfraredMode : int { kModeIdle = 0, kModeLearning = 1, kModeStopRequested = 2 };

class CDlgController : public CDialogFx {
    Q_OBJECT
public:
    CDlgController(const HardwareParams& screen, QWidget* parent = nullptr);
    ~CDlgController() override;

    void SetMessageSink(LinkMessageSink sink) { message_ = std::move(sink); }
    void SetTimeouts(const InfraredTimeouts& t) { timeouts_ = t; }

    int Mode() const { return mode_; }
    int SelectedKey() const { return selected_; }
    bool CardAnswered() const { return cardAnswered_; }
    bool PortOpen() const { return port_.isOpen(); }
    const InfraredKeyTable& Keys() const { return keys_; }
    QPushButton* KeyButton(int position) const { return keyButtons_[size_t(position)]; }
    QLineEdit* KeyField(int position) const { return keyFields_[size_t(position)]; }
    QPushButton* CalibrateButton() const { return calibrate_; }
    QPushButton* GetButton() const { return get_; }
    QPushButton* SetButton() const { return set_; }
    QLabel* WarningText() const { return warningText_; }
    QLabel* RemotePictureLabel() const { return remote_; }

    void OnCalibrate();
    void OnGet();
    void OnSet();
    void OnKey(int position);
    // One 10 ms step of learning (blinking, stop); reads what the card sent.
    void Poll();
    void ReadReports();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void StartLearning();
    void StopLearning();
    void ShowKeyLabel(int position, bool shown);
    void ShowCodes();
    void Tell(InfraredStatus status, bool calibrating);

    HardwareParams screen_;
    PortSetting setting_;
    LinkMessageSink message_;
    InfraredTimeouts timeouts_;
    int mode_ = kModeIdle;
    int shown_ = -1;
    int selected_ = -1;
    int ticks_ = 0;
    bool cardAnswered_ = false;
    InfraredKeyTable keys_ = EmptyKeyTable();
    InfraredWireTable read_ = EmptyWireTable();  // the table the last Get read
    InfraredReportScanner scanner_;
    SerialPort port_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<QPushButton*, kInfraredKeys> keyButtons_{};
    std::array<QLineEdit*, kInfraredKeys> keyFields_{};
    QPushButton *calibrate_ = nullptr, *get_ = nullptr, *set_ = nullptr;
    QLabel* warning_ = nullptr;
    QLabel* warningText_ = nullptr;
    QLabel* remote_ = nullptr;
};

}  // namespace ledsuite
