#include "shell/list_view_car_info.h"

#include <QHeaderView>
#include <QToolButton>

#include "link/ui/quest_program_dlg.h"
#include "toolkit/list_helpers.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const ListColumn kColumns[] = {
    {{{u"索引", u"索引", u"Index"}}, 60},           {{{u"GPRS ID", u"GPRS ID", u"GPRS ID"}}, 120},
    {{{u"司机", u"司機", u"Driver"}}, 80},          {{{u"车牌号码", u"車牌號碼", u"License Plate"}}, 120},
    {{{u"状态", u"狀態", u"State"}}, 80},
};
const LangText kStates[] = {
    {{u"全部", u"全部", u"All"}},         {{u"在线", u"在線", u"Online"}},     {{u"离线", u"離線", u"Offline"}},
    {{u"运行", u"運行", u"Power On"}},    {{u"熄火", u"熄火", u"Power Off"}}, {{u"故障", u"故障", u"Trouble"}},
};
const LangText kSearchFields[] = {
    {{u"GPRS ID", u"GPRS ID", u"GPRS ID"}},
    {{u"司机", u"司機", u"Driver"}},
    {{u"车牌号码", u"車牌號碼", u"License Plate"}},
};
const LangText kSearchText{{u"搜索", u"搜索", u"Search"}};
const LangText kExportText{{u"导出Excel", u"導出Excel", u"Export Excel"}};
const MenuEntry kMenu[] = {
    {ListViewCarInfo::kSelectAll, {{u"全选", u"全選", u"Select All"}}},
    {ListViewCarInfo::kSelectInverse, {{u"反选", u"反選", u"Select Inverse"}}},
    {ListViewCarInfo::kDeselect, {{u"取消选择", u"取消選擇", u"Deselect"}}},
    {ListViewCarInfo::kResend, {{u"重发", u"重發", u"Resend"}}},
    {ListViewCarInfo::kDeleteAllPrograms, {{u"删除所有节目", u"刪除所有節目", u"Delete All Program"}}},
    {ListViewCarInfo::kViewProgram, {{u"查看节目", u"查看節目", u"View Program"}}},
    {ListViewCarInfo::kRestart, {{u"重启", u"重啟", u"Restart"}}},
};

constexpr int kGprsIdColumn = 1;

template <size_t N>
void FillCombo(QComboBox* combo, const LangText (&texts)[N], int language) {
    const int keep = combo->currentIndex();
    combo->clear();
    for (const LangText& t : texts) combo->addItem(ToQString(t.at(language)));
    combo->setCurrentIndex(keep < 0 ? 0 : keep);
}

}  // namespace

ListViewCarInfo::ListViewCarInfo(QWidget* parent, InternalChannel* channel)
    : ListPane(parent, channel, kListId), stateFilter_(new QComboBox(this)), searchField_(new QComboBox(this)),
      searchEdit_(new QLineEdit(this)), ascending_(std::size(kColumns), 0) {
    SetColumns(kColumns, int(std::size(kColumns)), false);
    stateFilter_->setProperty("controlId", int(kStateFilterId));
    searchField_->setProperty("controlId", int(kSearchFieldId));
    searchField_->setFixedWidth(100);
    searchEdit_->setProperty("controlId", int(kSearchEditId));
    searchEdit_->setFixedWidth(128);
    FillCombos(0);  // the combos start with the Chinese texts
    toolbar_->addWidget(stateFilter_);
    toolbar_->addWidget(searchField_);
    toolbar_->addWidget(searchEdit_);
    QAction* search = toolbar_->addAction(ToQString(kSearchText), this, &ListViewCarInfo::Search);
    search->setData(int(kSearchId));
    toolbar_->addSeparator();
    QAction* exportAction = toolbar_->addAction(ToQString(kExportText), this, [this] { OnCommand(kExportId); });
    exportAction->setData(int(kExportId));
    menu_ = BuildCommandMenu(this, kMenu, std::size(kMenu), [this](int id) { OnCommand(id); });
    menu_->addSeparator();
    QAction* menuExport = menu_->addAction(ToQString(kExportText), this, [this] { OnCommand(kExportId); });
    menuExport->setData(int(kExportId));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, &ListViewCarInfo::SortByColumn);
    connect(list_, &QWidget::customContextMenuRequested, this, &ListViewCarInfo::ShowMenu);
}

