#include "link/ui/link_dlg.h"

#include <chrono>

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "content/model/lang.h"
#include "toolkit/list_helpers.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCaption{{u"搜索设备", u"搜索裝置", u"Search Device"}};
const LangText kSearch{{u"搜索", u"搜索", u"Search"}};
const LangText kStop{{u"停止", u"停止", u"Stop"}};
const LangText kStart{{u"点击搜索按钮开始搜索", u"點擊搜索按鈕開始搜索", u"Click Search Button to Start to Search"}};
const LangText kProperties{{u"属性", u"屬性", u"Properties"}};
const LangText kValue{{u"值", u"值", u"Value"}};
const LangText kCancel{{u"取消", u"取消", u"Cancel"}};
constexpr int kCancelPolls = 200;  // x 10 ms

}  // namespace

CLinkDlg::CLinkDlg(HardwareParams* screen, InternalChannel* channel, QWidget* parent)
    : CDialogFx(parent), screen_(screen), channel_(channel) {
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    list_ = new QTableWidget(kCardInfoRows, 2, this);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    remark_ = new QLabel(this);
    remark_->setWordWrap(true);
    remark_->hide();
    search_ = new QPushButton(this);
    cancel_ = new QPushButton(this);
    QPushButton* cancel = cancel_;
    for (QWidget* w : {static_cast<QWidget*>(status_), static_cast<QWidget*>(list_), static_cast<QWidget*>(remark_),
                       static_cast<QWidget*>(search_), static_cast<QWidget*>(cancel)})
        layout->addWidget(w);
    connect(search_, &QPushButton::clicked, this, &CLinkDlg::OnSearch);
    connect(cancel, &QPushButton::clicked, this, &CLinkDlg::reject);
    SetClientSize(QSize(360, 460));
}

CLinkDlg::~CLinkDlg() {
    stop_ = true;
    state_ = kSearchStopRequested;
    if (worker_.joinable()) worker_.join();  // the worker's probes and queries end before anything goes
}

bool CLinkDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    search_->setText(ToQString(kSearch));
    cancel_->setText(ToQString(kCancel));
    status_->setText(ToQString(kStart));
    list_->setHorizontalHeaderLabels({ToQString(kProperties), ToQString(kValue)});
    QStringList labels;
    for (int row = 0; row < kCardInfoRows; ++row) {
        labels << ToQString(CardInfoRowLabel(row));
        list_->setItem(row, 0, new QTableWidgetItem(labels.back()));
        list_->setItem(row, 1, new QTableWidgetItem);
    }
    // The labels take what they need; the values have the rest of the list's width, and
    // a value longer than that shows whole in its tooltip.
    FitListColumn(list_, 0, labels);
    return true;
}

void CLinkDlg::OnSearch() {
    remark_->hide();
    if (state_ != kSearchIdle) {
        state_ = kSearchStopRequested;  // seen by the search before its next probe
        stop_ = true;
        return;
    }
    if (worker_.joinable()) worker_.join();  // the previous search has ended (state idle)
    state_ = kSearching;
    stop_ = false;
    search_->setText(ToQString(kStop));
    const LinkTarget target = screen_ ? LinkTargetFromScreen(*screen_) : LinkTarget{};
    worker_ = std::thread([this, target, wait = probeWaitMs_] {
        SearchProgress progress;
        progress.stop = &stop_;
        progress.show = [this](const std::u16string& text) {
            QMetaObject::invokeMethod(this, [this, text] { status_->setText(ToQString(text)); }, Qt::QueuedConnection);
        };
        CardInfoResult result = ReadCardInfoThread(target, &progress, wait);
        QMetaObject::invokeMethod(this, [this, result] { OnSearchDone(result); }, Qt::QueuedConnection);
        state_ = kSearchIdle;
    });
}

void CLinkDlg::OnSearchDone(const CardInfoResult& result) {
    search_->setText(ToQString(kSearch));
    if (result.adapterRemark) {  // whether a card answered or not
        remark_->setText(ToQString(AdapterRemarkText()));
        remark_->show();
    }
    if (result.outcome != SearchOutcome::Found) {
        status_->setText(ToQString(result.status));
        return;
    }
    for (int row = 0; row < kCardInfoRows; ++row) list_->item(row, 1)->setText(ToQString(result.values[size_t(row)]));
    SetCellTips(list_, 1);
    if (!screen_) return;
    // The card's communication mode is the screen's subtype: the USB-disk save and the
    // encoder build the sound parts by it.
    const bool modeChanged = screen_->cardSubtype != result.target.cardSubtype;
    screen_->cardSubtype = result.target.cardSubtype;
    if (result.portSettingsChanged) {
        screen_->comIndex = result.target.port.comIndex;
        screen_->baudIndex = result.target.port.baudIndex;
        screen_->cardType = result.target.cardType;
    }
    if ((result.portSettingsChanged || modeChanged) && channel_) channel_->send(IMC_PORT_SETTINGS_CHANGED, 0);
}

void CLinkDlg::OnCancel() {
    if (state_ != kSearchIdle) {
        state_ = kSearchStopRequested;
        stop_ = true;
        for (int i = 0; i < kCancelPolls && state_ != kSearchIdle; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    hide();  // at once, even when the worker is still in a probe: the destructor joins it
    CDialogFx::OnCancel();
}

}  // namespace ledsuite
