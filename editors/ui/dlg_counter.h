#pragma once
// The counter dialog: start and end values as typed decimals, the trigger, the input
// channel and the sign of a counter field. It edits a working copy and writes the field
// whole on OK; Cancel leaves it untouched.
#include "content/model/field_objects.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ledsuite {

class DlgCounter : public CDialogFx {
    Q_OBJECT
public:
    DlgCounter(QWidget* parent, CounterField* field);

    // Runs the dialog on the field; true on OK.
    static bool EditField(QWidget* parent, CounterField& field);

    QLineEdit* StartEdit() const { return start_; }
    QLineEdit* EndEdit() const { return end_; }
    QComboBox* TriggerCombo() const { return trigger_; }
    QComboBox* ChannelCombo() const { return channel_; }
    QCheckBox* SignCheck() const { return sign_; }

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    CounterField* field_;
    CounterField work_;
    QLineEdit* start_;
    QLineEdit* end_;
    QComboBox* trigger_;
    QComboBox* channel_;
    QCheckBox* sign_;
};

}  // namespace ledsuite
