// The hardware-parameter grid of the property window: its items, showing a screen
// record, reading the grid back, and the Set, Read, Apply and Default commands.
#include "editors/ui/hardware_grid.h"

#include <QAction>
#include <QToolBar>

#include "content/render/font_tables.h"
#include "content/model/program_tree.h"
#include "content/card/screen_header.h"
#include "content/model/settings.h"
#include "editors/property_texts.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/properties_wnd.h"
#include "editors/ui/property_rows.h"
#include "link/card.h"
#include "toolkit/message_box.h"
#include "toolkit/open_edit.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

using namespace rows;
namespace t = ptext;

namespace {

// Descriptions of the items, shown below the grid.
const LangText kDescModel{{u"类型", u"類型", u"Type"}};
const LangText kDescWidth{{u"LED 屏总长度", u"LED 屏總長度", u"Total width of the LED screen"}};
const LangText kDescHeight{{u"LED 屏总高度", u"LED 屏總高度", u"Total height of the LED screen"}};
const LangText kDescColor{{u"LED屏支持的颜色", u"LED屏支援的顏色", u"Colours the LED screen supports"}};
const LangText kDescBrightness{{u"LED 屏亮度", u"LED 屏亮度", u"Brightness of the LED screen"}};
const LangText kDescRefresh{{u"刷新率", u"刷新率", u"Refresh Rate"}};
const LangText kDescOeLevel{{u"OE 有效电平", u"OE 有效電平", u"Valid OE level"}};
const LangText kDescDataLevel{{u"数据极性", u"數據極性", u"Data polarity"}};
const LangText kDescColumns{{u"数据列顺序", u"數據列順序", u"Data column order"}};
const LangText kDescRows{{u"数据行顺序", u"數據行順序", u"Data row order"}};
const LangText kDescHBlank{{u"行消隐", u"行消隱", u"Row blanking"}};
const LangText kDescCardId{{u"控制卡 ID", u"控制卡 ID", u"Ctrl card ID"}};
const LangText kDescPort{{u"串口通讯端口", u"串口通訊埠", u"Serial communication port"}};
const LangText kDescBaud{{u"串口通讯波特率", u"串口通訊波特率", u"Serial communication baud rate"}};
const LangText kDescFontChip{{u"字库芯片", u"字庫晶片", u"Font chip"}};
const LangText kDescFileSystem{{u"控制卡文件系统", u"控制卡檔案系統", u"File system of the ctrl card"}};
const LangText kDescPageSize{{u"分页大小", u"分頁大小", u"Page size"}};
const LangText kDescSound{{u"声音", u"聲音", u"Sound"}};

std::vector<PropertySpec> DisplayAndOutputSpecs() {
    return {
        Group(kHwDisplayGroup, -1, Label(t::kDisplayParameter)),
        List(kHwModel, kHwDisplayGroup, Label(t::kCtrlCardType), [] { return ToList(ModelOptionTexts()); }, true,
             Label(kDescModel)),
        Number(kHwWidth, kHwDisplayGroup, Label(t::kWidth), 0, 0xFFFF, Label(kDescWidth)),
        Number(kHwHeight, kHwDisplayGroup, Label(t::kHeight), 0, 0xFFFF, Label(kDescHeight)),
        List(kHwColor, kHwDisplayGroup, Label(t::kColor), [] { return ToList(ColorOptionTexts()); }, true,
             Label(kDescColor)),
        Number(kHwBrightness, kHwDisplayGroup, Label(t::kLuminance), 0, 255, Label(kDescBrightness)),
        List(kHwRefresh, kHwDisplayGroup, Label(t::kRefreshRate), Fixed({"1", "2", "3", "4", "5", "6", "7"}), false,
             Label(kDescRefresh)),
        Group(kHwOutputGroup, -1, Label(t::kOutputParameter)),
        List(kHwOeLevel, kHwOutputGroup, Label(t::kValidOeLevel), Options({&t::kLowLevel, &t::kHighLevel}), true,
             Label(kDescOeLevel)),
        List(kHwDataLevel, kHwOutputGroup, Label(t::kValidDataLevel), Options({&t::kLowLevel, &t::kHighLevel}), true,
             Label(kDescDataLevel)),
        List(kHwColumnOrder, kHwOutputGroup, Label(t::kColumnOrder), [] { return ToList(ColumnOrderOptionTexts()); },
             true, Label(kDescColumns)),
        List(kHwRowOrder, kHwOutputGroup, Label(t::kRowOrder), Options({&t::kNormal, &t::kAgainst, &t::kNoCode}),
             true, Label(kDescRows)),
        List(kHwDataFlow, kHwOutputGroup, Label(t::kDataFlow), [] { return ToList(DataFlowOptionTexts()); }, true,
             Label(kDescRows)),
        List(kHwHBlank, kHwOutputGroup, Label(t::kHBlank), Options({&t::kNo, &t::kYes}), true,
             Label(kDescHBlank)),
    };
}

std::vector<PropertySpec> OtherSpecs() {
    std::vector<PropertySpec> s = {
        Group(kHwOtherGroup, -1, Label(t::kOther)),
        Number(kHwCardId, kHwOtherGroup, Label(t::kId), 0, 255, Label(kDescCardId)),
        List(kHwSerialPort, kHwOtherGroup, Label(t::kSerialPort), [] { return ToList(SerialPortOptionTexts(0, 0)); },
             false, Label(kDescPort)),
        List(kHwBaud, kHwOtherGroup, Label(t::kBaudRate),
             Fixed({"2400", "4800", "9600", "14400", "19200", "28800", "38400", "57600", "115200"}), false,
             Label(kDescBaud)),
        List(kHwFontChip, kHwOtherGroup, Label(t::kFontChip), [] { return ToList(FontChipOptionTexts()); }, false,
             Label(kDescFontChip)),
        List(kHwFileSystem, kHwOtherGroup, Label(t::kFileSystem),
             [] { return QStringList{ToQString(t::kSequence), ToQString(t::kPage), "Fat12", "Fat16", "Fat32"}; }, true,
             Label(kDescFileSystem)),
        // Only the page sizes a record keeps (0..4): a larger one would be stored, then
        // repaired to 1K the next time the screen is shown and sent as such.
        List(kHwPageSize, kHwOtherGroup, Label(t::kPageSize), Fixed({"1K", "2K", "4K", "8K", "12K"}),
             false, Label(kDescPageSize)),
        List(kHwSoundMode, kHwOtherGroup, Label(t::kSoundMode), Options({&t::kMute, &t::kInOrder, &t::kRandom}), true,
             Label(kDescSound)),
        Group(kHwPowerGroup, kHwOtherGroup, Label(t::kPowerOnOff)),
        Item(kHwPowerOn, kHwPowerGroup, PropertyKind::Time, Label(t::kPowerOn)),
        Item(kHwPowerOff, kHwPowerGroup, PropertyKind::Time, Label(t::kPowerOff)),
    };
    for (int k = 0; k < 4; ++k) {
        s.push_back(Group(TimedGroupKey(k), kHwOtherGroup, Numbered(t::kScheduledLuminance, k + 1)));
        s.push_back(Item(TimedTimeKey(k), TimedGroupKey(k), PropertyKind::Time, Label(t::kTime)));
        s.push_back(Number(TimedLevelKey(k), TimedGroupKey(k), Label(t::kLuminance), 0, 255, Label(kDescBrightness)));
    }
    return s;
}

}  // namespace

