#include "music/ui/sel_lrc_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "music/ui/music_text.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

using namespace music_text;

CSelLrcDlg::CSelLrcDlg(std::vector<LyricMatch>& matches, LyricServerConfig& server, QWidget* parent)
    : CDialogFx(parent), matches_(matches), server_(server) {
    list_ = new CMyListCtrl(this);
    list_->setColumnCount(3);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    serverBox_ = new QComboBox(this);
    title_ = new QLineEdit(this);
    search_ = new QPushButton(this);
    connect(search_, &QPushButton::clicked, this, &CSelLrcDlg::Search);
    auto* row = new QHBoxLayout;
    row->addWidget(serverBox_);
    row->addWidget(title_, 1);
    row->addWidget(search_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ToQString(kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ToQString(kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelLrcDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelLrcDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(list_, 1);
    layout->addLayout(row);
    layout->addWidget(buttons);
    SetClientSize(QSize(420, 300));
}

bool CSelLrcDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kDownloadLyric));
    list_->setHorizontalHeaderLabels({ToQString(kColIndex), ToQString(kArtist), ToQString(kColTitle)});
    list_->setColumnWidth(0, 80);
    list_->setColumnWidth(1, 100);
    list_->setColumnWidth(2, 200);
    serverBox_->addItems({ToQString(kChinaTelecom), ToQString(kChinaNetcom)});
    serverBox_->setCurrentIndex(server_.choice == 1 ? 1 : 0);
    connect(serverBox_, &QComboBox::currentIndexChanged, this, [this](int i) { server_.choice = i; });
    search_->setText(ToQString(kSearch));
    Fill();
    return true;
}

void CSelLrcDlg::Fill() {
    list_->setRowCount(0);
    list_->setRowCount(int(matches_.size()));
    for (size_t i = 0; i < matches_.size(); ++i) {
        const int r = int(i);
        list_->setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
        list_->setItem(r, 1, new QTableWidgetItem(ToQString(matches_[i].artist)));
        list_->setItem(r, 2, new QTableWidgetItem(ToQString(matches_[i].title)));
    }
}

void CSelLrcDlg::Search() {
    if (server_.host().empty()) {  // the list stays as it was
        MessageBoxFx(this, NoLyricServerMessage(ToU16(QSettings().fileName())).c_str(), nullptr, MB_OK);
        return;
    }
    SearchLyrics(server_, u"", ToU16(title_->text()), matches_);
    Fill();
}

void CSelLrcDlg::OnOK() {
    const int row = list_->FirstSelectedRow();
    if (row < 0) {
        MessageBoxFx(this, kPleaseSelect(), nullptr, MB_OK);
        return;
    }
    chosen_ = row;
    QDialog::accept();
}

void CSelLrcDlg::OnCancel() {
    chosen_ = -1;
    QDialog::reject();
}

}  // namespace ledsuite
