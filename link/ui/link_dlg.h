#pragma once
// "Search Device": looks for the control card on every port and rate on a worker
// thread and lists what the card reports. Cancel hides the dialog at once after at
// most two seconds of waiting; the worker is joined before the dialog goes away, so
// nothing it uses is freed under it.
#include <atomic>
#include <cstdint>
#include <thread>

#include "content/imc_codes.h"
#include "content/model/records.h"
#include "link/card.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace ledsuite {

// The search state byte.
enum SearchState : uint8_t { kSearchIdle = 0, kSearching = 1, kSearchStopRequested = 0xFF };

class CLinkDlg : public CDialogFx {
    Q_OBJECT
public:
    // `screen` is the screen record whose port setting is searched and updated (may be null);
    // `channel` takes IMC_PORT_SETTINGS_CHANGED.
    CLinkDlg(HardwareParams* screen, InternalChannel* channel, QWidget* parent = nullptr);
    ~CLinkDlg() override;

    void SetProbeWait(int ms) { probeWaitMs_ = ms; }
    uint8_t State() const { return state_.load(); }
    QPushButton* SearchButton() const { return search_; }
    QPushButton* CancelButton() const { return cancel_; }
    QTableWidget* InfoList() const { return list_; }
    QLabel* StatusText() const { return status_; }
    QLabel* RemarkText() const { return remark_; }

    void OnSearch();

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    void OnSearchDone(const CardInfoResult& result);

    HardwareParams* screen_;
    InternalChannel* channel_;
    std::atomic<uint8_t> state_{kSearchIdle};
    std::atomic<bool> stop_{false};
    std::thread worker_;
    int probeWaitMs_ = kProbeWaitMs;
    QPushButton* search_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTableWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* remark_ = nullptr;
};

}  // namespace ledsuite