std::vector<PropertySpec> HardwareGridSpecs() {
    std::vector<PropertySpec> s = DisplayAndOutputSpecs();
    for (PropertySpec& o : OtherSpecs()) s.push_back(std::move(o));
    return s;
}

// ---- showing and reading the grid ----

void CPropertiesWnd::ShowHardwareValues(const HardwareGridValues& v, uint16_t comIndex, bool keepPort) {
    PropertyGrid* g = Grid(kHardwareGridId);
    const std::pair<int, int> options[] = {
        {kHwModel, v.model}, {kHwColor, v.color}, {kHwRefresh, v.refresh}, {kHwOeLevel, v.oeLevel},
        {kHwDataLevel, v.dataLevel}, {kHwColumnOrder, v.columnOrder}, {kHwRowOrder, v.rowOrder},
        {kHwDataFlow, v.dataFlow}, {kHwHBlank, v.hblank}, {kHwBaud, v.baud}, {kHwFontChip, v.fontChip},
        {kHwFileSystem, v.fileSystem}, {kHwPageSize, v.pageSize}, {kHwSoundMode, v.soundMode}};
    for (auto [key, option] : options) g->SelectOptionIndex(key, option);
    const std::pair<int, int> numbers[] = {
        {kHwWidth, v.width}, {kHwHeight, v.height}, {kHwBrightness, v.brightness}, {kHwCardId, v.cardId}};
    for (auto [key, value] : numbers) g->SetIntValue(key, value);
    if (!keepPort) {
        // Options for every port there is, and for the stored index, so no port is shown wrongly.
        g->SetOptions(kHwSerialPort, ToList(SerialPortOptionTexts(SerialPortTable().size(), comIndex)));
        g->SelectOptionIndex(kHwSerialPort, v.comPort);
    }
    g->SetPackedValue(kHwPowerOn, v.powerOn);
    g->SetPackedValue(kHwPowerOff, v.powerOff);
    for (int k = 0; k < 4; ++k) {
        g->SetPackedValue(TimedTimeKey(k), v.timedTime[size_t(k)]);
        g->SetIntValue(TimedLevelKey(k), v.timedLevel[size_t(k)]);
    }
}

