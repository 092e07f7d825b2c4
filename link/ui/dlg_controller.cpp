#include "link/ui/dlg_controller.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStyle>
#include <QTimer>

#include "content/model/lang.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCaption{{u"遥控器", u"遙控器", u"&Remote Control"}};
const LangText kCalibrate{{u"学习编码", u"學習編碼", u"Calibrate Code"}};
const LangText kGet{{u"获取编码", u"獲取編碼", u"Get Code"}};
const LangText kSet{{u"设置编码", u"設置編碼", u"Set Code"}};
constexpr int kPollMs = 10;
constexpr int kInfoHeadWaitMs = 500;  // the card's information head at start-up
constexpr int kLabelBackTick = 60;  // the blinking key: 600 ms blank, 400 ms shown
constexpr int kBlankTick = 100;

// The drawn remote: a dark body with an infrared window and three columns of keys.
QPixmap RemotePicture() {
    QPixmap pixmap(60, 130);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
    p.setBrush(QColor(0x50, 0x50, 0x58));
    p.drawRoundedRect(QRectF(4, 2, 52, 125), 12, 12);
    p.setBrush(QColor(0xA0, 0x10, 0x10));
    p.drawRoundedRect(QRectF(22, 8, 16, 6), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0xE0, 0xE0));
    for (int pos = 0; pos < kInfraredKeys; ++pos)
        p.drawEllipse(QRectF(12 + (pos % 3) * 14, 22 + (pos / 3) * 16, 9, 9));
    return pixmap;
}

}  // namespace

QString CaptionWithoutMnemonic(const std::u16string& caption) {
    QString text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size() && caption[++i] != u'&') text += QChar(caption[i]);
        else if (caption[i] != u'&') text += QChar(caption[i]);
        else text += QChar(u'&');
    }
    return text;
}

CDlgController::CDlgController(const HardwareParams& screen, QWidget* parent)
    : CDialogFx(parent), screen_(screen), setting_{screen.comIndex, screen.baudIndex},
      message_(MessageBoxSinkFor(this)) {
    auto* grid = new QGridLayout(this);
    remote_ = new QLabel(this);
    remote_->setPixmap(RemotePicture());
    grid->addWidget(remote_, 0, 0, 1, 2);
    warning_ = new QLabel(this);
    warning_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    grid->addWidget(warning_, 0, 2);
    warningText_ = new QLabel(this);
    warningText_->setWordWrap(true);
    grid->addWidget(warningText_, 0, 3, 1, 3);
    for (int pos = 0; pos < kInfraredKeys; ++pos) {
        auto* button = new QPushButton(QString::fromUtf16(kInfraredKeyLabels[pos]), this);
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setMaximumWidth(40);
        grid->addWidget(button, 1 + pos / 3, (pos % 3) * 2);
        grid->addWidget(field, 1 + pos / 3, (pos % 3) * 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, pos] { OnKey(pos); });
        keyButtons_[size_t(pos)] = button;
        keyFields_[size_t(pos)] = field;
    }
    calibrate_ = new QPushButton(this);
    get_ = new QPushButton(this);
    set_ = new QPushButton(this);
    grid->addWidget(calibrate_, 8, 0, 1, 2);
    grid->addWidget(get_, 8, 2, 1, 2);
    grid->addWidget(set_, 8, 4, 1, 2);
    connect(calibrate_, &QPushButton::clicked, this, &CDlgController::OnCalibrate);
    connect(get_, &QPushButton::clicked, this, &CDlgController::OnGet);
    connect(set_, &QPushButton::clicked, this, &CDlgController::OnSet);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CDlgController::Poll);
    SetClientSize(QSize(320, 300));
}

CDlgController::~CDlgController() {
    notifier_.reset();  // before the descriptor it watches is closed
    SerialClose(port_);
}

bool CDlgController::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(CaptionWithoutMnemonic(kCaption()));
    calibrate_->setText(ToQString(kCalibrate));
    get_->setText(ToQString(kGet));
    set_->setText(ToQString(kSet));
    std::array<uint8_t, 128> reply{};
    cardAnswered_ = QueryCard(setting_, CardCommand::Info, reply, kInfoHeadWaitMs) > 2;
    warning_->setVisible(!cardAnswered_);
    warningText_->setText(ToQString(NoCardMessage()));
    warningText_->setVisible(!cardAnswered_);
    timer_->start(kPollMs);
    return true;
}

