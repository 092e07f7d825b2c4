#include "shell/view_multi.h"

#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/group_list_dlg.h"
#include "shell/list_view_car_info.h"
#include "shell/page_toolbars.h"
#include "shell/server_session.h"
#include "shell/vehicle_pane_util.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kRootText{{u"车辆分组", u"車輛分組", u"Vehicle Groups"}};
const MenuEntry kMenu[] = {
    {CViewMulti::kCmdAdd, {{u"添加", u"添加", u"Add"}}},
    {CViewMulti::kCmdEdit, {{u"编辑", u"編輯", u"Edit"}}},
    {CViewMulti::kCmdDelete, {{u"删除", u"刪除", u"Delete"}}},
    {CViewMulti::kCmdMoveTo, {{u"移到", u"移到", u"Move To"}}},
};

}  // namespace

const LangText kToolbarText{{u"车辆分组", u"車輛分組", u"Vehicle Groups"}};

CViewMulti::CViewMulti(QWidget* parent, InternalChannel* channel, ServerSession* server)
    : QWidget(parent), channel_(channel), server_(server), toolbar_(new CViewMultiToolBar(this)),
      notice_(new QLabel(this)), tree_(new CViewTreeEx(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(1);
    layout->addWidget(toolbar_);
    layout->addWidget(notice_);
    layout->addWidget(tree_, 1);
    QAction* groups = toolbar_->addAction(style()->standardIcon(QStyle::SP_DirIcon), ToQString(kToolbarText));
    groups->setData(int(kCmdToolbar));
    connect(groups, &QAction::triggered, this, [this] { OnCommand(kCmdToolbar); });
    notice_->setWordWrap(true);
    menu_ = BuildCommandMenu(this, kMenu, std::size(kMenu), [this](int id) { OnCommand(id); });
    if (server_) server_->SetGroupsChanged([this] { FillFromGroupTable(); });
    tree_->setRootIsDecorated(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, &CViewMulti::ShowMenu);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (busy_) return;
        collected_ = ScreensUnder(tree_->currentItem());
        ShowCollected();
    });
    setFocusPolicy(Qt::StrongFocus);
}

intptr_t CViewMulti::onInternal(int code, intptr_t arg) {
    if (code == IMC_STARTUP_DONE && arg) {
        // The vehicle list's list control: its pane shows the screens the tree collects.
        vehicles_ = qobject_cast<ListViewCarInfo*>(reinterpret_cast<QWidget*>(arg)->parentWidget());
        ShowCollected();
    } else if (code == IMC_LANGUAGE_CHANGED) {
        if (QTreeWidgetItem* root = tree_->topLevelItem(0)) root->setText(0, ToQString(kRootText));
        RelabelCommandMenu(menu_, kMenu, std::size(kMenu));
        if (QAction* a = CommandAction(toolbar_, kCmdToolbar)) a->setText(ToQString(kToolbarText));
        notice_->setText(ToQString(NoGroupsReason(server_)));
    }
    return 0;
}

void CViewMulti::ShowCollected() {
    if (!vehicles_) return;
    std::vector<VehicleRow> rows;
    for (uint16_t id : collected_) rows.push_back({ToU16(QString::number(id)), {}, {}, {}, {}});
    vehicles_->SetRows(rows);
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
    const bool received = server_ && server_->HasGroups();
    const std::u16string reason = NoGroupsReason(server_);
    notice_->setText(ToQString(reason));
    notice_->setVisible(!reason.empty());
    const GroupTable* table = received ? &server_->Groups() : nullptr;
    for (int g = 0; table && g < UsedGroupCount(*table); ++g) {
        const VehicleGroup& group = table->groups[size_t(g)];
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
    if (!server_ || !server_->HasGroups()) return kNoGroupTable;
    CGroupListDlg dialog(this, tree_);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenName().isEmpty()) return kMoveCancelled;
    return MoveSelectedTo(dialog.ChosenName());
}

CViewMulti::MoveResult CViewMulti::MoveSelectedTo(const QString& groupName) {
    if (!server_ || !server_->HasGroups()) return kNoGroupTable;  // nothing of the server's to edit
    QTreeWidgetItem* screen = ScreenItem(tree_->currentItem());
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (!screen || !root) return kMoveRefused;
    QTreeWidgetItem* target = nullptr;
    for (int g = 0; g < root->childCount() && !target; ++g)
        if (root->child(g)->text(0) == groupName) target = root->child(g);
    if (!target || target == screen->parent()) return kMoveRefused;
    // The table is checked and changed first: a full target leaves both sides as they were.
    const auto id = uint16_t(screen->data(0, kMemberRole).toInt());
    if (!MoveGroupMember(server_->Groups(), id, ToU16(groupName))) return kMoveRefused;
    busy_ = 1;
    target->addChild(screen->parent()->takeChild(screen->parent()->indexOfChild(screen)));
    tree_->setCurrentItem(screen);
    busy_ = 0;
    lastUpload_ = server_->UploadGroups();
    return lastUpload_ == kUploadOk ? kMoved : kUploadFailed;
}

void CViewMulti::OnCommand(int id) {
    if (id != kCmdMoveTo) return;  // add, edit, delete and the toolbar command change nothing
    const MoveResult result = MoveTo();
    if (result != kUploadFailed && result != kNoGroupTable) return;
    const int upload = result == kNoGroupTable ? kUploadNoGroupTable : lastUpload_;
    MessageBoxFx(this, GroupUploadMessage(upload).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CViewMulti::ShowMenu(const QPoint& pos) {
    QTreeWidgetItem* item = tree_->itemAt(pos);
    if (!item) return;
    tree_->setCurrentItem(item);
    if (Depth(item) < 1) return;
    menu_->popup(tree_->viewport()->mapToGlobal(pos));
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
