#include "shell/group_list_dlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
const LangText kCaption{{u"选择分组", u"選擇分組", u"Select group"}};
const LangText kOkText{{u"确定", u"確定", u"OK"}};
}  // namespace

CGroupListDlg::CGroupListDlg(QWidget* parent, const QTreeWidget* tree) : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(ToQString(kCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* ok = new QPushButton(ToQString(kOkText), this);
    connect(ok, &QPushButton::clicked, this, &CGroupListDlg::accept);
    layout->addWidget(ok);
    // The groups are the items one level below the root; Move To matches their names.
    const QTreeWidgetItem* root = tree ? tree->topLevelItem(0) : nullptr;
    for (int i = 0; root && i < root->childCount(); ++i) list_->addItem(root->child(i)->text(0));
}

void CGroupListDlg::accept() {
    const QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) return;
    chosen_ = item->text().left(kNameLimit);
    QDialog::accept();
}

}  // namespace ledsuite
