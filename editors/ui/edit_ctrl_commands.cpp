// The text editor window's toolbar: insertions, styles, alignments, the font-chip and
// lyric-show switches, and the buttons' enabled and checked states.
#include <QAction>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include "content/model/lang.h"
#include "editors/edit_rules.h"
#include "editors/ui/dlg_grid.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/edit_grid.h"
#include "toolkit/icon_picker.h"

namespace ledsuite {

void CEditCtrl::OnToolbarCommand(int id) {
    switch (id) {
    case kToolInsertDate:
    case kToolInsertWeek:
    case kToolInsertTime:
    case kToolInsertTemperature:
    case kToolInsertHumid: active_->InsertSequence(FieldSequence(id, UiLanguageSetting())); break;
    case kToolInsertClock: active_->InsertCode(FC_CLOCK, true); break;
    case kToolInsertGrid: InsertGrid(); break;
    case kToolInsertImage:
    case kToolInsertIcon: {
        CIconPicker* picker = id == kToolInsertImage ? picker1_ : picker2_;
        QWidget* button = toolbar1_->widgetForAction(action(id));
        if (!picker->PopupOpen() && button) picker->ShowPopup(button->mapToGlobal(QPoint(0, button->height())));
        break;
    }
    case kToolBold:
    case kToolItalic:
    case kToolUnderline: {
        if (fontSetMode_ != 0) break;  // the card's fonts have no styles
        const uint32_t bit = 1u << (id - kToolBold);
        styleBits_ ^= bit;
        active_->SetStyleBits(styleBits_, bit);
        break;
    }
    case kToolVerticalAverage:
        if (SurfaceActive())
            surface_->SetVerticalAverage((record_->content.header.spread & 1) ? 0 : 1);
        break;
    case kToolUseFontChip: ToggleFontChip(); break;
    case kToolLyricShow: ToggleLyricShow(); break;
    case kToolReturnToText: ShowSurface(); break;
    default:
        if (id >= kToolAlignLeft && id <= kToolAlignAverage) {
            if (SurfaceActive()) surface_->SetAlignment(id - kToolAlignLeft);
            else grid_->SetCellFlags(id - kToolAlignLeft);
        }
        break;
    }
    OnUpdateToolbar();
    if (active_) active_->setFocus();
}

void CEditCtrl::InsertGrid() {
    DlgGrid dialog(this, nullptr, channel_);
    if (dialog.exec() != QDialog::Accepted) return;
    std::unique_ptr<GridObject> grid = NewGridFromDialog(dialog.Values());
    GridObject* table = grid.get();
    if (!table || !active_->engine().InsertTable(std::move(grid))) return;
    active_->ShowChange();
    ShowGridEditor(table);
}

void CEditCtrl::ToggleFontChip() {
    TextContent& text = record_->content;
    if (fontSetMode_ != 0) {
        // Back to system fonts: a lyric show needs the font chip, so it becomes a program.
        if (IsRealProgram() && SurfaceActive() && text.header.kind == kKindLyricShow && channel_)
            channel_->send(IMC_SET_PROGRAM_KIND, 0);
        fontSetMode_ = 0;
    } else {
        fontSetMode_ = fontChip_;
        styleBits_ = 0;  // the card's fonts have no styles
    }
    FillFontAndSizeCombos();
    active_->SetFontSetMode(fontSetMode_);
}

void CEditCtrl::ToggleLyricShow() {
    if (!IsRealProgram() || !SurfaceActive()) return;
    if (record_->content.header.kind == kKindLyricShow) {
        if (channel_) channel_->send(IMC_SET_PROGRAM_KIND, 0);
        surface_->onInternal(IMC_REFRESH_EDITOR, 0);
    } else if (channel_) {
        channel_->send(IMC_SET_PROGRAM_KIND, kKindLyricShow);
    }
}

void CEditCtrl::OnUpdateToolbar() {
    const bool systemFonts = fontSetMode_ == 0;
    const bool surfaceActive = SurfaceActive();
    const TextHeader* header = record_ ? &record_->content.header : nullptr;
    auto set = [this](int id, bool enabled, bool checked) {
        QAction* a = action(id);
        a->setEnabled(enabled);
        if (a->isCheckable()) a->setChecked(checked);
    };
    set(kToolUseFontChip, fontChip_ != 0, !systemFonts);
    set(kToolLyricShow, fontChip_ != 0 && !systemFonts && surfaceActive,
        header && header->kind == kKindLyricShow);
    set(kToolInsertClock, systemFonts, false);
    set(kToolInsertGrid, surfaceActive, false);
    set(kToolReturnToText, !surfaceActive, false);
    for (int bit = 0; bit < 3; ++bit) set(kToolBold + bit, systemFonts, systemFonts && (styleBits_ >> bit & 1));
    const int align = surfaceActive ? (header ? header->align & 3 : 0) : grid_->GetCellFlags();
    for (int a = 0; a < 4; ++a) set(kToolAlignLeft + a, true, align == a);
    set(kToolVerticalAverage, true, header && (header->spread & 0xFF) == 1);
}

}  // namespace ledsuite