HardwareGridValues CPropertiesWnd::GridHardwareValues() const {
    const PropertyGrid* g = Grid(kHardwareGridId);
    HardwareGridValues v;
    const std::pair<int*, int> options[] = {
        {&v.model, kHwModel}, {&v.color, kHwColor}, {&v.refresh, kHwRefresh}, {&v.oeLevel, kHwOeLevel},
        {&v.dataLevel, kHwDataLevel}, {&v.columnOrder, kHwColumnOrder}, {&v.rowOrder, kHwRowOrder},
        {&v.dataFlow, kHwDataFlow}, {&v.hblank, kHwHBlank}, {&v.comPort, kHwSerialPort}, {&v.baud, kHwBaud},
        {&v.fontChip, kHwFontChip}, {&v.fileSystem, kHwFileSystem}, {&v.pageSize, kHwPageSize},
        {&v.soundMode, kHwSoundMode}};
    for (auto [field, key] : options) *field = std::max(g->GetOptionIndex(key), 0);
    v.width = g->IntValue(kHwWidth);
    v.height = g->IntValue(kHwHeight);
    v.brightness = g->IntValue(kHwBrightness);
    v.cardId = g->IntValue(kHwCardId);
    v.powerOn = g->PackedValue(kHwPowerOn);
    v.powerOff = g->PackedValue(kHwPowerOff);
    for (int k = 0; k < 4; ++k) {
        v.timedTime[size_t(k)] = g->PackedValue(TimedTimeKey(k));
        v.timedLevel[size_t(k)] = g->IntValue(TimedLevelKey(k));
    }
    return v;
}

void CPropertiesWnd::LoadHardwareParams(HardwareParams& record, bool keepPort) {
    const uint16_t chipAsStored = record.fontChip;
    RepairHardwareParams(record);
    SetDefaultCardFonts(chipAsStored);
    ShowHardwareValues(GridValuesOf(record), record.comIndex, keepPort);
    ShowGridsForLevel();
    ShowItemsByCardType(record.cardSubtype, false);
    Grid(kHardwareGridId)->update();
}

bool CPropertiesWnd::ReadHardwareParams(HardwareParams& out) {
    HardwareParams local = out;
    StoreGridValues(GridHardwareValues(), local);
    const SizeCheck check = CheckCardSize(local);
    if (check != SizeCheck::Ok) {
        MessageBoxFx(this, SizeCheckMessage(check)(), nullptr, MB_OK);
        return false;
    }
    out = local;
    return true;
}

void CPropertiesWnd::ShowItemsByCardType(uint8_t subtype, bool itemsOnly) {
    const SubtypeItems items = SubtypeItemsOf(subtype);
    if (!itemsOnly) {
        for (int id = 19; id <= 24; ++id) Grid(kProgramGridId)->SetItemEnabled(id, items.voice);
        Grid(kHardwareGridId)->SetItemEnabled(kHwSoundMode, items.voice);
    }
    Grid(kHardwareGridId)->SetItemEnabled(kHwFontChip, items.fontChip);
    Grid(kHardwareGridId)->SetItemEnabled(kHwFileSystem, items.fileSystem);
    Grid(kHardwareGridId)->SetItemEnabled(kHwPageSize, items.fileSystem);
}

bool CPropertiesWnd::CheckHardwarePassword() {
    if (passwordAccepted_) return true;
    CDlgPassword prompt(this);
    if (prompt.exec() == QDialog::Accepted) passwordAccepted_ = 1;
    return passwordAccepted_ != 0;
}

// ---- toolbar commands ----

