#include "link/ui/dlg_loading.h"

#include <chrono>
#include <future>
#include <memory>

#include <QProgressBar>
#include <QVBoxLayout>

#include "content/model/lang.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kSendingCaption{{u"正在发送...", u"正在發送...", u"Sending..."}};
const LangText kReadingCaption{{u"正在读取...", u"正在讀取...", u"Reading..."}};

}  // namespace

CDlgLoading::CDlgLoading(std::vector<uint8_t> buffer, size_t length, TransferMode mode, const HardwareParams& screen,
                         TransferDirection direction, QWidget* parent)
    : CDialogFx(parent), buffer_(std::move(buffer)), length_(length), mode_(mode), direction_(direction),
      screen_(screen) {
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(progress_);
    SetClientSize(QSize(300, 44));
}

CDlgLoading::~CDlgLoading() {
    if (!worker_.joinable()) return;
    // Last resort (the owner let go of the dialog mid-transfer): the worker ends at
    // its next block or question, and its queued calls die with this object.
    stop_ = true;
    worker_.join();
}

bool CDlgLoading::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(direction_ == TransferDirection::Send ? kSendingCaption : kReadingCaption));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    StartWorker();
    return true;
}

void CDlgLoading::StartWorker() {
    TransferControl control;
    control.timeouts = timeouts_;
    control.stop = &stop_;
    // One queued call per new percentage, not one per block.
    control.progress = [this, last = -1](int percent) mutable {
        if (percent == last) return;
        last = percent;
        QMetaObject::invokeMethod(this, [this, percent] { progress_->setValue(percent); }, Qt::QueuedConnection);
    };
    control.confirmSlowUpload = [this] { return AskSlowUpload(); };

    std::vector<uint8_t> data = std::move(buffer_);
    if (data.size() > length_) data.resize(length_);
    worker_ = std::thread([this, target = LinkTargetFromScreen(screen_), mode = mode_, data = std::move(data),
                           send = direction_ == TransferDirection::Send, capacity = length_, control] {
        TransferResult r = send ? SendTransfer(target, mode, data, control)
                                : ReadBackTransfer(target, mode, capacity, control);
        QMetaObject::invokeMethod(
            this, [this, r = std::move(r)]() mutable { OnTransferDone(std::move(r)); }, Qt::QueuedConnection);
    });
}

bool CDlgLoading::AskSlowUpload() {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> future = answer->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, answer] {
            const std::u16string question = SlowUploadQuestion();
            answer->set_value(MessageBoxFx(this, question.c_str(), kSlowUploadCaption,
                                           MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES);
        },
        Qt::QueuedConnection);
    // A dialog torn down before it could ask never answers: the stop request is the answer then.
    while (future.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        if (stop_) return false;
    return future.get();
}

void CDlgLoading::OnTransferDone(TransferResult result) {
    worker_.join();  // its last act was to queue this call
    result_ = std::move(result);
    CDialogFx::OnOK();
    emit InternalMessage(IMC_TRANSFER_DONE, result_);
}

void CDlgLoading::OnOK() {
    if (!IsRunning()) CDialogFx::OnOK();
}

void CDlgLoading::OnCancel() {
    if (!IsRunning()) CDialogFx::OnCancel();
}

}  // namespace ledsuite
