// The text editor window: construction, internal messages and the controls' state.
// Its toolbar commands are in edit_ctrl_commands.cpp.
#include "editors/ui/edit_ctrl.h"

#include <QAction>
#include <QComboBox>
#include <QHideEvent>
#include <QToolBar>
#include <QResizeEvent>

#include "editors/edit_rules.h"
#include "editors/ui/default_pictures.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/edit_grid.h"
#include "editors/ui/edit_texts.h"
#include "toolkit/color_combo.h"
#include "toolkit/icon_picker.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr uint8_t kComboColorCode = 12;  // the colour combo offers red, green and yellow on every screen
constexpr int kFirstToolCommand = kToolInsertDate;
constexpr int kLastToolCommand = kToolReturnToText;
constexpr uint32_t kStyleBits = CellAttr::Bold | CellAttr::Italic | CellAttr::Underline;
// Short glyphs of the toolbar's buttons, in command order.
constexpr const char16_t* kToolGlyphs[] = {u"D", u"W", u"T", u"\u2103", u"%", u"\u25F7", u"\u25A6", u"\u25A3",
                                           u"\u263A", u"B", u"I", u"U", u"\u21E4", u"\u2261", u"\u21E5", u"\u2630",
                                           u"\u2195", u"\u5B57", u"\u266A", u"\u21A9"};
}  // namespace

void CEditCtrl::ResetProgramContent(ProgramRecord& record) {
    FreeCellObjects(record.content);
    record.content.header = TextHeader{};
    record.content.header.spread = 1;
    record.left = record.top = record.right = record.bottom = 0;
    FreeImageFrames(record.borderFrames);
}

void RegisterCtrlWindowClass(QWidget& window) { window.setObjectName(QStringLiteral("ROZIVovo")); }

CEditCtrl::CEditCtrl(QWidget* parent, InternalChannel* channel, FontTables tables)
    : QWidget(parent), channel_(channel), tables_(std::move(tables)), work_(std::make_unique<ProgramRecord>()) {
    RegisterCtrlWindowClass(*this);
    ResetProgramContent(*work_);
    OnCreate();
    record_ = work_.get();
    surface_->onInternal(IMC_PROGRAM_SELECTED, intptr_t(record_));
    OnUpdateToolbar();
}

void CEditCtrl::OnCreate() {
    surface_ = new CEditEx(this, &self_, rc_);
    surface_->setObjectName(QStringLiteral("RARAZU"));
    grid_ = new CEditGrid(this, &self_, channel_, rc_);
    grid_->hide();
    active_ = surface_;
    BuildToolbars();
    BuildCombos();
    picker1_ = new CIconPicker(this);
    picker1_->setObjectName(QStringLiteral("Icon Picker"));
    picker1_->hide();
    picker1_->AddFolderImages("zu_img");
    picker1_->SetNotifyCode(IMC_ICON_PICKED);
    picker2_ = new CIconPicker(this);
    picker2_->setObjectName(QStringLiteral("Icon Picker"));
    picker2_->hide();
    picker2_->SetNotifyCode(IMC_ICON_PICKED_ALT);
    for (const QPixmap& tile : SymbolTiles()) picker2_->AddBitmapHandle(tile);
    for (CIconPicker* p : {picker1_, picker2_})
        connect(p, &CIconPicker::InternalMessage, this, [this](int code, const QVariant&) { onInternal(code, 0); });
}

void CEditCtrl::OnSize(int width, int height) {
    const int h = toolbar1_->sizeHint().height();
    toolbar1_->setGeometry(0, 0, width, h);
    toolbar2_->setGeometry(0, h, width, h + 4);
    const QRect editor(0, 2 * h + 4, width, std::max(0, height - 2 * h - 4));
    surface_->setGeometry(editor);
    grid_->setGeometry(editor);
}

void CEditCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize(width(), height());
}

CEditCtrl::~CEditCtrl() {
    // The children go first: they refer to the render context and the work copy.
    delete grid_;
    delete surface_;
    grid_ = nullptr;
    surface_ = active_ = nullptr;
    ResetProgramContent(*work_);
}

