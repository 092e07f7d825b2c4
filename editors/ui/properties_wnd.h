#pragma once
// The property window of the right column: four property grids, one shown at a time by
// what the program tree selects (a screen's hardware parameters with their toolbar, a
// program set, a program, or the user grid on the multi-screen page). Edits of the set
// and program grids go straight into the selected record; the hardware grid changes its
// record only through Set or Apply, behind the service password.
//
// Internal messages in (onInternal): IMC_SET_VIEW_MODE (0/1), IMC_SCREEN_SELECTED
// (HardwareParams*), IMC_PROGRAMS_SELECTED (ProgramSetRecord*), IMC_PROGRAM_SELECTED
// (ProgramRecord*), IMC_SET_PROGRAM_KIND, IMC_AREA_GEOMETRY_CHANGED,
// IMC_PORT_SETTINGS_CHANGED, IMC_SET_VOICE_ROLES (const std::vector<std::u16string>*),
// IMC_LANGUAGE_CHANGED. Out through the channel: IMC_REDRAW_LAYOUT (0), IMC_RELAYOUT_TEXT
// (1), IMC_SET_PROGRAM_KIND (role option), IMC_GET_ACTIVE_TREE (answer: ProgramTree* or 0),
// IMC_SEND_HW_PARAMS (const uint8_t* to the 1024-byte block), IMC_READ_HW_PARAMS
// (HardwareBlockRead*, answer 0 when the card's block was read), IMC_PORT_SETTINGS_CHANGED
// (0, when Set or Apply stored another port or baud).
#include <cstdint>
#include <string>
#include <vector>

#include <QWidget>

#include "content/imc_codes.h"
#include "content/model/records.h"
#include "editors/frame_tiles.h"
#include "editors/hardware_grid_rules.h"
#include "toolkit/property_grid.h"

class QToolBar;
class QAction;

namespace ledsuite {

// Toolbar commands.
enum : int { kCmdSetHardware = 32770, kCmdReadHardware = 32771, kCmdApplySimulated = 32772, kCmdDefaultHardware = 32773 };
// The toolbar's buttons in order; their texts and tooltips are rows of the same order.
inline constexpr int kToolbarCommands[4] = {kCmdApplySimulated, kCmdSetHardware, kCmdReadHardware,
                                            kCmdDefaultHardware};
// Grid control ids.
enum : int { kHardwareGridId = 2, kProgramSetGridId = 3, kProgramGridId = 4, kUserGridId = 5 };
// Selection levels.
enum : uint32_t { kLevelScreen = 48, kLevelProgramSet = 49, kLevelProgram = 53 };

class CPropertiesWnd : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    CPropertiesWnd(QWidget* parent, InternalChannel* channel);

    intptr_t onInternal(int code, intptr_t arg) override;

    PropertyGrid* Grid(int id) const;
    QToolBar* ToolBar() const { return toolbar_; }
    QAction* Command(int command) const;
    uint32_t Level() const { return level_; }
    uint16_t ViewMode() const { return viewMode_; }
    bool PasswordAccepted() const { return passwordAccepted_ != 0; }
    const std::vector<FrameTile>& BorderFrameTiles() const { return frameTiles_; }

    virtual void ShowGridsForLevel();
    void RetranslatePropList();

    // Hardware grid.
    void LoadHardwareParams(HardwareParams& record, bool keepPort);
    bool ReadHardwareParams(HardwareParams& out);
    void ShowItemsByCardType(uint8_t subtype, bool itemsOnly);
    bool CheckHardwarePassword();
    void OnSetHardwareParams();
    void OnReadHardwareParams();
    void OnApplySimulatedParams();
    void OnDefaultHardwareParams();
    QString OnToolTipText(int command) const;

    // Program-set and program grids.
    void ShowProgramSet();
    void ShowProgram();
    void RefreshAreaItems();
    // The frame editor for a custom border: the tile picked there becomes the border; true
    // when a tile did.
    bool EditCustomBorder(uint8_t& borderType, FrameVector& frames);

private slots:
    void OnPropertyChanged(int gridId, int key);
    void OnGridOptionChanged(int gridId, int key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;  // hands the focus to the grid shown

private:
    void InitPropList();
    // Grids 2 to 4 take the menu font of the desktop (grid 5 keeps the default font),
    // again whenever the desktop's fonts change.
    void SetPropListFont();
    bool event(QEvent* event) override;
    void BuildToolBar();
    void AdjustLayout();
    HardwareGridValues GridHardwareValues() const;
    void ShowHardwareValues(const HardwareGridValues& v, uint16_t comIndex, bool keepPort);
    HardwareParams* ActiveRootScreen();
    bool ReadNewParams(HardwareParams& local);  // Set and Apply, steps 1 to 3
    void StoreNewParams(const HardwareParams& local);
    void WriteProgramSet(int id);
    void WriteProgram(int id);
    void ApplyPlayModeEnabling();
    void ApplyBorderEnabling();
    void ApplySecondaryEnabling();
    void RefreshActionItems();  // the numbers of both actions, as the record holds them
    // A border type chosen in list `key` of `g`; "Custom" runs the frame editor.
    void ChooseBorderType(PropertyGrid* g, int key, uint8_t& borderType, FrameVector& frames);
    void ShowSoundItem(int id, const std::array<char16_t, 128>& text);
    intptr_t Send(int code, intptr_t arg) { return channel_ ? channel_->send(code, arg) : 0; }

    InternalChannel* channel_;
    QToolBar* toolbar_ = nullptr;
    PropertyGrid* grids_[4]{};
    uint16_t viewMode_ = 0;
    uint32_t level_ = kLevelScreen;
    uint32_t passwordAccepted_ = 0;
    HardwareParams* screen_ = nullptr;
    ProgramSetRecord* set_ = nullptr;
    ProgramRecord* program_ = nullptr;
    std::vector<FrameTile> frameTiles_;  // the border tiles of the "zu_frame" folders
    bool frameTilesLoaded_ = false;      // read when the frame editor first opens
    std::vector<std::u16string> fixedSounds_;
};

}  // namespace ledsuite