void ListViewCarInfo::FillCombos(int language) {
    FillCombo(stateFilter_, kStates, language);
    FillCombo(searchField_, kSearchFields, language);
}

intptr_t ListViewCarInfo::onInternal(int code, intptr_t) {
    if (code == IMC_LANGUAGE_CHANGED) {
        RelabelColumns(kColumns, int(std::size(kColumns)));
        FillCombos(int(UiLanguageIndex()));
        RelabelCommandMenu(menu_, kMenu, std::size(kMenu));
        for (QWidget* bar : {static_cast<QWidget*>(toolbar_), static_cast<QWidget*>(menu_)})
            if (QAction* a = CommandAction(bar, kExportId)) a->setText(ToQString(kExportText));
        if (QAction* a = CommandAction(toolbar_, kSearchId)) a->setText(ToQString(kSearchText));
    }
    if (code == IMC_GET_VEHICLE_LIST) return reinterpret_cast<intptr_t>(list_);
    return 0;
}

void ListViewCarInfo::SetRows(const std::vector<VehicleRow>& rows) {
    std::vector<ProgramRow> cells;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::u16string index = ToU16(QString::number(i));
        cells.push_back({{index, rows[i].gprsId, rows[i].driver, rows[i].plate, rows[i].state}, 0});
    }
    FillRows(cells);
}

void ListViewCarInfo::SortByColumn(int column) {
    if (busy_ || column <= 0 || column >= list_->columnCount()) return;
    busy_ = true;
    ascending_[size_t(column)] ^= 1;  // 0 at start: the first click sorts descending
    std::vector<std::u16string> texts;
    for (int r = 0; r < list_->rowCount(); ++r) texts.push_back(ToU16(list_->item(r, column)->text()));
    const std::vector<int> order = SortRowOrder(texts, ascending_[size_t(column)] == 0);
    std::vector<std::vector<QTableWidgetItem*>> rows;
    for (int r = 0; r < list_->rowCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < list_->columnCount(); ++c) rows.back().push_back(list_->takeItem(r, c));
    }
    for (size_t r = 0; r < order.size(); ++r) {
        for (int c = 0; c < list_->columnCount(); ++c) list_->setItem(int(r), c, rows[size_t(order[r])][size_t(c)]);
        list_->item(int(r), 0)->setText(QString::number(r));  // renumbered in the new order
    }
    busy_ = false;
}

void ListViewCarInfo::Search() {
    const int column = SearchColumn(searchField_->currentIndex());
    std::vector<std::u16string> texts;
    for (int r = 0; r < list_->rowCount(); ++r) texts.push_back(ToU16(list_->item(r, column)->text()));
    const int row = FindFirstContaining(texts, ToU16(searchEdit_->text()));
    list_->clearSelection();
    if (row < 0) return;
    list_->selectRow(row);
    list_->setCurrentCell(row, 0);
}

std::u16string ListViewCarInfo::SelectedVehicleId() const {
    const QList<QTableWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return {};
    const QTableWidgetItem* id = list_->item(selected.front()->row(), kGprsIdColumn);
    return id ? ToU16(id->text()) : std::u16string();
}

void ListViewCarInfo::OnCommand(int id) {
    switch (id) {
        case kSelectAll:
        case kSelectInverse:
        case kDeselect:
            for (int r = 0; r < list_->rowCount(); ++r)
                SetCheckedQuietly(r, id == kSelectAll || (id == kSelectInverse && !IsChecked(r)));
            break;
        case kViewProgram: {
            CQuestProgramDlg dialog(this, SelectedVehicleId());
            dialog.exec();
            break;
        }
        case kExportId:
            if (ExportListToExcel(list_, u"gprs") == kExportOk)
                MessageBoxFx(this, kSaveSucceeded(), kSuiteCaption, MB_OK);
            break;
        default: break;  // resend, delete all programs and restart change nothing
    }
}

void ListViewCarInfo::ShowMenu(const QPoint& pos) { menu_->popup(list_->viewport()->mapToGlobal(pos)); }

}  // namespace ledsuite