void CEditCtrl::BuildToolbars() {
    toolbar1_ = new CPropertiesToolBar(this);
    toolbar1_->setIconSize(QSize(16, 15));
    for (int id = kFirstToolCommand; id <= kLastToolCommand; ++id) {
        QAction* a = toolbar1_->addAction(ToQString(kToolGlyphs[id - kFirstToolCommand]));
        a->setData(id);
        a->setCheckable((id >= kToolBold && id <= kToolLyricShow));
        connect(a, &QAction::triggered, this, [this, id] { OnToolbarCommand(id); });
        actions_[id] = a;
    }
    toolbar2_ = new CPropertiesToolBar(this);
    Retranslate();
}

void CEditCtrl::BuildCombos() {
    font_ = new QComboBox(toolbar2_);
    font_->setFixedWidth(180);
    size_ = new QComboBox(toolbar2_);
    size_->setFixedWidth(60);
    color_ = new CComboBoxColor(toolbar2_);
    color_->setFixedWidth(80);
    color_->SetColorCode(kComboColorCode);
    toolbar2_->addWidget(font_);
    toolbar2_->addWidget(size_);
    toolbar2_->addWidget(color_);
    FillFontAndSizeCombos();
    connect(font_, &QComboBox::activated, this, &CEditCtrl::OnFontChange);
    connect(size_, &QComboBox::activated, this, &CEditCtrl::OnSizeChange);
    connect(color_, &QComboBox::activated, this, &CEditCtrl::OnColorChange);
}

void CEditCtrl::OnFontChange() {
    ApplyToSelection(uint32_t(std::max(0, font_->currentIndex())) << CellAttr::FontShift, AttrMask::Font);
}

void CEditCtrl::OnSizeChange() {
    ApplyToSelection(uint32_t(size_->currentText().toInt() & 0xFF) << CellAttr::SizeShift, AttrMask::Size);
}

void CEditCtrl::OnColorChange() { ApplyToSelection(uint32_t(color_->GetRgbBits() & 7) << 11, AttrMask::Color); }

QString CEditCtrl::OnToolTipText(int id) const {
    if (id < kFirstToolCommand || id > kLastToolCommand) return {};
    return ToQString(edit_text::kToolTips[id - kFirstToolCommand]);
}

void CEditCtrl::Retranslate() {
    for (auto& [id, a] : actions_) a->setToolTip(OnToolTipText(id));
}

void CEditCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) Retranslate();
    QWidget::changeEvent(event);
}

QAction* CEditCtrl::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CEditCtrl::SurfaceActive() const { return active_ == surface_; }

// ---- combos and attributes ---------------------------------------------------------------

void CEditCtrl::FillFontAndSizeCombos() {
    font_->clear();
    if (fontSetMode_ == 0) {
        for (const std::u16string& face : tables_.installed) font_->addItem(ToQString(face));
        const int song = font_->findText(QString::fromUtf16(u"宋体"));
        font_->setCurrentIndex(song >= 0 ? song : 0);
    } else {
        for (const std::u16string& face : tables_.defaults) font_->addItem(ToQString(face));
        font_->setCurrentIndex(0);
    }
    size_->clear();
    for (int s : SizeListForMode(fontSetMode_)) size_->addItem(QString::number(s));
    size_->setCurrentIndex(SizeIndexForSize(fontSetMode_, 16));
}

uint32_t CEditCtrl::GetDefaultAttr() const {
    // Bold, italic and underline exist only with system fonts; a card font set has none.
    uint32_t attr = fontSetMode_ == 0 ? styleBits_ & kStyleBits : 0;
    attr |= uint32_t(color_->GetRgbBits() & 7) << 11;
    attr |= uint32_t(std::max(0, font_->currentIndex()) & 0x3FF) << CellAttr::FontShift;
    attr |= uint32_t(SizeForIndex(fontSetMode_, size_->currentIndex()) & 0xFF) << CellAttr::SizeShift;
    return attr;
}

void CEditCtrl::ShowAttr(uint32_t attr) {
    styleBits_ = fontSetMode_ == 0 ? attr & kStyleBits : 0;
    color_->SelectRgbBits(RgbBits(CellAttr::RgbOf(attr)));
    const int font = int(CellAttr::FontOf(attr));
    font_->setCurrentIndex(font < font_->count() ? font : 0);
    size_->setCurrentIndex(SizeIndexForSize(fontSetMode_, int(CellAttr::SizeOf(attr))));
    OnUpdateToolbar();
}

