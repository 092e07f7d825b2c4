// The counter dialog.
#include "editors/ui/dlg_counter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "editors/item_rules.h"
#include "editors/ui/edit_texts.h"
#include "editors/ui/item_dialog_util.h"
#include "editors/ui/item_texts.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

DlgCounter::DlgCounter(QWidget* parent, CounterField* field) : CDialogFx(parent), field_(field) {
    InitCounterSettings(work_);
    start_ = new QLineEdit(this);
    end_ = new QLineEdit(this);
    start_->setMaxLength(128);
    end_->setMaxLength(128);
    trigger_ = new QComboBox(this);
    channel_ = new QComboBox(this);
    sign_ = new QCheckBox(ToQString(item_text::kSign), this);
    auto* form = new QGridLayout;
    const LangText* labels[] = {&item_text::kStart, &item_text::kEnd, &item_text::kTrigger, &item_text::kChannel};
    QWidget* fields[] = {start_, end_, trigger_, channel_};
    for (int i = 0; i < 4; ++i) {
        form->addWidget(new QLabel(ToQString(*labels[i]), this), i, 0);
        form->addWidget(fields[i], i, 1);
    }
    form->addWidget(sign_, 4, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    AddOkCancelRow(this, all);
    setWindowTitle(ToQString(item_text::kCounterTitle));
}

bool DlgCounter::EditField(QWidget* parent, CounterField& field) {
    DlgCounter dlg(parent, &field);
    return dlg.exec() == QDialog::Accepted;
}

bool DlgCounter::OnInitDialog() {
    const LangText* units[] = {&edit_text::kSecond, &edit_text::kMinute, &edit_text::kHour, &edit_text::kDay,
                               &item_text::kWeek,   &edit_text::kMonth,  &edit_text::kYear};
    for (const LangText* unit : units) trigger_->addItem(ToQString(*unit));
    for (int k = 0; k < 4; ++k) {
        trigger_->addItem(QStringLiteral("%1 %2").arg(ToQString(item_text::kRisingEdge)).arg(k));
        trigger_->addItem(QStringLiteral("%1 %2").arg(ToQString(item_text::kFallingEdge)).arg(k));
    }
    for (int i = 0; i < kCounterChannels; ++i) channel_->addItem(QStringLiteral("CHL_%1").arg(i));
    if (field_) work_ = CounterForDialog(*field_);
    // The base shows the values (DoDataExchange) once the controls are filled.
    return CDialogFx::OnInitDialog();
}

bool DlgCounter::DoDataExchange(bool save) {
    if (!save) {
        start_->setText(ToQString(FormatDigitValue(work_, work_.start, work_.startFraction)));
        end_->setText(ToQString(FormatDigitValue(work_, work_.end, work_.endFraction)));
        trigger_->setCurrentIndex(CounterTriggerIndex(work_.unit));
        channel_->setCurrentIndex(work_.channel);
        sign_->setChecked(work_.flags & 1);
        return true;
    }
    if (!field_) return true;
    const CounterDialogValues values{ToU16(start_->text()), ToU16(end_->text()), trigger_->currentIndex(),
                                     channel_->currentIndex(), sign_->isChecked()};
    const CounterCheck check = ApplyCounterValues(values, work_);
    if (check != CounterCheck::Ok) {
        // The framework's own plain box: no caption, no icon, OK only.
        QMessageBox box(QMessageBox::NoIcon, QString(), ToQString(CounterCheckMessage(check)), QMessageBox::Ok,
                        this);
        box.exec();
        return false;
    }
    *field_ = work_;
    return true;
}

}  // namespace ledsuite
