// CMainFrame's card commands: send to card, read from card, power, clock, preview, zoom,
// and the port and hardware-parameter codes the relay hands to the frame.
#include "shell/card_commands.h"

#include <QMainWindow>

#include "content/card/bitmap_image.h"
#include "content/card/screen_header.h"
#include "content/bytes.h"
#include "content/card/program_encoder.h"
#include "content/card/program_image.h"
#include "content/model/settings.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"
#include "link/ui/dlg_loading.h"
#include "shell/main_frame.h"
#include "shell/shell_texts.h"
#include "shell/view_single.h"
#include "toolkit/small_widgets.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

std::u16string CardSendMessage(int result, TransferMode mode, int comNumber) {
    std::u16string text = SendResultMessage(result, mode, comNumber);
    if (text.empty()) text = FillText(kSendFailed(), {FormatIntStatic(result)});
    return text;
}

std::u16string SmallCardLossText(const BitmapImageLoss& loss) {
    return FillText(kTextCutForSmallCard(), {FormatIntStatic(int(loss.charsKept)),
                                             FormatIntStatic(int(loss.charsLeftOut)),
                                             FormatIntStatic(int(loss.programsLeftOut))});
}

std::u16string CardReadMessage(int result, TransferMode mode, int comNumber) {
    return ReadBackResultMessage(result, mode, comNumber);
}

void CMainFrame::ShowMessage(const std::u16string& text) {
    if (message_ && !text.empty()) message_(text, nullptr);
}

TransferResult CMainFrame::RunTransfer(std::vector<uint8_t> buffer, size_t length, CardMode mode,
                                       const HardwareParams& screen, bool send) {
    CDlgLoading dlg(std::move(buffer), length, TransferMode(mode), screen,
                    send ? TransferDirection::Send : TransferDirection::ReadBack, this);
    dlg.SetTimeouts(timeouts_);
    dlg.exec();
    return dlg.Result();
}

int CMainFrame::SendToCard(const uint8_t* block, int mode) {
    const HardwareParams* screen = ScreenRecord();
    if (!screen) return 0;
    std::vector<uint8_t> buffer;
    BitmapImageLoss loss;
    if (mode == kModeHardware) {
        if (!block) return 0;
        // The block is the card's 1024-byte hardware block: its length word is trusted no further.
        const size_t length = std::min<size_t>(LoadU32(block), kHardwareReadCapacity);
        buffer.assign(block, block + length);
    } else {
        relay_.send(IMC_COMMIT_PENDING_EDIT, 0);
        buffer.assign(kImageLimit, 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, ActiveTree()->Programs(), kImageLimit);
        if (length < 0) {
            ShowMessage(FormatEncodeError(length, position));
            return 0;
        }
        buffer.resize(size_t(length));
        // The small card's compact image keeps only the start of the first program.
        if (screen->cardType == 0) loss = BitmapImageLeftOut(ActiveTree()->Programs());
    }
    const size_t length = buffer.size();
    const TransferResult result = RunTransfer(std::move(buffer), length, CardMode(mode), *screen, true);
    std::u16string text = CardSendMessage(result.code, TransferMode(mode), screen->comIndex + 1);
    if (result.code == TransferResult::kSent && loss.any()) text += u"\n" + SmallCardLossText(loss);
    ShowMessage(text);
    return 0;
}

int CMainFrame::ReadFromCard(uint8_t* buffer, int mode, size_t* received) {
    const HardwareParams* screen = ScreenRecord();
    if (!screen || (mode == kModeHardware && !buffer)) return 0;
    // The capacity is what the destination really holds.
    const size_t capacity = mode == kModeHardware ? kHardwareReadCapacity : kProgramReadCapacity;
    TransferResult result = RunTransfer({}, capacity, CardMode(mode), *screen, false);
    if (result.code == TransferResult::kRead) {
        std::vector<uint8_t>& data = result.data;
        if (mode == kModeHardware) {
            const size_t n = std::min(data.size(), capacity);
            std::copy(data.begin(), data.begin() + std::ptrdiff_t(n), buffer);
            if (received) *received = n;
        } else if (data.size() >= 4) {
            StoreU32(data.data(), uint32_t(data.size()));
            single_->onInternal(IMC_LOAD_PROGRAM_IMAGE, reinterpret_cast<intptr_t>(data.data()));
        }
    }
    ShowMessage(CardReadMessage(result.code, TransferMode(mode), screen->comIndex + 1));
    return result.code;
}

intptr_t CMainFrame::OnSendHardwareParams(intptr_t block) {
    return SendToCard(reinterpret_cast<const uint8_t*>(block), kModeHardware);
}

intptr_t CMainFrame::OnReadHardwareParams(intptr_t block) {
    auto* read = reinterpret_cast<HardwareBlockRead*>(block);
    if (!read) return 0;
    read->bytes.fill(0xFF);
    read->received = 0;
    const int code = ReadFromCard(read->bytes.data(), kModeHardware, &read->received);
    return code;
}

intptr_t CMainFrame::OnPortSettingsChanged() {
    const HardwareParams* screen = ScreenRecord();
    if (!screen) return 0;
    // The stored settings take the new port; without a valid file they are the defaults with it.
    HardwareParams stored;
    DefaultSettings(stored);
    if (!LoadSettingsFile(stored)) DefaultSettings(stored);
    stored.comIndex = screen->comIndex;
    stored.baudIndex = screen->baudIndex;
    if (!SaveSettingsFile(stored)) ShowMessage(kSettingsNotWritten());
    if (property_.target) property_.target->onInternal(IMC_PORT_SETTINGS_CHANGED, 0);
    UpdatePortPane();
    return 0;
}

void CMainFrame::OnPower(bool on) {
    if (const HardwareParams* screen = ScreenRecord())
        ShowMessage(PowerMessage(SetScreenPower(LinkTargetFromScreen(*screen), on), on));
}

void CMainFrame::OnSyncTime() {
    if (const HardwareParams* screen = ScreenRecord())
        ShowMessage(ClockMessage(SyncCardClock(LinkTargetFromScreen(*screen))));
}

void CMainFrame::OnPreview() {
    SetPreviewLock(!PreviewLock());
    // While the preview plays the frame cannot be resized.
    if (PreviewLock()) {
        setFixedSize(size());
    } else {
        setMinimumSize(kMinFrameSize);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (InternalTarget* view = View()) view->onInternal(IMC_PREVIEW_RUN, PreviewLock() ? 1 : 0);
}

void CMainFrame::OnZoom(int how) {
    if (InternalTarget* view = View()) view->onInternal(IMC_ZOOM, how);
}

}  // namespace ledsuite
