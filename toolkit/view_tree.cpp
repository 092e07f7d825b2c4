#include "toolkit/view_tree.h"

#include <QApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

bool IsInside(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (; item; item = item->parent())
        if (item == ancestor) return true;
    return false;
}

template <class T>
typename std::vector<T>::iterator At(std::vector<T>& items, int index) {
    return items.begin() + std::ptrdiff_t(index);
}
}  // namespace

CViewTree::CViewTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A renamed program set keeps its new name in the ProgramTree.
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (mirroring_) return;
        if (ProgramSetNode* set = SetNode(item)) set->title = item->text(0).toStdU16String();
    });
}

void CViewTree::SetProgramTree(ProgramTree programs) {
    programs_ = std::move(programs);
    Rebuild();
}

void CViewTree::Rebuild() {
    clear();
    QTreeWidgetItem* screen = InsertMirrorItem(nullptr, 0);
    for (size_t s = 0; s < programs_.sets().size(); ++s) {
        QTreeWidgetItem* set = InsertMirrorItem(screen, int(s));
        for (size_t p = 0; p < programs_.sets()[s].programs.size(); ++p) InsertMirrorItem(set, int(p));
        set->setExpanded(true);
    }
    screen->setExpanded(true);
}

QTreeWidgetItem* CViewTree::InsertMirrorItem(QTreeWidgetItem* parent, int index) {
    const TreeItemRef at = ItemRef(parent);
    const bool screen = !parent && index == 0 && !ScreenItem();
    const bool set = at.depth == 0 && programs_.set(size_t(index));
    const bool program = at.depth == 1 && programs_.program(size_t(at.set), size_t(index));
    if (!screen && !((set || program) && index <= parent->childCount())) return nullptr;
    auto* item = new QTreeWidgetItem;
    // Only program sets can be renamed.
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | (set ? Qt::ItemIsEditable : Qt::NoItemFlags));
    if (screen) {
        QFont bold = font();
        bold.setBold(true);
        item->setFont(0, bold);
        insertTopLevelItem(0, item);
    } else {
        parent->insertChild(index, item);
    }
    RefreshItem(item);
    return item;
}

void CViewTree::RefreshItem(QTreeWidgetItem* item) {
    const TreeItemRef ref = ItemRef(item);
    QString text;
    if (ref.depth == 0) text = ToQString(ProgramTree::screenTitle());
    else if (ProgramSetNode* set = SetNode(item)) text = ToQString(set->title);
    else if (ProgramNode* program = ProgramNodeOf(item)) text = ToQString(program->title());
    else return;
    const QScopedValueRollback guard(mirroring_, true);
    item->setText(0, text);
    item->setIcon(0, images_.value(ImageIndex(ref)));
}

void CViewTree::RefreshItems() {
    for (QTreeWidgetItemIterator it(this); *it; ++it) RefreshItem(*it);
}

void CViewTree::SetItemImages(const QList<QIcon>& images) {
    images_ = images;
    RefreshItems();
}

int CViewTree::ImageIndex(const TreeItemRef& ref) const {
    if (ref.depth < 2) return ref.depth == 0 ? kImageScreen : kImageSet;
    const uint8_t kind = programs_.sets()[size_t(ref.set)].programs[size_t(ref.program)].kind();
    return kind == 0 ? kImageProgram : kind == kKindLyricShow ? kImageLyricShow : kImageVoiceProgram;
}

TreeItemRef CViewTree::ItemRef(const QTreeWidgetItem* item) const {
    if (!item || item->treeWidget() != this) return {};
    const QTreeWidgetItem* parent = item->parent();
    if (!parent) return {0, -1, -1};
    const QTreeWidgetItem* grand = parent->parent();
    if (!grand) return {1, parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)), -1};
    if (grand->parent()) return {};  // the program tree has no deeper level
    return {2, grand->indexOfChild(const_cast<QTreeWidgetItem*>(parent)),
            parent->indexOfChild(const_cast<QTreeWidgetItem*>(item))};
}

