#include "shell/view_single.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "link/ui/dlg_send_index.h"
#include "content/card/program_loader.h"
#include "content/bytes.h"
#include "link/udisk_export.h"
#include "shell/page_toolbars.h"
#include "shell/relay.h"
#include "shell/shell_texts.h"
#include "toolkit/qt_text.h"
#include "toolkit/small_widgets.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

namespace {

// Tree images by CViewTree::ItemImage (3 is unused).
QList<QIcon> TreeImages(const QStyle* style) {
    return {style->standardIcon(QStyle::SP_ComputerIcon), style->standardIcon(QStyle::SP_DirIcon),
            style->standardIcon(QStyle::SP_FileIcon),     QIcon(),
            style->standardIcon(QStyle::SP_MediaVolume),  style->standardIcon(QStyle::SP_MediaPlay)};
}

// The page's commands: toolbar buttons and the tree's context menu.
const LangText kAddProgramSet{{u"添加节目集", u"添加節目集", u"Add Programs"}};
const LangText kAddProgram{{u"添加节目", u"添加節目", u"Add Program"}};
const LangText kDelete{{u"删除", u"刪除", u"Delete"}};
const LangText kShiftUp{{u"上移", u"上移", u"Shift Up"}};
const LangText kShiftDown{{u"下移", u"下移", u"Shift Down"}};
const LangText kSendTo{{u"发送到", u"發送到", u"Send To"}};
const LangText kMore{{u"更多", u"更多", u"More"}};
const std::pair<int, const LangText*> kCommandTexts[] = {
    {ID_ADD_PROGRAM_SET, &kAddProgramSet}, {ID_ADD_PROGRAM, &kAddProgram}, {ID_DELETE_ITEM, &kDelete},
    {ID_SHIFT_UP, &kShiftUp},  {ID_SHIFT_DOWN, &kShiftDown},  {ID_SEND_TO, &kSendTo},
};

constexpr int kLoadImageMinimum = 10;  // shorter read-backs leave the tree as it is
constexpr int kAnswerNoSelection = -1;
constexpr int kAnswerNotProgram = -2;

}  // namespace

CViewSingle::CViewSingle(QWidget* parent, InternalChannel* channel)
    : QWidget(parent), channel_(channel), message_(MessageBoxSink(this)) {
    BuildToolbar();
    BuildTrees();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(toolbar_);
    for (CViewTreeEx* tree : trees_) layout->addWidget(tree);
    UpdateCommandStates();
}

void CViewSingle::BuildToolbar() {
    toolbar_ = new CClassToolBar(this);
    // The page's second toolbar is never filled or shown.
    auto* second = new CClassToolBar(this);
    second->hide();
    const QStyle* s = style();
    auto add = [this](QWidget* owner, int id, const QIcon& icon, const LangText& text, auto handler) {
        auto* action = new QAction(icon, ToQString(text), owner);
        action->setData(id);
        connect(action, &QAction::triggered, this, handler);
        commands_[id] = action;
        return action;
    };
    toolbar_->addSeparator();
    toolbar_->addAction(add(toolbar_, ID_ADD_PROGRAM_SET, s->standardIcon(QStyle::SP_FileDialogNewFolder),
                            kAddProgramSet, &CViewSingle::OnAddProgramSet));
    toolbar_->addAction(add(toolbar_, ID_ADD_PROGRAM, s->standardIcon(QStyle::SP_FileIcon), kAddProgram,
                            &CViewSingle::OnAddProgram));
    toolbar_->addSeparator();
    toolbar_->addAction(add(toolbar_, ID_DELETE_ITEM, s->standardIcon(QStyle::SP_TrashIcon), kDelete,
                            &CViewSingle::OnDeleteItem));
    contextMenu_ = new QMenu(this);
    contextMenu_->addAction(add(contextMenu_, ID_SHIFT_UP, QIcon(), kShiftUp, [this] { OnShiftItem(true); }));
    contextMenu_->addAction(add(contextMenu_, ID_SHIFT_DOWN, QIcon(), kShiftDown, [this] { OnShiftItem(false); }));
    contextMenu_->addAction(add(contextMenu_, ID_SEND_TO, QIcon(), kSendTo, &CViewSingle::OnSendTo));
    // The menu button offers the tree's commands from the toolbar as well.
    menuButton_ = new CViewSingleMenuButton(toolbar_);
    menuButton_->setMenu(contextMenu_);
    menuButton_->setText(ToQString(kMore));
    toolbar_->addWidget(menuButton_);
}

