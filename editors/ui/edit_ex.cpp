// The editing surface: input to the engine, the engine's frame to the screen.
#include "editors/ui/edit_ex.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>

#include "content/render/plain_text.h"
#include "editors/ui/default_pictures.h"
#include "editors/ui/dlg_ad_convert.h"
#include "editors/ui/dlg_clock.h"
#include "editors/ui/dlg_counter.h"
#include "editors/ui/dlg_timer.h"
#include "editors/ui/edit_texts.h"
#include "editors/ui/image_editor_dlg.h"
#include "toolkit/icon_picker.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_image.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

constexpr int kClockFaceTile = 64;  // the size of the shipped clock faces

int EngineKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_End: return kKeyEnd;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Delete: return kKeyDelete;
    default: return 0;
    }
}

// The upper-cased last three characters of a dropped file's path; empty for paths of
// three characters or fewer.
QString DropExtension(const QString& path) {
    if (path.size() <= 3) return {};
    QString ext = path.right(3);
    for (QChar& c : ext)
        if (c.unicode() > 0x60 && c.unicode() < 0x7B) c = QChar(c.unicode() - 0x20);
    return ext;
}

}  // namespace

CEditEx::CEditEx(QWidget* parent, InternalChannel* owner, RenderContext& rc)
    : QAbstractScrollArea(parent), owner_(owner), engine_(std::make_unique<CellEditor>(rc, owner)) {
    setObjectName(QStringLiteral("RARAZU"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);  // drops arrive at the viewport, which hands them to the area
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    clockPicker_ = new CIconPicker(this);
    clockPicker_->setObjectName(QStringLiteral("Icon Picker"));
    clockPicker_->hide();
    // Entry 0 is "no background" (picking it leaves the clock without a picture), then the faces.
    clockPicker_->AddBitmapHandle(NoBackgroundTile(kClockFaceTile));
    clockPicker_->AddFolderImages("zu_clock");
    engine_->Resize(viewport()->width(), viewport()->height());
}

CEditEx::~CEditEx() { engine_->Destroy(); }

// ---- binding and operations ------------------------------------------------------------

void CEditEx::Attach() {
    if (!record_) {
        engine_->Attach(nullptr, 0, 0, 0, 0, 0);
    } else {
        const ProgramRecord& r = *record_;
        engine_->Attach(&record_->content, EffectMoveClass(r.mainAction), r.left, r.top, r.right, r.bottom);
    }
    Refresh();
}

void CEditEx::ShowChange() {
    engine_->Redraw();
    Refresh();
    NotifyChanged();
}

void CEditEx::NotifyChanged() {
    if (owner_) owner_->send(IMC_REDRAW_LAYOUT, 0);
}

int CEditEx::InsertCode(char16_t code, bool notify) {
    if (code == FC_CLOCK) engine_->InsertClock();
    else engine_->InsertChar(code, true);
    if (notify) {
        ShowChange();
    }
    return 1;
}

void CEditEx::InsertSequence(std::u16string_view codes) {
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i + 1 < codes.size()) engine_->InsertChar(codes[i], true);
        else InsertCode(codes[i], true);
    }
}

int CEditEx::InsertValueField(char16_t code, std::unique_ptr<CellObject> field) {
    const int done = engine_->InsertValueField(code, std::move(field));
    ShowChange();
    return done;
}

void CEditEx::SetStyleBits(uint32_t attr, uint32_t mask) {
    engine_->ApplyAttrMask(attr, mask);
    Refresh();
    NotifyChanged();
}

void CEditEx::SetAlignment(int value) {
    if (TextContent* t = engine_->text()) t->header.align = uint8_t(value & 3);
    NotifyChanged();
}

void CEditEx::SetVerticalAverage(int value) {
    if (TextContent* t = engine_->text()) t->header.spread = uint16_t((t->header.spread & 0xFF00) | (value & 1));
    NotifyChanged();
}

void CEditEx::SetFontSetMode(uint8_t mode) {
    if (TextContent* t = engine_->text()) {
        ConvertCardFontSet(*t, mode, engine_->renderContext().tables);
        engine_->RelayoutKeepSelection();
        engine_->ScrollToCaret();
        // The conversion changed the attribute at the caret: what is typed next, and
        // what the controls show, follow the converted text.
        engine_->RefreshCurrentAttr();
        engine_->Redraw();
        Refresh();
    }
    NotifyChanged();
}

// ---- clipboard and drops -----------------------------------------------------------------

void CEditEx::Copy() {
    engine_->CopyToClipboard([](const std::u16string& s) { QApplication::clipboard()->setText(ToQString(s)); });
}

