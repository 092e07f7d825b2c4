#pragma once
// The multi-screen page: vehicle screens reached through the server, in a group tree
// (root, groups, screens). Taking the focus switches the suite to multi-screen mode;
// "Move To" moves a screen to another group and uploads the group table.
#include <cstdint>
#include <vector>

#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QWidget>

#include "content/imc_codes.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

class ServerSession;

class CViewMulti : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    enum : int { kCmdAdd = 32989, kCmdEdit = 32990, kCmdDelete = 32991, kCmdMoveTo = 32992, kCmdToolbar = 32778 };
    enum MoveResult { kMoved, kMoveCancelled, kMoveRefused, kUploadFailed, kNoGroupTable };
    static constexpr int kMemberRole = Qt::UserRole;  // screen items: the member id

    // The session's group table is what the tree shows, Move To edits and uploads (null:
    // no server at all). A table the session receives later refills the tree.
    CViewMulti(QWidget* parent, InternalChannel* channel, ServerSession* server);

    // The language switch relabels the page; the start-up hands over the vehicle list
    // (its list control), which then shows the screens under the tree's selection.
    intptr_t onInternal(int code, intptr_t arg) override;
    void SetChannel(InternalChannel* channel) { channel_ = channel; }
    CViewTreeEx* Tree() const { return tree_; }
    QToolBar* ToolBar() const { return toolbar_; }
    // Why the tree is empty (no connection, no table received); hidden when it is not.
    QLabel* Notice() const { return notice_; }
    QMenu* ContextMenu() const { return menu_; }

    // One group item per non-empty group of the received table, one screen item per member.
    void FillFromGroupTable();
    // The member ids under an item (root: all; group: its screens; screen or below: that screen).
    std::vector<uint16_t> ScreensUnder(const QTreeWidgetItem* item) const;
    const std::vector<uint16_t>& CollectedScreens() const { return collected_; }
    // Move To with the group dialog; and its second half once a name is chosen.
    MoveResult MoveTo();
    MoveResult MoveSelectedTo(const QString& groupName);
    void OnCommand(int id);
    static int Depth(const QTreeWidgetItem* item);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowMenu(const QPoint& pos);
    void ShowCollected();
    QTreeWidgetItem* ScreenItem(QTreeWidgetItem* item) const;

    InternalChannel* channel_;
    ServerSession* server_;
    uint8_t busy_ = 0;
    QToolBar* toolbar_;
    QLabel* notice_;
    QMenu* menu_ = nullptr;
    class ListViewCarInfo* vehicles_ = nullptr;
    CViewTreeEx* tree_;
    std::vector<uint16_t> collected_;
    int lastUpload_ = 0;
};

}  // namespace ledsuite