void CEditCtrl::ApplyToSelection(uint32_t attr, uint32_t mask) {
    active_->SetStyleBits(attr, mask);
    active_->setFocus();
}

// ---- binding -------------------------------------------------------------------------------

void CEditCtrl::ProgramSelected(ProgramRecord* record) {
    CommitPendingEdit();
    record_ = record ? record : work_.get();
    TextContent& text = record_->content;
    fontSetMode_ = ProgramFontSetMode(text.header.fontSet, fontChip_);
    if (fontSetMode_ != 0) styleBits_ = 0;  // the card's fonts have no styles
    FillFontAndSizeCombos();
    ConvertCardFontSet(text, fontSetMode_, tables_);
    if (text.cells[0].code == FC_TABLE && text.cells[1].code == 0 && CellObjectAs<GridObject>(text.cells[0])) {
        ShowGridEditor(CellObjectAs<GridObject>(text.cells[0]));
    } else {
        ShowSurface();
    }
    surface_->onInternal(IMC_PROGRAM_SELECTED, intptr_t(record_));
    surface_->engine().RefreshCurrentAttr();  // the last program's attribute is not this one's
    OnUpdateToolbar();
}

void CEditCtrl::ShowGridEditor(GridObject* grid) {
    surface_->hide();
    active_ = grid_->cellSurface();
    grid_->SetGrid(grid);
    grid_->show();
}

void CEditCtrl::ShowSurface() {
    CommitPendingEdit();
    active_ = surface_;
    grid_->hide();
    surface_->show();
}

void CEditCtrl::CommitPendingEdit() {
    if (grid_) grid_->CommitEdit();
}

void CEditCtrl::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) OnShowWindow(false);  // spontaneous: a minimised window, not a hidden page
}

void CEditCtrl::OnShowWindow(bool shown) {
    if (shown || !surface_) return;  // no surface: the page is going away
    // Nothing edits the last program while the page is hidden.
    CommitPendingEdit();
    ResetProgramContent(*work_);
    ProgramSelected(work_.get());
}

void CEditCtrl::PickerChosen(int code) {
    CIconPicker* picker = code == IMC_ICON_PICKED ? picker1_ : picker2_;
    FrameVector frames = picker->CreateItemImage(picker->Selection());
    intptr_t object = 0;
    if (!frames.empty()) {
        auto picture = std::make_unique<PictureObject>();
        picture->frames = std::move(frames);
        object = intptr_t(picture.release());  // the surface takes it over
    }
    active_->onInternal(IMC_ICON_PICKED, object);
    active_->setFocus();
}

intptr_t CEditCtrl::onInternal(int code, intptr_t arg) {
    switch (code) {
    case IMC_REDRAW_LAYOUT: return channel_ ? channel_->send(code, arg) : 0;
    case IMC_RELAYOUT_TEXT: return surface_->onInternal(code, arg);
    case IMC_PROGRAM_SELECTED: ProgramSelected(reinterpret_cast<ProgramRecord*>(arg)); return 0;
    case IMC_CELL_NOTIFY: return intptr_t(GetDefaultAttr());
    case IMC_CELL_VALUE: ShowAttr(uint32_t(arg)); return 0;
    case IMC_ICON_PICKED:
    case IMC_ICON_PICKED_ALT: PickerChosen(code); return 0;
    case IMC_SHOW_GRID_EDITOR:
        if (arg) ShowGridEditor(reinterpret_cast<GridObject*>(arg));
        OnUpdateToolbar();
        return 0;
    case IMC_REFRESH_EDITOR: return surface_->onInternal(code, arg);
    case IMC_REFRESH_EDITOR_ALT: return active_->onInternal(code, arg);
    case IMC_SET_FONT_CHIP:
        fontChip_ = uint8_t(arg & 0xFF);
        SetDefaultCardFonts(uint16_t(arg));
        if (const DefaultFontTable d = DefaultFonts(); d.count > 0)
            tables_.defaults.assign(d.names.begin(), d.names.begin() + d.count);
        return 0;
    case IMC_LANGUAGE_CHANGED: Retranslate(); return 0;
    case IMC_COMMIT_PENDING_EDIT: CommitPendingEdit(); return 0;
    default: return 0;
    }
}

}  // namespace ledsuite