void CEditEx::Cut() {
    const bool copied = engine_->CopyToClipboard(
        [](const std::u16string& s) { QApplication::clipboard()->setText(ToQString(s)); });
    if (!copied) return;
    engine_->DeleteSelection();
    engine_->Relayout();
    ShowChange();
}

int CEditEx::Paste(bool query) {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const bool text = data && data->hasText(), image = data && data->hasImage();
    if (query) return text || image;
    int done = 0;
    if (text) {
        done = engine_->InsertString(ToU16(data->text()));
    } else if (image) {
        if (auto raw = CreateImageFromHBitmap(qvariant_cast<QImage>(data->imageData())))
            done = engine_->InsertBitmap(*raw);
    }
    if (done || text) {
        ShowChange();
    }
    return done;
}

void CEditEx::SelectAll() {
    engine_->SelectAll();
    Refresh();
}

int CEditEx::OnDropFiles(const QStringList& paths) {
    int inserted = 0;
    for (const QString& path : paths) {
        const QString ext = DropExtension(path);
        if (ext == QLatin1String("TXT")) {
            // Taken as typed (CR becomes LF), in one pass over the text.
            if (const auto text = LoadTextFile(path.toStdString())) inserted += engine_->InsertTyped(*text);
        } else if (ext == QLatin1String("PNG") || ext == QLatin1String("JPG") || ext == QLatin1String("GIF") ||
                   ext == QLatin1String("BMP") || ext == QLatin1String("ICO")) {
            inserted += engine_->InsertPicture(path.toStdString());
        }
    }
    if (inserted) {
        engine_->Relayout();
        ShowChange();
    }
    return inserted;
}

// ---- item dialogs and menu commands ------------------------------------------------------

bool CEditEx::RunItemDialog(ItemDialog kind, CellObject& object) {
    // The one place a field's dialog is chosen. A runner set by the host (tests, or a
    // window with dialogs of its own) answers instead of the item dialogs.
    if (dialogRunner_) return dialogRunner_(*this, kind, object);
    if (auto* picture = dynamic_cast<PictureObject*>(&object); picture && kind == kPictureDialog)
        return CImageEditorDlg::EditField(this, picture->frames) == QDialog::Accepted;
    if (auto* adc = dynamic_cast<AdcField*>(&object); adc && kind == kAdcDialog)
        return DlgADConvert::EditField(this, *adc);
    if (auto* timer = dynamic_cast<TimerField*>(&object); timer && kind == kTimerDialog)
        return DlgTimer::EditField(this, *timer);
    if (auto* counter = dynamic_cast<CounterField*>(&object); counter && kind == kCounterDialog)
        return DlgCounter::EditField(this, *counter);
    if (auto* clock = dynamic_cast<ClockObject*>(&object); clock && kind == kClockDialog) {
        DlgClock::EditField(this, *clock, this, clockPicker_);  // writes into the clock at once
        return true;
    }
    return false;
}

void CEditEx::OnEditItem() {
    TextCell* cell = engine_->SelectedCell();
    if (!cell || !cell->obj) return;
    const ItemDialog kind = ItemDialogFor(cell->code);
    if (kind == kNoItemDialog) return;
    if (kind == kTableEditor) {
        if (owner_) owner_->send(IMC_SHOW_GRID_EDITOR, intptr_t(cell->obj.get()));
        return;
    }
    const bool ok = RunItemDialog(kind, *cell->obj);
    if (ok || kind == kPictureDialog) {  // the picture editor writes at once
        engine_->Relayout();
        ShowChange();
    }
}

void CEditEx::InsertNewValueField(int command) {
    std::unique_ptr<CellObject> field;
    ItemDialog kind = kNoItemDialog;
    char16_t code = 0;
    if (command == kCmdInsertAdc) {
        auto adc = std::make_unique<AdcField>();
        InitAdcSettings(*adc);
        field = std::move(adc), kind = kAdcDialog, code = FC_ADC;
    } else if (command == kCmdInsertTimer) {
        auto timer = std::make_unique<TimerField>();
        InitTimerField(*timer);
        field = std::move(timer), kind = kTimerDialog, code = FC_TIMER;
    } else {
        auto counter = std::make_unique<CounterField>();
        InitCounterSettings(*counter);
        field = std::move(counter), kind = kCounterDialog, code = FC_COUNTER;
    }
    if (RunItemDialog(kind, *field)) InsertValueField(code, std::move(field));
}

