#pragma once
// The timer dialog: the two date-times, the counting direction, the number of day digits,
// the units shown and their labels of a timer field. OK writes the field whole (refused
// while no unit is checked); Cancel leaves it untouched.
#include <array>

#include "content/model/field_objects.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTimeEdit;

namespace ledsuite {

class DlgTimer : public CDialogFx {
    Q_OBJECT
public:
    DlgTimer(QWidget* parent, TimerField* field);

    static bool EditField(QWidget* parent, TimerField& field);

    QDateEdit* DateA() const { return dateA_; }
    QTimeEdit* TimeA() const { return timeA_; }
    QDateEdit* DateB() const { return dateB_; }
    QTimeEdit* TimeB() const { return timeB_; }
    QComboBox* ModeCombo() const { return mode_; }
    QComboBox* DayLengthCombo() const { return dayLength_; }
    QCheckBox* UnitCheck(int k) const { return units_[size_t(k)]; }
    QLineEdit* LabelEdit(int k) const { return labels_[size_t(k)]; }

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    TimerField* field_;
    TimerField work_;
    QDateEdit* dateA_;
    QTimeEdit* timeA_;
    QDateEdit* dateB_;
    QTimeEdit* timeB_;
    QComboBox* mode_;
    QComboBox* dayLength_;
    std::array<QCheckBox*, 4> units_{};
    std::array<QLineEdit*, 4> labels_{};
};

}  // namespace ledsuite
