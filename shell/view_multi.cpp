#include "shell/view_multi.h"

#include <QPainter>
#include <QVBoxLayout>

#include "shell/group_list_dlg.h"
#include "shell/vehicle_pane_util.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kRootText{{u"车辆分组", u"車輛分組", u"Vehicle Groups"}};
const LangText kUploadFailedText{{u"上传分组失败", u"上傳分組失敗", u"Uploading the groups failed"}};
const MenuEntry kMenu[] = {
    {CViewMulti::kCmdAdd, {{u"添加", u"添加", u"Add"}}},
    {CViewMulti::kCmdEdit, {{u"编辑", u"編輯", u"Edit"}}},
    {CViewMulti::kCmdDelete, {{u"删除", u"刪除", u"Delete"}}},
    {CViewMulti::kCmdMoveTo, {{u"移到", u"移到", u"Move To"}}},
};

}  // namespace

CViewMulti::CViewMulti(QWidget* parent, InternalChannel* channel, GroupTable* groups, const ServerSocket* socket)
    : QWidget(parent), channel_(channel), groups_(groups), socket_(socket), toolbar_(new QToolBar(this)),
      tree_(new CViewTreeEx(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(toolbar_);
    layout->addWidget(tree_, 1);
    tree_->setRootIsDecorated(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, &CViewMulti::ShowMenu);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!busy_) collected_ = ScreensUnder(tree_->currentItem());
    });
    setFocusPolicy(Qt::StrongFocus);
}

int CViewMulti::Depth(const QTreeWidgetItem* item) {
    int depth = -1;
    for (; item; item = item->parent()) ++depth;
    return depth;
}

void CViewMulti::FillFromGroupTable() {
    busy_ = 1;
    tree_->clear();
    auto* root = new QTreeWidgetItem(tree_, QStringList(ToQString(kRootText)));
    for (int g = 0; groups_ && g < UsedGroupCount(*groups_); ++g) {
        const VehicleGroup& group = groups_->groups[size_t(g)];
        if (group.count == 0) continue;
        auto* groupItem = new QTreeWidgetItem(root, QStringList(ToQString(GroupName(group))));
        for (int m = 0; m < std::min<int>(group.count, kGroupIdCapacity); ++m) {
            auto* screen = new QTreeWidgetItem(groupItem, QStringList(QString::number(group.ids[size_t(m)])));
            screen->setData(0, kMemberRole, int(group.ids[size_t(m)]));
        }
    }
    tree_->expandAll();
    busy_ = 0;
}

std::vector<uint16_t> CViewMulti::ScreensUnder(const QTreeWidgetItem* item) const {
    std::vector<uint16_t> ids;
    const int depth = Depth(item);
    if (depth >= 2) {
        while (Depth(item) > 2) item = item->parent();
        ids.push_back(uint16_t(item->data(0, kMemberRole).toInt()));
    } else if (depth == 1) {
        for (int s = 0; s < item->childCount(); ++s)
            ids.push_back(uint16_t(item->child(s)->data(0, kMemberRole).toInt()));
    } else if (depth == 0) {
        for (int g = 0; g < item->childCount(); ++g) {
            const std::vector<uint16_t> more = ScreensUnder(item->child(g));
            ids.insert(ids.end(), more.begin(), more.end());
        }
    }
    return ids;
}

QTreeWidgetItem* CViewMulti::ScreenItem(QTreeWidgetItem* item) const {
    if (Depth(item) < 2) return nullptr;
    while (Depth(item) > 2) item = item->parent();
    return item;
}

CViewMulti::MoveResult CViewMulti::MoveTo() {
    CGroupListDlg dialog(this, tree_);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenName().isEmpty()) return kMoveCancelled;
    return MoveSelectedTo(dialog.ChosenName());
}

CViewMulti::MoveResult CViewMulti::MoveSelectedTo(const QString& groupName) {
    QTreeWidgetItem* screen = ScreenItem(tree_->currentItem());
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!screen || !root || !groups_) return kMoveRefused;
    QTreeWidgetItem* target = nullptr;
    for (int g = 0; g < root->childCount() && !target; ++g)
        if (root->child(g)->text(0) == groupName) target = root->child(g);
    if (!target || target == screen->parent()) return kMoveRefused;
    // The table is checked and changed first: a full target leaves both sides as they were.
    const auto id = uint16_t(screen->data(0, kMemberRole).toInt());
    if (!MoveGroupMember(*groups_, id, ToU16(groupName))) return kMoveRefused;
    busy_ = 1;
    target->addChild(screen->parent()->takeChild(screen->parent()->indexOfChild(screen)));
    tree_->setCurrentItem(screen);
    busy_ = 0;
    if (!socket_ || UploadGroupTable(*socket_, *groups_) != kUploadOk) return kUploadFailed;
    return kMoved;
}

void CViewMulti::OnCommand(int id) {
    if (id != kCmdMoveTo) return;  // add, edit, delete and the toolbar command change nothing
    if (MoveTo() == kUploadFailed) MessageBoxFx(this, kUploadFailedText(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CViewMulti::ShowMenu(const QPoint& pos) {
    QTreeWidgetItem* item = tree_->itemAt(pos);
    if (!item) return;
    tree_->setCurrentItem(item);
    if (Depth(item) < 1) return;
    ShowCommandMenu(this, kMenu, std::size(kMenu), tree_->viewport()->mapToGlobal(pos),
                    [this](int id) { OnCommand(id); });
}

void CViewMulti::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    tree_->setFocus();
    if (channel_) channel_->send(IMC_SET_VIEW_MODE, 1);
}

void CViewMulti::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::Shadow));
    p.drawRect(tree_->geometry().adjusted(-1, -1, 0, 0));
}

}  // namespace ledsuite
