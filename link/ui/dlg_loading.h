#pragma once
// The transfer progress dialog: runs one send or read-back on a worker thread,
// moves its progress bar as blocks go, and reports the worker's TransferResult
// to its owner with IMC_TRANSFER_DONE, then closes with OK.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "content/model/records.h"
#include "link/transfer.h"
#include "toolkit/dialog_fx.h"
#include "content/imc_codes.h"

class QProgressBar;

namespace ledsuite {


enum class TransferDirection : uint8_t { ReadBack = 0, Send = 1 };

class CDlgLoading : public CDialogFx {
    Q_OBJECT
public:
    // Send: the first `length` bytes of `buffer` (never more than it holds) go to the
    // card of `screen`. Read back: `buffer` is not used and `length` is the most the
    // card may announce. The worker gets its own copy of everything it needs.
    CDlgLoading(std::vector<uint8_t> buffer, size_t length, TransferMode mode, const HardwareParams& screen,
                TransferDirection direction, QWidget* parent = nullptr);
    // Asks a running worker to stop and waits for it: the dialog never outlives its worker.
    ~CDlgLoading() override;

    // Waits of the exchange (before the dialog is shown).
    void SetTimeouts(const TransferTimeouts& timeouts) { timeouts_ = timeouts; }

    bool IsRunning() const { return worker_.joinable(); }
    // Valid once the result has arrived: its code and, after a read-back, the bytes read.
    const TransferResult& Result() const { return result_; }
    size_t BytesRead() const { return result_.data.size(); }
    QProgressBar* ProgressBar() const { return progress_; }

signals:
    // `code` is IMC_TRANSFER_DONE; emitted once, on the UI thread, after the dialog closed.
    void InternalMessage(int code, const ledsuite::TransferResult& result);

protected:
    bool OnInitDialog() override;
    // Enter, Esc and the close cell do nothing while the worker runs.
    void OnOK() override;
    void OnCancel() override;

private:
    void StartWorker();
    void OnTransferDone(TransferResult result);
    bool AskSlowUpload();  // worker thread: the question runs on the UI thread, the worker waits

    std::vector<uint8_t> buffer_;  // handed to the worker when it starts
    size_t length_;
    TransferMode mode_;
    TransferDirection direction_;
    HardwareParams screen_;
    TransferTimeouts timeouts_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    TransferResult result_;
    QProgressBar* progress_ = nullptr;
};

}  // namespace ledsuite
