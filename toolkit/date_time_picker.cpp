#include "toolkit/date_time_picker.h"

#include <optional>

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimeEdit>

namespace ledsuite {

namespace {

// What people write between the parts of a date or a time.
bool IsSeparator(QChar c) { return QStringLiteral(":/-. ").contains(c); }

// Watches the picker (its keys) and its line edit (its mouse events reach the line edit, not
// the picker).
class PickerFilter : public QObject {
public:
    explicit PickerFilter(QDateTimeEdit* picker) : QObject(picker), picker_(picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress && watched == picker_) return OnKey(static_cast<QKeyEvent*>(event));
        if (type == QEvent::MouseButtonPress || type == QEvent::FocusIn) digitSection_.reset();  // ends "right after"
        if (type == QEvent::MouseButtonRelease) {
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) OnRelease(static_cast<QMouseEvent*>(event), edit);
        }
        return false;
    }

private:
    // On the release the press has put the caret where the click landed, so the picker's
    // current section is the one under the pointer.
    void OnRelease(const QMouseEvent* event, const QLineEdit* edit) {
        if (event->button() == Qt::LeftButton && !edit->hasSelectedText() &&
            picker_->currentSection() != QDateTimeEdit::NoSection)
            picker_->setSelectedSection(picker_->currentSection());
    }

    // A digit is noted with the section it goes into. A separator right after a digit that
    // moved the picker on is dropped; any other one selects the next section, the section
    // left keeping what was typed into it (a one-digit hour stays that hour).
    bool OnKey(const QKeyEvent* event) {
        const QString text = event->text();
        const int current = picker_->currentSectionIndex();
        const bool movedByItself = digitSection_ && current != *digitSection_;
        digitSection_.reset();
        if (text.size() == 1 && text[0].isDigit()) digitSection_ = current;
        if (text.size() != 1 || !IsSeparator(text[0])) return false;
        if (!movedByItself && current + 1 < picker_->sectionCount()) {
            picker_->setCurrentSectionIndex(current + 1);
            picker_->setSelectedSection(picker_->currentSection());
        }
        return true;
    }

    QDateTimeEdit* picker_;
    std::optional<int> digitSection_;  // the section the last key went into, when it was a digit
};

template <class Picker>
Picker* MakePicker(const QString& format, QWidget* parent) {
    auto* picker = new Picker(parent);
    if (!format.isEmpty()) picker->setDisplayFormat(format);
    SetUpPicker(picker);
    return picker;
}

}  // namespace

void SetUpPicker(QDateTimeEdit* picker) {
    auto* filter = new PickerFilter(picker);
    picker->installEventFilter(filter);
    if (auto* edit = picker->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        edit->installEventFilter(filter);
}

QTimeEdit* MakeTimePicker(const QString& format, QWidget* parent) { return MakePicker<QTimeEdit>(format, parent); }

QDateEdit* MakeDatePicker(const QString& format, QWidget* parent) { return MakePicker<QDateEdit>(format, parent); }

}  // namespace ledsuite
