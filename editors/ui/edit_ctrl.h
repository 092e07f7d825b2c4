#pragma once
// The text editor window, the "Program Editor" page: two toolbar rows (insertions,
// styles, alignments; the font, size and colour combos), the editing surface for the
// program text and the table editor, one of them active. It binds to the program the
// tree selects (IMC_PROGRAM_SELECTED), keeps the program's font set in line with the
// screen's font chip, shows the attribute at the caret in its controls and applies the
// controls' changes to the selection.
#include <map>
#include <memory>

#include <QToolBar>
#include <QWidget>

#include "content/render/font_renderer.h"
#include "content/model/field_objects.h"
#include "content/render/font_tables.h"
#include "content/model/records.h"
#include "content/render/render_context.h"
#include "editors/ui/target_channel.h"

class QAction;
class QComboBox;

namespace ledsuite {

class CEditEx;
class CEditGrid;
class CComboBoxColor;
class CIconPicker;

// The toolbars of the editor's two rows.
class CPropertiesToolBar : public QToolBar {
    Q_OBJECT
public:
    using QToolBar::QToolBar;
};

// Gives a window the class name "ROZIVovo" that the text editor window shares with the
// view's list panes (kept as the object name).
void RegisterCtrlWindowClass(QWidget& window);

class CEditCtrl : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    // `channel` reaches the main frame (IMC_REDRAW_LAYOUT, IMC_SET_PROGRAM_KIND,
    // IMC_GET_SCREEN_RECORD); `tables` are the face lists the texts' font indexes name.
    CEditCtrl(QWidget* parent, InternalChannel* channel, FontTables tables = MakeFaceLists<FontTables>());
    ~CEditCtrl() override;

    intptr_t onInternal(int code, intptr_t arg) override;

    // Clears a program's head in place: cells (their objects freed), header, area and
    // border frames; border type, effect and speed stay.
    static void ResetProgramContent(ProgramRecord& record);

    uint32_t GetDefaultAttr() const;
    void ShowAttr(uint32_t attr);
    void OnToolbarCommand(int id);
    // Enables and checks the toolbar's buttons for the current state.
    void OnUpdateToolbar();
    // The tooltip of a toolbar button in the UI language; empty for 32787 and other ids.
    QString OnToolTipText(int id) const;
    void OnFontChange();
    void OnSizeChange();
    void OnColorChange();
    // The page was shown or hidden: hidden, it binds the emptied work copy.
    void OnShowWindow(bool shown);
    void OnSize(int width, int height);
    // Puts a table cell's edit in progress back into its table (before Send or Save).
    void CommitPendingEdit();

    CEditEx* surface() const { return surface_; }
    CEditGrid* gridEditor() const { return grid_; }
    CEditEx* activeEditor() const { return active_; }
    QComboBox* fontCombo() const { return font_; }
    QComboBox* sizeCombo() const { return size_; }
    CComboBoxColor* colorCombo() const { return color_; }
    CIconPicker* picker(int index) const { return index == 0 ? picker1_ : picker2_; }
    QAction* action(int id) const;
    ProgramRecord* record() const { return record_; }
    ProgramRecord* workCopy() const { return work_.get(); }
    uint8_t fontChip() const { return fontChip_; }
    uint8_t fontSetMode() const { return fontSetMode_; }
    RenderContext& renderContext() { return rc_; }

protected:
    void changeEvent(QEvent* event) override;  // the language: tooltips re-labelled
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnCreate();
    void BuildToolbars();
    void BuildCombos();
    void Retranslate();
    void FillFontAndSizeCombos();
    void ProgramSelected(ProgramRecord* record);
    void ShowGridEditor(GridObject* grid);
    void ShowSurface();
    void ApplyToSelection(uint32_t attr, uint32_t mask);
    void InsertGrid();
    void ToggleFontChip();
    void ToggleLyricShow();
    void PickerChosen(int code);
    bool SurfaceActive() const;
    bool IsRealProgram() const { return record_ && record_ != work_.get(); }

    InternalChannel* channel_;
    FontRenderer fonts_;
    FontTables tables_;
    RenderContext rc_{fonts_, tables_};
    TargetChannel self_{this, this};
    std::unique_ptr<ProgramRecord> work_;
    CEditEx* surface_ = nullptr;
    CEditGrid* grid_ = nullptr;
    CEditEx* active_ = nullptr;
    CPropertiesToolBar* toolbar1_ = nullptr;
    CPropertiesToolBar* toolbar2_ = nullptr;
    QComboBox* font_ = nullptr;
    QComboBox* size_ = nullptr;
    CComboBoxColor* color_ = nullptr;
    CIconPicker* picker1_ = nullptr;
    CIconPicker* picker2_ = nullptr;
    std::map<int, QAction*> actions_;
    uint8_t fontChip_ = 0;
    uint8_t fontSetMode_ = 0;
    uint32_t styleBits_ = 0;
    ProgramRecord* record_ = nullptr;
};

}  // namespace ledsuite
