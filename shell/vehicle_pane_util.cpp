#include "shell/vehicle_pane_util.h"

#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr int kStatusRole = Qt::UserRole + 1;  // column 0: the row's publishing status
}  // namespace

const LangText kSaveSucceeded{{u"保存成功", u"保存成功", u"Save"}};

ListPane::ListPane(QWidget* parent, InternalChannel* channel, int listId)
    : QWidget(parent), channel_(channel), list_(new CMyListCtrl(this)), toolbar_(new QToolBar(this)) {
    list_->setProperty("controlId", listId);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar_);
    layout->addWidget(list_, 1);
}

void ListPane::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) onInternal(IMC_LANGUAGE_CHANGED, 0);
    QWidget::changeEvent(event);
}

void ListPane::SetColumns(const ListColumn* columns, int count, bool centred) {
    list_->setColumnCount(count);
    for (int c = 0; c < count; ++c) {
        auto* header = new QTableWidgetItem(ToQString(columns[c].title));
        if (centred) header->setTextAlignment(Qt::AlignCenter);
        list_->setHorizontalHeaderItem(c, header);
        list_->setColumnWidth(c, columns[c].width);
    }
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->verticalHeader()->hide();
}

void ListPane::RelabelColumns(const ListColumn* columns, int count) {
    for (int c = 0; c < count && c < list_->columnCount(); ++c)
        if (QTableWidgetItem* header = list_->horizontalHeaderItem(c)) header->setText(ToQString(columns[c].title));
}

void ListPane::FillRows(const std::vector<ProgramRow>& rows) {
    quiet_ = true;
    list_->setRowCount(0);
    list_->setRowCount(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < list_->columnCount(); ++c) {
            const std::u16string text = size_t(c) < rows[r].cells.size() ? rows[r].cells[size_t(c)] : u"";
            auto* item = new QTableWidgetItem(ToQString(text));
            item->setTextAlignment(Qt::AlignCenter);
            if (c == 0) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
                item->setData(kStatusRole, int(rows[r].status));
            }
            list_->setItem(int(r), c, item);
        }
    }
    quiet_ = false;
}

void ListPane::SetCheckedQuietly(int row, bool checked) {
    QTableWidgetItem* item = list_->item(row, 0);
    if (!item) return;
    quiet_ = true;
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    quiet_ = false;
}

bool ListPane::IsChecked(int row) const {
    const QTableWidgetItem* item = list_->item(row, 0);
    return item && item->checkState() == Qt::Checked;
}

uint8_t ListPane::RowStatus(int row) const {
    const QTableWidgetItem* item = list_->item(row, 0);
    return item ? uint8_t(item->data(kStatusRole).toInt()) : 0;
}

QMenu* BuildCommandMenu(QWidget* owner, const MenuEntry* entries, size_t count, const std::function<void(int)>& run) {
    auto* menu = new QMenu(owner);
    for (size_t i = 0; i < count; ++i) {
        QAction* action = menu->addAction(ToQString(entries[i].text));
        action->setData(entries[i].id);
        QObject::connect(action, &QAction::triggered, owner, [run, id = entries[i].id] { run(id); });
    }
    return menu;
}

void RelabelCommandMenu(QMenu* menu, const MenuEntry* entries, size_t count) {
    const QList<QAction*> actions = menu->actions();
    for (size_t i = 0; i < count && i < size_t(actions.size()); ++i) actions[qsizetype(i)]->setText(ToQString(entries[i].text));
}

QAction* CommandAction(const QWidget* menuOrToolBar, int id) {
    for (QAction* a : menuOrToolBar->actions())
        if (a->data().toInt() == id && !a->isSeparator()) return a;
    return nullptr;
}

bool AskYesNo(QWidget* parent, const char16_t* text, const char16_t* caption, bool defaultNo) {
    const uint32_t type = MB_YESNO | MB_ICONQUESTION | (defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    return MessageBoxFx(parent, text, caption, type) == IDYES;
}

}  // namespace ledsuite