void CEditEx::OnInsertField(int command) {
    if (command >= kCmdInsertAdc && command <= kCmdInsertCounter) {
        InsertNewValueField(command);
        return;
    }
    const std::u16string codes = FieldSequence(command, UiLanguageSetting());
    if (!codes.empty()) InsertSequence(codes);
}

void CEditEx::OnToAnimate(int command) {
    if (engine_->ToAnimate(command - kCmdToAnimateFirst)) {
        Refresh();
        NotifyChanged();
    }
}

void CEditEx::OnCommand(int command) {
    if (command == kCmdCopy) Copy();
    else if (command == kCmdCut) Cut();
    else if (command == kCmdPaste) Paste();
    else if (command == kCmdEditItem) OnEditItem();
    else if (command >= kCmdToAnimateFirst && command <= kCmdToAnimateLast) OnToAnimate(command);
    else if (command >= kCmdInsertTime && command <= kCmdInsertCounter) OnInsertField(command);
}

namespace {

struct MenuEntry {
    const LangText* row;
    int id;
};
// The field popups of the context menu: a title and its entries.
struct FieldPopup {
    const LangText* title;
    std::initializer_list<MenuEntry> entries;
};

}  // namespace

QMenu* CEditEx::BuildContextMenu() {
    using namespace edit_text;
    const EditMenuState state = ContextMenuState(*engine_, Paste(true) != 0);
    auto* menu = new QMenu(this);
    auto add = [this](QMenu* m, const MenuEntry& e, bool enabled = true) {
        QAction* a = m->addAction(ToQString(*e.row));
        a->setData(e.id);
        a->setEnabled(enabled);
        const int id = e.id;
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    add(menu, {&kCut, kCmdCut}, state.cut);
    add(menu, {&kCopy, kCmdCopy}, state.copy);
    add(menu, {&kPaste, kCmdPaste}, state.paste);
    menu->addSeparator();
    add(menu, {&kEdit, kCmdEditItem}, state.edit);
    QMenu* animate = menu->addMenu(ToQString(kToAnimate));
    animate->setEnabled(state.toAnimate);
    const LangText* kinds[] = {&kTwinkle, &kFlash, &kFrame, &kTwinkleFrame, &kHeartBeat, &kWave, &kBubbleUp,
                               &kTurbulence};
    for (int k = 0; k < 8; ++k) add(animate, {kinds[k], kCmdToAnimateFirst + k});
    const FieldPopup popups[] = {
        {&kInsertTimeMenu, {{&kTime, kCmdInsertTime}, {&kHour, kCmdInsertHour}, {&kMinute, kCmdInsertMinute},
                            {&kSecond, kCmdInsertSecond}}},
        {&kInsertDateMenu, {{&kDate, kCmdInsertDate}, {&kYear, kCmdInsertYear}, {&kMonth, kCmdInsertMonth},
                            {&kMonthEn, kCmdInsertMonthEn}, {&kMonthEnShort, kCmdInsertMonthEnShort},
                            {&kDay, kCmdInsertDay}}},
        {&kInsertWeekMenu, {{&kWeekCn, kCmdInsertWeekCn}, {&kWeekEn, kCmdInsertWeekEn}}},
        {&kInsertOtherMenu, {{&kInsertTemperature, kCmdInsertTemperature}, {&kInsertHumid, kCmdInsertHumid},
                             {&kAdcConvert, kCmdInsertAdc}, {&kTimer, kCmdInsertTimer},
                             {&kCounter, kCmdInsertCounter}}},
    };
    for (const FieldPopup& p : popups) {
        QMenu* sub = menu->addMenu(ToQString(*p.title));
        for (const MenuEntry& e : p.entries) add(sub, e);
    }
    // "Mark As" offers its two entries disabled.
    QMenu* mark = menu->addMenu(ToQString(kMarkAs));
    add(mark, {&kNumber, 32976}, false);
    add(mark, {&kCharacter, 32977}, false);
    return menu;
}

// ---- internal messages -------------------------------------------------------------------

intptr_t CEditEx::onInternal(int code, intptr_t arg) {
    switch (code) {
    case IMC_RELAYOUT_TEXT:
        if (arg == 1 && record_) {
            const ProgramRecord& r = *record_;
            engine_->SetArea(EffectMoveClass(r.mainAction), r.left, r.top, r.right, r.bottom);
            Refresh();
        }
        return 0;
    case IMC_PROGRAM_SELECTED:
        record_ = reinterpret_cast<ProgramRecord*>(arg);
        Attach();
        return 0;
    case IMC_ICON_PICKED:
        if (!arg) {
            MessageBoxFx(nullptr, edit_text::kMissedFile(), nullptr, MB_OK);
        } else {
            engine_->InsertPictureObject(std::unique_ptr<PictureObject>(reinterpret_cast<PictureObject*>(arg)));
            ShowChange();
        }
        return 0;
    case IMC_REFRESH_EDITOR:
    case IMC_REFRESH_EDITOR_ALT:
        engine_->RelayoutKeepSelection();
        ShowChange();
        return 0;
    default: return 0;
    }
}

// ---- events --------------------------------------------------------------------------------

void CEditEx::OnChar(char16_t c) {
    engine_->InsertChar(c, true);
    ShowChange();
}

bool CEditEx::PreTranslateMessage(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return false;
    switch (event->key()) {
    case Qt::Key_A: SelectAll(); return true;
    case Qt::Key_C: Copy(); return true;
    case Qt::Key_V: Paste(); return true;
    case Qt::Key_X: Cut(); return true;
    default: return false;
    }
}

void CEditEx::keyPressEvent(QKeyEvent* event) {
    if (PreTranslateMessage(event)) return;
    if (const int key = EngineKey(event->key())) {
        if (engine_->OnKey(key)) NotifyChanged();
        Refresh();
        return;
    }
    // Keys held with Ctrl or Alt are commands, not text: what the editor does not take
    // itself goes on to the window (Alt+F opens the "File" menu), and nothing is typed.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace: OnChar(8); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: OnChar(13); return;
    case Qt::Key_Tab: OnChar(9); return;
    default: break;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    for (QChar c : text) OnChar(c.unicode());
}

void CEditEx::inputMethodEvent(QInputMethodEvent* event) {
    // fcitx and ibus hand composed text over as one commit string.
    const QString commit = event->commitString();
    if (!commit.isEmpty()) {
        for (QChar c : commit) engine_->InsertChar(c.unicode(), true);
        ShowChange();
    }
    event->accept();
}

QVariant CEditEx::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle) {
        const CaretPlace c = engine_->caretPlace();
        return QRect(c.x, c.y, 1, c.height);
    }
    if (query == Qt::ImEnabled) return true;
    return QAbstractScrollArea::inputMethodQuery(query);
}