QTreeWidgetItem* CViewTree::ItemAt(int set, int program) const {
    QTreeWidgetItem* screen = ScreenItem();
    QTreeWidgetItem* setItem = screen && set >= 0 ? screen->child(set) : nullptr;
    if (program < 0 || !setItem) return setItem;
    return setItem->child(program);
}

ProgramSetNode* CViewTree::SetNode(const QTreeWidgetItem* item) {
    const TreeItemRef ref = ItemRef(item);
    return ref.depth == 1 ? programs_.set(size_t(ref.set)) : nullptr;
}

ProgramNode* CViewTree::ProgramNodeOf(const QTreeWidgetItem* item) {
    const TreeItemRef ref = ItemRef(item);
    return ref.depth == 2 ? programs_.program(size_t(ref.set), size_t(ref.program)) : nullptr;
}

QTreeWidgetItem* CViewTree::SelectedItem() const { return selectedItems().value(0); }

QTreeWidgetItem* CViewTree::AddProgramSetItem() {
    QTreeWidgetItem* screen = ScreenItem();
    if (!screen) return nullptr;
    programs_.AddProgramSet();
    return InsertMirrorItem(screen, int(programs_.sets().size()) - 1);
}

QTreeWidgetItem* CViewTree::AddProgramItem(QTreeWidgetItem* setItem) {
    const TreeItemRef ref = ItemRef(setItem);
    if (ref.depth != 1) return nullptr;
    programs_.AddProgram(size_t(ref.set));
    return InsertMirrorItem(setItem, setItem->childCount());
}

bool CViewTree::DeleteItem(QTreeWidgetItem* item) {
    const TreeItemRef ref = ItemRef(item);
    if (ref.depth < 1) return false;
    QTreeWidgetItem* parent = item->parent();
    if (IsInside(SelectedItem(), item)) {
        const int index = parent->indexOfChild(item);
        setCurrentItem(index > 0 ? parent->child(index - 1) : parent);
    }
    if (ref.depth == 1)
        programs_.RemoveProgramSet(size_t(ref.set));
    else
        programs_.RemoveProgram(size_t(ref.set), size_t(ref.program));
    delete parent->takeChild(parent->indexOfChild(item));
    return true;
}

void CViewTree::OnNotify() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowType() == Qt::ToolTip && window->isVisible()) window->raise();
}

bool CViewTree::viewportEvent(QEvent* event) {
    const bool handled = QTreeWidget::viewportEvent(event);
    if (event->type() == QEvent::ToolTip) OnNotify();
    return handled;
}

// ---- tree helpers ----

int GetTreeItemDepth(const CViewTree* tree, const QTreeWidgetItem* item) {
    if (!tree) return -1;
    if (!item && !(item = tree->SelectedItem())) return -1;
    int depth = 0;
    for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent()) ++depth;
    return depth;
}

QTreeWidgetItem* GetSelectedTopItem(const CViewTree* tree) {
    if (!tree) return nullptr;
    QTreeWidgetItem* item = tree->SelectedItem();
    if (!item) return tree->topLevelItem(0);
    while (item->parent()) item = item->parent();
    return item;
}

QTreeWidgetItem* CopyTreeItem(CViewTree* tree, QTreeWidgetItem* item, QTreeWidgetItem* newParent,
                              QTreeWidgetItem* insertAfter) {
    if (!tree) return nullptr;
    const TreeItemRef from = tree->ItemRef(item), to = tree->ItemRef(newParent);
    if (from.depth < 1 || to.depth != from.depth - 1) return nullptr;
    if (insertAfter && insertAfter->parent() != newParent) return nullptr;
    const int index = insertAfter ? newParent->indexOfChild(insertAfter) + 1 : newParent->childCount();
    ProgramTree& programs = tree->Programs();
    if (from.depth == 1) {
        const ProgramSetNode& source = programs.sets()[size_t(from.set)];
        ProgramSetNode copy;  // the set alone; its programs follow with CopyTreeSubtree
        copy.title = source.title;
        *copy.record = *source.record;
        programs.sets().insert(At(programs.sets(), index), std::move(copy));
    } else {
        ProgramNode copy(*programs.program(size_t(from.set), size_t(from.program)));
        auto& target = programs.sets()[size_t(to.set)].programs;
        target.insert(At(target, index), std::move(copy));
    }
    return tree->InsertMirrorItem(newParent, index);
}

