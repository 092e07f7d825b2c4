#include "editors/ui/dlg_sel_more_period.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeEdit>

#include "toolkit/date_time_picker.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr QSize kFrameSize(540, 200);  // the timeline frame; its bitmap is 15 pixels less tall
constexpr int kFrameInset = 10;        // where the bitmap goes inside the frame
constexpr int kBarGap = 20;            // room under the bars for the ticks and hour numbers
const QColor kBarColor(0xA0, 0x00, 0xA0);
const QColor kBackground(0xE0, 0xE0, 0xE0);

const LangText kFillAll{{u"通设", u"通設", u"Fill All"}};
const LangText kTotalLabel{{u"总时长", u"總時長", u"Total Time"}};
const LangText kCaption{{u"设置节目播放时间段", u"設置節目播放時間段", u"Set the Play Periods of the Programs"}};
}  // namespace

CDlgSelMorePeriod::CDlgSelMorePeriod(ProgramSetRecord* set, QWidget* parent)
    : CDialogFx(parent), set_(set), scroll_(new QScrollBar(Qt::Vertical)),
      windowStart_(MakeTimePicker(QStringLiteral("mm:ss"))), windowEnd_(MakeTimePicker(QStringLiteral("mm:ss"))),
      fill_(new QPushButton(ToQString(kFillAll))), frame_(new QLabel), total_(new QLabel(ToQString(kTotalLabel))),
      timeline_(kFrameSize.width(), kFrameSize.height() - 15, QImage::Format_RGB32) {
    setWindowTitle(ToQString(kCaption));
    auto* layout = new QGridLayout(this);
    for (int k = 0; k < kPeriodRows; ++k) {
        numbers_[size_t(k)] = new QLabel;
        starts_[size_t(k)] = MakeTimePicker(QStringLiteral("HH:mm:ss"));
        ends_[size_t(k)] = MakeTimePicker(QStringLiteral("HH:mm:ss"));
        layout->addWidget(numbers_[size_t(k)], k, 0);
        layout->addWidget(starts_[size_t(k)], k, 1);
        layout->addWidget(ends_[size_t(k)], k, 2);
        connect(starts_[size_t(k)], &QTimeEdit::timeChanged, this, [this, k] { OnPickerChanged(k, false); });
        connect(ends_[size_t(k)], &QTimeEdit::timeChanged, this, [this, k] { OnPickerChanged(k, true); });
    }
    scroll_->setRange(0, kMaxPeriodScroll);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(3);
    layout->addWidget(scroll_, 0, 3, kPeriodRows, 1);
    frame_->setFixedSize(kFrameSize);
    frame_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    frame_->setContentsMargins(kFrameInset, kFrameInset, 0, 0);
    layout->addWidget(frame_, 0, 4, kPeriodRows, 3);
    layout->addWidget(total_, kPeriodRows, 4);
    layout->addWidget(windowStart_, kPeriodRows, 1);
    layout->addWidget(windowEnd_, kPeriodRows, 2);
    layout->addWidget(fill_, kPeriodRows, 3);
    connect(scroll_, &QScrollBar::valueChanged, this, [this] { ShowPage(); });
    connect(fill_, &QPushButton::clicked, this, &CDlgSelMorePeriod::OnFillAll);
    // The dialog has no OK: Enter in a picker must not press the fill button, which would
    // overwrite all 24 periods with the window pickers' times.
    fill_->setAutoDefault(false);
    fill_->setDefault(false);
    ShowPage();
    RedrawTimeline();
}

void CDlgSelMorePeriod::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // Enter does nothing here
        return;
    }
    CDialogFx::keyPressEvent(event);
}

void CDlgSelMorePeriod::ShowPage() {
    showing_ = true;
    const int first = scroll_->value();
    for (int k = 0; k < kPeriodRows; ++k) {
        const uint32_t entry = set_->periods[size_t(first + k)];
        numbers_[size_t(k)]->setText(QString::number(first + k + 1));
        for (bool end : {false, true}) {
            const PeriodTime t = ShownPeriodTime(uint16_t(end ? entry >> 16 : entry & 0xFFFF));
            Picker(k, end)->setTime(QTime(t.hour, t.minute, t.second));
        }
    }
    showing_ = false;
}

void CDlgSelMorePeriod::OnPickerChanged(int row, bool end) {
    if (showing_) return;
    const QTime t = Picker(row, end)->time();
    if (!t.isValid()) return;
    StorePeriodHalf(set_->periods, size_t(scroll_->value() + row), end, PackPeriodTime({t.hour(), t.minute(), t.second()}));
    RedrawTimeline();
}

void CDlgSelMorePeriod::OnFillAll() {
    const QTime s = windowStart_->time(), e = windowEnd_->time();
    FillHourlyPeriods(set_->periods, {0, s.minute(), s.second()}, {0, e.minute(), e.second()});
    ShowPage();
    RedrawTimeline();
}

void CDlgSelMorePeriod::DrawRow(QPainter& p, int row, int rowHeight) {
    const int top = row * rowHeight;
    const int lower = top + rowHeight - kBarGap;
    const double hourWidth = timeline_.width() / 6.0;
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, top, timeline_.width() - 1, rowHeight - 1);
    for (int half = 0; half <= 12; ++half) {
        const int x = std::min(int(half * hourWidth / 2), timeline_.width() - 1);
        p.drawLine(x, lower, x, lower + (half % 2 == 0 ? 10 : 5));
        if (half % 2 == 0) p.drawText(x + 2, lower + 18, QString::number(row * 6 + half / 2));
    }
}

void CDlgSelMorePeriod::RedrawTimeline() {
    timeline_.fill(kBackground);
    QPainter p(&timeline_);
    const int rowHeight = timeline_.height() / 4;
    const double pixelsPerSecond = timeline_.width() / double(kTimelineRowSeconds);
    for (const TimelineBar& bar : TimelineBars(set_->periods)) {
        const int x0 = int(bar.from * pixelsPerSecond), x1 = int(bar.to * pixelsPerSecond);
        p.fillRect(x0, bar.row * rowHeight, std::max(x1 - x0, 1), rowHeight - kBarGap, kBarColor);
    }
    for (int row = 0; row < 4; ++row) DrawRow(p, row, rowHeight);
    p.end();
    total_->setText(ToQString(FormatPeriodTotal(TotalPeriodSeconds(set_->periods))));
    frame_->setPixmap(QPixmap::fromImage(timeline_));
}

}  // namespace ledsuite
