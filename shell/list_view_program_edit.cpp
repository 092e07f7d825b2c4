#include "shell/list_view_program_edit.h"

#include "link/server_requests.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

// The column titles exist in Chinese only.
const ListColumn kColumns[] = {
    {{{u"索引", u"索引", u"索引"}}, 60},         {{{u"标题", u"标题", u"标题"}}, 120},
    {{{u"发布者", u"发布者", u"发布者"}}, 80},    {{{u"状态", u"状态", u"状态"}}, 100},
    {{{u"内容", u"内容", u"内容"}}, 200},         {{{u"添加时间", u"添加时间", u"添加时间"}}, 120},
    {{{u"审核时间", u"审核时间", u"审核时间"}}, 120}, {{{u"发送状态", u"发送状态", u"发送状态"}}, 120},
    {{{u"大小", u"大小", u"大小"}}, 60},          {{{u"目标屏", u"目标屏", u"目标屏"}}, 60},
};

// The toolbar, 32853-32858.
const MenuEntry kTools[] = {
    {ListViewProgramEdit::kCmdFirst, {{u"获取节目", u"獲取節目", u"Get Programs"}}},
    {ListViewProgramEdit::kCmdRelease, {{u"发布", u"發佈", u"Release"}}},
    {ListViewProgramEdit::kCmdDelete, {{u"删除", u"刪除", u"Delete"}}},
    {ListViewProgramEdit::kCmdRefresh, {{u"刷新", u"刷新", u"Refresh"}}},
    {ListViewProgramEdit::kCmdRequest, {{u"申请", u"申請", u"Request"}}},
    {ListViewProgramEdit::kCmdCancelRequest, {{u"取消申请", u"取消申請", u"Cancel Request"}}},
};

}  // namespace

ListViewProgramEdit::ListViewProgramEdit(QWidget* parent, InternalChannel* channel)
    : ListPane(parent, channel, kListId) {
    SetColumns(kColumns, int(std::size(kColumns)), true);
    for (const MenuEntry& e : kTools) {
        QAction* a = toolbar_->addAction(ToQString(e.text), this, [this, id = e.id] { OnCommand(id); });
        a->setData(e.id);
    }
    connect(list_, &QTableWidget::itemChanged, this, &ListViewProgramEdit::OnItemChanged);
}

void ListViewProgramEdit::SetRows(const std::vector<ProgramRow>& rows) {
    FillRows(rows);
    counts_ = {};
}

void ListViewProgramEdit::OnItemChanged(QTableWidgetItem* item) {
    if (Quiet() || item->column() != 0) return;
    const int row = item->row();
    const bool checked = item->checkState() == Qt::Checked;
    // A refused check is cleared again at once.
    if (!ApplyLocalCheck(counts_, RowStatus(row), checked)) SetCheckedQuietly(row, false);
}

intptr_t ListViewProgramEdit::onInternal(int code, intptr_t) {
    if (code == IMC_LANGUAGE_CHANGED)
        for (const MenuEntry& e : kTools)
            if (QAction* a = CommandAction(toolbar_, e.id)) a->setText(ToQString(e.text));
    return 0;
}

std::vector<int> ListViewProgramEdit::CheckedRows() const {
    std::vector<int> rows;
    for (int r = 0; r < list_->rowCount(); ++r)
        if (IsChecked(r)) rows.push_back(r);
    return rows;
}

bool ListViewProgramEdit::OnCommand(int id) {
    pending_.clear();
    bool yes = false;
    switch (id) {
        case kCmdRelease:
            // Release is offered only while the server flag the replies keep is not set.
            if (ServerConnected()) return false;
            yes = AskYesNo(this, u"Release the selected program?", u"Release program", false);
            break;
        case kCmdDelete: yes = AskYesNo(this, u"Delete the selected program?", u"Delete program", true); break;
        case kCmdRequest: yes = AskYesNo(this, u"Request specified program?", kSuiteCaption, true); break;
        case kCmdCancelRequest: yes = AskYesNo(this, u"Cancel Request ?", kSuiteCaption, true); break;
        default: return false;  // first and refresh belong to the server side
    }
    if (yes) pending_ = CheckedRows();
    return yes;
}

}  // namespace ledsuite