bool CPropertiesWnd::ReadNewParams(HardwareParams& local) {
    if (!screen_ || !CheckHardwarePassword()) return false;
    local = *screen_;
    if (!ReadHardwareParams(local)) return false;
    SetDefaultCardFonts(local.fontChip);
    return true;
}

void CPropertiesWnd::StoreNewParams(const HardwareParams& local) {
    const bool changed = HardwareChanged(*screen_, local);
    const bool portChanged = screen_->comIndex != local.comIndex || screen_->baudIndex != local.baudIndex;
    *screen_ = local;  // a copy of the screen record with the grid's fields
    if (changed) Send(IMC_REDRAW_LAYOUT, 0);
    // The frame stores the new port and shows it in the status bar at once.
    if (portChanged) Send(IMC_PORT_SETTINGS_CHANGED, 0);
}

void CPropertiesWnd::OnSetHardwareParams() {
    HardwareParams local;
    if (!ReadNewParams(local)) return;
    // The transfer compares the card's type with the screen's: the new type for this send.
    const uint8_t oldType = screen_->cardType;
    screen_->cardType = local.cardType;
    const std::vector<uint8_t> block = BuildHardwareParamBlock(local);
    Send(IMC_SEND_HW_PARAMS, reinterpret_cast<intptr_t>(block.data()));
    screen_->cardType = oldType;
    StoreNewParams(local);
    if (!SaveSettingsFile(*screen_)) MessageBoxFx(this, t::kSettingsNotSaved(), nullptr, MB_OK);
}

HardwareParams* CPropertiesWnd::ActiveRootScreen() {
    auto* tree = reinterpret_cast<CViewTree*>(Send(IMC_GET_ACTIVE_TREE, 0));
    return tree ? &tree->Programs().screen() : screen_;
}

void CPropertiesWnd::OnReadHardwareParams() {
    if (!screen_) return;
    HardwareBlockRead block;
    block.bytes.fill(0xFF);
    if (Send(IMC_READ_HW_PARAMS, reinterpret_cast<intptr_t>(&block)) != 0) return;
    HardwareParams local;
    if (!RecordOfReadBlock(block, *screen_, local)) return;
    std::array<uint8_t, 64> reply{};
    if (const HardwareParams* root = ActiveRootScreen()) {
        const int n = QueryCard({root->comIndex, root->baudIndex}, CardCommand::Info, reply);
        ApplyCardInfoToRecord(std::span<const uint8_t>(reply.data(), size_t(std::max(n, 0))), local);
    }
    LoadHardwareParams(local, true);
}

void CPropertiesWnd::OnApplySimulatedParams() {
    HardwareParams local;
    if (!ReadNewParams(local)) return;
    StoreNewParams(local);
    ShowItemsByCardType(local.cardSubtype, false);
    // The record has the new values either way; the user must know when the file does not.
    const bool saved = SaveSettingsFile(*screen_);
    MessageBoxFx(this, saved ? t::kApplySucceeded() : t::kSettingsNotSaved(), nullptr, MB_OK);
}

void CPropertiesWnd::OnDefaultHardwareParams() {
    if (screen_) onInternal(IMC_SCREEN_SELECTED, reinterpret_cast<intptr_t>(screen_));
}

QString CPropertiesWnd::OnToolTipText(int command) const {
    for (size_t i = 0; i < 4; ++i)
        if (kToolbarCommands[i] == command) return ToQString(t::kToolbarTips[i]);
    return {};
}

void CPropertiesWnd::BuildToolBar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setFloatable(false);
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    void (CPropertiesWnd::*handlers[])() = {&CPropertiesWnd::OnApplySimulatedParams,
                                            &CPropertiesWnd::OnSetHardwareParams,
                                            &CPropertiesWnd::OnReadHardwareParams,
                                            &CPropertiesWnd::OnDefaultHardwareParams};
    for (size_t i = 0; i < 4; ++i) {
        QAction* action = toolbar_->addAction(QString());
        action->setData(kToolbarCommands[i]);
        // A value still being typed into the grid is part of what Apply and Set store.
        connect(action, &QAction::triggered, this, [this, handler = handlers[i]] {
            CommitOpenEdit(this);
            (this->*handler)();
        });
    }
}

QAction* CPropertiesWnd::Command(int command) const {
    for (QAction* a : toolbar_->actions())
        if (a->data().toInt() == command) return a;
    return nullptr;
}

}  // namespace ledsuite
