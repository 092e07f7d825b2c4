#include "link/ui/quest_program_dlg.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "toolkit/list_helpers.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

constexpr char16_t kProductName[] = u"Kesh Varn";  // the same in every language

const LangText kCaption{{u"查询节目", u"查詢節目", u"Query Program"}};
const LangText kProgramCaption{{u"节目", u"節目", u"Program"}};
const LangText kCarCaption{{u"车辆", u"車輛", u"Car"}};
const LangText kSendingChoice{{u"节目发送详情", u"節目發送詳情", u"Detail Of Sending Prg"}};
const LangText kCarsChoice{{u"车辆节目详情", u"車輛節目詳情", u"Detail Of Car's Prgs"}};
const LangText kQueryLabel{{u"查询内容", u"查詢內容", u"The Content To Query"}};
const LangText kSearchProgram{{u"搜索节目", u"搜索節目", u"Search Program"}};
const LangText kSearchGprs{{u"搜索GPRS", u"搜索GPRS", u"Search GPRS"}};
const LangText kExportExcel{{u"导出Excel", u"導出Excel", u"Export Excel"}};
const LangText kSaved{{u"保存成功", u"保存成功", u"Save"}};
const LangText kMenuTexts[] = {
    {{u"删除选中节目", u"刪除選中節目", u"Delete Selected  Program"}},
    {{u"重发选中节目", u"重發選中節目", u"Resend Selected Program"}},
    {{u"删除所有节目", u"刪除所有節目", u"Delete All Program"}},
};

struct Column {
    LangText title;
    int width;
};
const Column kProgramColumns[] = {
    {{{u"索引", u"索引", u"Index"}}, 60},           {{{u"标题", u"標題", u"Title"}}, 80},
    {{{u"发布者", u"發佈者", u"Writer"}}, 80},      {{{u"完成状态", u"完成狀態", u"Finish State"}}, 80},
    {{{u"节目内容", u"節目內容", u"Program Content"}}, 160}, {{{u"位置", u"位置", u"Position"}}, 60},
};
const Column kCarColumns[] = {
    {{{u"索引", u"索引", u"Index"}}, 60},           {{{u"GPRS ID", u"GPRS ID", u"GPRS ID"}}, 100},
    {{{u"司机", u"司機", u"Driver"}}, 60},          {{{u"车牌号码", u"車牌號碼", u"License Plate"}}, 120},
    {{{u"GPRS状态", u"GPRS狀態", u"GPRS's State"}}, 80}, {{{u"完成状态", u"完成狀態", u"Finish State"}}, 80},
};
constexpr int kTitleColumn = 1;  // programs: "Title"
constexpr int kGprsColumn = 1;   // vehicles: "GPRS ID"

template <size_t N>
void SetColumns(CMyListCtrl* list, const Column (&columns)[N]) {
    list->setColumnCount(int(N));
    for (size_t c = 0; c < N; ++c) {
        list->setHorizontalHeaderItem(int(c), new QTableWidgetItem(ToQString(columns[c].title)));
        list->setColumnWidth(int(c), columns[c].width);
    }
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
}

}  // namespace

int SelectRowsContaining(CListCtrlEx* list, int column, const QString& text) {
    list->clearSelection();
    int selected = 0;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QTableWidgetItem* item = list->item(row, column);
        if (!item || !item->text().contains(text)) continue;
        if (selected++ == 0) list->scrollToItem(item);
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    return selected;
}

std::vector<int> SelectedRows(const CListCtrlEx* list) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FillListRows(CListCtrlEx* list, const std::vector<std::vector<std::u16string>>& rows) {
    list->setRowCount(0);
    list->setRowCount(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && int(c) < list->columnCount(); ++c)
            list->setItem(int(r), int(c), new QTableWidgetItem(ToQString(rows[r][c])));
}

