// The property window: building the grids, choosing the one shown, the internal
// messages, the change and option notices, and the relabelling on a language change.
#include "editors/ui/properties_wnd.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>

#include <QAction>
#include <QResizeEvent>
#include <QToolBar>
#include <QTreeWidget>

#include "content/render/font_tables.h"
#include "editors/property_texts.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

CPropertiesWnd::CPropertiesWnd(QWidget* parent, InternalChannel* channel) : QWidget(parent), channel_(channel) {
    for (int i = 0; i < 4; ++i) {
        grids_[i] = new PropertyGrid(kHardwareGridId + i, this);
        connect(grids_[i], &PropertyGrid::PropertyChanged, this, &CPropertiesWnd::OnPropertyChanged);
        connect(grids_[i], &PropertyGrid::OptionChosen, this, &CPropertiesWnd::OnGridOptionChanged);
    }
    InitPropList();
    BuildToolBar();
    RetranslatePropList();
    level_ = kLevelScreen;
    ShowGridsForLevel();
    AdjustLayout();
    // Tab comes in (and goes on to the grid shown); a click on the toolbar leaves the focus
    // where it was, as toolbar buttons do.
    setFocusPolicy(Qt::TabFocus);
}

void CPropertiesWnd::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The grid shown takes the keys (a hidden one would swallow them).
    for (PropertyGrid* g : grids_)
        if (g->isVisibleTo(this)) {
            g->Tree()->setFocus(event->reason());
            return;
        }
}

void CPropertiesWnd::SetPropListFont() {
    const QFont menuFont = QApplication::font("QMenu");
    for (int id : {kHardwareGridId, kProgramSetGridId, kProgramGridId}) Grid(id)->setFont(menuFont);
}

bool CPropertiesWnd::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationFontChange) SetPropListFont();
    return QWidget::event(event);
}

void CPropertiesWnd::InitPropList() {
    SetPropListFont();
    for (size_t i = 0; SoundFixName(i); ++i) fixedSounds_.push_back(*SoundFixName(i));
    Grid(kHardwareGridId)->Build(HardwareGridSpecs());
    Grid(kProgramSetGridId)->Build(ProgramSetGridSpecs());
    Grid(kProgramGridId)->Build(ProgramGridSpecs(fixedSounds_));
    Grid(kUserGridId)->Build(UserGridSpecs());
    for (int id : {kProgramSetGridId, kProgramGridId, kUserGridId}) Grid(id)->SetDescriptionVisible(false);
}

PropertyGrid* CPropertiesWnd::Grid(int id) const {
    return id >= kHardwareGridId && id <= kUserGridId ? grids_[id - kHardwareGridId] : nullptr;
}

void CPropertiesWnd::AdjustLayout() {
    const QRect r = rect();
    const int barHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(r.x(), r.y(), r.width(), barHeight);
    Grid(kHardwareGridId)->setGeometry(r.adjusted(0, barHeight, 0, 0));
    for (int id : {kProgramSetGridId, kProgramGridId, kUserGridId}) Grid(id)->setGeometry(r);
}

void CPropertiesWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AdjustLayout();
}

void CPropertiesWnd::ShowGridsForLevel() {
    const bool multi = viewMode_ == 1;
    Grid(kUserGridId)->setVisible(multi);
    Grid(kHardwareGridId)->setVisible(!multi && level_ == kLevelScreen);
    toolbar_->setVisible(!multi && level_ == kLevelScreen);
    Grid(kProgramSetGridId)->setVisible(!multi && level_ == kLevelProgramSet);
    Grid(kProgramGridId)->setVisible(!multi && level_ == kLevelProgram);
}

intptr_t CPropertiesWnd::onInternal(int code, intptr_t arg) {
    switch (code) {
        case IMC_SET_VIEW_MODE:
            viewMode_ = uint16_t(arg);
            ShowGridsForLevel();
            break;
        case IMC_SCREEN_SELECTED:
            level_ = kLevelScreen;
            screen_ = reinterpret_cast<HardwareParams*>(arg);
            if (screen_) LoadHardwareParams(*screen_, false);
            passwordAccepted_ = 0;
            break;
        case IMC_PROGRAMS_SELECTED:
            level_ = kLevelProgramSet;
            set_ = reinterpret_cast<ProgramSetRecord*>(arg);
            ShowProgramSet();
            passwordAccepted_ = 0;
            break;
        case IMC_PROGRAM_SELECTED:
            level_ = kLevelProgram;
            program_ = reinterpret_cast<ProgramRecord*>(arg);
            ShowProgram();
            passwordAccepted_ = 0;
            break;
        case IMC_SET_PROGRAM_KIND: Grid(kProgramGridId)->SelectOptionIndex(kPrgRole, 0); break;
        case IMC_AREA_GEOMETRY_CHANGED:
            if (level_ == kLevelProgram && program_) RefreshAreaItems();
            break;
        case IMC_PORT_SETTINGS_CHANGED:
            if (level_ == kLevelScreen && screen_) LoadHardwareParams(*screen_, false);
            break;
        case IMC_SET_VOICE_ROLES:
            if (const auto* names = reinterpret_cast<const std::vector<std::u16string>*>(arg)) {
                QStringList options = Grid(kProgramGridId)->Options(kPrgRole);
                for (const std::u16string& n : *names) options << ToQString(n);
                Grid(kProgramGridId)->SetOptions(kPrgRole, options);
            }
            break;
        case IMC_LANGUAGE_CHANGED: RetranslatePropList(); break;
        default: break;
    }
    return 0;
}

void CPropertiesWnd::OnPropertyChanged(int gridId, int key) {
    PropertyGrid* g = Grid(gridId);
    if (!g || gridId == kUserGridId || g->CurrentKey() != key) return;
    // The border type of a program and "More" act through the option notice only.
    if (gridId == kHardwareGridId && key == kHwModel) {
        ShowItemsByCardType(ModelOfOption(g->GetOptionIndex(key)).subtype, true);
    } else if (gridId == kProgramSetGridId && set_ && key != kSetMore) {
        WriteProgramSet(key);
    } else if (gridId == kProgramGridId && program_ && key != kPrgBorderType) {
        WriteProgram(key);
    }
}

void CPropertiesWnd::RetranslatePropList() {
    for (PropertyGrid* g : grids_) g->Relabel();
    for (QAction* a : toolbar_->actions()) {
        for (size_t i = 0; i < 4; ++i)
            if (a->data().toInt() == kToolbarCommands[i]) a->setText(ToQString(ptext::kToolbarTexts[i]));
        a->setToolTip(OnToolTipText(a->data().toInt()));
    }
    update();
}

}  // namespace ledsuite