void CEditEx::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const Surface& frame = engine_->frame();
    if (frame.width() > 0) {
        const QImage image(frame.image().pixels.data(), frame.width(), frame.height(), frame.image().stride(),
                           QImage::Format_RGB32);
        p.drawImage(0, 0, image);
    }
    if (hasFocus() && engine_->text()) {
        const CaretPlace c = engine_->caretPlace();
        p.fillRect(c.x, c.y, 1, c.height, Qt::white);
    }
}

void CEditEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    engine_->UpdateCaret(true);
    engine_->MouseDown(int(event->position().x()), int(event->position().y()));
    Refresh();
}

void CEditEx::mouseMoveEvent(QMouseEvent* event) {
    const int flags = (event->buttons() & Qt::LeftButton) ? kMouseLeftButton : 0;
    engine_->MouseMove(flags, int(event->position().x()), int(event->position().y()));
    Refresh();
}

void CEditEx::mouseReleaseEvent(QMouseEvent*) {
    if (engine_->MouseUp()) engine_->RefreshCurrentAttr();
}

void CEditEx::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    engine_->Resize(viewport()->width(), viewport()->height());
    Refresh();
}

void CEditEx::scrollContentsBy(int dx, int dy) {
    if (syncing_) return;
    if (dx) engine_->ScrollTo(true, horizontalScrollBar()->value());
    if (dy) engine_->ScrollTo(false, verticalScrollBar()->value());
    viewport()->update();
}

void CEditEx::OnContextMenu(const QPoint& screenPoint) {
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    menu->exec(screenPoint);
}

void CEditEx::contextMenuEvent(QContextMenuEvent* event) { OnContextMenu(event->globalPos()); }

void CEditEx::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CEditEx::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    OnDropFiles(paths);
    event->acceptProposedAction();
}

bool CEditEx::focusNextPrevChild(bool) { return false; }  // Tab is typed into the text

void CEditEx::SyncScrollBars() {
    if (!engine_->keepScrollBars()) return;
    syncing_ = true;
    for (bool horizontal : {true, false}) {
        QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
        const ScrollBarState& s = engine_->scrollBar(horizontal);
        bar->setRange(0, s.enabled ? s.range : 0);
        bar->setEnabled(s.enabled);
        bar->setValue(s.pos);
    }
    syncing_ = false;
}

void CEditEx::Refresh() {
    SyncScrollBars();
    engine_->TakeCaretRecreated();
    viewport()->update();
}

}  // namespace ledsuite
