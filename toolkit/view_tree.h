#pragma once
// The program tree as a Qt tree. CViewTree owns a ProgramTree and mirrors it: the
// screen item at depth 0, program sets at depth 1, programs at depth 2. Items hold no
// record pointers: an item's place (its depth and indexes) names its record in the
// ProgramTree, and every change goes through functions that edit both sides together
// (the tree helpers below, the add and delete functions of CViewTree).
#include <vector>

#include <QIcon>
#include <QList>
#include <QTreeWidget>

#include "content/model/program_tree.h"

namespace ledsuite {

// Where an item stands: depth 0 the screen, 1 a program set, 2 a program; `set` and
// `program` are its indexes in the ProgramTree (-1 where they do not apply). A null
// item, or one of another tree, has depth -1.
struct TreeItemRef {
    int depth = -1;
    int set = -1;
    int program = -1;
};

class CViewTree : public QTreeWidget {
    Q_OBJECT
public:
    // Image indexes of the items (SetItemImages).
    enum ItemImage { kImageScreen = 0, kImageSet = 1, kImageProgram = 2, kImageLyricShow = 4, kImageVoiceProgram = 5 };

    explicit CViewTree(QWidget* parent = nullptr);

    ProgramTree& Programs() { return programs_; }
    const ProgramTree& Programs() const { return programs_; }
    // Takes over a program tree and mirrors it.
    void SetProgramTree(ProgramTree programs);
    // Mirrors the program tree anew: the screen item (bold, expanded) with its sets
    // and programs. For changes made to Programs() directly (a loaded program image).
    void Rebuild();
    // The item for the ProgramTree entry now at `index` under `parent` (the screen
    // item: a set; a set item: a program; null: the screen item), inserted there with
    // its text and image but without children. Null when there is no such entry.
    QTreeWidgetItem* InsertMirrorItem(QTreeWidgetItem* parent, int index);
    // The item's text and image from its record: "LED Screen", the set's name, "Program"
    // or "Lyric Show" (RefreshItems after a language change or a change of a kind byte).
    void RefreshItem(QTreeWidgetItem* item);
    void RefreshItems();
    // The tree images: 0 screen, 1 program set, 2 program, 4 lyric show, 5 program with a voice.
    void SetItemImages(const QList<QIcon>& images);

    TreeItemRef ItemRef(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* ScreenItem() const { return topLevelItem(0); }
    // The set item (program -1) or program item at a place; null when there is none.
    QTreeWidgetItem* ItemAt(int set, int program = -1) const;
    // The records behind a set or program item; null for any other item.
    ProgramSetNode* SetNode(const QTreeWidgetItem* item);
    ProgramNode* ProgramNodeOf(const QTreeWidgetItem* item);
    // The selected item; null when nothing is selected.
    QTreeWidgetItem* SelectedItem() const;

    // A new program set ("Programs", default record) at the end of the screen, and a new
    // program (over the whole screen) at the end of a set item; null without a screen item
    // or for an item that is not a set. Nothing is selected by these.
    QTreeWidgetItem* AddProgramSetItem();
    QTreeWidgetItem* AddProgramItem(QTreeWidgetItem* setItem);
    // Deletes a set or program item with its records. When the selection is inside what
    // goes, the previous sibling (else the parent) is selected first, so the selection
    // never names a record that is gone. False for the screen item or an item of no place.
    bool DeleteItem(QTreeWidgetItem* item);

    // Raises a shown item tooltip above every other window (without activating it).
    void OnNotify();

protected:
    bool viewportEvent(QEvent* event) override;

private:
    int ImageIndex(const TreeItemRef& ref) const;

    ProgramTree programs_;
    QList<QIcon> images_;
    bool mirroring_ = false;  // the tree writes its own items: no rename to take over
};

// The tree of the tree pages; it adds nothing to CViewTree.
class CViewTreeEx : public CViewTree {
    Q_OBJECT
public:
    using CViewTree::CViewTree;
};

// ---- tree helpers: each keeps the Qt tree and its ProgramTree in step ----

// The number of ancestors of the item (the selected item for null): 0 for the screen
// item, 2 for a program; -1 without a tree, or for null when nothing is selected.
int GetTreeItemDepth(const CViewTree* tree, const QTreeWidgetItem* item = nullptr);
// The top-level ancestor of the selected item; the first top-level item when nothing is
// selected; null without a tree or for an empty tree.
QTreeWidgetItem* GetSelectedTopItem(const CViewTree* tree);
// Copies a program item into a set item, or a set item (without its programs) into the
// screen item: the record is copied deeply into the ProgramTree and the copy's item is
// inserted after `insertAfter` (a child of `newParent`), or at the end for null. Returns
// the new item; null when the item cannot go under that parent.
QTreeWidgetItem* CopyTreeItem(CViewTree* tree, QTreeWidgetItem* item, QTreeWidgetItem* newParent,
                              QTreeWidgetItem* insertAfter = nullptr);
// CopyTreeItem, then every child of the item copied, in order, at the end of the copy.
QTreeWidgetItem* CopyTreeSubtree(CViewTree* tree, QTreeWidgetItem* item, QTreeWidgetItem* newParent,
                                 QTreeWidgetItem* insertAfter = nullptr);
// Copies every child subtree of `source`, in order, to the end of `destination`;
// the number copied (nothing for a null item or children that cannot go there).
int CopyTreeChildren(CViewTree* tree, QTreeWidgetItem* source, QTreeWidgetItem* destination);
// Deletes every child of the item and their records (the screen's sets, a set's
// programs). A selection among them moves to the item first.
void DeleteTreeChildren(CViewTree* tree, QTreeWidgetItem* item);
// Moves the selected set or program one place up (towards the previous sibling) or
// down: the records are exchanged in the ProgramTree, the two items exchange their
// children and looks, and only then is the item at the new place selected. False when
// there is no tree, no selection or no sibling on that side.
bool SwapTreeItemWithSibling(CViewTree* tree, bool towardsPrevious);
// Appends, in tree order, every item that is a child of a child of a top-level item
// (every program).
void CollectThirdLevelItems(const CViewTree* tree, std::vector<QTreeWidgetItem*>& items);

}  // namespace ledsuite