CQuestProgramDlg::CQuestProgramDlg(QWidget* parent, std::u16string vehicleId)
    : CDialogFx(parent), vehicleId_(std::move(vehicleId)), programs_(new CMyListCtrl(this)),
      cars_(new CMyListCtrl(this)), topCaption_(new QLabel(this)), bottomCaption_(new QLabel(this)),
      sendingChoice_(new QRadioButton(ToQString(kSendingChoice), this)),
      carsChoice_(new QRadioButton(ToQString(kCarsChoice), this)), query_(new QLineEdit(this)) {
    BuildLists();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    auto* choices = new QHBoxLayout;
    choices->addWidget(sendingChoice_);
    choices->addWidget(carsChoice_);
    choices->addStretch();
    layout->addLayout(choices);
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(ToQString(kQueryLabel), this));
    search->addWidget(query_, 1);
    auto addButton = [&](const LangText& text, const char* name, auto slot) {
        auto* button = new QPushButton(ToQString(text), this);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, slot);
        search->addWidget(button);
    };
    addButton(kSearchProgram, "searchProgram", [this] { SearchProgram(); });
    addButton(kSearchGprs, "searchGprs", [this] { SearchGprs(); });
    addButton(kExportExcel, "exportExcel", [this] { ExportTopList(); });
    layout->addLayout(search);
    listsLayout_ = new QVBoxLayout;
    layout->addLayout(listsLayout_, 1);
    sendingChoice_->setChecked(true);
    connect(sendingChoice_, &QRadioButton::clicked, this, [this] { SetDetail(kDetailSending); });
    connect(carsChoice_, &QRadioButton::clicked, this, [this] { SetDetail(kDetailCars); });
    PlaceLists();
    SetClientSize(QSize(620, 460));
}

void CQuestProgramDlg::BuildLists() {
    SetColumns(programs_, kProgramColumns);
    SetColumns(cars_, kCarColumns);
    // A selection in one list clears the other.
    auto clearOther = [this](CMyListCtrl* list, CMyListCtrl* other) {
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [list, other] {
            if (!list->selectionModel()->selectedRows().isEmpty()) other->clearSelection();
        });
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& p) { ShowMenu(list, p); });
    };
    clearOther(programs_, cars_);
    clearOther(cars_, programs_);
}

void CQuestProgramDlg::PlaceLists() {
    while (listsLayout_->count() > 0) delete listsLayout_->takeAt(0);
    const bool sendingTop = detail_ == kDetailSending;
    topCaption_->setText(ToQString(sendingTop ? kProgramCaption : kCarCaption));
    bottomCaption_->setText(ToQString(sendingTop ? kCarCaption : kProgramCaption));
    listsLayout_->addWidget(topCaption_);
    listsLayout_->addWidget(sendingTop ? programs_ : cars_, 1);
    listsLayout_->addWidget(bottomCaption_);
    listsLayout_->addWidget(sendingTop ? cars_ : programs_, 1);
}

bool CQuestProgramDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    query_->setText(ToQString(vehicleId_));
    return true;
}

void CQuestProgramDlg::SetDetail(Detail detail) {
    detail_ = detail;
    sendingChoice_->setChecked(detail == kDetailSending);
    carsChoice_->setChecked(detail == kDetailCars);
    programs_->setRowCount(0);
    cars_->setRowCount(0);
    PlaceLists();
}

void CQuestProgramDlg::SetProgramRows(const std::vector<std::vector<std::u16string>>& rows) {
    FillListRows(programs_, rows);
}
void CQuestProgramDlg::SetCarRows(const std::vector<std::vector<std::u16string>>& rows) { FillListRows(cars_, rows); }

void CQuestProgramDlg::SearchProgram() { SelectRowsContaining(programs_, kTitleColumn, query_->text()); }
void CQuestProgramDlg::SearchGprs() { SelectRowsContaining(cars_, kGprsColumn, query_->text()); }

bool CQuestProgramDlg::ExportTopList() {
    const LangText& name = detail_ == kDetailSending ? kSendingChoice : kCarsChoice;
    if (ExportListToExcel(TopList(), name()) != kExportOk) return false;
    MessageBoxFx(this, kSaved(), kProductName, MB_OK);
    return true;
}

std::vector<int> CQuestProgramDlg::SelectedProgramRows() const { return SelectedRows(programs_); }
std::vector<int> CQuestProgramDlg::SelectedCarRows() const { return SelectedRows(cars_); }

void CQuestProgramDlg::RunCommand(Command) {
    // The server side of these commands is not defined: they look up the selection only.
    (void)SelectedProgramRows();
    (void)SelectedCarRows();
}

void CQuestProgramDlg::ShowMenu(CMyListCtrl* list, const QPoint& pos) {
    QMenu menu(this);
    for (int c = 0; c < 3; ++c)
        connect(menu.addAction(ToQString(kMenuTexts[c])), &QAction::triggered, this,
                [this, c] { RunCommand(Command(c)); });
    menu.exec(list->viewport()->mapToGlobal(pos));
}

}  // namespace ledsuite
