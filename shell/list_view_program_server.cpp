#include "shell/list_view_program_server.h"

#include <QMenu>

#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const ListColumn kColumns[] = {
    {{{u"索引", u"索引", u"Index"}}, 40},
    {{{u"标题", u"標題", u"Title"}}, 160},
    {{{u"发布者", u"發佈者", u"Publisher"}}, 80},
    {{{u"状态", u"狀態", u"Status"}}, 80},
    {{{u"内容", u"內容", u"Content"}}, 200},
    {{{u"添加时间", u"添加時間", u"Time Added"}}, 120},
    {{{u"发布时间", u"發佈時間", u"Publish Time"}}, 120},
    {{{u"发布状态", u"發佈狀態", u"Publish Status"}}, 80},
    {{{u"大小", u"大小", u"Size"}}, 60},
};

struct Confirmation {
    LangText caption;
    LangText question;
};
const Confirmation kConfirmations[] = {
    {{{u"编辑节目", u"編輯節目", u"Edit Program"}},
     {{u"是否重新编辑选中的节目?", u"是否重新編輯選中的節目?", u"Edit the selected program again?"}}},
    {{{u"取消待审核节目", u"取消待審核節目", u"Cancel Program Awaiting Audit"}},
     {{u"是否取消选中的待审核节目?", u"是否取消選中的待審核節目?", u"Cancel the selected program awaiting audit?"}}},
    {{{u"删除节目", u"刪除節目", u"Delete Program"}},
     {{u"是否删除选中的节目?", u"是否刪除選中的節目?", u"Delete the selected program?"}}},
};

const LangText kAll{{u"全部", u"全部", u"All"}};
const LangText kMenuTexts[] = {
    {{u"重新编辑", u"重新編輯", u"Re-edit"}},
    {{u"取消发布", u"取消發佈", u"Cancel Publishing"}},
    {{u"删除节目", u"刪除節目", u"Delete Program"}},
    {{u"刷新", u"刷新", u"Refresh"}},
};

}  // namespace

ListViewProgramServer::ListViewProgramServer(QWidget* parent, InternalChannel* channel)
    : ListPane(parent, channel, kListId), filter_(new QComboBox(this)) {
    SetColumns(kColumns, int(std::size(kColumns)), true);
    filter_->setProperty("controlId", int(kStatusFilterId));
    filter_->addItem(ToQString(kAll));
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
    QStringList texts;
    for (const LangText& t : kMenuTexts) texts << ToQString(t);
    return texts;
}

bool ListViewProgramServer::OnMenuCommand(MenuCommand command) {
    if (command == kRefresh) return true;
    if (command < kReEdit || command > kDeleteProgram) return false;
    const Confirmation& c = kConfirmations[command];
    return AskYesNo(this, c.question(), c.caption(), false);
}

intptr_t ListViewProgramServer::onInternal(int code, intptr_t) {
    if (code != IMC_LANGUAGE_CHANGED) return 0;
    RelabelColumns(kColumns, int(std::size(kColumns)));
    filter_->setItemText(0, ToQString(kAll));
    const QStringList texts = MenuTexts();
    for (QAction* a : menu_->actions()) a->setText(texts.value(a->data().toInt()));
    return 0;
}

void ListViewProgramServer::ShowMenu(const QPoint& pos) { menu_->popup(list_->viewport()->mapToGlobal(pos)); }

}  // namespace ledsuite