void CViewSingle::BuildTrees() {
    const QList<QIcon> images = TreeImages(style());
    for (size_t i = 0; i < trees_.size(); ++i) {
        auto* tree = new CViewTreeEx(this);
        tree->setObjectName(QStringLiteral("tree%1").arg(i + 2));
        tree->setRootIsDecorated(true);
        tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        tree->SetItemImages(images);
        tree->setContextMenuPolicy(Qt::CustomContextMenu);
        tree->setVisible(i == 0);
        tree->installEventFilter(this);
        connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, tree] {
            if (tree == active_) SelectionNotice();  // notices of the hidden trees are ignored
        });
        connect(tree, &QWidget::customContextMenuRequested, this,
                [this, tree](QPoint at) { contextMenu_->popup(tree->viewport()->mapToGlobal(at)); });
        trees_[i] = tree;
    }
    active_ = trees_[0];
}

QAction* CViewSingle::Command(int id) const {
    const auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

bool CViewSingle::eventFilter(QObject* watched, QEvent* event) {
    // Taking the focus brings the suite back to single-screen mode. The focus also comes back
    // each time a dialog closes or the tree is clicked; in single-screen mode already that is
    // no new selection, and announcing it again would reload the property grids over what the
    // user typed or read from the card (and drop the accepted password).
    if (event->type() == QEvent::FocusIn && watched == active_ && channel_ && NavigationMode() != 0)
        channel_->send(IMC_SET_VIEW_MODE, 0);
    return QWidget::eventFilter(watched, event);
}

void CViewSingle::paintEvent(QPaintEvent*) {
    // A one-pixel frame in the shadow colour around the tree.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Shadow));
    p.drawRect(active_->geometry().adjusted(-1, -1, 0, 0));
}

void CViewSingle::ShowMessage(const std::u16string& text, const char16_t* caption) {
    if (message_) message_(text, caption);
}

// ---- selection and the internal messages ----

void CViewSingle::SelectionNotice() {
    UpdateCommandStates();
    QTreeWidgetItem* item = active_->SelectedItem();
    if (!item || !channel_) return;
    switch (GetTreeItemDepth(active_, item)) {
        case 0:
            channel_->send(IMC_SCREEN_SELECTED, reinterpret_cast<intptr_t>(&active_->Programs().screen()));
            break;
        case 1:
            channel_->send(IMC_PROGRAMS_SELECTED, reinterpret_cast<intptr_t>(active_->SetNode(item)->record.get()));
            break;
        case 2:
            channel_->send(IMC_PROGRAM_SELECTED,
                           reinterpret_cast<intptr_t>(active_->ProgramNodeOf(item)->record.get()));
            break;
        default:
            break;
    }
}

intptr_t CViewSingle::onInternal(int code, intptr_t arg) {
    switch (code) {
        case IMC_SET_VIEW_MODE:
            if (arg == 0) SelectionNotice();
            return 0;
        case IMC_ADD_SCREEN_ROOT:
            AddScreenRoot(reinterpret_cast<const HardwareParams*>(arg));
            return 0;
        case IMC_GET_SCREEN_RECORD:
            return active_->ScreenItem() ? reinterpret_cast<intptr_t>(&active_->Programs().screen()) : 0;
        case IMC_GET_ACTIVE_TREE:
            return reinterpret_cast<intptr_t>(static_cast<CViewTree*>(active_));
        case IMC_LOAD_PROGRAM_IMAGE:
            LoadProgramImage(reinterpret_cast<const uint8_t*>(arg));
            return 0;
        case IMC_SET_PROGRAM_KIND:
            return SetProgramKind(uint8_t(arg));
        case IMC_FILE_OPEN:
            OpenFile({});  // adds to the tree: nothing to save first
            return 0;
        case IMC_FILE_SAVE:
            return SaveFile(arg ? reinterpret_cast<const char*>(arg) : "");
        case IMC_FILE_SAVE_TO:
            return arg ? SaveToDisk(*reinterpret_cast<const UDiskSaveRequest*>(arg)) : kSaveToNotBuilt;
        case IMC_LANGUAGE_CHANGED:
            Relabel();
            return 0;
        default:
            return 0;
    }
}

void CViewSingle::AddScreenRoot(const HardwareParams* screen) {
    if (!screen || active_->ScreenItem()) return;  // one screen per tree
    active_->Programs().screen() = *screen;
    active_->InsertMirrorItem(nullptr, 0);
    MarkSaved(FileBytes());  // the screen as loaded is nothing to save
    if (channel_)
        channel_->send(IMC_SCREEN_SELECTED, reinterpret_cast<intptr_t>(&active_->Programs().screen()));
}

intptr_t CViewSingle::SetProgramKind(uint8_t kind) {
    QTreeWidgetItem* item = active_->SelectedItem();
    if (!item) return kAnswerNoSelection;
    const TreeItemRef ref = active_->ItemRef(item);
    if (ref.depth != 2) return kAnswerNotProgram;
    active_->Programs().SetProgramKind(size_t(ref.set), size_t(ref.program), kind);
    // The program and its siblings whose kind went back to 0 take their titles and images.
    for (int i = 0; i < item->parent()->childCount(); ++i) active_->RefreshItem(item->parent()->child(i));
    return 0;
}

void CViewSingle::LoadProgramImage(const uint8_t* buffer) {
    if (!buffer) return;
    const uint32_t length = LoadU32(buffer);
    if (length < kLoadImageMinimum) return;
    ledsuite::LoadProgramImage(active_->Programs(), {buffer, length});
    modified_ = true;  // programs read back from the card are in no file yet
    active_->Rebuild();
    active_->setCurrentItem(active_->ScreenItem());
}

void CViewSingle::Relabel() {
    for (const auto& [id, text] : kCommandTexts) Command(id)->setText(ToQString(*text));
    menuButton_->setText(ToQString(kMore));
    for (CViewTreeEx* tree : trees_) {
        tree->Programs().RelabelSets();
        tree->RefreshItems();
    }
}

// ---- the page's commands ----

void CViewSingle::OnAddProgramSet() {
    if (!active_->ScreenItem() || !active_->SelectedItem()) {
        ShowMessage(kNoScreenItem());
        return;
    }
    QTreeWidgetItem* item = active_->AddProgramSetItem();
    modified_ = true;
    active_->ScreenItem()->setExpanded(true);
    active_->setCurrentItem(item);
}

void CViewSingle::OnAddProgram() {
    QTreeWidgetItem* selected = active_->SelectedItem();
    if (!active_->ScreenItem() || !selected) {
        ShowMessage(kNoScreenItem());
        return;
    }
    QTreeWidgetItem* setItem = nullptr;
    switch (GetTreeItemDepth(active_, selected)) {
        case 0: setItem = active_->AddProgramSetItem(); break;
        case 1: setItem = selected; break;
        case 2: setItem = selected->parent(); break;
        default: return;
    }
    QTreeWidgetItem* item = active_->AddProgramItem(setItem);
    modified_ = true;
    active_->ScreenItem()->setExpanded(true);
    setItem->setExpanded(true);
    active_->setCurrentItem(item);
}

void CViewSingle::OnDeleteItem() {
    QTreeWidgetItem* item = active_->SelectedItem();
    if (GetTreeItemDepth(active_, item) < 1 || PreviewLock()) return;
    // The selection moves to the previous sibling (else the parent) before the records go,
    // so every pane is pointed at a living record when this one is freed.
    active_->DeleteItem(item);
    modified_ = true;
    // Every pane is told the selection again: the canvas drops the deleted program's outline.
    SelectionNotice();
}

void CViewSingle::OnShiftItem(bool up) {
    if (SwapTreeItemWithSibling(active_, up)) modified_ = true;
}

void CViewSingle::OnSendTo() {
    // Paged sending works on one program set: only with a set selected.
    const TreeItemRef ref = active_->ItemRef(active_->SelectedItem());
    if (ref.depth != 1) return;
    DlgSendIndex(active_->Programs(), size_t(ref.set), this).exec();
}

void CViewSingle::UpdateCommandStates() {
    const bool unlocked = !PreviewLock();
    for (int id : {ID_ADD_PROGRAM_SET, ID_ADD_PROGRAM}) Command(id)->setEnabled(unlocked);
    Command(ID_DELETE_ITEM)->setEnabled(unlocked && GetTreeItemDepth(active_) >= 1);
}

}  // namespace ledsuite