void CDlgController::OnOK() {
    StopLearning();
    CDialogFx::OnOK();
}

void CDlgController::OnCancel() {
    StopLearning();
    CDialogFx::OnCancel();
}

void CDlgController::Tell(InfraredStatus status, bool calibrating) {
    const std::u16string text = InfraredMessage(status, calibrating, setting_.comNumber());
    if (!text.empty()) message_(text, {}, MB_OK);
}

void CDlgController::OnCalibrate() {
    if (mode_ == kModeLearning) {
        mode_ = kModeStopRequested;  // the next poll restores the keys and closes the port
        return;
    }
    const InfraredStatus status = InfraredCalibrate(port_, setting_, timeouts_);
    if (status == InfraredStatus::Started) StartLearning();
    else Tell(status, true);
}

void CDlgController::StartLearning() {
    keys_ = EmptyKeyTable();
    read_ = EmptyWireTable();  // the card learns afresh: only what is learnt now goes back
    ShowCodes();
    scanner_.Clear();
    selected_ = 0;
    shown_ = 0;
    ticks_ = 0;
    ShowKeyLabel(0, false);
    mode_ = kModeLearning;
    notifier_ = std::make_unique<QSocketNotifier>(port_.fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &CDlgController::ReadReports);
}

void CDlgController::StopLearning() {
    for (int pos = 0; pos < kInfraredKeys; ++pos) ShowKeyLabel(pos, true);
    notifier_.reset();
    SerialClose(port_);
    mode_ = kModeIdle;
    selected_ = -1;
    shown_ = -1;
}

void CDlgController::OnGet() {
    if (mode_ != kModeIdle) return;
    InfraredWireTable wire{};
    const InfraredStatus status = InfraredGetTable(setting_, wire, timeouts_);
    if (status == InfraredStatus::GotTable) {
        read_ = wire;  // goes back as it came unless keys are learnt anew
        keys_ = KeyTableFromWire(wire);
        ShowCodes();
    }
    Tell(status, false);
}

void CDlgController::OnSet() {
    if (mode_ != kModeIdle) return;
    Tell(InfraredSetTable(setting_, MergeWireTable(read_, keys_), timeouts_), false);
}

void CDlgController::OnKey(int position) {
    if (mode_ == kModeLearning && position >= 0 && position < kInfraredKeys) selected_ = position;
}

void CDlgController::Poll() {
    if (mode_ == kModeStopRequested) {
        StopLearning();
        return;
    }
    if (mode_ != kModeLearning) {
        mode_ = kModeIdle;
        return;
    }
    if (selected_ != shown_) {
        if (shown_ >= 0) ShowKeyLabel(shown_, true);
        shown_ = selected_;
        ShowKeyLabel(shown_, false);
        ticks_ = 0;
    } else if (++ticks_ == kLabelBackTick) {
        ShowKeyLabel(shown_, true);
    } else if (ticks_ >= kBlankTick) {
        ShowKeyLabel(shown_, false);
        ticks_ = 0;
    }
    ReadReports();
}

void CDlgController::ReadReports() {
    if (mode_ != kModeLearning || !port_.isOpen()) return;
    uint8_t buf[64];
    const int n = SerialReadUpTo(port_, buf, sizeof buf, 0);
    if (n <= 0) return;
    for (uint8_t code : scanner_.Feed({buf, size_t(n)})) {
        if (selected_ < 0) continue;
        keys_[size_t(selected_)] = code;
        keyFields_[size_t(selected_)]->setText(ToQString(KeyCodeText(code)));
    }
}

void CDlgController::ShowKeyLabel(int position, bool shown) {
    if (position < 0 || position >= kInfraredKeys) return;
    keyButtons_[size_t(position)]->setText(shown ? QString::fromUtf16(kInfraredKeyLabels[position]) : QString());
}

void CDlgController::ShowCodes() {
    for (int pos = 0; pos < kInfraredKeys; ++pos)
        keyFields_[size_t(pos)]->setText(ToQString(KeyCodeText(keys_[size_t(pos)])));
}

}  // namespace ledsuite
