#include "toolkit/date_time_picker.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimeEdit>

namespace ledsuite {

namespace {

// Watches the picker's line edit: its mouse events reach the line edit, not the picker.
// On the release the press has put the caret where the click landed, so the picker's
// current section is the one under the pointer.
class SectionClickFilter : public QObject {
public:
    explicit SectionClickFilter(QDateTimeEdit* picker) : QObject(picker), picker_(picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease) return false;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        const auto* edit = static_cast<QLineEdit*>(watched);
        if (!edit->hasSelectedText() && picker_->currentSection() != QDateTimeEdit::NoSection)
            picker_->setSelectedSection(picker_->currentSection());
        return false;
    }

private:
    QDateTimeEdit* picker_;
};

template <class Picker>
Picker* MakePicker(const QString& format, QWidget* parent) {
    auto* picker = new Picker(parent);
    if (!format.isEmpty()) picker->setDisplayFormat(format);
    SelectSectionOnClick(picker);
    return picker;
}

}  // namespace

void SelectSectionOnClick(QDateTimeEdit* picker) {
    if (auto* edit = picker->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        edit->installEventFilter(new SectionClickFilter(picker));
}

QTimeEdit* MakeTimePicker(const QString& format, QWidget* parent) { return MakePicker<QTimeEdit>(format, parent); }

QDateEdit* MakeDatePicker(const QString& format, QWidget* parent) { return MakePicker<QDateEdit>(format, parent); }

}  // namespace ledsuite
