// The timer dialog.
#include "editors/ui/dlg_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "editors/item_rules.h"
#include "editors/ui/edit_texts.h"
#include "editors/ui/item_dialog_util.h"
#include "editors/ui/item_texts.h"
#include "toolkit/date_time_picker.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

void ShowDateTime(const LocalTime& t, QDateEdit* date, QTimeEdit* time) {
    date->setDate(QDate(t.year, t.month, t.day));
    time->setTime(QTime(t.hour, t.minute, t.second));
}

LocalTime ReadDateTime(const QDateEdit* date, const QTimeEdit* time) {
    const QDate d = date->date();
    const QTime t = time->time();
    return LocalTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), d.dayOfWeek() % 7, 0};
}

}  // namespace

DlgTimer::DlgTimer(QWidget* parent, TimerField* field) : CDialogFx(parent), field_(field) {
    InitTimerField(work_);
    dateA_ = MakeDatePicker(QStringLiteral("yyyy/MM/dd"), this);
    timeA_ = MakeTimePicker(QStringLiteral("HH:mm:ss"), this);
    dateB_ = MakeDatePicker(QStringLiteral("yyyy/MM/dd"), this);
    timeB_ = MakeTimePicker(QStringLiteral("HH:mm:ss"), this);
    mode_ = new QComboBox(this);
    dayLength_ = new QComboBox(this);
    const LangText* unitNames[] = {&edit_text::kDay, &edit_text::kHour, &edit_text::kMinute, &edit_text::kSecond};
    auto* form = new QGridLayout;
    form->addWidget(new QLabel(ToQString(item_text::kStartDateTime), this), 0, 0);
    form->addWidget(dateA_, 0, 1);
    form->addWidget(timeA_, 0, 2);
    form->addWidget(new QLabel(ToQString(item_text::kEndDateTime), this), 1, 0);
    form->addWidget(dateB_, 1, 1);
    form->addWidget(timeB_, 1, 2);
    form->addWidget(new QLabel(ToQString(item_text::kCountDirection), this), 2, 0);
    form->addWidget(mode_, 2, 1);
    form->addWidget(new QLabel(ToQString(item_text::kDaysLength), this), 3, 0);
    form->addWidget(dayLength_, 3, 1);
    for (int k = 0; k < 4; ++k) {
        units_[size_t(k)] = new QCheckBox(ToQString(*unitNames[k]), this);
        labels_[size_t(k)] = new QLineEdit(this);
        labels_[size_t(k)]->setMaxLength(kTimerLabelUnits - 1);
        form->addWidget(units_[size_t(k)], 4 + k, 0);
        form->addWidget(labels_[size_t(k)], 4 + k, 1);
    }
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    AddOkCancelRow(this, all);
    setWindowTitle(ToQString(item_text::kTimerTitle));
}

bool DlgTimer::EditField(QWidget* parent, TimerField& field) {
    DlgTimer dlg(parent, &field);
    return dlg.exec() == QDialog::Accepted;
}

bool DlgTimer::OnInitDialog() {
    mode_->addItem(ToQString(item_text::kCountUp));
    mode_->addItem(ToQString(item_text::kCountDown));
    for (int i = 1; i <= kMaxTimerDayDigits; ++i) dayLength_->addItem(QString::number(i));
    if (field_) work_ = *field_;
    // The base shows the values (DoDataExchange) once the controls are filled.
    return CDialogFx::OnInitDialog();
}

bool DlgTimer::DoDataExchange(bool save) {
    if (!save) {
        const TimerDialogValues v = TimerValuesFromField(work_, CurrentLocalTime());
        ShowDateTime(v.a, dateA_, timeA_);
        ShowDateTime(v.b, dateB_, timeB_);
        mode_->setCurrentIndex(v.mode);
        dayLength_->setCurrentIndex(v.dayLengthIndex);
        for (size_t k = 0; k < 4; ++k) {
            units_[k]->setChecked(v.units[k]);
            labels_[k]->setText(ToQString(v.labels[k]));
        }
        return true;
    }
    if (!field_) return true;
    TimerDialogValues v;
    v.a = ReadDateTime(dateA_, timeA_);
    v.b = ReadDateTime(dateB_, timeB_);
    v.mode = mode_->currentIndex();
    v.dayLengthIndex = dayLength_->currentIndex();
    for (size_t k = 0; k < 4; ++k) {
        v.units[k] = units_[k]->isChecked();
        v.labels[k] = ToU16(labels_[k]->text());
    }
    if (!ApplyTimerValues(v, *field_)) {
        MessageBoxFx(this, kTimerNoUnitMessage(), nullptr, 0);
        return false;
    }
    return true;
}

}  // namespace ledsuite