QTreeWidgetItem* CopyTreeSubtree(CViewTree* tree, QTreeWidgetItem* item, QTreeWidgetItem* newParent,
                                 QTreeWidgetItem* insertAfter) {
    QTreeWidgetItem* copy = CopyTreeItem(tree, item, newParent, insertAfter);
    if (!copy) return nullptr;
    for (int i = 0; i < item->childCount(); ++i) CopyTreeSubtree(tree, item->child(i), copy);
    return copy;
}

int CopyTreeChildren(CViewTree* tree, QTreeWidgetItem* source, QTreeWidgetItem* destination) {
    if (!source || !destination) return 0;
    // Taken first: copying a parent's children into the same parent adds to the list.
    QList<QTreeWidgetItem*> children;
    for (int i = 0; i < source->childCount(); ++i) children.append(source->child(i));
    int copied = 0;
    for (QTreeWidgetItem* child : children)
        if (CopyTreeSubtree(tree, child, destination)) ++copied;
    return copied;
}

void DeleteTreeChildren(CViewTree* tree, QTreeWidgetItem* item) {
    if (!tree) return;
    const TreeItemRef ref = tree->ItemRef(item);
    if (ref.depth != 0 && ref.depth != 1) return;
    QTreeWidgetItem* selected = tree->SelectedItem();
    if (selected != item && IsInside(selected, item)) tree->setCurrentItem(item);
    if (ref.depth == 0)
        tree->Programs().sets().clear();
    else
        tree->Programs().sets()[size_t(ref.set)].programs.clear();
    qDeleteAll(item->takeChildren());
}

bool SwapTreeItemWithSibling(CViewTree* tree, bool towardsPrevious) {
    if (!tree) return false;
    QTreeWidgetItem* item = tree->SelectedItem();
    const TreeItemRef ref = tree->ItemRef(item);
    if (ref.depth < 1) return false;
    const int step = towardsPrevious ? -1 : 1;
    QTreeWidgetItem* parent = item->parent();
    QTreeWidgetItem* sibling = parent->child(parent->indexOfChild(item) + step);
    if (!sibling) return false;
    // The records change places first ...
    ProgramTree& programs = tree->Programs();
    if (!(ref.depth == 1 ? programs.MoveProgramSet(size_t(ref.set), step)
                         : programs.MoveProgram(size_t(ref.set), size_t(ref.program), step)))
        return false;
    // ... then the two items follow them: children, expansion, text and image ...
    const bool itemExpanded = item->isExpanded(), siblingExpanded = sibling->isExpanded();
    const QList<QTreeWidgetItem*> itemChildren = item->takeChildren();
    item->addChildren(sibling->takeChildren());
    sibling->addChildren(itemChildren);
    item->setExpanded(siblingExpanded);
    sibling->setExpanded(itemExpanded);
    tree->RefreshItem(item);
    tree->RefreshItem(sibling);
    // ... and only then does the selection move, so that whoever follows it is
    // handed the moved record at its new place.
    tree->setCurrentItem(sibling);
    return true;
}

void CollectThirdLevelItems(const CViewTree* tree, std::vector<QTreeWidgetItem*>& items) {
    if (!tree) return;
    for (int t = 0; t < tree->topLevelItemCount(); ++t) {
        const QTreeWidgetItem* top = tree->topLevelItem(t);
        for (int c = 0; c < top->childCount(); ++c) {
            const QTreeWidgetItem* second = top->child(c);
            for (int g = 0; g < second->childCount(); ++g) items.push_back(second->child(g));
        }
    }
}

}  // namespace ledsuite
