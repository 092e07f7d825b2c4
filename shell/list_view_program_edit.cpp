#include "shell/list_view_program_edit.h"

#include "link/server_requests.h"
#include "shell/server_session.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const ListColumn kColumns[] = {
    {{{u"索引", u"索引", u"Index"}}, 60},
    {{{u"标题", u"標題", u"Title"}}, 120},
    {{{u"发布者", u"發佈者", u"Publisher"}}, 80},
    {{{u"状态", u"狀態", u"Status"}}, 100},
    {{{u"内容", u"內容", u"Content"}}, 200},
    {{{u"添加时间", u"添加時間", u"Time Added"}}, 120},
    {{{u"审核时间", u"審核時間", u"Audit Time"}}, 120},
    {{{u"发送状态", u"發送狀態", u"Send Status"}}, 120},
    {{{u"大小", u"大小", u"Size"}}, 60},
    {{{u"目标屏", u"目標屏", u"Target Screen"}}, 60},
};

const LangText kReleaseQuestion{{u"是否发布选中的节目?", u"是否發佈選中的節目?", u"Release the selected program?"}};
const LangText kReleaseCaption{{u"发布节目", u"發佈節目", u"Release program"}};
const LangText kDeleteQuestion{{u"是否删除选中的节目?", u"是否刪除選中的節目?", u"Delete the selected program?"}};
const LangText kDeleteCaption{{u"删除节目", u"刪除節目", u"Delete program"}};
const LangText kRequestQuestion{{u"是否申请指定的节目?", u"是否申請指定的節目?", u"Request specified program?"}};
const LangText kCancelQuestion{{u"是否取消申请?", u"是否取消申請?", u"Cancel Request ?"}};

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
    if (code != IMC_LANGUAGE_CHANGED) return 0;
    for (const MenuEntry& e : kTools)
        if (QAction* a = CommandAction(toolbar_, e.id)) a->setText(ToQString(e.text));
    RelabelColumns(kColumns, int(std::size(kColumns)));
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
            yes = AskYesNo(this, kReleaseQuestion(), kReleaseCaption(), false);
            break;
        case kCmdDelete: yes = AskYesNo(this, kDeleteQuestion(), kDeleteCaption(), true); break;
        case kCmdRequest: yes = AskYesNo(this, kRequestQuestion(), kSuiteCaption, true); break;
        case kCmdCancelRequest: yes = AskYesNo(this, kCancelQuestion(), kSuiteCaption, true); break;
        case kCmdFirst:
        case kCmdRefresh:
            // The lists come from the server: without one the user is told so.
            if (!channel_ || channel_->send(IMC_SERVER_CONNECTED, 0) == 0)
                MessageBoxFx(this, kNotConnectedText(), kSuiteCaption, MB_OK | MB_ICONEXCLAMATION);
            return false;
        default: return false;
    }
    if (yes) pending_ = CheckedRows();
    return yes;
}

}  // namespace ledsuite
