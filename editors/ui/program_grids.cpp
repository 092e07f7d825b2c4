// The program-set, program and user grids of the property window: their items, showing
// a record, and writing each committed edit into it.
#include "editors/ui/program_grids.h"

#include "content/model/records.h"
#include "editors/play_periods.h"
#include "editors/property_rules.h"
#include "editors/property_texts.h"
#include "editors/ui/dlg_edit_frame.h"
#include "editors/ui/dlg_sel_more_period.h"
#include "editors/ui/properties_wnd.h"
#include "editors/ui/property_rows.h"

namespace ledsuite {

using namespace rows;
namespace t = ptext;

namespace {

std::function<QStringList()> EffectNames(int first, int last) {
    return [first, last] {
        QStringList out;
        for (int code = first; code <= last; ++code) out << ToQString(EffectName(uint8_t(code)));
        return out;
    };
}

std::function<QStringList()> SecondaryEffectNames() {
    return [] { return QStringList{ToQString(EffectName(0))} + EffectNames(5, 29)(); };
}

std::function<QStringList()> YesNo() { return Options({&t::kNo, &t::kYes}); }

// The frame's speed offered by both grids. The card image raises a speed below 10 to 10,
// so a lower one would be previewed and shown other than the card plays it.
constexpr int kBorderSpeedLo = 10;
constexpr int kBorderSpeedHi = 200;

std::vector<PropertySpec> BorderSpecs(int parent, int typeKey, int effectKey, int speedKey) {
    return {List(typeKey, parent, Label(t::kFrameType), Options(t::kBorderTypeNames), true),
            List(effectKey, parent, Label(t::kFrameEffect), Options(t::kBorderEffectNames), true),
            Number(speedKey, parent, Label(t::kEffectSpeed), kBorderSpeedLo, kBorderSpeedHi)};
}

}  // namespace

std::vector<PropertySpec> ProgramSetGridSpecs() {
    std::vector<PropertySpec> s = {Group(kSetAppearanceGroup, -1, Label(t::kAppearance))};
    for (PropertySpec& b : BorderSpecs(kSetAppearanceGroup, kSetBorderType, kSetBorderEffect, kSetBorderSpeed))
        s.push_back(std::move(b));
    s.push_back(Group(kSetPlayModeGroup, -1, Label(t::kPlayMode)));
    s.push_back(List(kSetPlayMode, kSetPlayModeGroup, Label(t::kMode), Options(t::kPlayModeNames), true));
    s.push_back(Item(kSetDuration, kSetPlayModeGroup, PropertyKind::Time, Label(t::kTime)));
    s.push_back(Item(kSetDateStart, kSetPlayModeGroup, PropertyKind::Date, Label(t::kDateStart)));
    s.push_back(Item(kSetDateEnd, kSetPlayModeGroup, PropertyKind::Date, Label(t::kDateEnd)));
    s.push_back(Group(kSetWeekGroup, kSetPlayModeGroup, Label(t::kWeek)));
    for (int d = 0; d < 7; ++d)
        s.push_back(List(kSetFirstWeekday + d, kSetWeekGroup, Label(t::kDayNames[size_t(d)]), YesNo(), true));
    s.push_back(Group(kSetPeriodGroup, kSetPlayModeGroup, Label(t::kPeriod)));
    for (int k = 0; k < 3; ++k) {
        s.push_back(Group(kSetPeriodEntryGroup + k, kSetPeriodGroup, Numbered(t::kPeriod, k + 1)));
        s.push_back(Item(kSetFirstPeriod + 2 * k, kSetPeriodEntryGroup + k, PropertyKind::Time, Label(t::kStart)));
        s.push_back(Item(kSetFirstPeriod + 2 * k + 1, kSetPeriodEntryGroup + k, PropertyKind::Time, Label(t::kEnd)));
    }
    s.push_back(Group(kSetMoreGroup, kSetPeriodGroup, Label(t::kMore)));
    s.push_back(List(kSetMore, kSetMoreGroup, Label(t::kMore), Options({&t::kMore}), true));
    return s;
}

std::vector<PropertySpec> ProgramGridSpecs(const std::vector<std::u16string>& fixedSounds) {
    const QStringList sounds = ToList(fixedSounds);
    auto soundOptions = [sounds] { return QStringList{ToQString(t::kMute)} + sounds; };
    QStringList rates;
    for (int r = -10; r <= 10; ++r) rates << QString::number(r);
    std::vector<PropertySpec> s = {
        Group(kPrgRegionGroup, -1, Label(t::kRegionParameter)),
        Group(kPrgOffsetGroup, kPrgRegionGroup, Label(t::kOffset)),
        Number(kPrgOffsetX, kPrgOffsetGroup, Label(t::kOffsetX), ProgramItemRange(2).lo, ProgramItemRange(2).hi),
        Number(kPrgOffsetY, kPrgOffsetGroup, Label(t::kOffsetY), ProgramItemRange(3).lo, ProgramItemRange(3).hi),
        Group(kPrgSizeGroup, kPrgRegionGroup, Label(t::kSize)),
        Number(kPrgWidth, kPrgSizeGroup, Label(t::kWidth), ProgramItemRange(6).lo, ProgramItemRange(6).hi),
        Number(kPrgHeight, kPrgSizeGroup, Label(t::kHeight), ProgramItemRange(5).lo, ProgramItemRange(5).hi),
        Group(kPrgFrameGroup, kPrgRegionGroup, Label(t::kFrame)),
    };
    for (PropertySpec& b : BorderSpecs(kPrgFrameGroup, kPrgBorderType, kPrgBorderEffect, kPrgBorderSpeed))
        s.push_back(std::move(b));
    s.push_back(Group(kPrgActionGroup, -1, Label(t::kProgramAction)));
    s.push_back(Group(kPrgMasterGroup, kPrgActionGroup, Label(t::kActionMaster)));
    s.push_back(List(kPrgMainEffect, kPrgMasterGroup, Label(t::kActionEffect), EffectNames(1, 31), true));
    const std::pair<int, const LangText*> numbers[] = {
        {kPrgMainSpeed, &t::kEffectSpeed}, {kPrgMainPause, &t::kPauseTime}, {kPrgMainRepeat, &t::kRepeat},
        {kPrgMainOffset, &t::kOffset}, {kPrgSecondSpeed, &t::kEffectSpeed}, {kPrgSecondPause, &t::kPauseTime},
        {kPrgSecondRepeat, &t::kRepeat}};
    auto number = [&](int i) {
        const auto [id, row] = numbers[i];
        return Number(id, id < kPrgSecondEffect ? kPrgMasterGroup : kPrgSlaveGroup, Label(*row),
                      ProgramItemRange(id).lo, ProgramItemRange(id).hi);
    };
    for (int i = 0; i < 4; ++i) s.push_back(number(i));
    s.push_back(Group(kPrgSlaveGroup, kPrgActionGroup, Label(t::kActionSlave)));
    s.push_back(List(kPrgSecondEffect, kPrgSlaveGroup, Label(t::kActionEffect), SecondaryEffectNames(), true));
    for (int i = 4; i < 7; ++i) s.push_back(number(i));
    s.push_back(Group(kPrgSpeechGroup, -1, Label(t::kSpeech)));
    s.push_back(List(kPrgRole, kPrgSpeechGroup, Label(t::kRole), Options({&t::kRoleNone, &t::kRoleFile}), true));
    s.push_back(List(kPrgRate, kPrgSpeechGroup, Label(t::kRate), Fixed(rates), false));
    s.push_back(List(kPrgPrefix, kPrgSpeechGroup, Label(t::kPrefixSound), soundOptions, true));
    s.push_back(List(kPrgSuffix, kPrgSpeechGroup, Label(t::kSuffixSound), soundOptions, true));
    PropertySpec music = Item(kPrgMusic, kPrgSpeechGroup, PropertyKind::File, Label(t::kBackgroundMusic));
    music.fileFilter = QStringLiteral("(*.mp3)|*.mp3|(*.wav)|*.wav||");
    s.push_back(music);
    s.push_back(List(kPrgSoundAlign, kPrgSpeechGroup, Label(t::kSoundAlign), Options(t::kSoundAlignNames), true));
    return s;
}

std::vector<PropertySpec> UserGridSpecs() {
    const std::pair<int, const LangText*> items[] = {
        {100, &t::kUserInfo}, {101, &t::kAccount}, {102, &t::kUserName}, {103, &t::kUserType},
        {104, &t::kRegisterTime}, {110, &t::kGprsInfo}, {111, &t::kAll}, {112, &t::kOnline},
        {113, &t::kOffline}, {114, &t::kOnlineRatio}};
    std::vector<PropertySpec> s;
    for (auto [key, row] : items)
        s.push_back(key % 10 == 0 ? Group(key, -1, Label(*row))
                                  : Item(key, key / 10 * 10, PropertyKind::ReadOnly, Label(*row)));
    return s;
}

// ---- program set ----

void CPropertiesWnd::ShowProgramSet() {
    ShowGridsForLevel();
    if (!set_) return;
    PropertyGrid* g = Grid(kProgramSetGridId);
    RepairProgramSetForGrid(*set_);
    g->SelectOptionIndex(kSetBorderType, set_->borderType);
    g->SelectOptionIndex(kSetBorderEffect, set_->borderEffect);
    g->SetIntValue(kSetBorderSpeed, set_->borderSpeed);
    g->SelectOptionIndex(kSetPlayMode, PlayModeOptionOf(set_->playMode));
    g->SetPackedValue(kSetDuration, set_->duration);
    g->SetPackedValue(kSetDateStart, set_->dates[0].start);
    g->SetPackedValue(kSetDateEnd, set_->dates[0].stop);
    for (int d = 0; d < 7; ++d) g->SelectOptionIndex(kSetFirstWeekday + d, (set_->weekdays >> d) & 1);
    for (int id = kSetFirstPeriod; id < kSetMore; ++id) g->SetPackedValue(id, PeriodItemValue(set_->periods, id));
    g->SelectOptionIndex(kSetMore, 0);
    g->update();
    ApplyPlayModeEnabling();
}

void CPropertiesWnd::ApplyPlayModeEnabling() {
    PropertyGrid* g = Grid(kProgramSetGridId);
    for (int id : {kSetBorderType, kSetBorderEffect, kSetBorderSpeed}) g->SetItemEnabled(id, false);
    const PlayModeEnabling e = PlayModeEnablingOf(set_ ? set_->playMode : 0);
    g->SetItemEnabled(kSetDuration, e.duration);
    for (int id = kSetDateStart; id <= kSetMore; ++id) g->SetItemEnabled(id, e.schedule);
}

void CPropertiesWnd::WriteProgramSet(int id) {
    PropertyGrid* g = Grid(kProgramSetGridId);
    switch (id) {
        case kSetBorderType: ChooseBorderType(g, id, set_->borderType, set_->borderFrames); break;
        case kSetBorderEffect: set_->borderEffect = uint8_t(std::max(g->GetOptionIndex(id), 0)); break;
        case kSetBorderSpeed: set_->borderSpeed = uint8_t(g->IntValue(id)); break;  // held to 10..200 by the item
        case kSetPlayMode:
            set_->playMode = PlayModeOfOption(g->GetOptionIndex(id));
            ApplyPlayModeEnabling();
            break;
        case kSetDuration: set_->duration = g->PackedValue(id); break;
        case kSetDateStart: set_->dates[0].start = g->PackedValue(id); break;
        case kSetDateEnd: set_->dates[0].stop = g->PackedValue(id); break;
        default:
            if (id >= kSetFirstWeekday && id < kSetFirstPeriod)
                SetWeekday(set_->weekdays, id - kSetFirstWeekday, g->GetOptionIndex(id) == 1);
            else if (id >= kSetFirstPeriod && id < kSetMore)
                StorePeriodItem(set_->periods, id, g->PackedValue(id));
            break;
    }
}

// ---- program ----

void CPropertiesWnd::ShowSoundItem(int id, const std::array<char16_t, 128>& text) {
    const std::u16string value = BufferText(text);
    if (value.empty())
        Grid(kProgramGridId)->SelectOptionIndex(id, 0);
    else
        Grid(kProgramGridId)->SetValue(id, ToQString(value));
}

void CPropertiesWnd::RefreshAreaItems() {
    PropertyGrid* g = Grid(kProgramGridId);
    for (int id : {kPrgOffsetX, kPrgOffsetY, kPrgWidth, kPrgHeight}) g->SetIntValue(id, ProgramNumber(*program_, id));
}

void CPropertiesWnd::ShowProgram() {
    ShowGridsForLevel();
    if (!program_) return;
    PropertyGrid* g = Grid(kProgramGridId);
    ProgramRecord& p = *program_;
    RepairProgramForGrid(p);
    RefreshAreaItems();
    g->SelectOptionIndex(kPrgBorderType, p.borderType);
    g->SelectOptionIndex(kPrgBorderEffect, p.borderEffect);
    g->SelectOptionIndex(kPrgMainEffect, p.mainAction.effect - 1);
    g->SelectOptionIndex(kPrgSecondEffect, SecondaryEffectOptionOf(p.secondaryAction.effect));
    g->SetIntValue(kPrgBorderSpeed, p.borderSpeed);
    RefreshActionItems();
    if (auto role = RoleOptionOf(p.content.header.kind, int(g->Options(kPrgRole).size())))
        g->SelectOptionIndex(kPrgRole, *role);
    g->SelectOptionIndex(kPrgRate, p.rate + 10);
    ShowSoundItem(kPrgPrefix, p.prefixSound);
    ShowSoundItem(kPrgSuffix, p.suffixSound);
    g->SetValue(kPrgMusic, ToQString(BufferText(p.musicPath)));
    g->SelectOptionIndex(kPrgSoundAlign, p.soundAlign);
    ApplyBorderEnabling();
    ApplySecondaryEnabling();
    g->update();
}

void CPropertiesWnd::RefreshActionItems() {
    PropertyGrid* g = Grid(kProgramGridId);
    for (int id : {kPrgMainSpeed, kPrgMainPause, kPrgMainRepeat, kPrgMainOffset, kPrgSecondSpeed, kPrgSecondPause,
                   kPrgSecondRepeat})
        g->SetIntValue(id, ProgramNumber(*program_, id));
}

void CPropertiesWnd::ApplyBorderEnabling() {
    const bool on = program_ && program_->borderType != 0;
    Grid(kProgramGridId)->SetItemEnabled(kPrgBorderEffect, on);
    Grid(kProgramGridId)->SetItemEnabled(kPrgBorderSpeed, on);
}

void CPropertiesWnd::ApplySecondaryEnabling() {
    const bool on = program_ && program_->secondaryAction.effect != 0;
    for (int id : {kPrgSecondSpeed, kPrgSecondPause, kPrgSecondRepeat}) Grid(kProgramGridId)->SetItemEnabled(id, on);
}

void CPropertiesWnd::WriteProgram(int id) {
    PropertyGrid* g = Grid(kProgramGridId);
    ProgramRecord& p = *program_;
    const int option = g->GetOptionIndex(id);
    switch (id) {
        case kPrgOffsetX: case kPrgOffsetY:
            MoveProgramArea(p, g->IntValue(kPrgOffsetX), g->IntValue(kPrgOffsetY));
            RefreshAreaItems();
            break;
        case kPrgWidth: case kPrgHeight:
            ResizeProgramArea(p, g->IntValue(kPrgWidth), g->IntValue(kPrgHeight));
            RefreshAreaItems();
            break;
        case kPrgBorderEffect: p.borderEffect = uint8_t(std::max(option, 0)); break;
        case kPrgMainEffect: case kPrgSecondEffect:
            // A new effect may hold the pause and offset at 0: the grid shows what the record keeps.
            if (id == kPrgMainEffect) ChooseMainEffect(p.mainAction, option);
            else ChooseSecondaryEffect(p.secondaryAction, option);
            RefreshActionItems();
            break;
        case kPrgRole: Send(IMC_SET_PROGRAM_KIND, option); break;
        case kPrgRate: p.rate = int16_t(std::clamp(option, 0, 20) - 10); break;
        case kPrgPrefix: case kPrgSuffix: {
            auto& text = id == kPrgPrefix ? p.prefixSound : p.suffixSound;
            StoreSoundOption(text, option, fixedSounds_);
            ShowSoundItem(id, text);
            break;
        }
        case kPrgMusic:
            CopyBoundedText(p.musicPath, ToU16(g->Value(id)));  // a path too long for the record is refused
            g->SetValue(id, ToQString(BufferText(p.musicPath)));
            break;
        case kPrgSoundAlign: p.soundAlign = uint16_t(std::clamp(option, 0, 4)); break;
        default:
            if (StoreProgramNumber(p, id, g->IntValue(id))) g->SetIntValue(id, ProgramNumber(p, id));
            break;
    }
    ApplySecondaryEnabling();
    // The effect and the area's size decide where the editor's lines break; a move keeps them.
    if (id == kPrgMainEffect || id == kPrgWidth || id == kPrgHeight) Send(IMC_RELAYOUT_TEXT, 1);
    if (id <= kPrgBorderType || id == kPrgMainEffect || id == kPrgMainOffset) Send(IMC_REDRAW_LAYOUT, 0);
}

// ---- option handler ----

void CPropertiesWnd::OnGridOptionChanged(int gridId, int key) {
    PropertyGrid* g = gridId >= kHardwareGridId && gridId <= kProgramGridId ? Grid(gridId) : nullptr;
    if (!g || g->CurrentKey() != key) return;
    if (gridId == kProgramSetGridId && key == kSetMore && set_) {
        CDlgSelMorePeriod(set_, this).exec();
        for (int id = kSetFirstPeriod; id < kSetMore; ++id) g->SetPackedValue(id, PeriodItemValue(set_->periods, id));
        g->update();
    } else if (gridId == kProgramGridId && key == kPrgBorderType && program_) {
        ChooseBorderType(g, key, program_->borderType, program_->borderFrames);
        ApplyBorderEnabling();
        Send(IMC_REDRAW_LAYOUT, 0);
    }
}

void CPropertiesWnd::ChooseBorderType(PropertyGrid* g, int key, uint8_t& borderType, FrameVector& frames) {
    const uint8_t old = borderType;
    if (!ApplyBorderType(borderType, frames, g->GetOptionIndex(key)) || EditCustomBorder(borderType, frames)) return;
    // "Custom" without a tile from the editor: the border stays what it was (its frames were kept).
    borderType = old;
    g->SelectOptionIndex(key, old);
}

bool CPropertiesWnd::EditCustomBorder(uint8_t& /*borderType*/, FrameVector& frames) {
    if (!frameTilesLoaded_) {
        const FrameFolders folders = FrameFolders::Default();
        frameTiles_ = LoadFrameTiles(folders.resource, folders.user);
        frameTilesLoaded_ = true;
    }
    return DlgEditFrame::EditBorder(this, ActiveRootScreen(), frameTiles_, frames);
}

}  // namespace ledsuite
