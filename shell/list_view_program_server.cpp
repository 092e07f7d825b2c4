#include "shell/list_view_program_server.h"

#include <QMenu>

#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

// The column titles and the texts of this pane exist in Chinese only.
const ListColumn kColumns[] = {
    {{{u"索引", u"索引", u"索引"}}, 40},         {{{u"标题", u"标题", u"标题"}}, 160},
    {{{u"发布者", u"发布者", u"发布者"}}, 80},    {{{u"状态", u"状态", u"状态"}}, 80},
    {{{u"内容", u"内容", u"内容"}}, 200},         {{{u"添加时间", u"添加时间", u"添加时间"}}, 120},
    {{{u"发布时间", u"发布时间", u"发布时间"}}, 120}, {{{u"发布状态", u"发布状态", u"发布状态"}}, 80},
    {{{u"大小", u"大小", u"大小"}}, 60},
};

struct Confirmation {
    const char16_t* caption;
    const char16_t* question;
};
const Confirmation kConfirmations[] = {
    {u"编辑节目", u"是否重新编辑选中的节目?"},
    {u"取消待审核节目", u"是否取消选中的待审核节目?"},
    {u"删除节目", u"是否删除选中的节目?"},
};

}  // namespace

ListViewProgramServer::ListViewProgramServer(QWidget* parent, InternalChannel* channel)
    : ListPane(parent, channel, kListId), filter_(new QComboBox(this)) {
    SetColumns(kColumns, int(std::size(kColumns)), true);
    filter_->setProperty("controlId", int(kStatusFilterId));
    filter_->addItem(ToQString(u"全部"));
    toolbar_->addWidget(filter_);
    menu_ = new QMenu(this);
    const QStringList texts = MenuTexts();
    for (int i = 0; i < texts.size(); ++i) {
        QAction* a = menu_->addAction(texts[i]);
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] { OnMenuCommand(MenuCommand(i)); });
    }
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QTableWidget::itemChanged, this, &ListViewProgramServer::OnItemChanged);
    connect(list_, &QWidget::customContextMenuRequested, this, &ListViewProgramServer::ShowMenu);
}

void ListViewProgramServer::SetRows(const std::vector<ProgramRow>& rows) {
    FillRows(rows);
    flags_ = {};
}

int ListViewProgramServer::CheckedRow() const {
    for (int r = 0; r < list_->rowCount(); ++r)
        if (IsChecked(r)) return r;
    return -1;
}

void ListViewProgramServer::OnItemChanged(QTableWidgetItem* item) {
    if (Quiet() || item->column() != 0) return;
    // One checked row at a time: checking a row clears the others.
    if (item->checkState() == Qt::Checked)
        for (int r = 0; r < list_->rowCount(); ++r)
            if (r != item->row() && IsChecked(r)) SetCheckedQuietly(r, false);
    const int checked = CheckedRow();
    flags_ = ServerFlagsFor(checked >= 0, checked >= 0 ? RowStatus(checked) : 0);
}

QStringList ListViewProgramServer::MenuTexts() {
    return {ToQString(u"重新编辑"), ToQString(u"取消发布"), ToQString(u"删除节目"), ToQString(u"刷新")};
}

bool ListViewProgramServer::OnMenuCommand(MenuCommand command) {
    if (command == kRefresh) return true;
    if (command < kReEdit || command > kDeleteProgram) return false;
    const Confirmation& c = kConfirmations[command];
    return AskYesNo(this, c.question, c.caption, false);
}

void ListViewProgramServer::ShowMenu(const QPoint& pos) { menu_->popup(list_->viewport()->mapToGlobal(pos)); }

}  // namespace ledsuite
